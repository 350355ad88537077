#include "cjt188/data_module.h"

#include <vector>

#include "cjt188/cjt188_parser_client.h"
#include "options/proxy_code_object.h"
#include "support/application_error.h"
#include "support/crc32.h"
#include "support/format_text.h"
#include "support/text_values.h"

namespace cjt {

namespace {

constexpr char ModuleTitle[] = "CJ/T 188-2004";
constexpr float CjtModuleVersion = 5.0f;
constexpr uint8_t ModuleTypes = 0x03;  // types 0 (requests) and 1 (received data)
constexpr uint8_t ModeReceivedData = 0x02;
constexpr uint8_t FeatureLoadPerConfig = 0x04;

}  // namespace

TaPlugin::TaPlugin(uintptr_t moduleDllHandle, TPluginCallRecord* record)
    : TkroPlugin(moduleDllHandle, record), TextResources(TextsLock()) {}

// Taken out under the list's lock and freed after it: freeing a data source waits for its
// timers' handlers, which may wait for the list.
TaPlugin::~TaPlugin() {
  std::vector<std::unique_ptr<TDataSourceScheduled>> sources = TWriteLocked<TDataSourceList>(DataSources)->ExtractAll();
  sources.clear();
}

void TaPlugin::Created() {
  ModuleVersion = CjtModuleVersion;
  SetLogTitle(ModuleTitle);
  ModuleType = ModuleTypes;
  InfoFlag = 1;
  EventsSupported = "PORT-OPEN;PORT-CLOSE";
  OnShowOptionsDialog = [](TkroPlugin&, TPluginCallRecord&, uint8_t& result) { result = 1; };
  OnEvent = [this](TkroPlugin&, const std::string& eventType, int32_t& result, TPluginCallRecord& record) {
    HandleEvent(eventType, result, record);
  };
  OnLoad = [this](TkroPlugin&, TPluginCallRecord& record, int32_t& result) { HandleLoad(record, result); };
  OnUnload = [this](TkroPlugin&, TPluginCallRecord& record, int32_t& result) { HandleUnload(record, result); };
  OnSaveSettingsNow = [this](TkroPlugin&) {
    if (Config) SaveSettings(*Config, Properties->Strings());
  };
  OnLoadSettingsNow = [this](TkroPlugin&) {
    if (Config) LoadConfig(*Config, true);
  };
  OnChangeState = [this](TkroPlugin&, uint8_t mode) { HandleChangeState(mode); };
  OnProcessData = [this](TkroPlugin&, TPluginCallRecord& record, int32_t& result) {
    HandleProcessData(record, result);
  };
  OnBeforeGetParserItems = [this](TkroPlugin&) { DeclareParserItems(); };
  Properties = &Own(MakeOptionsPropertiesHolder());
  AddComponent(TextResources);
  Features |= FeatureLoadPerConfig;
  ModuleConfigList.push_back({ModuleTitle, static_cast<int32_t>(StringChecksum(std::string_view(ModuleTitle)))});
  Description.clear();  // the names of the configurations offered
  for (const TModuleConfigEntry& entry : ModuleConfigList)
    Description += (Description.empty() ? "" : "\r\n") + entry.Name;
  RegisterTextResources();
  Unloaded = true;
  AddTranslatedProperties("Filter;Columns");
}

std::string TaPlugin::ModuleConfigName(int32_t configId) const {
  for (const TModuleConfigEntry& entry : ModuleConfigList)
    if (entry.Id == configId) return entry.Name;
  return {};
}

// The text resources are walked with the instance; the translator hands them their own
// translation, which takes the lock the readers of the texts take.
void TaPlugin::RegisterTextResources() {
  Translator()->OnCustomTranslate = [this](TWtransl& translator, TComponent& component) {
    if (&component == &TextResources)
      TextResources.Translate([&translator](const std::string& text) { return translator.TranslateText(text); });
  };
}

void TaPlugin::HandleLoad(TPluginCallRecord&, int32_t&) {
  Config = std::make_unique<TDataSourceCfg>();
  Unloaded = false;
  ConfigLoaded = true;
  const std::string configName = ModuleConfigName(ModuleLoadForConfig);
  if (!configName.empty()) SetLogTitle(configName);
  LoadConfig(*Config, false);
}

void TaPlugin::HandleUnload(TPluginCallRecord&, int32_t&) {
  Unloaded = true;
  ConfigLoaded = false;
  ApplyConfig(nullptr);
  // The clients drop their copies too: an unloaded module sends nothing more.
  RefreshAllClients(true);
  Config.reset();
}

void TaPlugin::HandleChangeState(uint8_t) {
  // The data sources no longer configured are freed once the list is left.
  std::vector<std::unique_ptr<TDataSourceScheduled>> dropped =
      MatchDataSources(*TWriteLocked<TDataSourceList>(DataSources));
  dropped.clear();
  if (Config) LoadConfig(*Config, true);
  if (IsTemporaryLoad) return;
  TReadLocked<TDataSourceList> sources(DataSources);
  CreatePlaceholderClients(*this, *sources, true, 0);
}

std::vector<std::unique_ptr<TDataSourceScheduled>> TaPlugin::MatchDataSources(
    TObjectList<TDataSourceScheduled>& sources) {
  // The data sources still configured are moved over; the others go back to the caller.
  std::vector<std::unique_ptr<TDataSourceScheduled>> kept;
  const bool anyEnabled = EnabledModuleTypes() != 0;
  for (const TConfigDataSource& configured : anyEnabled ? ConfigDataSources : std::vector<TConfigDataSource>{}) {
    if (!DataSourceLoadFor.empty() && !SameText(DataSourceLoadFor, configured.Line)) continue;
    std::unique_ptr<TDataSourceScheduled> source;
    for (size_t i = sources.Count(); i-- > 0;) {
      auto* candidate = dynamic_cast<TSerialPortDM*>(sources[i]);
      if (candidate != nullptr && candidate->Id == configured.Id) {
        source = sources.Extract(i);
        break;
      }
    }
    if (!source) {
      auto port = std::make_unique<TSerialPortDM>(*this);
      port->Id = configured.Id;
      port->ConfiguredName = configured.Name;
      port->ConfiguredInfo = configured.FullName;
      source = std::move(port);
    }
    kept.push_back(std::move(source));
  }
  std::vector<std::unique_ptr<TDataSourceScheduled>> dropped = sources.ExtractAll();
  for (auto& source : kept) sources.Add(std::move(source));
  return dropped;
}

void TaPlugin::HandleProcessData(TPluginCallRecord& record, int32_t& result) {
  if (!ConfigLoaded) {
    result = -1;
    return;
  }
  result = 0;
  if (Unloaded) return;
  TReadLocked<TDataSourceList> sources(DataSources);
  auto* source = FindDataSource<TSerialPortDM>(*sources, static_cast<int32_t>(record.DataSourceId));
  if (source != nullptr && (record.Mode & ModeReceivedData) != 0 && EnabledTypes[1])
    result = source->ProcessPacket(record);
}

void TaPlugin::LoadConfig(TDataSourceCfg& cfg, bool restart) {
  try {
    LoadSettings(cfg, Properties->Strings());
    ApplyConfig(&cfg);
  } catch (...) {
    AddLog(LogLevelError,
           FormatText(TextResources.Get(TTextId::ItemsFormation), {ExceptionMessage(std::current_exception())}));
  }
  // Also after a refused configuration: the clients must not go on with the old requests.
  if (restart) RefreshAllClients(true);
}

void TaPlugin::RefreshAllClients(bool reload) {
  TReadLocked<TDataSourceList> sources(DataSources);
  for (TDataSourceScheduled* source : *sources)
    if (auto* port = dynamic_cast<TSerialPortDM*>(source)) port->RefreshClients(true, reload);
}

void TaPlugin::ReportQueueError(const std::exception& error, const std::string& text) {
  const std::string message = std::string(error.what()) + ", " + text;
  AddLog(LogLevelWarning,
         FormatText(TextResources.Get(TTextId::ParseExpression), {std::string_view(message), int64_t{1}}));
}

void TaPlugin::ApplyConfig(const TDataSourceCfg* cfg) {
  TReadLocked<TDataSourceList> sources(DataSources);
  for (TDataSourceScheduled* source : *sources)
    if (auto* port = dynamic_cast<TSerialPortDM*>(source)) LoadMasterRequests(cfg, port->Queue->Items, port);
}

}  // namespace cjt
