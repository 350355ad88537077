// ProcessData: the host hands the instance a block of data (received bytes, or a list of
// values) and gets back what the instance's data handler makes of it.
#include <cstring>

#include "params/intf_ref.h"
#include "platform/clock.h"
#include "platform/thread.h"
#include "plugin/call_context.h"
#include "plugin/kro_plugin.h"
#include "support/application_error.h"

namespace cjt {

namespace {

constexpr uint8_t ModeKeepEmptyInput = 0x01;
constexpr uint8_t ModeReportInput = 0x04;
constexpr uint8_t ModeReportOutcome = 0x08;
constexpr uint8_t ModePassThrough = 0x20;

constexpr uint64_t TerminateWaitMs = 30000;
constexpr uint32_t TerminatePollMs = 50;

bool LastItemIsRowMarker(IkroParamsListA& list, int32_t count) {
  TIntfRef<IkroParamsListItemW> last;
  return list.GetItem(count - 1, last.Receive()) == 0 && last && last->IsNewRow();
}

}  // namespace

// While an unloaded instance is still busy, later calls wait (serving the thread's
// messages) up to 30 s.
bool TkroPlugin::WaitWhileTerminating() {
  const uint64_t start = platform::TickCount64();
  while (Busy() && TerminateNow) {
    if (platform::TickCount64() - start >= TerminateWaitMs) return false;
    platform::PumpMessagesFor(TerminatePollMs);
  }
  return true;
}

int32_t TkroPlugin::ProcessData(TPluginCallRecord& record) {
  if (!WaitWhileTerminating() || TerminateNow) return -1;
  ++BusyCalls;
  int32_t result;
  try {
    result = ProcessStep(record);
  } catch (...) {
    result = -3;
    LogError("PROCESS", std::current_exception());
  }
  --BusyCalls;
  return result;
}

int32_t TkroPlugin::ProcessStep(TPluginCallRecord& record) {
  // The packet text this thread got back from its previous call is no longer needed.
  FreePacketTextBuffer();
  TCallContext context(record);
  const uintptr_t initialInput = record.Input.Data;
  int32_t result = 0;
  if (record.Mode != 0) result = HandleData(record);
  // The host is told that the input was consumed.
  if (record.Input.Data == initialInput) record.Input.Data = 0;
  return result;
}

int32_t TkroPlugin::HandleData(TPluginCallRecord& record) {
  const uint8_t mode = record.Mode;
  IkroParamsListA* inputList = BlockList(record.Input);
  const int32_t inputCount = inputList ? inputList->Count() : 0;
  if (!(mode & ModeKeepEmptyInput) && inputList && inputCount == 0) record.Input.Data = 0;
  const bool noInput = record.Input.Data == 0;
  if (mode & ModeReportInput) {
    if (noInput) {
      const std::string noData = MessageText(MsgNoData);
      if (!noData.empty()) AddLog(LogLevelWarning, noData);
      return 0;
    }
    if (inputList && inputCount > 0 && !LastItemIsRowMarker(*inputList, inputCount)) inputList->AddNewRow();
  }
  if (OnProcessData) return RunDataHandler(record, noInput, (mode & (ModeReportInput | ModeReportOutcome)) != 0);
  // Without a handler the input may pass through: exactly the input block, nothing after it.
  if (mode & ModePassThrough) std::memcpy(&record.Output, &record.Input, sizeof record.Output);
  return 0;
}

int32_t TkroPlugin::RunDataHandler(TPluginCallRecord& record, bool noInput, bool reportOutcome) {
  int32_t result = 0;
  try {
    OnProcessData(*this, record, result);
  } catch (...) {
    const std::string failed = MessageText(MsgWriteCompleteError);
    if (!failed.empty()) AddLog(LogLevelWarning, failed + ": " + ExceptionMessage(std::current_exception()));
    return -3;
  }
  if (result > 0 && noInput) result = 0;
  if (!reportOutcome) return result;
  const std::string outcome = MessageText(result < 0 ? MsgWriteCompleteError : MsgWriteComplete);
  if (!outcome.empty()) AddLog(result < 0 ? LogLevelWarning : LogLevelNotice, outcome);
  return result;
}

}  // namespace cjt
