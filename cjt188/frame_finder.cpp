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

// A request for any meter accepts every address.
bool AcceptsAddress(const TRequestItem& item, const std::string& address) {
  return item.Params.AddressText == address || IsSpecialDeviceText(item.Params.Device);
}

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

// Cuts out the first complete frame with a good checksum that answers a request, dropping
// what lies in front of it. A start byte whose frame is not complete yet holds the bytes
// from it for the next block, unless a valid frame follows it: a stray start byte in line
// noise must not hold back the answer behind it.
int32_t TCjt188ParserClient::FindFrame(bool& more) {
  int32_t result = -1;
  int32_t drop = 0;
  TDataLock lock(*Buffer);
  const uint8_t* p = lock.Bytes();
  const int32_t n = Buffer->DataSize();
  if (n != SentDataSize) DataSinceRequest = true;
  int32_t echoAt = -1;
  if (n >= static_cast<int32_t>(FrameOverhead)) {
    drop = -1;
    int32_t pos = 0;
    int32_t waitFrom = -1;  // the first start byte of a frame not complete yet
    while (pos <= n - static_cast<int32_t>(FrameOverhead)) {
      if (p[pos] != FrameStart) {
        ++pos;
        continue;
      }
      const int32_t length = p[pos + FrameLengthOffset] + static_cast<int32_t>(FrameOverhead);
      if (pos + length > n) {
        if (waitFrom < 0) waitFrom = pos;
        ++pos;
        continue;
      }
      if (p[pos + length - 1] != FrameEnd) {
        ++pos;
        continue;
      }
      const std::span<const uint8_t> frame(p + pos, static_cast<size_t>(length));
      if (Checksum(frame.data(), static_cast<uint16_t>(length)) != frame[length - 2]) {
        // Inside a frame still coming, this may be its own data.
        if (waitFrom < 0) {
          ReportBadChecksum(frame);
          drop = std::max(drop, pos) + 1;
        }
        ++pos;
        continue;
      }
      waitFrom = -1;
      drop = pos + length;
      const TFrameUse use = UseFrame(frame, more);
      if (use == TFrameUse::Matched) {
        FrameCopy.assign(frame.begin(), frame.end());
        if (pos > 0) Buffer->Remove(pos);
        drop = 0;
        result = length;
        break;
      }
      if (use == TFrameUse::Echo && echoAt < 0) echoAt = pos;
      pos += length;
    }
  }
  // Only the preamble in front of our echo and no answer: nothing of a meter came yet.
  const bool onlyEcho =
      result < 0 && echoAt >= 0 && std::all_of(p, p + echoAt, [](uint8_t b) { return b == PreambleByte; });
  if (drop > 0) Buffer->Remove(drop);
  if (onlyEcho) {
    SentDataSize = Buffer->DataSize();
    DataSinceRequest = SentDataSize > 0;
  }
  return result;
}

void TCjt188ParserClient::ReportBadChecksum(std::span<const uint8_t> frame) {
  const uint8_t got = frame[frame.size() - 2];
  const uint8_t sum = Checksum(frame.data(), static_cast<uint16_t>(frame.size()));
  Log(LogLevelWarning, FormatText(Text(TTextId::InvalidCrc), {int64_t{got}, int64_t{sum}}) + " [" +
                           AddressText(frame.subspan(FrameAddressOffset, 7)) + "," +
                           HexByte(frame[FrameControlOffset]) + "]");
}

