#include "cjt188/cjt188_parser_client.h"

#include "cjt188/data_module.h"
#include "cjt188/serial_port_dm.h"
#include "plugin/data_delivery.h"
#include "support/text_values.h"

namespace cjt {

TCjt188ParserClient::TCjt188ParserClient(TSerialPortDM& dataSource, const TPluginCallRecord& record)
    : TCustomParserScheduledClient(dataSource, record), Port(dataSource) {
  Queue->OnSendRequest = [this](TQueueController&, TBasicRequestItem& item, int32_t& timeout, int32_t& requestId) {
    return HandleSendRequest(&item, timeout, requestId);
  };
  Queue->OnTimeout = [this](TQueueController&, TBasicRequestItem& item, bool& retry) { OnRequestTimeout(item, retry); };
  Queue->OnError = [this](TQueueController&, const std::string&, const std::exception& error, const std::string& text) {
    OnQueueError(error, text);
  };
}

void TCjt188ParserClient::SetActive(bool value) {
  TCustomParserScheduledClient::SetActive(value);
  if (value) return;
  FinishRequest(TQueueController::dcDeactivated);
  Serial = 0;
}

std::unique_ptr<TBasicRequestItem> TCjt188ParserClient::CreateRequestItem() { return std::make_unique<TRequestItem>(); }

void TCjt188ParserClient::Log(int level, const std::string& text) { DataSource.Plugin.AddLog(level, text); }

std::string TCjt188ParserClient::Text(TTextId id) const { return Port.Module.TextResources.Get(id); }

TRequestItem* TCjt188ParserClient::CurrentItem() const { return dynamic_cast<TRequestItem*>(Queue->Current); }

bool TCjt188ParserClient::IsLastOfGroup(const TBasicRequestItem& item) {
  TReadLocked<TBasicRequestList> items(Queue->Items);
  for (size_t i = 0; i + 1 < items->Count(); ++i) {
    if ((*items)[i] != &item) continue;
    const auto* request = dynamic_cast<const TRequestItem*>(&item);
    const auto* next = dynamic_cast<const TRequestItem*>((*items)[i + 1]);
    return request == nullptr || next == nullptr || next->Params.AddressText != request->Params.AddressText ||
           next->Params.OriginId != request->Params.OriginId;
  }
  return true;
}

void TCjt188ParserClient::AddHeaderItems(const TRequestItem& item, const std::vector<uint8_t>* packet,
                                         const std::string& address) {
  if (Results.Count() > 0) return;
  TGenericValues values;
  if (packet != nullptr) values.FullPacket = values.DataPacket = std::string(packet->begin(), packet->end());
  values.DataSourceId = DataSource.Id;
  values.DataSourceName = DataSource.ConfiguredName;
  values.DataSourceFullName = DataSource.ConfiguredInfo;
  values.ClientId = static_cast<int32_t>(ConnectionKey);
  values.ClientName = SourcePrefix;
  FillGenericValues(Results, values);
  Results.Add("DEVICE_ID", TVariant(address));
  Results.Add("DATA_TYPE_ID_STR", TVariant(item.Params.Function));
  Results.Add("DATA_TYPE_ID", TVariant(static_cast<uint32_t>(item.Params.DI)));
}

std::string TCjt188ParserClient::DescribeRequest(const TBasicRequestItem* item) {
  const auto* request = dynamic_cast<const TRequestItem*>(item != nullptr ? item : Queue->Current);
  if (request == nullptr) return {};
  return "[" + request->Params.Device + "/" + request->Params.FunctionHex + "] ";
}

void TCjt188ParserClient::OnRequestTimeout(TBasicRequestItem& item, bool& retry) {
  const auto* request = dynamic_cast<const TRequestItem*>(&item);
  const bool last = IsLastOfGroup(item);
  if (!retry && last && request != nullptr && request->Params.ExportFailed) {
    AddHeaderItems(*request, nullptr, request->Params.AddressText);
    Results.Add("STATUS1", TVariant(DataSinceRequest ? StatusGarbled : StatusNoAnswer));
  }
  if (!retry && last && Results.Count() > 0) {
    try {
      SendValues(DataSource.Plugin, static_cast<uint32_t>(DataSourceId), static_cast<uint32_t>(ConnectionKey), Results);
    } catch (...) {
      Results.Clear();
      throw;
    }
    Results.Clear();
  }
  std::string line = DescribeRequest(&item);
  if (!item.Name.empty()) line += ". " + item.Name;
  const std::string timeoutText = Text(TTextId::RequestTimeout);
  line += ". " + std::string(TrimBlanks(std::string_view(timeoutText).substr(0, timeoutText.find('('))));
  Log(LogLevelWarning, line);
  WakeSent = false;
  FinishRequest(TQueueController::dcTimedOut);
}

void TCjt188ParserClient::FinishRequest(uint8_t code) {
  Queue->RequestDone(code);
  Queue->Current = nullptr;
}

}  // namespace cjt
