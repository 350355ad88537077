/* cjt188/host_abi.h: everything a host program needs to load and drive the cjt188 plug-in
   library (cjt188.dll, libcjt188.so). Self-contained; C99, C11 and C++.

   A host loads the library by file name (LoadLibrary / dlopen), finds the eight exported
   functions by their undecorated names, and calls each with the address of a call record.
   The plug-in calls back two functions that the host program exports by name.

   Every record is packed (no padding) and little-endian. Address fields are pointer-sized:
   on 32-bit targets the call record is exactly 102 bytes, a data block 13 and the
   module-information header 33; on 64-bit targets the address fields widen to 8 bytes.

   Everything that crosses the boundary - exports, host functions, interface methods - uses
   CJT_STDCALL: stdcall on 32-bit x86 (the callee removes the arguments), the platform's one
   convention elsewhere. Booleans are one byte, 0 or 1. */
#ifndef CJT188_HOST_ABI_H
#define CJT188_HOST_ABI_H

#include <stddef.h>
#include <stdint.h>

#if defined(__i386__) || defined(_M_IX86)
#if defined(_MSC_VER)
#define CJT_STDCALL __stdcall
#else
#define CJT_STDCALL __attribute__((stdcall))
#endif
#else
#define CJT_STDCALL
#endif

/* Marks a function that a library or program exports by name (a host marks its two host
   functions with it; on Linux it is also linked with -rdynamic). */
#if defined(_WIN32)
#define CJT_EXPORT __declspec(dllexport)
#else
#define CJT_EXPORT __attribute__((visibility("default")))
#endif

/* Compile-time layout checks, in every language mode. */
#if defined(__cplusplus)
#define CJT_ABI_ASSERT(condition, name) static_assert(condition, #name)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define CJT_ABI_ASSERT(condition, name) _Static_assert(condition, #name)
#else
#define CJT_ABI_ASSERT(condition, name) typedef char cjt_abi_assert_##name[(condition) ? 1 : -1]
#endif

/* A union without a member name inside the variant (standard in C11 and C++). */
#if defined(__GNUC__)
#define CJT_ANONYMOUS_UNION __extension__ union
#else
#define CJT_ANONYMOUS_UNION union
#endif

#define CJT_POINTER_SIZE (sizeof(void*))

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Call record ---------------------------------------------------------------------- */

/* What a data block's Data holds, by its Kind. */
enum CjtDataKind {
  CJT_DATA_NONE = 0,          /* nothing (ProcessData: no bytes) */
  CJT_DATA_LIST_OBJECT = 1,   /* a parameter-list object or list interface (see Params) */
  CJT_DATA_BYTE_BUFFER = 2,   /* Size bytes at Data: received bytes; GetLogEx's buffer */
  CJT_DATA_TEXT_BUFFER = 4,   /* Size bytes of text at Data: a data packet's full text */
  CJT_DATA_NUMBER = 5,        /* Data is a number, not an address */
  CJT_DATA_RELEASE = 6,       /* with Data CJT_RELEASE_REQUEST: FreePluginInstance releases */
  CJT_DATA_CONNECTION = 7,    /* Data is a connection event (CJT_CONNECTION_...) */
  CJT_DATA_WRAP_LIST = 8,     /* a parameter-list object, always wrapped by the plug-in */
  CJT_DATA_LIST_INTF = 9,     /* the address of a variable holding a CjtParamsListA* */
  CJT_DATA_SEND_BYTES = 0x81, /* bytes: to send (host send function) or received (ProcessData) */
  CJT_DATA_SEND_TEXT = 0x82   /* text for the host send function */
};

/* FreePluginInstance with Input.Kind CJT_DATA_RELEASE and this Data: the host is about to
   unload the library, every instance goes. */
#define CJT_RELEASE_REQUEST 0xFF01u
/* Connection events in a ProcessData Input of kind CJT_DATA_CONNECTION. */
#define CJT_CONNECTION_OPENED 257u
#define CJT_CONNECTION_CLOSED 258u

#define CJT_DATA_SOURCE_NAME_LENGTH 50

#pragma pack(push, 1)

typedef struct CjtDataBlock {
  uint32_t Count; /* items or packets appended */
  uint32_t Size;  /* buffer size in bytes */
  uint8_t Kind;   /* enum CjtDataKind */
  uintptr_t Data; /* an address, or a value */
} CjtDataBlock;

