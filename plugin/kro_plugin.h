// TkroPlugin: one plug-in instance, the module the host configures with this plug-in. It
// holds the identity and state the host reads and sets through commands, the parser-item
// table, the log buffer and the host's functions, and raises the events that the concrete
// protocol module handles.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "params/kro_thread_params_list.h"
#include "params/variant.h"
#include "platform/critical_section.h"
#include "platform/module.h"
#include "plugin/call_record.h"
#include "plugin/config_data_sources.h"
#include "plugin/custom_commands.h"
#include "plugin/host_functions.h"
#include "plugin/log_data_list.h"
#include "plugin/parser_items.h"
#include "support/component.h"
#include "support/wtransl.h"

namespace cjt {

class TkroPlugin;

// Event handler types; the first argument is the sender.
using TPluginNotifyEvent = std::function<void(TkroPlugin& sender)>;
using TPluginCallEvent = std::function<void(TkroPlugin& sender, TPluginCallRecord& record, int32_t& result)>;
using TPluginCommandEvent =
    std::function<void(TkroPlugin& sender, const std::string& text, int32_t& result, TPluginCallRecord& record)>;
using TPluginStateEvent = std::function<void(TkroPlugin& sender, uint8_t mode)>;
using TPluginShowOptionsEvent = std::function<void(TkroPlugin& sender, TPluginCallRecord& record, uint8_t& result)>;
using TPluginGetOptionsEvent =
    std::function<void(TkroPlugin& sender, TPluginCallRecord& record, std::string& properties, std::string& formName)>;

// The instance is a component: its message texts are properties that the translator
// reaches, and the components a module adds are walked with it.
class TkroPlugin : public TComponent {
  // First made, last gone: an instance keeps the library loaded, so that an instance the
  // host never frees keeps its timers and threads running code that is still there.
  platform::TOwnModuleHold LibraryHold;

 public:
  // The record is the host's creating call record, or null.
  TkroPlugin(uintptr_t moduleDllHandle, TPluginCallRecord* record);
  virtual ~TkroPlugin();
  TkroPlugin(const TkroPlugin&) = delete;
  TkroPlugin& operator=(const TkroPlugin&) = delete;

  // The data module's own creation, run once right after construction, where derived
  // modules load what they need and set their handlers.
  virtual void Created() {}

  // --- The host's calls (record inside a call context) ---
  int32_t ExecuteCommand(const std::string& command, TPluginCallRecord& record);
  int32_t ProcessData(TPluginCallRecord& record);
  int32_t GetLog(TPluginCallRecord& record);

  // --- Log ---
  // Appends an entry at level 0-2 and tells the host; never fails visibly.
  void AddLog(int level, std::string_view message, bool marked = false) noexcept;
  // The error-log entry of an exception caught in an operation: "{operation} message".
  void LogError(std::string_view operation, std::exception_ptr error) noexcept;

  // --- Module parameters ---
  TVariant GetModuleParameter(const std::string& name);
  bool SetModuleParameter(const std::string& name, const TVariant& value);

  // The name the module configuration registers for a configuration id; empty here.
  virtual std::string ModuleConfigName(int32_t configId) const { return {}; }

  // Bits of the module types that are in ModuleType and enabled.
  uint8_t EnabledModuleTypes() const;

  // The names of the component properties that translation covers: one per line, and
  // added from a text separated by ";" or "|".
  std::string TranslatedProperties() const;
  void AddTranslatedProperties(std::string_view names);

  // --- Translation ---
  // Translates the instance's components from "EN" into Language, once (nothing while
  // TranslationApplied is set or Language is empty).
  void ApplyTranslation();
  // A direct request for another component (a module's text resources): into Language,
  // "NONE" when it is empty.
  void TranslateComponent(TComponent& component);
  // The LANGUAGE argument: when given, non-empty and different (ignoring case) from
  // Language, the texts are translated anew from the built-in English texts into it,
  // OnLanguageChange is raised and Language becomes it.
  void ApplyLanguageSettings(IkroParamsListA* params);
  TWtransl* Translator() const { return FTranslator.get(); }

  // --- Settings ---
  // Loads or saves the properties named by the property list under root, where the host
  // keeps this module's settings (iniFile in place of INIFile when not empty).
  bool LoadSettings(TComponent& root, const std::vector<std::string>& propertyList, const std::string& iniFile = {});
  bool SaveSettings(TComponent& root, const std::vector<std::string>& propertyList, const std::string& iniFile = {});
  std::atomic<bool> SettingsInProgress{false};

  // --- Module information and options dialog ---
  // Fills the module-information block at info (may be null); needed gets the bytes the
  // whole block takes. True when it was filled completely.
  bool FillModuleInfo(void* info, uint32_t& needed);
  // The body of ShowOptionsDialog for this instance (Output already set to failure).
  void ShowOptions(TPluginCallRecord& record);
  IkroParamsListA* OptionsData = nullptr;

  // --- Host ---
  // Posts message to the host's window with the module index (nothing without a window).
  void NotifyHost(uint32_t message) noexcept;

  // --- Calls in flight ---
  // Counts a call of the host that runs inside this instance; freeing waits for them.
  void EnterCall();
  void LeaveCall();
  void WaitUntilNoCalls();

