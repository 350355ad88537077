#include "parser/parser_client.h"

#include <cstring>

#include "parser/data_source_with_clients.h"

namespace cjt {

namespace {
constexpr int32_t DefaultBufferSize = 16384;
constexpr int32_t BufferGrowthStep = 64;
}  // namespace

std::string RecordSourceName(const TPluginCallRecord& record) {
  const char* name = record.DataSourceName;
  return std::string(name, strnlen(name, DataSourceNameLength));
}

std::string SourcePrefixOf(std::string_view sourceName) {
  const size_t last = sourceName.find_last_of(".:");
  return last == std::string_view::npos ? std::string() : std::string(sourceName.substr(0, last));
}

TCustomParserClient::TCustomParserClient(TDataSourceScheduledWithClients& dataSource, const TPluginCallRecord& record)
    : TkroPluginMulti(0), DataSource(dataSource) {
  ReadIdentity(record);
  Placeholder = SourceName.starts_with(PlaceholderPrefix);
  if (BufferSize == 0) BufferSize = DefaultBufferSize;
  Buffer = std::make_unique<TFIFOStream>(BufferSize, true, BufferGrowthStep);
  EventDriven = record.Input.Kind == DataKindConnection;
}

TCustomParserClient::~TCustomParserClient() = default;

void TCustomParserClient::ReadIdentity(const TPluginCallRecord& record) {
  ConnectionKey = record.ConnectionKey;
  SourceName = RecordSourceName(record);
  SourcePrefix = SourcePrefixOf(SourceName);
  DataSourceId = static_cast<int32_t>(record.DataSourceId);
}

bool TCustomParserClient::SilentFor(uint32_t ms) { return SilenceTimer.RunOutAfter(ms); }

void TCustomParserClient::SetActive(bool value) {
  Active = value;
  SilenceTimer.StartPlain();
}

void TCustomParserClient::ResetFrame() {
  NewFrame = true;
  FrameText1.clear();
  FrameText2.clear();
  SilenceTimer.StartPlain();
}

void TCustomParserClient::ClearBuffer() { Buffer->Clear(); }

void TCustomParserClient::AddText(std::string_view data) { AddData(data.data(), static_cast<int32_t>(data.size())); }

void TCustomParserClient::AddData(const void* data, int32_t length) {
  if (length > 0) Buffer->Write(data, length);
  if (!Stopped) SilenceTimer.StartPlain();
}

}  // namespace cjt
