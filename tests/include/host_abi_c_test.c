/* A host written in C against cjt188/host_abi.h alone: the record layouts at the exact sizes a
   host of another compiler sees, then, given the library's file name, the library loaded by
   name and an instance's life driven through the header's function types. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "cjt188/host_abi.h"

#if defined(_WIN32)
#include <windows.h>
#define OPEN_LIBRARY(name) ((void*)LoadLibraryA(name))
#define LOOKUP(library, name) GetProcAddress((HMODULE)(library), name)
#define LOOKUP_RESULT FARPROC
#define CLOSE_LIBRARY(library) FreeLibrary((HMODULE)(library))
#else
#include <dlfcn.h>
#define OPEN_LIBRARY(name) dlopen(name, RTLD_NOW)
#define LOOKUP(library, name) dlsym(library, name)
#define LOOKUP_RESULT void*
#define CLOSE_LIBRARY(library) dlclose(library)
#endif

/* Sets the function pointer to the export's address (copied: ISO C has no conversion from
   an object address to a function address). */
#define FIND_EXPORT(library, name, function)       \
  do {                                             \
    LOOKUP_RESULT found = LOOKUP(library, name);   \
    memcpy(&(function), &found, sizeof(function)); \
  } while (0)

static int failures = 0;

#define CHECK(condition)                                                      \
  do {                                                                        \
    if (!(condition)) {                                                       \
      fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                             \
    }                                                                         \
  } while (0)

/* The sizes every host relies on: 32-bit targets exactly as documented, 64-bit targets with
   8-byte address fields. */
static void CheckLayouts(void) {
  const int wide = sizeof(void*) == 8;
  CHECK(sizeof(CjtDataBlock) == (wide ? 17u : 13u));
  CHECK(sizeof(CjtCallRecord) == (wide ? 118u : 102u));
  CHECK(offsetof(CjtCallRecord, Params) == (wide ? 26u : 22u));
  CHECK(offsetof(CjtCallRecord, Input) == (wide ? 34u : 26u));
  CHECK(offsetof(CjtCallRecord, Output) == (wide ? 51u : 39u));
  CHECK(offsetof(CjtCallRecord, DataSourceName) == (wide ? 68u : 52u));
  CHECK(sizeof(CjtModuleInfo) == (wide ? 41u : 33u));
  CHECK(sizeof(CjtVariant) == (wide ? 24u : 16u));
  CHECK(CJT_PARAMS_LIST_SIGNATURE_OFFSET == (wide ? 24u : 16u));
}

static CjtCallRecord NewRecord(uintptr_t instance) {
  CjtCallRecord record;
  memset(&record, 0, sizeof record);
  record.Size = sizeof record;
  record.Instance = instance;
  return record;
}

/* GetModuleInfo as a host calls it: first for the size, then with a block that large. */
static void CheckModuleInfo(CjtGetModuleInfo* getModuleInfo, uintptr_t instance) {
  CjtCallRecord record = NewRecord(instance);
  uint32_t needed = 0;
  CjtModuleInfo* info;
  CHECK(getModuleInfo(&record, NULL, &needed) == 0);
  CHECK(needed > sizeof(CjtModuleInfo));
  info = (CjtModuleInfo*)calloc(1, needed);
  if (info == NULL) return;
  info->Size = needed;
  CHECK(getModuleInfo(&record, info, &needed) == 1);
  CHECK((info->InterfaceVersion & 0xFFFFu) == CJT_PLUGIN_INTERFACE_VERSION);
  CHECK(info->DescriptionLength > 0);
  CHECK(info->DescriptionText == (uintptr_t)info + sizeof(CjtModuleInfo));
  CHECK(info->CommandsLength == 0 || info->CommandsText == info->DescriptionText + info->DescriptionLength);
  free(info);
}

static void DriveInstance(void* library) {
  CjtRecordFunction* create = NULL;
  CjtRecordFunction* release = NULL;
  CjtGetModuleInfo* getModuleInfo = NULL;
  CjtCallRecord record = NewRecord(0);
  FIND_EXPORT(library, "CreatePluginInstance", create);
  FIND_EXPORT(library, "FreePluginInstance", release);
  FIND_EXPORT(library, "GetModuleInfo", getModuleInfo);
  CHECK(create != NULL && release != NULL && getModuleInfo != NULL);
  if (create == NULL || release == NULL || getModuleInfo == NULL) return;

  CHECK(create(&record) == 0);
  CHECK(record.Instance != 0);
  CheckModuleInfo(getModuleInfo, record.Instance);
  CHECK(release(&record) == 0);
  /* Freed once only. */
  CHECK(release(&record) != 0);

  record = NewRecord(0);
  record.Input.Kind = CJT_DATA_RELEASE;
  record.Input.Data = CJT_RELEASE_REQUEST;
  CHECK(release(&record) == 0);
}

int main(int argc, char** argv) {
  CheckLayouts();
  if (argc > 1) {
    void* library = OPEN_LIBRARY(argv[1]);
    CHECK(library != NULL);
    if (library != NULL) {
      DriveInstance(library);
      CLOSE_LIBRARY(library);
    }
  }
  if (failures == 0) printf("host_abi.h: layouts%s as a host expects\n", argc > 1 ? " and exports" : "");
  return failures == 0 ? 0 : 1;
}
