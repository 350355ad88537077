// One plug-in instance driven the way a data-logging host drives it: created with a
// parameter list, steered by commands, fed with received bytes, its log pulled after each
// notification, freed, and the library released at the end.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cjt188/host_abi.h"
#include "params/kro_params_list.h"
#include "platform/window_message.h"
#include "tools/cjt188-host/plugin_library.h"

namespace cjt::host {

using TArguments = std::vector<std::pair<std::string, TVariant>>;

struct TCommandAnswer {
  int32_t Result = 0;
  TVariant Value;  // what the plug-in wrote to RESULT
};

class THostSession {
 public:
  explicit THostSession(TPluginLibrary& library);
  // Frees the instance when it is still there.
  ~THostSession();
  THostSession(const THostSession&) = delete;
  THostSession& operator=(const THostSession&) = delete;

  // A call record for the instance, with Size and Instance set.
  CjtCallRecord NewRecord() const;

  // CreatePluginInstance with a parameter list of arguments; its result.
  int32_t Create(const TArguments& arguments = {});
  // COMMAND and the arguments, and a RESULT entry that receives the answer; mode goes into
  // the record (SET-STATE reads the module types to switch from it).
  TCommandAnswer Command(const std::string& command, const TArguments& arguments = {}, uint8_t mode = 0);
  // LOAD with the host's handle, its window and the given arguments.
  TCommandAnswer Load(const TArguments& arguments = {});
  // The log as GetLogEx hands it out.
  std::string TakeLog();
  // ProcessData with received bytes (none: no input); values returned in the call go to
  // output.
  int32_t ProcessBytes(uint32_t dataSourceId, uint32_t connectionKey, const std::string& bytes, uint8_t mode,
                       TkroParamsList* output);
  int32_t Free();
  int32_t ReleaseRequest();

  uintptr_t Instance() const { return FInstance; }
  uint32_t Window() const { return MessageWindow.Handle(); }
  // Log-changed notifications received so far.
  int LogNotifications() const { return LogNotices.load(); }

 private:
  TPluginLibrary& Library;
  uintptr_t FInstance = 0;
  std::atomic<int> LogNotices{0};
  platform::TMessageWindow MessageWindow;
};

// A parameter list holding the arguments.
std::unique_ptr<TkroParamsList> ArgumentList(const TArguments& arguments);

}  // namespace cjt::host
