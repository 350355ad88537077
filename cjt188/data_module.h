// TaPlugin: the CJ/T 188 module that every instance of the library is. It keeps one CJ/T 188
// data source per data source the host configured, fills their configured requests from the
// module's request configuration, and routes received data to them.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "cjt188/cjt188_types.h"
#include "cjt188/data_source_cfg.h"
#include "cjt188/serial_port_dm.h"
#include "cjt188/text_resources.h"
#include "plugin/kro_plugin.h"
#include "support/str_holder.h"

namespace cjt {

// A configuration the library offers the host (a module loaded per configuration names it
// by id at LOAD).
struct TModuleConfigEntry {
  std::string Name;
  int32_t Id = 0;
};

class TaPlugin : public TkroPlugin {
 public:
  TaPlugin(uintptr_t moduleDllHandle, TPluginCallRecord* record);
  // Frees the data sources before the instance's own parts.
  ~TaPlugin() override;

  void Created() override;
  std::string ModuleConfigName(int32_t configId) const override;

  // Reads the configuration into every data source's master list; with restart the
  // clients then reload their requests.
  void LoadConfig(TDataSourceCfg& cfg, bool restart);
  void ApplyConfig(const TDataSourceCfg* cfg);
  // RefreshClients (reset, and reload when asked) on every data source.
  void RefreshAllClients(bool reload);
  // Fills one master list from the request configuration text; without a configuration the
  // list just stays empty.
  void LoadMasterRequests(const TDataSourceCfg* cfg, TBasicRequestList& list, TSerialPortDM* dataSource);

  // A time event of a queue could not be set up from its text.
  void ReportQueueError(const std::exception& error, const std::string& text);

  // The options that are stored, one setting per line ("property,setting name").
  TkroStrHolder* Properties = nullptr;
  // Configured requests that are not sent: their answers are decoded when heard.
  std::atomic<int32_t> ListenOnlyCount{0};
  TTextResources TextResources;
  std::vector<TModuleConfigEntry> ModuleConfigList;
  // Between LOAD and UNLOAD; only the host's commands touch it.
  std::unique_ptr<TDataSourceCfg> Config;
  std::atomic<bool> Unloaded{true};
  TDataSourceList DataSources;

 private:
  void HandleLoad(TPluginCallRecord& record, int32_t& result);
  void HandleUnload(TPluginCallRecord& record, int32_t& result);
  void HandleChangeState(uint8_t mode);
  void HandleProcessData(TPluginCallRecord& record, int32_t& result);
  void HandleEvent(const std::string& eventType, int32_t& result, TPluginCallRecord& record);
  // PORT-OPEN, PORT-CLOSE and other host events, passed to the data sources.
  void PassEventToDataSources(const std::string& eventType, IkroParamsListA* params);
  void DeclareParserItems();
  void RegisterTextResources();
  // Makes the data sources match the host's configured list; returns those it took out.
  std::vector<std::unique_ptr<TDataSourceScheduled>> MatchDataSources(TObjectList<TDataSourceScheduled>& sources);
  TLayoutVariant VariantOf(const TqimXMLNode& element);
  void LoadRequestElement(const TqimXMLNode& element, int32_t number, TObjectList<TBasicRequestItem>& items,
                          TSerialPortDM* dataSource);

  // Tells the configured requests apart for the life of the instance.
  std::atomic<uintptr_t> NextOriginId{0};
  // Set between LOAD and UNLOAD, for the data path that may not touch Config.
  std::atomic<bool> ConfigLoaded{false};
};

}  // namespace cjt
