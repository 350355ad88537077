#include "tests/cjt188/module_harness.h"

#include <algorithm>

#include "params/kro_params_list_item.h"
#include "plugin/config_data_sources.h"
#include "plugin/parsed_data_list.h"
#include "tests/common/foreign_list.h"

namespace cjt::test_support {

namespace {

std::vector<TPacket> SplitRows(const std::vector<std::pair<std::string, std::string>>& values, const std::string& text,
                               uint32_t dataSourceId, uint32_t connectionKey) {
  std::vector<TPacket> packets(1);
  for (const auto& value : values) {
    if (value.first == RowMarkerName) {
      packets.emplace_back();
      continue;
    }
    packets.back().Values.push_back(value);
  }
  if (packets.back().Values.empty()) packets.pop_back();
  for (TPacket& packet : packets) {
    packet.Text = text;
    packet.DataSourceId = dataSourceId;
    packet.ConnectionKey = connectionKey;
  }
  return packets;
}

std::string ValueText(const TVariant& value) {
  try {
    return value.IsNull() ? "(null)" : value.AsString();
  } catch (...) {
    return "(?)";
  }
}

}  // namespace

TPluginCallRecord DataRecord(uint32_t dataSourceId, uint32_t connectionKey, const std::string& sourceName) {
  TPluginCallRecord record{};
  record.Size = CallRecordSize;
  record.Mode = 0x02;
  record.DataSourceId = dataSourceId;
  record.ConnectionKey = connectionKey;
  std::copy_n(sourceName.begin(), std::min(sourceName.size(), DataSourceNameLength - 1), record.DataSourceName);
  return record;
}

std::optional<std::string> TPacket::Value(const std::string& name, size_t n) const {
  for (const auto& value : Values)
    if (value.first == name && n-- == 0) return value.second;
  return std::nullopt;
}

size_t TPacket::CountOf(const std::string& name) const {
  return static_cast<size_t>(
      std::count_if(Values.begin(), Values.end(), [&](const auto& value) { return value.first == name; }));
}

std::vector<std::string> TPacket::Frames() const {
  std::vector<std::string> frames;
  if (Text.empty()) return frames;
  const std::string_view separator = PacketTextSeparator;
  size_t from = 0;
  for (size_t at = Text.find(separator); at != std::string::npos; at = Text.find(separator, from)) {
    frames.push_back(Text.substr(from, at - from));
    from = at + separator.size();
  }
  frames.push_back(Text.substr(from));
  return frames;
}

std::vector<std::string> TPacket::Names() const {
  std::vector<std::string> names;
  for (const auto& value : Values) names.push_back(value.first);
  return names;
}

std::string RequestXml(const std::string& device, const std::string& type, const std::vector<std::string>& functions,
                       const std::string& extra, bool enabled) {
  std::string xml = "<Request><Enabled>" + std::string(enabled ? "1" : "0") + "</Enabled><Device>" + device +
                    "</Device><DeviceType>" + type + "</DeviceType><Timeout>500</Timeout>" + extra + "<Response>";
  for (const std::string& function : functions) xml += "<Item><Function>" + function + "</Function></Item>";
  return xml + "</Response></Request>";
}

std::string QueryXml(const std::vector<std::string>& requests) {
  std::string xml = "<QUERY>";
  for (const std::string& request : requests) xml += request;
  return xml + "</QUERY>";
}

ModuleHarness::ModuleHarness() {
  Module = std::make_unique<TaPlugin>(0, nullptr);
  Module->Created();
  Module->HostFunctions.SendDataEx = &Corvane_SendDataEx;
  host::SetSendHandler([this](const host::TSentData& sent) {
    Sent.push_back(sent);
    return sent.Kind == DataKindSendBytes ? LineHears(sent) : SendResult;
  });
}

ModuleHarness::~ModuleHarness() {
  Module.reset();
  host::SetSendHandler(nullptr);
}

int32_t ModuleHarness::LineHears(const host::TSentData& sent) {
  if (!Line) return SendResult;
  LineKey = sent.ConnectionKey;
  Line->Receive(std::span(reinterpret_cast<const uint8_t*>(sent.Bytes.data()), sent.Bytes.size()));
  return SendResult;
}

void ModuleHarness::Start(const std::string& queryXml, const std::vector<std::string>& dataSources) {
  Module->EnabledTypes[0] = Module->EnabledTypes[1] = true;
  for (const std::string& line : dataSources) {
    TConfigDataSource source;
    if (ParseConfigDataSource(line, source)) Module->ConfigDataSources.push_back(source);
  }
  TPluginCallRecord record{};
  int32_t result = 0;
  Module->OnLoad(*Module, record, result);
  Module->Config->lblParams_Caption = queryXml;
  Module->OnChangeState(*Module, 1);
}

void ModuleHarness::Connect(meter::TSimulatorOptions options) {
  Line = std::make_unique<meter::TMeterSimulator>(std::move(options), [] { return platform::TickCount64(); });
}

TPluginCallRecord ModuleHarness::FeedWith(const TPluginDataBlock& output, const std::string& bytes,
                                          uint32_t connectionKey, uint32_t dataSourceId,
                                          const std::string& sourceName) {
  TPluginCallRecord record = DataRecord(dataSourceId, connectionKey, sourceName);
  record.Input = {0, static_cast<uint32_t>(bytes.size()), DataKindByteBuffer,
                  reinterpret_cast<uintptr_t>(bytes.data())};
  record.Output = output;
  Module->ProcessData(record);
  return record;
}

TPluginCallRecord ModuleHarness::FeedInto(TkroParamsList& output, const std::string& bytes, uint32_t connectionKey,
                                          uint32_t dataSourceId, const std::string& sourceName) {
  return FeedWith({0, 0, DataKindListObject, reinterpret_cast<uintptr_t>(&output)}, bytes, connectionKey, dataSourceId,
                  sourceName);
}

std::vector<TPacket> ModuleHarness::Feed(const std::string& bytes, uint32_t connectionKey, uint32_t dataSourceId,
                                         const std::string& sourceName) {
  std::vector<std::pair<std::string, std::string>> values;
  TPluginCallRecord record;
  if (HostOwnOutputLists) {
    TForeignList output;
    HostList* var = output.RefW();
    record = FeedWith({0, 0, DataKindListIntf, reinterpret_cast<uintptr_t>(&var)}, bytes, connectionKey, dataSourceId,
                      sourceName);
    for (size_t i = 0; i < output.Count(); ++i) values.emplace_back(output.Name(i), ValueText(output.Value(i)));
  } else {
    TkroParamsList output;
    record = FeedInto(output, bytes, connectionKey, dataSourceId, sourceName);
    for (int32_t i = 0; i < output.Count(); ++i)
      values.emplace_back(output.Items(i)->Name, ValueText(output.Items(i)->Value()));
  }
  std::string text;
  if (record.Input.Kind == DataKindTextBuffer && record.Input.Data != 0)
    text.assign(reinterpret_cast<const char*>(record.Input.Data), record.Input.Size);
  std::vector<TPacket> packets =
      values.empty() ? std::vector<TPacket>{} : SplitRows(values, text, dataSourceId, connectionKey);
  if (!packets.empty()) {
    EXPECT_EQ(+record.Output.Count, packets.size());
  }
  Received.insert(Received.end(), packets.begin(), packets.end());
  return packets;
}

void ModuleHarness::ConnectionEvent(uint32_t code, uint32_t connectionKey, uint32_t dataSourceId,
                                    const std::string& sourceName) {
  TPluginCallRecord record = DataRecord(dataSourceId, connectionKey, sourceName);
  record.Input = {0, 0, DataKindConnection, code};
  Module->ProcessData(record);
}

void ModuleHarness::Run(uint64_t ms) {
  for (uint64_t t = 0; t < ms; t += 10) {
    Clock.Advance(10);
    Pump.Run();
    if (!Line) continue;
    const std::vector<uint8_t> answer = Line->TakeOutput();
    if (!answer.empty()) Feed(std::string(answer.begin(), answer.end()), LineKey);
  }
}

std::string ModuleHarness::Log() {
  std::string text(1 << 22, '\0');
  text.resize(Module->Log.Take(text.data(), static_cast<uint32_t>(text.size())).Copied);
  return text;
}

std::vector<std::string> ModuleHarness::RequestsSent() const {
  std::vector<std::string> frames;
  for (const host::TSentData& sent : Sent)
    if (sent.Kind == DataKindSendBytes && sent.Bytes.size() == RequestFrameLength) frames.push_back(sent.Bytes);
  return frames;
}

std::vector<TPacket> PacketsOf(const host::TSentData& sent) {
  if (sent.Kind != DataKindListIntf) return {};
  return SplitRows(sent.Values, sent.PacketText, sent.DataSourceId, sent.ConnectionKey);
}

std::vector<TPacket> ModuleHarness::SentPackets() const {
  std::vector<TPacket> packets;
  for (const host::TSentData& sent : Sent) {
    std::vector<TPacket> rows = PacketsOf(sent);
    packets.insert(packets.end(), rows.begin(), rows.end());
  }
  return packets;
}

TSerialPortDM& ModuleHarness::Port(int32_t id) {
  TReadLocked<TDataSourceList> sources(Module->DataSources);
  return *FindDataSource<TSerialPortDM>(*sources, id);
}

size_t ModuleHarness::ClientCount(int32_t id) { return Port(id).Clients.Count(); }

}  // namespace cjt::test_support
