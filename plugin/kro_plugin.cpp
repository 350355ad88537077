#include "plugin/kro_plugin.h"

#include <algorithm>

#include "platform/debug_output.h"
#include "platform/module.h"
#include "platform/thread.h"
#include "plugin/call_context.h"
#include "plugin/call_params.h"
#include "support/application_error.h"
#include "support/text_lines.h"

namespace cjt {

namespace {

// The instances the calling thread is inside, innermost last.
thread_local std::vector<const TkroPlugin*> InstancesOfThisThread;

}  // namespace

TkroPlugin::TkroPlugin(uintptr_t moduleDllHandle, TPluginCallRecord* record)
    : TComponent("TkroPlugin", "kroPlugin"), ModuleDllHandle(moduleDllHandle) {
  BindString("MsgNoData", MsgNoData, TextsMutex);
  BindString("MsgWriteComplete", MsgWriteComplete, TextsMutex);
  BindString("MsgWriteCompleteError", MsgWriteCompleteError, TextsMutex);
  if (record != nullptr) {
    IsTemporaryLoad = record->Params == 0;
    try {
      if (auto temporary = GivenParam(ParamsOf(*record), "TEMPORARY-LOAD")) IsTemporaryLoad = temporary->AsBoolean();
    } catch (...) {
      // A host that cannot say whether the load is temporary keeps the default.
    }
  }
  const std::string fileName = platform::OwnModuleFileName();
  const size_t nameStart = fileName.find_last_of("/\\") + 1;
  ModulePath = fileName.substr(0, nameStart);
  ModuleName = fileName.substr(nameStart);
  DisplayFullVersion = platform::OwnModuleVersion();
  SetUpTranslator();
}

TkroPlugin::~TkroPlugin() { Destroying = true; }

std::string TkroPlugin::MessageText(const std::string& text) const {
  std::lock_guard<std::mutex> lock(TextsMutex);
  return text;
}

std::string TkroPlugin::LogTitle() const {
  std::lock_guard<std::mutex> lock(TitleMutex);
  return FLogTitle;
}

void TkroPlugin::SetLogTitle(std::string title) {
  std::lock_guard<std::mutex> lock(TitleMutex);
  FLogTitle = std::move(title);
}

void TkroPlugin::AddLog(int level, std::string_view message, bool marked) noexcept {
  if (Destroying) return;
  try {
    Log.Add(FormatLogLine(level, message, LogTitle(), marked));
    NotifyHost(MessageLogChanged);
  } catch (...) {
    // The log is the last resort: nothing is left to report to.
  }
}

void TkroPlugin::LogError(std::string_view operation, std::exception_ptr error) noexcept {
  try {
    const std::string text = "{" + std::string(operation) + "} " + ExceptionMessage(error);
    AddLog(LogLevelError, text);
    platform::DebugOutput((text + ": " + DescribeException(error)).c_str());
  } catch (...) {
  }
}

void TkroPlugin::NotifyHost(uint32_t message) noexcept {
  const uint32_t window = HostWindow;
  if (window == 0) return;
  platform::NotifyWindow(HostFunctions.PostHostMessage, window, message, ModuleIndex, 0);
}

int32_t TkroPlugin::GetLog(TPluginCallRecord& record) {
  const TLogDataList::TTaken taken = Log.Take(reinterpret_cast<char*>(record.Input.Data), record.Input.Size);
  record.Output.Data = taken.Length;
  return static_cast<int32_t>(taken.Copied);
}

TkroThreadParamsList& TkroPlugin::ModuleParams() {
  std::call_once(ModuleParamsMade, [this] { FModuleParams = std::make_unique<TkroThreadParamsList>(); });
  return *FModuleParams;
}

std::string TkroPlugin::TranslatedProperties() const {
  std::string text;
  for (const std::string& name : FTranslator->ComponentProperties) text += name + "\r\n";
  return text;
}

void TkroPlugin::AddTranslatedProperties(std::string_view names) {
  for (std::string_view name : SplitFields(names, ";|"))
    if (!name.empty()) FTranslator->ComponentProperties.emplace_back(name);
}

// --- LOAD and UNLOAD ---

void TkroPlugin::Load(TPluginCallRecord& record, int32_t& result) {
  ApplyLanguageSettings(ParamsOf(record));
  if (++ModuleLoadCount != 1) return;
  LoaderThreadId = platform::CurrentThreadId();
  OptionsShown = false;
  ModuleIndex = record.ModuleIndex;
  IkroParamsListA* params = ParamsOf(record);
  if (auto path = GivenText(params, "REGISTRY-PATH")) ModuleRegistryPath = *path;
  if (auto prefix = GivenText(params, "INI-SECTION-PREFIX")) INISectionPrefix = *prefix;
  if (auto handle = GivenInteger(params, "HANDLE")) ParentApp = static_cast<uintptr_t>(*handle);
  if (auto name = GivenText(params, "APPLICATION-NAME")) ApplicationFullName = *name;
  if (ParentApp == 0 && !ApplicationFullName.empty()) ParentApp = platform::LoadedModuleHandle(ApplicationFullName);
  ModuleLoadForConfig = 0;
  if (Features & 0x04) ModuleLoadForConfig = static_cast<int32_t>(GivenInteger(params, "CONFIG-ID").value_or(0));
  if (auto iniFile = GivenText(params, "INI-FILE")) INIFile = *iniFile;
  if (ParentApp != 0) HostFunctions.Resolve(ParentApp);
  TerminateNow = false;
  if (Log.Count() > 0) NotifyHost(MessageLogChanged);
  if (OnLoad) OnLoad(*this, record, result);
}

void TkroPlugin::Unload(TPluginCallRecord& record, int32_t& result) {
  const int32_t count = --ModuleLoadCount;
  if (count < 0) ModuleLoadCount = 0;
  if (count != 0) return;
  TerminateNow = true;
  EnabledTypes.fill(false);
  try {
    const std::optional<std::string> iniFile = GivenText(ParamsOf(record), "INI-FILE");
    if (iniFile && *iniFile != INIFile) {
      INIFile = *iniFile;
      if (OnSaveSettingsNow) OnSaveSettingsNow(*this);
    }
  } catch (...) {
    LogError("UNLOAD", std::current_exception());
  }
  try {
    if (OnUnload) OnUnload(*this, record, result);
  } catch (...) {
    LogError("UNLOAD", std::current_exception());
  }
  OptionsShown = false;
  ParentApp = 0;
  HostWindow = 0;
}

// --- Calls in flight ---

void TkroPlugin::EnterCall() {
  {
    std::lock_guard<std::mutex> lock(CallsMutex);
    ++CallsInside;
  }
  InstancesOfThisThread.push_back(this);
}

void TkroPlugin::LeaveCall() {
  auto mine = std::find(InstancesOfThisThread.rbegin(), InstancesOfThisThread.rend(), this);
  if (mine != InstancesOfThisThread.rend()) InstancesOfThisThread.erase(std::next(mine).base());
  std::lock_guard<std::mutex> lock(CallsMutex);
  if (--CallsInside == 0) CallsDone.notify_all();
}

bool IsInsideInstance(uintptr_t handle) {
  return std::any_of(InstancesOfThisThread.begin(), InstancesOfThisThread.end(),
                     [handle](const TkroPlugin* instance) { return instance->Handle == handle; });
}

void TkroPlugin::WaitUntilNoCalls() {
  std::unique_lock<std::mutex> lock(CallsMutex);
  CallsDone.wait(lock, [this] { return CallsInside == 0; });
}

// --- Packet-text buffers ---

char* TkroPlugin::NewPacketTextBuffer(size_t length) {
  auto buffer = std::make_unique<char[]>(length + 1);
  char* address = buffer.get();
  std::lock_guard<std::mutex> lock(BuffersMutex);
  PacketTextBuffers[platform::CurrentThreadId()] = std::move(buffer);
  return address;
}

void TkroPlugin::FreePacketTextBuffer() {
  std::lock_guard<std::mutex> lock(BuffersMutex);
  PacketTextBuffers.erase(platform::CurrentThreadId());
}

}  // namespace cjt
