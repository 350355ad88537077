// The binary records that the host passes by address to every exported function: the call
// record and its two data blocks. Packed little-endian; address fields are pointer-sized,
// so on 32-bit targets the call record is exactly 102 bytes and a data block 13.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cjt {

// What a data block's Data refers to.
enum TDataKind : uint8_t {
  DataKindNone = 0,
  DataKindListObject = 1,    // a raw parameter-list object, wrapped when it carries the signature
  DataKindByteBuffer = 2,    // a byte buffer (received bytes from a host, or the options block)
  DataKindTextBuffer = 4,    // a character buffer of Size bytes: the full data packet text
  DataKindNumber = 5,        // Data holds a number, not an address
  DataKindRelease = 6,       // with Data 0xFF01 in the Input of FreePluginInstance: the release request
  DataKindConnection = 7,    // Data holds a connection event code
  DataKindWrapList = 8,      // a raw parameter-list object, always wrapped for the call
  DataKindListIntf = 9,      // the address of a variable holding a list interface
  DataKindSendBytes = 0x81,  // bytes for the host's send function
  DataKindSendText = 0x82,   // text for the host's send function
};

inline constexpr uintptr_t ReleaseRequestData = 0xFF01;
inline constexpr uint32_t ConnectionOpened = 257;
inline constexpr uint32_t ConnectionClosed = 258;

// Flags bit set for the duration of a call whose Params referred to an interface already.
inline constexpr uint8_t FlagParamsWereIntf = 0x40;
// Flags of the records the plug-in builds itself.
inline constexpr uint8_t FlagBuiltByPlugin = 0x01;

inline constexpr size_t DataSourceNameLength = 50;

// Window messages to the host: log lines are waiting; settings changed, reload them.
inline constexpr uint32_t MessageLogChanged = 1809;
inline constexpr uint32_t MessageReloadSettings = 1812;

#pragma pack(push, 1)

struct TPluginDataBlock {
  uint32_t Count;  // items or packets appended
  uint32_t Size;   // buffer size in bytes
  uint8_t Kind;    // TDataKind
  uintptr_t Data;  // an address, or a value
};

struct TPluginCallRecord {
  uint32_t Size;
  uint8_t Flags;
  uintptr_t Instance;
  uint32_t ModuleIndex;
  uint32_t DataSourceId;
  uint32_t ConnectionKey;
  uint8_t Mode;
  uintptr_t Params;
  TPluginDataBlock Input;
  TPluginDataBlock Output;
  char DataSourceName[DataSourceNameLength];
};

#pragma pack(pop)

// Whether a ProcessData Input block is received data that may be read as bytes: a byte
// buffer (kind 2 or 0x81), or an empty block (kind 0 without an address). Every other kind
// holds a list, a number or an event, never an address of bytes.
inline bool IsReceivedData(const TPluginDataBlock& block) {
  return block.Kind == DataKindByteBuffer || block.Kind == DataKindSendBytes ||
         (block.Kind == DataKindNone && block.Data == 0);
}

// The Size a host writes into the call record.
inline constexpr uint32_t CallRecordSize = sizeof(TPluginCallRecord);

#if UINTPTR_MAX == 0xFFFFFFFF
static_assert(sizeof(TPluginDataBlock) == 13);
static_assert(sizeof(TPluginCallRecord) == 102);
static_assert(offsetof(TPluginCallRecord, Instance) == 5);
static_assert(offsetof(TPluginCallRecord, Mode) == 21);
static_assert(offsetof(TPluginCallRecord, Params) == 22);
static_assert(offsetof(TPluginCallRecord, Input) == 26);
static_assert(offsetof(TPluginCallRecord, Output) == 39);
static_assert(offsetof(TPluginCallRecord, DataSourceName) == 52);
#endif

}  // namespace cjt