/* Zero it, set Size to sizeof(CjtCallRecord) and Instance to what CreatePluginInstance
   returned in it. Params: the call's parameter list: a CjtParamsListA* made by the host
   (see CJT_PARAMS_LIST_SIGNATURE) or 0. */
typedef struct CjtCallRecord {
  uint32_t Size;
  uint8_t Flags;
  uintptr_t Instance;
  uint32_t ModuleIndex;
  uint32_t DataSourceId;
  uint32_t ConnectionKey;
  uint8_t Mode; /* SET-STATE: the module types to switch; ProcessData: 0x02 */
  uintptr_t Params;
  CjtDataBlock Input;
  CjtDataBlock Output;
  char DataSourceName[CJT_DATA_SOURCE_NAME_LENGTH];
} CjtCallRecord;

/* What GetModuleInfo fills: this header, then the two UTF-8 texts it points to. */
typedef struct CjtModuleInfo {
  uint32_t Size;             /* set by the host: bytes available at this address */
  uint32_t TypeBits;         /* bits 0-7 module types, bits 16-18 features 0-2 */
  uint32_t InterfaceVersion; /* low word CJT_PLUGIN_INTERFACE_VERSION, high word 0 */
  float ModuleVersion;
  uint8_t InfoFlag;
  uint32_t DescriptionLength; /* bytes */
  uintptr_t DescriptionText;  /* inside the block, after the header */
  uint32_t CommandsLength;    /* bytes of the custom-command table text */
  uintptr_t CommandsText;     /* directly after the description */
} CjtModuleInfo;

#pragma pack(pop)

#define CJT_PLUGIN_INTERFACE_VERSION 4

CJT_ABI_ASSERT(sizeof(CjtDataBlock) == 9 + CJT_POINTER_SIZE, data_block_size);
CJT_ABI_ASSERT(offsetof(CjtDataBlock, Data) == 9, data_block_data);
CJT_ABI_ASSERT(sizeof(CjtCallRecord) == 86 + 4 * CJT_POINTER_SIZE, call_record_size);
CJT_ABI_ASSERT(offsetof(CjtCallRecord, Instance) == 5, call_record_instance);
CJT_ABI_ASSERT(offsetof(CjtCallRecord, ModuleIndex) == 5 + CJT_POINTER_SIZE, call_record_module_index);
CJT_ABI_ASSERT(offsetof(CjtCallRecord, Mode) == 17 + CJT_POINTER_SIZE, call_record_mode);
CJT_ABI_ASSERT(offsetof(CjtCallRecord, Params) == 18 + CJT_POINTER_SIZE, call_record_params);
CJT_ABI_ASSERT(offsetof(CjtCallRecord, Input) == 18 + 2 * CJT_POINTER_SIZE, call_record_input);
CJT_ABI_ASSERT(offsetof(CjtCallRecord, Output) == 27 + 3 * CJT_POINTER_SIZE, call_record_output);
CJT_ABI_ASSERT(offsetof(CjtCallRecord, DataSourceName) == 36 + 4 * CJT_POINTER_SIZE, call_record_name);
CJT_ABI_ASSERT(sizeof(CjtModuleInfo) == 25 + 2 * CJT_POINTER_SIZE, module_info_size);
CJT_ABI_ASSERT(offsetof(CjtModuleInfo, InfoFlag) == 16, module_info_flag);
CJT_ABI_ASSERT(offsetof(CjtModuleInfo, DescriptionText) == 21, module_info_description);
CJT_ABI_ASSERT(offsetof(CjtModuleInfo, CommandsLength) == 21 + CJT_POINTER_SIZE, module_info_commands_length);
CJT_ABI_ASSERT(offsetof(CjtModuleInfo, CommandsText) == 25 + CJT_POINTER_SIZE, module_info_commands);

/* ---- The eight exports ---------------------------------------------------------------- */

/* CreatePluginInstance (Instance comes back in the record; 0 is success),
   FreePluginInstance, GetLogEx (Input: the host's buffer; returns the bytes copied, or 0
   with the length needed in Output.Data), ExecutePluginCommand (Params: COMMAND, its
   arguments and RESULT), ProcessData (Input: received bytes or a connection event). */
typedef int32_t CJT_STDCALL CjtRecordFunction(CjtCallRecord* record);
/* GetOptionsDialog, ShowOptionsDialog. */
typedef void CJT_STDCALL CjtRecordProcedure(CjtCallRecord* record);
/* GetModuleInfo: fills info (a CjtModuleInfo and its texts) when its Size is large enough;
   sets *neededSize; non-zero on success. */