TCjt188ParserClient::TFrameUse TCjt188ParserClient::UseFrame(std::span<const uint8_t> frame, bool& more) {
  const std::string address = AddressText(frame.subspan(FrameAddressOffset, 7));
  if (!AddressHeard) {
    std::copy_n(frame.begin() + FrameAddressOffset, HeardAddress.size(), HeardAddress.begin());
    AddressHeard = true;
    Log(LogLevelNotice, Text(TTextId::DeviceAddress) + ": " + address);
  }
  const uint8_t control = frame[FrameControlOffset];
  if ((control & ControlFromMeter) == 0 && IsEcho(frame)) {
    // The line returned our request: the answer may still come.
    Log(LogLevelNotice, DescribeRequest(nullptr) + Text(TTextId::RequestEcho));
    return TFrameUse::Echo;
  }
  if ((control & ControlFromMeter) == 0 || (control & ControlError) != 0) {
    ReportForeignFrame(frame, address);
    return TFrameUse::Passed;
  }
  const uint32_t di = frame[DIHighOffset] * 256u + frame[DILowOffset];
  Matched = FindCandidate(address, control, di);
  if (Matched != nullptr) {
    more = true;
    return TFrameUse::Matched;
  }
  if (Port.Module.ListenOnlyCount > 0 && !AnyRequestAccepts(address)) ReportUnallowable(address);
  return TFrameUse::Passed;
}

bool TCjt188ParserClient::IsEcho(std::span<const uint8_t> frame) const {
  return std::any_of(RecentRequests.begin(), RecentRequests.end(), [&](const TRequestFrame& request) {
    return std::equal(frame.begin(), frame.end(), request.begin(), request.end());
  });
}

// Another master's request ends the wait; an error answer only when it comes from the meter
// awaited: a late error answer of another meter is no answer to the request now out.
void TCjt188ParserClient::ReportForeignFrame(std::span<const uint8_t> frame, const std::string& address) {
  const uint8_t control = frame[FrameControlOffset];
  Log(LogLevelError,
      FormatText(Text(TTextId::ErrorCode), {std::string_view(address), int64_t{control}, ErrorDetail(frame)}));
  const TRequestItem* current = CurrentItem();
  if ((control & ControlFromMeter) == 0 || (current != nullptr && AcceptsAddress(*current, address)))
    Queue->RequestDone(TQueueController::dcForeignFrame);
}

void TCjt188ParserClient::ReportUnallowable(const std::string& address) {
  Log(LogLevelWarning, FormatText(Text(TTextId::UnallowableAddress), {std::string_view(address)}));
  if (EventDriven)
    SendText(DataSource.Plugin, static_cast<uint32_t>(DataSourceId), static_cast<uint32_t>(ConnectionKey),
             CloseCommand);
}

// The awaited request when there is one; otherwise any listen-only request.
TRequestItem* TCjt188ParserClient::FindCandidate(const std::string& address, uint8_t control, uint32_t di) {
  // The current request also takes an answer that comes again (repeated by the meter or the
  // line) after it was answered.
  TRequestItem* current = CurrentItem();
  if (current != nullptr && Matches(*current, address, control, di)) return current;
  if ((current != nullptr && Queue->ResponseTimer.IsStarted()) || Port.Module.ListenOnlyCount < 1) return nullptr;
  TReadLocked<TBasicRequestList> items(Queue->Items);
  for (TBasicRequestItem* item : *items) {
    auto* candidate = dynamic_cast<TRequestItem*>(item);
    if (candidate != nullptr && !candidate->Enabled && Matches(*candidate, address, control, di)) return candidate;
  }
  return nullptr;
}

// A meter that a configured request reads or hears: its late and repeated answers are no
// reason to close the connection.
bool TCjt188ParserClient::AnyRequestAccepts(const std::string& address) {
  TReadLocked<TBasicRequestList> items(Queue->Items);
  for (TBasicRequestItem* item : *items) {
    const auto* candidate = dynamic_cast<const TRequestItem*>(item);
    if (candidate != nullptr && AcceptsAddress(*candidate, address)) return true;
  }
  return false;
}

bool TCjt188ParserClient::Matches(const TRequestItem& candidate, const std::string& address, uint8_t control,
                                  uint32_t di) {
  if (!AcceptsAddress(candidate, address)) return false;
  const auto expected = static_cast<uint32_t>(candidate.Params.DI);
  if ((control & ControlFunctionMask) != RequestFunctionOf(expected)) return false;
  // Some water meters write the data identifier low byte first.
  if (di != expected && di != Swapped(expected)) return false;
  FrameDI = expected;
  return true;
}

}  // namespace cjt
