/* The parameter-list interfaces as a host written in C sees them: the method tables of the
   public header. Tests call our objects only through these, so a wrong slot order or calling
   convention fails them. */
#pragma once

#include "cjt188/host_abi.h"

#define HOST_CALL CJT_STDCALL

typedef CjtGuid HostGuid;
typedef CjtVariant HostVariant;
typedef CjtParamsListItem HostItem;
typedef CjtParamsListItemVtbl HostItemVtbl;

/* A list reference, seen through the 8-bit table or, in the tests of the UTF-16 interface,
   through the UTF-16 one. */
typedef CjtParamsListA HostList;
typedef CjtParamsListAVtbl HostListAVtbl;
typedef struct HostListWVtbl {
  CJT_PARAMS_LIST_SLOTS(HostList, const CjtOleChar*)
} HostListWVtbl;

static inline const HostListAVtbl* ListA(HostList* list) { return list->lpVtbl; }
static inline const HostListWVtbl* ListW(HostList* list) { return (const HostListWVtbl*)list->lpVtbl; }
