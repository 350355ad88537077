#include "cjt188/cjt188_parser_client.h"

#include <algorithm>

#include "cjt188/data_module.h"
#include "cjt188/serial_port_dm.h"
#include "plugin/data_delivery.h"
#include "support/text_values.h"

namespace cjt {

TCjt188ParserClient::TCjt188ParserClient(TSerialPortDM& dataSource, const TPluginCallRecord& record)
    : TCustomParserScheduledClient(dataSource, record), Port(dataSource) {
  // A connection holds no storage for values between its packets.
  Results.SetKeepsClearedItems(false);
  Queue->OnSendRequest = [this](TQueueController&, TBasicRequestItem& item, int32_t& timeout, int32_t& requestId) {
    return HandleSendRequest(&item, timeout, requestId);
  };
  Queue->OnTimeout = [this](TQueueController&, TBasicRequestItem& item, bool& retry) { OnRequestTimeout(item, retry); };
  Queue->OnError = [this](TQueueController&, const std::string&, const std::exception& error, const std::string& text) {
    OnQueueError(error, text);
  };
  Queue->OnGivenUp = [this](TQueueController&, TBasicRequestItem& item) { OnRequestGivenUp(item); };
}

void TCjt188ParserClient::SetActive(bool value) {
  TCustomParserScheduledClient::SetActive(value);
  if (value) return;
  FinishRequest(TQueueController::dcDeactivated);
  DeliverHeld();
  Serial = 0;
}

void TCjt188ParserClient::LoadRequests() {
  {
    TClientLock lock(*this);
    DeliverHeld();
    Matched = nullptr;
  }
  TCustomParserScheduledClient::LoadRequests();
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

void TCjt188ParserClient::FillHeader(TkroParamsList& list, const TRequestItem& item, const std::vector<uint8_t>* packet,
                                     const std::string& address) const {
  TGenericValues values;
  if (packet != nullptr)
    values.FullPacket = values.DataPacket =
        std::string_view(reinterpret_cast<const char*>(packet->data()), packet->size());
  values.DataSourceId = DataSource.Id;
  values.DataSourceName = DataSource.ConfiguredName;
  values.DataSourceFullName = DataSource.ConfiguredInfo;
  values.ClientId = static_cast<int32_t>(ConnectionKey);
  values.ClientName = SourcePrefix;
  FillGenericValues(list, values);
  list.Add("DEVICE_ID", TVariant(address));
  list.Add("DATA_TYPE_ID_STR", TVariant(item.Params.Function));
  list.Add("DATA_TYPE_ID", TVariant(static_cast<uint32_t>(item.Params.DI)));
}

std::string TCjt188ParserClient::DescribeRequest(const TBasicRequestItem* item) {
  const auto* request = dynamic_cast<const TRequestItem*>(item != nullptr ? item : Queue->Current);
  if (request == nullptr) return {};
  return "[" + request->Params.Device + "/" + request->Params.FunctionHex + "] ";
}

void TCjt188ParserClient::OnRequestTimeout(TBasicRequestItem& item, bool& retry) {
  const auto* request = dynamic_cast<const TRequestItem*>(&item);
  if (!retry && request != nullptr) EndUnanswered(*request, DataSinceRequest ? StatusGarbled : StatusNoAnswer);
  std::string line = DescribeRequest(&item);
  if (!item.Name.empty()) line += ". " + item.Name;
  const std::string timeoutText = Text(TTextId::RequestTimeout);
  line += ". " + std::string(TrimBlanks(std::string_view(timeoutText).substr(0, timeoutText.find('('))));
  Log(LogLevelWarning, line);
  WakeSent = false;
  FinishRequest(TQueueController::dcTimedOut);
}

void TCjt188ParserClient::OnRequestGivenUp(TBasicRequestItem& item) {
  if (const auto* request = dynamic_cast<const TRequestItem*>(&item)) EndUnanswered(*request, StatusNoAnswer);
}

void TCjt188ParserClient::EndUnanswered(const TRequestItem& item, uint8_t status) {
  if (!IsLastOfGroup(item)) return;
  if (!HoldsGroupOf(item, nullptr)) {
    if (item.Params.ExportFailed) SendFailureAlone(item, status);
    return;
  }
  if (item.Params.ExportFailed) Results.Add("STATUS1", TVariant(status));
  DeliverHeld();
}

void TCjt188ParserClient::SendFailureAlone(const TRequestItem& item, uint8_t status) {
  TParsedDataList packet;
  FillHeader(packet, item, nullptr, item.Params.AddressText);
  packet.Add("STATUS1", TVariant(status));
  SendValues(DataSource.Plugin, static_cast<uint32_t>(DataSourceId), static_cast<uint32_t>(ConnectionKey), packet);
}

bool TCjt188ParserClient::HoldsGroupOf(const TRequestItem& item, const std::string* deviceId) const {
  return Results.Count() > 0 && Held.AddressText == item.Params.AddressText && Held.OriginId == item.Params.OriginId &&
         (deviceId == nullptr || Held.DeviceId == *deviceId);
}

void TCjt188ParserClient::StartGroupFor(const TRequestItem& item, const std::string& deviceId) {
  const bool again = std::find(Held.Items.begin(), Held.Items.end(), &item) != Held.Items.end();
  if (HoldsGroupOf(item, &deviceId) && !again) return;
  DeliverHeld();
  Held.AddressText = item.Params.AddressText;
  Held.OriginId = item.Params.OriginId;
  Held.DeviceId = deviceId;
}

void TCjt188ParserClient::DeliverHeld() {
  if (Results.Count() > 0) {
    try {
      SendValues(DataSource.Plugin, static_cast<uint32_t>(DataSourceId), static_cast<uint32_t>(ConnectionKey), Results);
    } catch (...) {
      ClearHeld();
      throw;
    }
  }
  ClearHeld();
}

void TCjt188ParserClient::ClearHeld() {
  Results.Clear();
  Held = {};
}

void TCjt188ParserClient::FinishRequest(uint8_t code) {
  Queue->RequestDone(code);
  Queue->Current = nullptr;
}

}  // namespace cjt