typedef uint8_t CJT_STDCALL CjtGetModuleInfo(CjtCallRecord* record, void* info, uint32_t* neededSize);

/* ---- Host functions ------------------------------------------------------------------- */

/* Found by name in the module passed at LOAD as HANDLE (on Linux: dlopen(NULL, RTLD_NOW)).
   Send function: kind CJT_DATA_SEND_BYTES: count bytes at address to send on the data
   source; kind CJT_DATA_LIST_INTF: address is a CjtCallRecord of values sent outside a
   ProcessData call (Input: the packet's text, Output: its values). 0 on success. */
#define CJT_HOST_SEND_DATA_EX "Corvane_SendDataEx"
typedef int32_t CJT_STDCALL CjtSendDataEx(uint32_t moduleIndex, uint32_t dataSourceId, uint32_t connectionKey,
                                          uint32_t reserved, uint32_t kind, uintptr_t address, uint32_t count);
/* Where there are no windows (Linux): takes the window messages below, for the window
   passed at LOAD as MSG-PROC-HANDLE. Non-zero when taken; must not block (called from the
   plug-in's own threads too). On Windows the plug-in posts real window messages. */
#define CJT_HOST_POST_MESSAGE "Corvane_PostMessage"
typedef int32_t CJT_STDCALL CjtPostMessage(uint32_t window, uint32_t message, uintptr_t wparam, intptr_t lparam);

/* Log lines are waiting (fetch them with GetLogEx); settings changed, reload them. */
#define CJT_MESSAGE_LOG_CHANGED 1809u
#define CJT_MESSAGE_RELOAD_SETTINGS 1812u

/* ---- Values --------------------------------------------------------------------------- */

typedef struct CjtGuid {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
} CjtGuid;

typedef int32_t CjtHResult; /* 0 is success, negative a failure (COM status codes) */

#if defined(__cplusplus)
typedef char16_t CjtOleChar;
#else
typedef uint16_t CjtOleChar; /* a UTF-16 code unit */
#endif

/* An OLE string: points at UTF-16 text that a 32-bit byte length precedes and a zero
   follows. On Windows SysAllocString / SysFreeString; on Linux malloc the length, text and
   zero, point past the length, and free the address 4 bytes before. */
typedef CjtOleChar* CjtBStr;

/* The OLE VARIANT (16 bytes on 32-bit targets, 24 on 64-bit). Type codes the plug-in
   reads and writes: */
enum CjtVarType {
  CJT_VT_EMPTY = 0,
  CJT_VT_NULL = 1,
  CJT_VT_SMALLINT = 2,
  CJT_VT_INTEGER = 3,
  CJT_VT_SINGLE = 4,
  CJT_VT_DOUBLE = 5,
  CJT_VT_CURRENCY = 6, /* value times 10000 */
  CJT_VT_DATE = 7,     /* days since 1899-12-30 */
  CJT_VT_BSTR = 8,
  CJT_VT_ERROR = 10,
  CJT_VT_BOOLEAN = 11, /* -1 true, 0 false */
  CJT_VT_SHORTINT = 16,
  CJT_VT_BYTE = 17,
  CJT_VT_WORD = 18,
  CJT_VT_LONGWORD = 19,
  CJT_VT_INT64 = 20,
  CJT_VT_STRING = 0x0100, /* zero-terminated 8-bit text (UTF-8 on Linux, ANSI on Windows) */
  CJT_VT_USTRING = 0x0102 /* zero-terminated UTF-16 text */
};

typedef struct CjtVariant {
  uint16_t Vt; /* enum CjtVarType */
  uint16_t Reserved1;
  uint16_t Reserved2;
  uint16_t Reserved3;
  CJT_ANONYMOUS_UNION {
    int64_t Int64Val;
    int32_t IntegerVal;
    uint8_t ByteVal;
    int16_t SmallintVal;
    float SingleVal;
    double DoubleVal;
    int16_t BooleanVal;
    int32_t ErrorVal;
    int64_t CurrencyVal;
    double DateVal;
    CjtBStr BStrVal;
    int8_t ShortIntVal;
    uint16_t WordVal;
    uint32_t LongWordVal;
    const char* StringVal;
    const CjtOleChar* UStringVal;
    struct {
      void* Record;
      void* RecordInfo;
    } RecordVal;
  };
} CjtVariant;

