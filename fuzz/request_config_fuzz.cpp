// Any request configuration text goes through the configuration loader of a fresh CJ/T 188
// module, on a manual clock at midnight (every time field of the present moment is 0): the
// data sources take their requests, time events are set up, a connection's client estimates
// its longest gap, and a few seconds of queue steps send what is due to a host that accepts
// everything. Settings live in memory only.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cjt188/data_module.h"
#include "params/kro_params_list.h"
#include "platform/clock.h"
#include "platform/timer_service.h"
#include "plugin/config_data_sources.h"
#include "plugin/wreg.h"

namespace {

using namespace cjt;

constexpr double Midnight = 46000.0;

int32_t CJT_STDCALL AcceptSent(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uintptr_t, uint32_t count) {
  return static_cast<int32_t>(count);
}

void Start(TaPlugin& module, const std::string& config) {
  module.Created();
  module.INIFile = TWreg::CustomStorage;
  module.HostFunctions.SendDataEx = &AcceptSent;
  module.EnabledTypes[0] = module.EnabledTypes[1] = true;
  for (const char* line : {"1;COM1;Port 1", "2;TCP;Converter"}) {
    TConfigDataSource source;
    if (ParseConfigDataSource(line, source)) module.ConfigDataSources.push_back(source);
  }
  TPluginCallRecord load{};
  int32_t result = 0;
  module.OnLoad(module, load, result);
  module.Config->lblParams_Caption = config;
  module.OnChangeState(module, 1);
}

void OpenConnection(TaPlugin& module, uint32_t dataSourceId, uint32_t connectionKey) {
  TkroParamsList output;
  TPluginCallRecord record{};
  record.Size = CallRecordSize;
  record.Mode = 0x02;
  record.DataSourceId = dataSourceId;
  record.ConnectionKey = connectionKey;
  record.Input = {0, 0, DataKindConnection, ConnectionOpened};
  record.Output = {0, 0, DataKindListObject, reinterpret_cast<uintptr_t>(&output)};
  module.ProcessData(record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::TManualClock clock(1000000, Midnight);
  platform::TManualTimerPump pump;
  TaPlugin module(0, nullptr);
  Start(module, std::string(reinterpret_cast<const char*>(data), size));
  OpenConnection(module, 2, 7);
  for (int step = 0; step < 40; ++step) {
    clock.Advance(100);
    pump.Run();
  }
  TPluginCallRecord unload{};
  int32_t result = 0;
  module.OnUnload(module, unload, result);
  return 0;
}
