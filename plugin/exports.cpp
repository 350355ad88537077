// The exported functions. Each takes the host's call record, finds the instance its handle
// names in the instance list, and never lets an exception reach the host.
#include "plugin/exports.h"

#include <exception>
#include <optional>
#include <string>

#include "plugin/call_context.h"
#include "plugin/call_params.h"
#include "plugin/instance_list.h"
#include "plugin/kro_plugin.h"
#include "plugin/options_dialog.h"
#include "plugin/plugin_class.h"
#include "support/application_error.h"

using namespace cjt;

namespace {

// The status of the options exports before the options dialog exists.
constexpr uintptr_t OptionsDialogFailed = 1;
constexpr uintptr_t ShowOptionsFailed = 2;

bool IsFullRecord(const TPluginCallRecord* record) {
  return record != nullptr && record->Size == CallRecordSize && record->Params != 0;
}

int32_t CreateInstance(TPluginCallRecord& record) {
  TCallContext context(record);
  TInstanceList* list = TInstanceList::Get();
  if (list == nullptr) return -1;
  std::unique_ptr<TkroPlugin> instance = PluginClass()(record);
  instance->Handle = reinterpret_cast<uintptr_t>(instance.get());
  instance->Created();
  instance->ApplyTranslation();
  const uintptr_t handle = instance->Handle;
  list->Add(std::move(instance));
  record.Instance = handle;
  return 0;
}

// Reads the command and runs it.
int32_t RunCommand(TkroPlugin& instance, TPluginCallRecord& record, std::string& commandText) {
  TCallContext context(record);
  try {
    if (auto temporary = GivenParam(context.Params(), "TEMPORARY-LOAD"))
      instance.IsTemporaryLoad = temporary->AsBoolean();
  } catch (...) {
    // A host that cannot say whether the load is temporary keeps the value it had.
  }
  const std::optional<std::string> command = GivenText(context.Params(), "COMMAND");
  if (!command) return -1;
  commandText = *command;
  return instance.ExecuteCommand(*command, record);
}

}  // namespace

extern "C" {

int32_t CJT_STDCALL CreatePluginInstance(TPluginCallRecord* record) {
  if (record == nullptr || record->Instance != 0) return -1;
  try {
    return CreateInstance(*record);
  } catch (...) {
    HandleApplicationException(std::current_exception());
    return -1;
  }
}

int32_t CJT_STDCALL FreePluginInstance(TPluginCallRecord* record) {
  if (record == nullptr) return -1;
  try {
    if (record->Input.Kind == DataKindRelease && record->Input.Data == ReleaseRequestData) {
      RunReleaseCallbacks();
      return 0;
    }
    TInstanceList* list = TInstanceList::Get();
    if (list == nullptr || record->Instance == 0) return -1;
    // A thread cannot free an instance it is inside: that call would end on a freed one.
    if (IsInsideInstance(record->Instance)) return -1;
    std::unique_ptr<TkroPlugin> instance = list->Extract(record->Instance);
    if (!instance) return -1;
    instance->WaitUntilNoCalls();
    instance.reset();
    return 0;
  } catch (...) {
    HandleApplicationException(std::current_exception());
    return -1;
  }
}

// The needed size always goes to neededSize; a block of at least the header's size gets
// the header, and the texts when everything fits.
uint8_t CJT_STDCALL GetModuleInfo(TPluginCallRecord* record, void* info, uint32_t* neededSize) {
  if (neededSize != nullptr) *neededSize = 0;
  if (record == nullptr) return 0;
  try {
    TInstanceCall instance(record->Instance);
    if (!instance) return 0;
    uint32_t needed = 0;
    const bool filled = instance->FillModuleInfo(info, needed);
    if (neededSize != nullptr) *neededSize = needed;
    return filled ? 1 : 0;
  } catch (...) {
    HandleApplicationException(std::current_exception());
    return 0;
  }
}

int32_t CJT_STDCALL GetLogEx(TPluginCallRecord* record) {
  if (record == nullptr) return 0;
  record->Output.Data = 0;
  record->Output.Kind = DataKindNumber;
  try {
    TInstanceCall instance(record->Instance);
    return instance ? instance->GetLog(*record) : 0;
  } catch (...) {
    HandleApplicationException(std::current_exception());
    return 0;
  }
}

void CJT_STDCALL GetOptionsDialog(TPluginCallRecord* record) {
  if (record == nullptr) return;
  record->Output.Kind = DataKindNumber;
  record->Output.Size = 0;
  record->Output.Data = OptionsDialogFailed;
  try {
    TInstanceCall instance(record->Instance);
    if (instance) AnswerOptionsDialog(*instance, *record);
  } catch (...) {
    // An unexpected error ends the call with the failure status, never across the boundary.
    record->Output.Kind = DataKindNumber;
    record->Output.Size = 0;
    record->Output.Data = OptionsDialogFailed;
    HandleApplicationException(std::current_exception());
  }
}

// Output.Data: 2 no instance, 3 no options handler, 4 the handler did not complete, else
// the handler's result (non-zero: settings changed, every instance sharing them reloads).
void CJT_STDCALL ShowOptionsDialog(TPluginCallRecord* record) {
  if (record == nullptr) return;
  record->Output.Kind = DataKindNumber;
  record->Output.Size = 4;
  record->Output.Data = ShowOptionsFailed;
  try {
    TInstanceCall instance(record->Instance);
    if (instance) instance->ShowOptions(*record);
  } catch (...) {
    HandleApplicationException(std::current_exception());
  }
}

int32_t CJT_STDCALL ExecutePluginCommand(TPluginCallRecord* record) {
  if (!IsFullRecord(record)) return -1;
  std::string commandText = "CMD?";
  try {
    TInstanceCall instance(record->Instance);
    if (!instance) return -1;
    try {
      return RunCommand(*instance, *record, commandText);
    } catch (...) {
      instance->LogError(commandText, std::current_exception());
      return -3;
    }
  } catch (...) {
    HandleApplicationException(std::current_exception());
    return -3;
  }
}

int32_t CJT_STDCALL ProcessData(TPluginCallRecord* record) {
  if (!IsFullRecord(record)) return -1;
  try {
    TInstanceCall instance(record->Instance);
    if (!instance || TInstanceList::Get() == nullptr) return -1;
    return instance->ProcessData(*record);
  } catch (...) {
    HandleApplicationException(std::current_exception());
    return -3;
  }
}

}  // extern "C"