CJT_ABI_ASSERT(sizeof(CjtGuid) == 16, guid_size);
CJT_ABI_ASSERT(sizeof(CjtVariant) == 8 + 2 * CJT_POINTER_SIZE, variant_size);

/* ---- Parameter lists ------------------------------------------------------------------ */

/* Every call's parameters, and the values the plug-in returns, are ordered lists of named
   variants, reached through COM-style interfaces: an object whose first word points at its
   method table. Slot order never changes. A variant argument is passed by value (the
   callee copies what it keeps); out-variants are filled by the callee and owned by the
   caller (clear them). Reference counts follow COM: every item or list returned through an
   out-parameter carries one reference for the caller.

   A list a host passes as Params must not hold CJT_PARAMS_LIST_SIGNATURE at
   CJT_PARAMS_LIST_SIGNATURE_OFFSET bytes into its object: that word marks the plug-in's
   own list objects. The object must be at least that large. */
#define CJT_PARAMS_LIST_SIGNATURE 0x0FDE2E4Bu
#define CJT_PARAMS_LIST_SIGNATURE_OFFSET (2 * CJT_POINTER_SIZE + 2 * sizeof(int32_t))

/* Interface identifiers, as initialisers: static const CjtGuid iid = CJT_IID_...; */
/* clang-format off */
#define CJT_IID_IUNKNOWN           {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}}
#define CJT_IID_PARAMS_LIST_A      {0x33316D29, 0x0F86, 0x41C4, {0x8D, 0xB4, 0x3F, 0xE9, 0x75, 0x61, 0x58, 0xB1}}
#define CJT_IID_PARAMS_LIST_W      {0x33316D29, 0x0F86, 0x41C4, {0x8D, 0xB4, 0x3F, 0xE9, 0x75, 0x61, 0x58, 0xB2}}
#define CJT_IID_PARAMS_LIST_ITEM_A {0x33316D29, 0x0F86, 0x41C4, {0x8D, 0xB4, 0x3F, 0xE9, 0x75, 0x61, 0x58, 0xB4}}
#define CJT_IID_PARAMS_LIST_ITEM_W {0x33316D29, 0x0F86, 0x41C4, {0x8D, 0xB4, 0x3F, 0xE9, 0x75, 0x61, 0x58, 0xB6}}
/* clang-format on */

typedef struct CjtParamsListItem CjtParamsListItem;
typedef struct CjtParamsListA CjtParamsListA;
typedef struct CjtParamsListW CjtParamsListW;

/* IkroParamsListItemW: slots 0-17. Slots 0-13 are IkroParamsListItemA, all that an item a
   host passes to AddItem of the 8-bit list needs; items the plug-in hands out have all. */
typedef struct CjtParamsListItemVtbl {
  CjtHResult(CJT_STDCALL* QueryInterface)(CjtParamsListItem* self, const CjtGuid* iid, void** object);
  uint32_t(CJT_STDCALL* AddRef)(CjtParamsListItem* self);
  uint32_t(CJT_STDCALL* Release)(CjtParamsListItem* self);
  void(CJT_STDCALL* SetKey)(CjtParamsListItem* self, const char* key);
  void(CJT_STDCALL* SetDataType)(CjtParamsListItem* self, int32_t dataType);
  void(CJT_STDCALL* SetState)(CjtParamsListItem* self, uint8_t state);
  const char*(CJT_STDCALL* GetKey)(CjtParamsListItem* self);
  int32_t(CJT_STDCALL* GetDataType)(CjtParamsListItem* self);
  uint8_t(CJT_STDCALL* GetState)(CjtParamsListItem* self);
  CjtHResult(CJT_STDCALL* SetValue)(CjtParamsListItem* self, CjtVariant value);
  CjtHResult(CJT_STDCALL* GetValue)(CjtParamsListItem* self, CjtVariant* value);
  void(CJT_STDCALL* SetName)(CjtParamsListItem* self, const char* name);
  const char*(CJT_STDCALL* GetName)(CjtParamsListItem* self);
  uint8_t(CJT_STDCALL* IsNewRow)(CjtParamsListItem* self);
  void(CJT_STDCALL* SetNameW)(CjtParamsListItem* self, const CjtOleChar* name);
  const CjtOleChar*(CJT_STDCALL* GetNameW)(CjtParamsListItem* self);
  CjtHResult(CJT_STDCALL* SetValueW)(CjtParamsListItem* self, CjtVariant value);
  CjtHResult(CJT_STDCALL* GetValueW)(CjtParamsListItem* self, CjtVariant* value);
} CjtParamsListItemVtbl;

