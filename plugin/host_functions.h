// The functions the host program exports for its plug-ins, found by name in the host's
// module at LOAD. Only the send function and, where there are no windows, the message
// function are called; the others are only looked up.
#pragma once

#include <atomic>
#include <cstdint>

#include "cjt188/host_abi.h"
#include "platform/module.h"
#include "platform/window_message.h"

namespace cjt {

// (module index, data-source id, connection key, 0, data kind, address, byte count)
using TSendDataEx = CjtSendDataEx*;

inline constexpr char HostSendNotifyName[] = "Corvane_SendNotify";
inline constexpr char HostSendDataExName[] = CJT_HOST_SEND_DATA_EX;
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
