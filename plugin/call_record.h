// The binary records that the host passes by address to every exported function: the call
// record and its two data blocks, laid out in the public header; here under the plug-in's
// own names.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cjt188/host_abi.h"

namespace cjt {

using TPluginDataBlock = ::CjtDataBlock;
using TPluginCallRecord = ::CjtCallRecord;

// What a data block's Data refers to.
enum TDataKind : uint8_t {
  DataKindNone = CJT_DATA_NONE,
  DataKindListObject = CJT_DATA_LIST_OBJECT,  // a raw parameter-list object, wrapped when it carries the signature
  DataKindByteBuffer = CJT_DATA_BYTE_BUFFER,  // received bytes from a host, or the options block
  DataKindTextBuffer = CJT_DATA_TEXT_BUFFER,  // a character buffer of Size bytes: the full data packet text
  DataKindNumber = CJT_DATA_NUMBER,
  DataKindRelease = CJT_DATA_RELEASE,  // with Data 0xFF01 in the Input of FreePluginInstance: the release request
  DataKindConnection = CJT_DATA_CONNECTION,
  DataKindWrapList = CJT_DATA_WRAP_LIST,  // a raw parameter-list object, always wrapped for the call
  DataKindListIntf = CJT_DATA_LIST_INTF,  // the address of a variable holding a list interface
  DataKindSendBytes = CJT_DATA_SEND_BYTES,
  DataKindSendText = CJT_DATA_SEND_TEXT,
};

inline constexpr uintptr_t ReleaseRequestData = CJT_RELEASE_REQUEST;
inline constexpr uint32_t ConnectionOpened = CJT_CONNECTION_OPENED;
inline constexpr uint32_t ConnectionClosed = CJT_CONNECTION_CLOSED;

// Flags bit set for the duration of a call whose Params referred to an interface already.
inline constexpr uint8_t FlagParamsWereIntf = 0x40;
// Flags of the records the plug-in builds itself.
inline constexpr uint8_t FlagBuiltByPlugin = 0x01;

inline constexpr size_t DataSourceNameLength = CJT_DATA_SOURCE_NAME_LENGTH;

// Window messages to the host: log lines are waiting; settings changed, reload them.
inline constexpr uint32_t MessageLogChanged = CJT_MESSAGE_LOG_CHANGED;
inline constexpr uint32_t MessageReloadSettings = CJT_MESSAGE_RELOAD_SETTINGS;

// Whether a ProcessData Input block is received data that may be read as bytes: a byte
// buffer (kind 2 or 0x81), or an empty block (kind 0 without an address). Every other kind
// holds a list, a number or an event, never an address of bytes.
inline bool IsReceivedData(const TPluginDataBlock& block) {
  return block.Kind == DataKindByteBuffer || block.Kind == DataKindSendBytes ||
         (block.Kind == DataKindNone && block.Data == 0);
}

// The Size a host writes into the call record.
inline constexpr uint32_t CallRecordSize = sizeof(TPluginCallRecord);

}  // namespace cjt
