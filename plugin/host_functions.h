// The functions the host program exports for its plug-ins, found by name in the host's
// module at LOAD. Only the send function and, where there are no windows, the message
// function are called; the others are only looked up.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/calling_convention.h"
#include "platform/module.h"
#include "platform/window_message.h"

namespace cjt {

// (module index, data-source id, connection key, 0, data kind, address, byte count)
using TSendDataEx = int32_t(CJT_STDCALL*)(uint32_t moduleIndex, uint32_t dataSourceId, uint32_t connectionKey,
                                          uint32_t reserved, uint32_t kind, uintptr_t address, uint32_t count);

inline constexpr char HostSendNotifyName[] = "Corvane_SendNotify";
inline constexpr char HostSendDataExName[] = "Corvane_SendDataEx";
inline constexpr char HostDataSourceDataName[] = "Corvane_DataSourceData";
inline constexpr char HostDataSourceStateName[] = "Corvane_DataSourceState";
inline constexpr char HostManageDynFormName[] = "Corvane_ManageDynForm";

// Read by any thread that sends, written at LOAD.
struct THostFunctions {
  std::atomic<void*> SendNotify{nullptr};
  std::atomic<TSendDataEx> SendDataEx{nullptr};
  std::atomic<void*> DataSourceData{nullptr};
  std::atomic<void*> DataSourceState{nullptr};
  std::atomic<void*> ManageDynForm{nullptr};
  std::atomic<platform::THostPostMessage> PostHostMessage{nullptr};

  // Looks every function up in the host's module; missing ones stay null.
  void Resolve(platform::TModuleHandle host);
};

}  // namespace cjt
