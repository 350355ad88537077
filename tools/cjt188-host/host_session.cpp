#include "tools/cjt188-host/host_session.h"

#include <vector>

#include "platform/module.h"

namespace cjt::host {

std::unique_ptr<TkroParamsList> ArgumentList(const TArguments& arguments) {
  auto list = std::make_unique<TkroParamsList>();
  for (const auto& [name, value] : arguments) list->Add(name, value);
  return list;
}

THostSession::THostSession(TPluginLibrary& library)
    : Library(library), MessageWindow([this](uint32_t message, uintptr_t, intptr_t) {
        if (message == CJT_MESSAGE_LOG_CHANGED) ++LogNotices;
      }) {}

THostSession::~THostSession() {
  if (FInstance != 0) Free();
}

CjtCallRecord THostSession::NewRecord() const {
  CjtCallRecord record{};
  record.Size = sizeof(CjtCallRecord);
  record.Instance = FInstance;
  return record;
}

int32_t THostSession::Create(const TArguments& arguments) {
  std::unique_ptr<TkroParamsList> list = ArgumentList(arguments);
  CjtCallRecord record = NewRecord();
  record.Instance = 0;
  record.Params = reinterpret_cast<uintptr_t>(list.get());
  const int32_t result = Library.CreatePluginInstance(&record);
  if (result == 0) FInstance = record.Instance;
  return result;
}

TCommandAnswer THostSession::Command(const std::string& command, const TArguments& arguments, uint8_t mode) {
  std::unique_ptr<TkroParamsList> list = ArgumentList(arguments);
  list->Add("COMMAND", TVariant(command));
  list->Add("RESULT", TVariant());
  CjtCallRecord record = NewRecord();
  record.Mode = mode;
  record.Params = reinterpret_cast<uintptr_t>(list.get());
  TCommandAnswer answer;
  answer.Result = Library.ExecutePluginCommand(&record);
  answer.Value = list->GetValue("RESULT");
  return answer;
}

TCommandAnswer THostSession::Load(const TArguments& arguments) {
  TArguments all = arguments;
  all.emplace_back("HANDLE", TVariant(static_cast<int64_t>(platform::ProgramHandle())));
  all.emplace_back("MSG-PROC-HANDLE", TVariant(static_cast<int64_t>(Window())));
  return Command("LOAD", all);
}

// A host offers a buffer; when the log is longer it learns the length and asks again.
std::string THostSession::TakeLog() {
  std::vector<char> buffer(4096);
  for (;;) {
    CjtCallRecord record = NewRecord();
    record.Input.Size = static_cast<uint32_t>(buffer.size());
    record.Input.Data = reinterpret_cast<uintptr_t>(buffer.data());
    const int32_t copied = Library.GetLogEx(&record);
    if (copied > 0) return std::string(buffer.data(), static_cast<size_t>(copied));
    const uintptr_t needed = record.Output.Data;
    if (needed <= buffer.size()) return {};
    buffer.resize(needed);
  }
}

int32_t THostSession::ProcessBytes(uint32_t dataSourceId, uint32_t connectionKey, const std::string& bytes,
                                   uint8_t mode, TkroParamsList* output) {
  TkroParamsList params;
  CjtCallRecord record = NewRecord();
  record.DataSourceId = dataSourceId;
  record.ConnectionKey = connectionKey;
  record.Mode = mode;
  record.Params = reinterpret_cast<uintptr_t>(&params);
  record.Input.Kind = CJT_DATA_SEND_BYTES;
  record.Input.Size = static_cast<uint32_t>(bytes.size());
  record.Input.Data = bytes.empty() ? 0 : reinterpret_cast<uintptr_t>(bytes.data());
  if (output != nullptr) {
    record.Output.Kind = CJT_DATA_LIST_OBJECT;
    record.Output.Data = reinterpret_cast<uintptr_t>(output);
  }
  return Library.ProcessData(&record);
}

int32_t THostSession::Free() {
  CjtCallRecord record = NewRecord();
  const int32_t result = Library.FreePluginInstance(&record);
  FInstance = 0;
  return result;
}

int32_t THostSession::ReleaseRequest() {
  CjtCallRecord record{};
  record.Size = sizeof(CjtCallRecord);
  record.Input.Kind = CJT_DATA_RELEASE;
  record.Input.Data = CJT_RELEASE_REQUEST;
  return Library.FreePluginInstance(&record);
}

}  // namespace cjt::host
