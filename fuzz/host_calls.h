// The host side of the fuzz targets that call the exported functions in-process, as a
// data-logging host calls them: call records, commands with their argument lists, and a
// settings store that no call can write to.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "params/kro_params_list.h"
#include "platform/clock.h"
#include "platform/timer_service.h"
#include "plugin/call_record.h"
#include "plugin/exports.h"
#include "tools/cjt188-host/host_exports.h"

namespace cjt::fuzz {

using TArguments = std::vector<std::pair<std::string, TVariant>>;

inline TPluginCallRecord NewRecord(uintptr_t instance) {
  TPluginCallRecord record{};
  record.Size = CallRecordSize;
  record.Instance = instance;
  return record;
}

// COMMAND with its arguments in a list object; the command's result.
inline int32_t Command(uintptr_t instance, const std::string& command, const TArguments& arguments, uint8_t mode = 0) {
  TkroParamsList list;
  for (const auto& [name, value] : arguments) list.Add(name, value);
  list.Add("COMMAND", TVariant(command));
  list.Add("RESULT", TVariant());
  TPluginCallRecord record = NewRecord(instance);
  record.Mode = mode;
  record.Params = reinterpret_cast<uintptr_t>(&list);
  return ExecutePluginCommand(&record);
}

// A new instance, created with a parameter list (so it is no temporary load); 0 if refused.
inline uintptr_t CreateInstance() {
  TkroParamsList params;
  TPluginCallRecord record = NewRecord(0);
  record.Params = reinterpret_cast<uintptr_t>(&params);
  return CreatePluginInstance(&record) == 0 ? record.Instance : 0;
}

inline void FreeInstance(uintptr_t instance) {
  TPluginCallRecord record = NewRecord(instance);
  FreePluginInstance(&record);
}

// The thread's timers, served by hand only (made by SetUpHost, before the first timer).
inline platform::TManualTimerPump& Pump() {
  static platform::TManualTimerPump pump;
  return pump;
}

// The clock runs ms in 10 ms steps; the timers due fire at each.
inline void RunClock(platform::TManualClock& clock, uint64_t ms) {
  for (uint64_t t = 0; t < ms; t += 10) {
    clock.Advance(10);
    Pump().Run();
  }
}

// Once per process: the timers are pumped by hand; the registry store is a file in a folder
// that does not exist, so that reading settings finds nothing and a write fails instead of
// creating a file; the send function answers bytes with their count and anything else with 0.
inline void SetUpHost() {
  setenv("CJT_REGISTRY_FILE", "/nonexistent/cjt188-fuzz/registry", 1);
  host::SetSendHandler([](const host::TSentData& sent) { return static_cast<int32_t>(sent.Bytes.size()); });
  Pump();
}

}  // namespace cjt::fuzz
