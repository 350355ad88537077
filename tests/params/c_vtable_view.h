/* The parameter-list interfaces as a host written in C sees them: method tables of plain
   function pointers in slot order, each taking the object first, with the COM calling
   convention. Tests call our objects only through these, so a wrong slot order or calling
   convention fails them. */
#pragma once

#include <stdint.h>

#include "platform/guid.h"
#include "platform/ole_variant.h"

#if defined(__i386__)
#define HOST_CALL __attribute__((stdcall))
#else
#define HOST_CALL
#endif

typedef cjt::platform::TGuid HostGuid;
typedef cjt::platform::TOleVariant HostVariant;

typedef struct HostItem HostItem;
typedef struct HostList HostList;

/* IkroParamsListItemW: slots 0-17 (0-13 are IkroParamsListItemA). */
typedef struct HostItemVtbl {
  int32_t(HOST_CALL* QueryInterface)(HostItem* self, const HostGuid* iid, void** object);
  uint32_t(HOST_CALL* AddRef)(HostItem* self);
  uint32_t(HOST_CALL* Release)(HostItem* self);
  void(HOST_CALL* SetKey)(HostItem* self, const char* key);
  void(HOST_CALL* SetDataType)(HostItem* self, int32_t dataType);
  void(HOST_CALL* SetState)(HostItem* self, uint8_t state);
  const char*(HOST_CALL* GetKey)(HostItem* self);
  int32_t(HOST_CALL* GetDataType)(HostItem* self);
  uint8_t(HOST_CALL* GetState)(HostItem* self);
  int32_t(HOST_CALL* SetValue)(HostItem* self, HostVariant value);
  int32_t(HOST_CALL* GetValue)(HostItem* self, HostVariant* value);
  void(HOST_CALL* SetName)(HostItem* self, const char* name);
  const char*(HOST_CALL* GetName)(HostItem* self);
  uint8_t(HOST_CALL* IsNewRow)(HostItem* self);
  void(HOST_CALL* SetNameW)(HostItem* self, const char16_t* name);
  const char16_t*(HOST_CALL* GetNameW)(HostItem* self);
  int32_t(HOST_CALL* SetValueW)(HostItem* self, HostVariant value);
  int32_t(HOST_CALL* GetValueW)(HostItem* self, HostVariant* value);
} HostItemVtbl;

struct HostItem {
  const HostItemVtbl* lpVtbl;
};

/* IkroParamsListA and IkroParamsListW: slots 0-22; TName is const char* in A and
   const char16_t* in W. Slots 13, 14 and 22 differ in their source types only. */
#define HOST_LIST_VTBL(NAME, TName)                                                                                    \
  typedef struct NAME {                                                                                                \
    int32_t(HOST_CALL* QueryInterface)(HostList * self, const HostGuid* iid, void** object);                           \
    uint32_t(HOST_CALL* AddRef)(HostList * self);                                                                      \
    uint32_t(HOST_CALL* Release)(HostList * self);                                                                     \
    int32_t(HOST_CALL* Count)(HostList * self);                                                                        \
    uint32_t(HOST_CALL* GetSignature)(HostList * self);                                                                \
    int32_t(HOST_CALL* GetTag)(HostList * self);                                                                       \
    void(HOST_CALL * SetTag)(HostList * self, int32_t tag);                                                            \
    void(HOST_CALL * Clear)(HostList * self);                                                                          \
    void(HOST_CALL * Delete)(HostList * self, int32_t index);                                                          \
    uint8_t(HOST_CALL* GetRowEnd)(HostList * self, int32_t start, int32_t* endIndex, uint8_t* isMarker);               \
    void(HOST_CALL * AddNewRow)(HostList * self);                                                                      \
    void(HOST_CALL * AppendRows)(HostList * self, void* sourceWrap);                                                   \
    int32_t(HOST_CALL* GetItem)(HostList * self, int32_t index, HostItem** item);                                      \
    int32_t(HOST_CALL* AddList)(HostList * self, void* source, uint8_t* done);                                         \
    int32_t(HOST_CALL* AddListRange)(HostList * self, void* source, int32_t start, int32_t end, uint8_t* done);        \
    int32_t(HOST_CALL* FindItem)(HostList * self, TName name, int32_t start, int32_t end, HostItem** item);            \
    int32_t(HOST_CALL* IndexOf)(HostList * self, TName name, int32_t start, int32_t end, int32_t* index);              \
    int32_t(HOST_CALL* GetValue)(HostList * self, TName name, int32_t start, int32_t end, HostVariant* value);         \
    int32_t(HOST_CALL* GetValueDef)(HostList * self, TName name, HostVariant defaultValue, int32_t start, int32_t end, \
                                    HostVariant* value);                                                               \
    int32_t(HOST_CALL* Add)(HostList * self, TName name, HostVariant value, HostItem** item);                          \
    int32_t(HOST_CALL* Insert)(HostList * self, int32_t index, TName name, HostVariant value, HostItem** item);        \
    int32_t(HOST_CALL* SetValue)(HostList * self, TName name, HostVariant value, uint8_t addIfMissing,                 \
                                 HostItem** item);                                                                     \
    int32_t(HOST_CALL* AddItem)(HostList * self, HostItem* source, HostItem** item);                                   \
  } NAME;

HOST_LIST_VTBL(HostListAVtbl, const char*)
HOST_LIST_VTBL(HostListWVtbl, const char16_t*)

/* A list reference seen through either table. */
struct HostList {
  const void* lpVtbl;
};

static inline const HostListAVtbl* ListA(HostList* list) { return (const HostListAVtbl*)list->lpVtbl; }
static inline const HostListWVtbl* ListW(HostList* list) { return (const HostListWVtbl*)list->lpVtbl; }
