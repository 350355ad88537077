// Any bytes a line can bring, cut into blocks anywhere and spread over connections that
// open and close, go through the CJ/T 188 module's data path without a crash.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "cjt188/data_module.h"
#include "plugin/config_data_sources.h"

namespace {

cjt::TaPlugin& Module() {
  static std::unique_ptr<cjt::TaPlugin> module = [] {
    auto made = std::make_unique<cjt::TaPlugin>(0, nullptr);
    made->Created();
    made->EnabledTypes[0] = made->EnabledTypes[1] = true;
    cjt::TConfigDataSource source;
    cjt::ParseConfigDataSource("1;COM1;Port 1", source);
    made->ConfigDataSources.push_back(source);
    cjt::TPluginCallRecord load{};
    int32_t result = 0;
    made->OnLoad(*made, load, result);
    // Listen-only requests: every answer from any meter is matched and decoded.
    made->Config->lblParams_Caption =
        "<QUERY><Request><Enabled>0</Enabled><Device>*</Device><Response><Item><Function>901F</Function></Item>"
        "<Item><Function>911F</Function></Item></Response></Request></QUERY>";
    made->OnChangeState(*made, 1);
    return made;
  }();
  return *module;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  cjt::TaPlugin& module = Module();
  const size_t block = 1 + data[0] % 64;
  for (size_t at = 1; at < size; at += block) {
    const size_t count = size - at < block ? size - at : block;
    cjt::TkroParamsList output;
    cjt::TPluginCallRecord record{};
    record.Size = cjt::CallRecordSize;
    record.Mode = 0x02;
    record.DataSourceId = 1;
    record.ConnectionKey = data[at] & 3;
    record.Output = {0, 0, cjt::DataKindListObject, reinterpret_cast<uintptr_t>(&output)};
    if (data[at] == 0xFF && count > 1)
      record.Input = {0, 0, cjt::DataKindConnection, static_cast<uintptr_t>(256 + (data[at + 1] & 3))};
    else
      record.Input = {0, static_cast<uint32_t>(count), cjt::DataKindByteBuffer, reinterpret_cast<uintptr_t>(data + at)};
    module.ProcessData(record);
  }
  return 0;
}
