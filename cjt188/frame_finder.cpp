// The receive side's first half: finding the next complete CJ/T 188 frame in the buffer,
// checking it, and matching it to the request it answers.
#include <algorithm>
#include <span>

#include "cjt188/cjt188_parser_client.h"
#include "cjt188/data_module.h"
#include "cjt188/device_list.h"
#include "cjt188/serial_port_dm.h"
#include "plugin/data_delivery.h"
#include "support/format_text.h"
#include "support/text_values.h"

namespace cjt {

namespace {

constexpr char CloseCommand[] = "<<CLOSE>>";
constexpr size_t DIHighOffset = 11;
constexpr size_t DILowOffset = 12;
// The status byte of an error answer.
constexpr size_t ErrorStatusOffset = 12;

// Unlocks the buffer on every way out of the search.
class TDataLock {
 public:
  explicit TDataLock(TFIFOStream& buffer) : Buffer(buffer), Data(buffer.LockData()) {}
  ~TDataLock() { Buffer.Unlock(); }
  TDataLock(const TDataLock&) = delete;
  TDataLock& operator=(const TDataLock&) = delete;
  const uint8_t* Bytes() const { return Data; }

 private:
  TFIFOStream& Buffer;
  const uint8_t* Data;
};

std::string HexByte(uint8_t value) { return HexText8(value).substr(6); }

uint32_t Swapped(uint32_t di) { return ((di & 0xFF) << 8) | ((di >> 8) & 0xFF); }

std::string ErrorDetail(std::span<const uint8_t> frame) {
  const uint8_t control = frame[FrameControlOffset];
  if ((control & ControlFromMeter) == 0) return "Outgoing data received!";
  const uint8_t status = frame[ErrorStatusOffset];
  std::string detail;
  if (status & StatusValveError) detail = "Valve error";
  if (status & StatusBatteryLow) detail += std::string(detail.empty() ? "" : ", ") + "Battery low";
  return detail;
}

}  // namespace

int32_t TCjt188ParserClient::FindFrame(bool& more) {
  int32_t result = -1;
  int32_t drop = 0;
  TDataLock lock(*Buffer);
  const uint8_t* p = lock.Bytes();
  const int32_t n = Buffer->DataSize();
  if (n != SentDataSize) DataSinceRequest = true;
  if (n >= static_cast<int32_t>(FrameOverhead)) {
    drop = -1;
    int32_t pos = 0;
    while (pos <= n - static_cast<int32_t>(FrameOverhead)) {
      if (p[pos] != FrameStart) {
        ++pos;
        continue;
      }
      const int32_t length = p[pos + FrameLengthOffset] + static_cast<int32_t>(FrameOverhead);
      // An incomplete frame: nothing from here on is looked at before more bytes come.
      if (pos + length > n) break;
      if (p[pos + length - 1] != FrameEnd) {
        ++pos;
        continue;
      }
      drop = std::max(drop, pos);
      const std::span<const uint8_t> frame(p + pos, static_cast<size_t>(length));
      const std::string address = AddressText(frame.subspan(FrameAddressOffset, 7));
      const uint8_t sum = Checksum(frame.data(), static_cast<uint16_t>(length));
      const uint8_t got = frame[length - 2];
      if (sum != got) {
        Log(LogLevelWarning, FormatText(Text(TTextId::InvalidCrc), {int64_t{got}, int64_t{sum}}) + " [" + address +
                                 "," + HexByte(frame[FrameControlOffset]) + "]");
        drop += 1;
        ++pos;
        continue;
      }
      drop = pos + length;
      if (!AddressHeard) {
        std::copy_n(frame.begin() + FrameAddressOffset, HeardAddress.size(), HeardAddress.begin());
        AddressHeard = true;
        Log(LogLevelNotice, Text(TTextId::DeviceAddress) + ": " + address);
      }
      const uint8_t control = frame[FrameControlOffset];
      if ((control & ControlFromMeter) == 0 || (control & ControlError) != 0) {
        ReportForeignFrame(frame, address);
        pos += length;
        continue;
      }
      const uint32_t di = frame[DIHighOffset] * 256u + frame[DILowOffset];
      bool addressMatched = false;
      if (FindCandidate(address, control, di, addressMatched) != nullptr) {
        more = true;
        FrameCopy.assign(frame.begin(), frame.end());
        Buffer->Remove(pos);
        drop = 0;
        result = length;
        break;
      }
      if (Port.Module.ListenOnlyCount > 0 && !addressMatched) ReportUnallowable(address);
      pos += length;
    }
  }
  if (drop > 0) Buffer->Remove(drop);
  return result;
}

void TCjt188ParserClient::ReportForeignFrame(std::span<const uint8_t> frame, const std::string& address) {
  Log(LogLevelError, FormatText(Text(TTextId::ErrorCode),
                                {std::string_view(address), int64_t{frame[FrameControlOffset]}, ErrorDetail(frame)}));
  Queue->RequestDone(TQueueController::dcForeignFrame);
}

void TCjt188ParserClient::ReportUnallowable(const std::string& address) {
  Log(LogLevelWarning, FormatText(Text(TTextId::UnallowableAddress), {std::string_view(address)}));
  if (EventDriven)
    SendText(DataSource.Plugin, static_cast<uint32_t>(DataSourceId), static_cast<uint32_t>(ConnectionKey),
             CloseCommand);
}

TRequestItem* TCjt188ParserClient::FindCandidate(const std::string& address, uint8_t control, uint32_t di,
                                                 bool& addressMatched) {
  TRequestItem* current = CurrentItem();
  if (current != nullptr || Port.Module.ListenOnlyCount < 1)
    return current != nullptr && Matches(*current, address, control, di, addressMatched) ? current : nullptr;
  TWriteLocked<TBasicRequestList> items(Queue->Items);
  for (TBasicRequestItem* item : *items) {
    auto* candidate = dynamic_cast<TRequestItem*>(item);
    if (candidate == nullptr || candidate->Enabled || !Matches(*candidate, address, control, di, addressMatched))
      continue;
    Queue->Current = candidate;
    return candidate;
  }
  return nullptr;
}

bool TCjt188ParserClient::Matches(const TRequestItem& candidate, const std::string& address, uint8_t control,
                                  uint32_t di, bool& addressMatched) {
  if (candidate.Params.AddressText != address && !IsSpecialDeviceText(candidate.Params.Device)) return false;
  addressMatched = true;
  if ((control & ControlFunctionMask) != FunctionReadData) return false;
  const auto expected = static_cast<uint32_t>(candidate.Params.DI);
  // Some water meters write the data identifier low byte first.
  if (di != expected && di != Swapped(expected)) return false;
  FrameDI = expected;
  return true;
}

}  // namespace cjt
