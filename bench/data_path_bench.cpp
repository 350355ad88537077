// The data path of one connection: received blocks with heat meter answers cut out of the
// buffer, matched to a listen-only request, decoded and returned in the ProcessData call.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "cjt188/data_module.h"
#include "cjt188/frame.h"
#include "plugin/config_data_sources.h"

namespace {

using namespace cjt;

std::string HeatAnswer() {
  std::vector<uint8_t> data{0x90, 0x1F, 0x01};
  for (int i = 0; i < 5; ++i) data.insert(data.end(), {0x78, 0x56, 0x34, 0x12, 0x05});
  data.insert(data.end(), {0x50, 0x72, 0x00, 0x30, 0x45, 0x00, 0x99, 0x99, 0x00});
  data.insert(data.end(), {0x30, 0x15, 0x10, 0x07, 0x03, 0x25, 0x20, 0x04, 0x00});
  const std::vector<uint8_t> frame = BuildFrame(0x20, {0x67, 0x45, 0x23, 0x01, 0, 0, 0}, 0x81, data);
  return std::string(frame.begin(), frame.end());
}

void Answers(benchmark::State& state) {
  TaPlugin module(0, nullptr);
  module.Created();
  module.EnabledTypes[0] = module.EnabledTypes[1] = true;
  TConfigDataSource source;
  ParseConfigDataSource("1;COM1;Port 1", source);
  module.ConfigDataSources.push_back(source);
  TPluginCallRecord load{};
  int32_t result = 0;
  module.OnLoad(module, load, result);
  module.Config->lblParams_Caption =
      "<QUERY><Request><Enabled>0</Enabled><Device>1234567</Device><DeviceType>20</DeviceType><Response><Item>"
      "<Function>901F</Function></Item></Response></Request></QUERY>";
  module.OnChangeState(module, 1);

  std::string block;
  for (int64_t i = 0; i < state.range(0); ++i) block += HeatAnswer();
  for (auto _ : state) {
    TkroParamsList output;
    TPluginCallRecord record{};
    record.Size = CallRecordSize;
    record.Mode = 0x02;
    record.DataSourceId = 1;
    record.Input = {0, static_cast<uint32_t>(block.size()), DataKindByteBuffer, reinterpret_cast<uintptr_t>(block.data())};
    record.Output = {0, 0, DataKindListObject, reinterpret_cast<uintptr_t>(&output)};
    module.ProcessData(record);
    benchmark::DoNotOptimize(output.Count());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(Answers)->Arg(1)->Arg(10);

}  // namespace
