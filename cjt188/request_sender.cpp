// The send side: building the read request of a queue item, waking the meter with the
// preamble when needed, and handing the bytes to the host.
#include <exception>

#include "cjt188/cjt188_parser_client.h"
#include "cjt188/data_module.h"
#include "cjt188/device_list.h"
#include "cjt188/serial_port_dm.h"
#include "plugin/data_delivery.h"
#include "support/application_error.h"

namespace cjt {

namespace {
constexpr std::array<uint8_t, PreambleLength> Preamble{PreambleByte, PreambleByte, PreambleByte, PreambleByte};
}  // namespace

int32_t TCjt188ParserClient::Send(const void* data, size_t length) {
  return SendBytes(DataSource.Plugin, static_cast<uint32_t>(DataSourceId), static_cast<uint32_t>(ConnectionKey), data,
                   length);
}

void TCjt188ParserClient::FillAddress(const TRequestItem& item, TAddressBytes& address) const {
  // Reading the address of any meter asks the whole line, every time: the meter heard first
  // may since have been replaced, and its address is what the request is to find out.
  if (item.Params.DI == static_cast<int32_t>(DIReadAddress) && IsSpecialDeviceText(item.Params.Device))
    address = AddressBytes(item.Params.Device == NinesDeviceText ? NinesDeviceText : BroadcastDeviceText);
  // A request to any meter goes to the meter heard on the line once there is one.
  else if (AddressHeard && IsSpecialDeviceText(item.Params.Device))
    address = HeardAddress;
  else
    address = AddressBytes(item.Params.AddressText);
}

int32_t TCjt188ParserClient::SendRequest(TRequestItem& item) {
  try {
    if (item.Params.AddressText != LastAddress) {
      LastAddress = item.Params.AddressText;
      WakeSent = false;
    }
    if (WakeSent && WakeTimer.RunOut()) WakeSent = false;
    if (!WakeSent) {
      const int32_t woken = Send(Preamble.data(), Preamble.size());
      if (woken < 0) return woken;
      WakeTimer.StartFor(WakeValidity);
      WakeSent = true;
    }
    if (item.Params.DI == 0) return -1;
    TAddressBytes address{};
    FillAddress(item, address);
    ++Serial;
    const auto di = static_cast<uint16_t>(item.Params.DI);
    const auto frame = BuildRequest(item.Params.DeviceType, address, RequestFunctionOf(di), di, Serial);
    SentDataSize = Buffer->DataSize();
    DataSinceRequest = false;
    RecentRequests.push_back(frame);
    if (RecentRequests.size() > RecentRequestCount) RecentRequests.pop_front();
    return Send(frame.data(), frame.size());
  } catch (...) {
    Log(LogLevelError, DescribeRequest(nullptr) + ": " + ExceptionMessage(std::current_exception()));
    return -1;
  }
}

bool TCjt188ParserClient::HandleSendRequest(TBasicRequestItem* item, int32_t& timeout, int32_t& requestId) {
  auto* request = dynamic_cast<TRequestItem*>(item);
  if (request == nullptr) return false;
  const int32_t result = SendRequest(*request);
  if (result == PortFailure) {
    Queue->DelayTimer.StartFor(request->Attempts < request->MaxAttempts ? PortRetryPause : PortGiveUpPause);
    Port.PortFailed = true;
    return false;
  }
  Port.PortFailed = false;
  timeout = request->Params.Timeout;
  requestId = 0;
  return true;
}

void TCjt188ParserClient::OnQueueError(const std::exception& error, const std::string& text) {
  Port.Module.ReportQueueError(error, text);
}

}  // namespace cjt