struct CjtParamsListItem {
  const CjtParamsListItemVtbl* lpVtbl;
};

/* IkroParamsListA (8-bit names) and IkroParamsListW (UTF-16 names): slots 0-22, alike but
   for the name type. Ranges: start below 0 is 0; end -1 is the end of the list, -2 the end
   of the current row. AddList and AddListRange take, in the 8-bit list, one of the
   plug-in's list objects and, in the UTF-16 list, a list interface; AppendRows a list
   interface. */
#define CJT_PARAMS_LIST_SLOTS(TSelf, TName)                                                                           \
  CjtHResult(CJT_STDCALL* QueryInterface)(TSelf * self, const CjtGuid* iid, void** object);                           \
  uint32_t(CJT_STDCALL* AddRef)(TSelf * self);                                                                        \
  uint32_t(CJT_STDCALL* Release)(TSelf * self);                                                                       \
  int32_t(CJT_STDCALL* Count)(TSelf * self);                                                                          \
  uint32_t(CJT_STDCALL* GetSignature)(TSelf * self);                                                                  \
  int32_t(CJT_STDCALL* GetTag)(TSelf * self);                                                                         \
  void(CJT_STDCALL * SetTag)(TSelf * self, int32_t tag);                                                              \
  void(CJT_STDCALL * Clear)(TSelf * self);                                                                            \
  void(CJT_STDCALL * Delete)(TSelf * self, int32_t index);                                                            \
  uint8_t(CJT_STDCALL* GetRowEnd)(TSelf * self, int32_t start, int32_t * endIndex, uint8_t * isMarker);               \
  void(CJT_STDCALL * AddNewRow)(TSelf * self);                                                                        \
  void(CJT_STDCALL * AppendRows)(TSelf * self, CjtParamsListA * source);                                              \
  CjtHResult(CJT_STDCALL* GetItem)(TSelf * self, int32_t index, CjtParamsListItem * *item);                           \
  CjtHResult(CJT_STDCALL* AddList)(TSelf * self, void* source, uint8_t* done);                                        \
  CjtHResult(CJT_STDCALL* AddListRange)(TSelf * self, void* source, int32_t start, int32_t end, uint8_t* done);       \
  CjtHResult(CJT_STDCALL* FindItem)(TSelf * self, TName name, int32_t start, int32_t end, CjtParamsListItem * *item); \
  CjtHResult(CJT_STDCALL* IndexOf)(TSelf * self, TName name, int32_t start, int32_t end, int32_t * index);            \
  CjtHResult(CJT_STDCALL* GetValue)(TSelf * self, TName name, int32_t start, int32_t end, CjtVariant * value);        \
  CjtHResult(CJT_STDCALL* GetValueDef)(TSelf * self, TName name, CjtVariant defaultValue, int32_t start, int32_t end, \
                                       CjtVariant * value);                                                           \
  CjtHResult(CJT_STDCALL* Add)(TSelf * self, TName name, CjtVariant value, CjtParamsListItem * *item);                \
  CjtHResult(CJT_STDCALL* Insert)(TSelf * self, int32_t index, TName name, CjtVariant value,                          \
                                  CjtParamsListItem * *item);                                                         \
  CjtHResult(CJT_STDCALL* SetValue)(TSelf * self, TName name, CjtVariant value, uint8_t addIfMissing,                 \
                                    CjtParamsListItem * *item);                                                       \
  CjtHResult(CJT_STDCALL* AddItem)(TSelf * self, CjtParamsListItem * source, CjtParamsListItem * *item);

typedef struct CjtParamsListAVtbl {
  CJT_PARAMS_LIST_SLOTS(CjtParamsListA, const char*)
} CjtParamsListAVtbl;

typedef struct CjtParamsListWVtbl {
  CJT_PARAMS_LIST_SLOTS(CjtParamsListW, const CjtOleChar*)
} CjtParamsListWVtbl;

struct CjtParamsListA {
  const CjtParamsListAVtbl* lpVtbl;
};

struct CjtParamsListW {
  const CjtParamsListWVtbl* lpVtbl;
};

#ifdef __cplusplus
}
#endif

#endif