  // --- Packet texts returned in a ProcessData call ---
  // Gives the calling thread a buffer of length zero-filled bytes in place of its previous
  // one, which stays valid until the next ProcessData call of this thread.
  char* NewPacketTextBuffer(size_t length);
  void FreePacketTextBuffer();

  // The lock of the module's translated texts: the message texts above and those of a
  // derived module's text resources.
  std::mutex& TextsLock() const { return TextsMutex; }
  // A copy of one of the message texts, taken under TextsLock.
  std::string MessageText(const std::string& text) const;

  std::string LogTitle() const;
  void SetLogTitle(std::string title);

  // Fields, with their values at construction.
  platform::TCriticalSection CommandLock;
  std::atomic<int32_t> CommandDepth{0};
  uintptr_t Handle = 0;
  const uintptr_t ModuleDllHandle;
  std::atomic<int32_t> ModuleLoadCount{0};
  std::atomic<uint32_t> ModuleIndex{0};
  std::string ParserItemsText;
  std::string Description;
  uint8_t ModuleType = 0;  // bit i: module type i
  uint8_t Features = 0;    // bit 2: loaded per configuration, LOAD reads CONFIG-ID
  uint8_t InfoFlag = 1;
  std::string ModulePath;  // with a trailing delimiter
  std::string ModuleName;
  int32_t ModuleLoadForConfig = 0;
  std::string ApplicationFullName;
  std::string DisplayFullVersion;
  TParserItems ParserItems{1};
  TkroPluginCustomCmdList CustomCommands;
  TLogDataList Log{TLogDataList::DefaultCapacity};
  std::atomic<bool> TerminateNow{false};
  std::vector<TConfigDataSource> ConfigDataSources;
  std::string DataSourceLoadFor;
  // The instance's message texts: a LOAD or the options dialog may translate them while
  // data threads read them, so both happen under TextsLock (read them with MessageText).
  std::string MsgNoData = "No data for processing";
  std::string MsgWriteComplete = "Data have been processed successfully";
  std::string MsgWriteCompleteError = "Data have been processed with errors";
  float ModuleVersion = 4.0f;
  std::string INIFile;
  uint8_t ModuleRegistryRoot1 = 2;  // local machine
  uint8_t ModuleRegistryRoot2 = 1;  // current user
  std::string ModuleRegistryPath;
  std::string INISectionPrefix;
  std::array<bool, 8> EnabledTypes{};
  std::string EventsSupported;
  std::atomic<bool> IsTemporaryLoad{false};  // set by every command, outside the command lock

  TPluginShowOptionsEvent OnShowOptionsDialog;
  TPluginGetOptionsEvent OnGetOptionsDialog;
  TPluginCommandEvent OnCommand;
  TPluginCallEvent OnLoad;
  TPluginCallEvent OnUnload;
  TPluginNotifyEvent OnSaveSettingsNow;
  TPluginNotifyEvent OnLoadSettingsNow;
  TPluginNotifyEvent OnBeforeGetParserItems;
  TPluginNotifyEvent OnSetItems;
  TPluginStateEvent OnChangeState;
  TPluginCallEvent OnProcessData;
  TPluginCommandEvent OnEvent;
  TPluginNotifyEvent OnLanguageChange;

  uint32_t OwnerForm = 0;
  std::atomic<uint32_t> HostWindow{0};
  uintptr_t ParentApp = 0;
  bool SubscribedForData = false;
  // ProcessData calls running now; the instance is busy while there are any.
  std::atomic<int32_t> BusyCalls{0};
  bool Busy() const { return BusyCalls.load() > 0; }
  bool TranslationApplied = false;
  bool OptionsShown = false;
  uint8_t OptionsMode = 0;
  uint32_t LoaderThreadId = 0;
  std::string Language = "EN";
  THostFunctions HostFunctions;

 protected:
  // The custom module parameters, made on first use.
  TkroThreadParamsList& ModuleParams();

 private:
  friend class TCommandRunner;
  void Load(TPluginCallRecord& record, int32_t& result);
  void Unload(TPluginCallRecord& record, int32_t& result);
  int32_t ProcessStep(TPluginCallRecord& record);
  int32_t HandleData(TPluginCallRecord& record);
  int32_t RunDataHandler(TPluginCallRecord& record, bool noInput, bool reportOutcome);
  bool WaitWhileTerminating();

  TVariant GetCustomParameter(const std::string& key);
  void SetCustomParameter(const std::string& key, const TVariant& value);

  void SetUpTranslator();
  void ReloadSharingInstances();
  bool RunSettings(TComponent& root, const std::vector<std::string>& propertyList, const std::string& iniFile,
                   bool saving);

  std::unique_ptr<TWtransl> FTranslator;
  mutable std::mutex TextsMutex;
  mutable std::mutex TitleMutex;
  std::string FLogTitle;
  std::atomic<bool> Destroying{false};

  std::once_flag ModuleParamsMade;
  std::unique_ptr<TkroThreadParamsList> FModuleParams;

  std::mutex CallsMutex;
  std::condition_variable CallsDone;
  int32_t CallsInside = 0;

  std::mutex BuffersMutex;
  std::map<uint32_t, std::unique_ptr<char[]>> PacketTextBuffers;
};

// Whether the calling thread is inside an exported call of the instance with that handle.
bool IsInsideInstance(uintptr_t handle);

}  // namespace cjt
