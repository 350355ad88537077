#include "cjt188/frame.h"

#include <algorithm>

namespace cjt {

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

uint8_t Checksum(const uint8_t* buffer, uint16_t length) {
  uint8_t sum = 0;
  for (int i = 0; i + 2 < length; ++i) sum = static_cast<uint8_t>(sum + buffer[i]);
  return sum;
}

uint8_t Checksum(uint8_t* buffer, uint16_t length, bool store) {
  const uint8_t sum = Checksum(static_cast<const uint8_t*>(buffer), length);
  if (store && length >= 2) buffer[length - 2] = sum;
  return sum;
}

std::vector<uint8_t> BuildFrame(uint8_t meterType, const TAddressBytes& address, uint8_t control,
                                std::span<const uint8_t> data) {
  if (data.size() > 255) throw EFrame("Frame data longer than 255 bytes");
  std::vector<uint8_t> frame;
  frame.reserve(FrameOverhead + data.size());
  frame.push_back(FrameStart);
  frame.push_back(meterType);
  frame.insert(frame.end(), address.begin(), address.end());
  frame.push_back(control);
  frame.push_back(static_cast<uint8_t>(data.size()));
  frame.insert(frame.end(), data.begin(), data.end());
  frame.push_back(0);
  frame.push_back(FrameEnd);
  Checksum(frame.data(), static_cast<uint16_t>(frame.size()), true);
  return frame;
}

std::array<uint8_t, RequestFrameLength> BuildReadRequest(uint8_t meterType, const TAddressBytes& address, uint16_t di,
                                                         uint8_t serial) {
  return BuildRequest(meterType, address, FunctionReadData, di, serial);
}

std::array<uint8_t, RequestFrameLength> BuildRequest(uint8_t meterType, const TAddressBytes& address, uint8_t function,
                                                     uint16_t di, uint8_t serial) {
  std::array<uint8_t, RequestFrameLength> frame{FrameStart, meterType};
  std::copy(address.begin(), address.end(), frame.begin() + FrameAddressOffset);
  frame[FrameControlOffset] = function;
  frame[FrameLengthOffset] = 3;
  frame[11] = static_cast<uint8_t>(di >> 8);
  frame[12] = static_cast<uint8_t>(di);
  frame[13] = serial;
  Checksum(frame.data(), RequestFrameLength, true);
  frame[15] = FrameEnd;
  return frame;
}

size_t FrameLengthAt(std::span<const uint8_t> data) {
  return data.size() > FrameLengthOffset ? data[FrameLengthOffset] + FrameOverhead : FrameOverhead;
}

TFrameCheck CheckFrame(std::span<const uint8_t> data) {
  if (data.empty() || data[0] != FrameStart) return TFrameCheck::NoStart;
  if (data.size() < FrameOverhead) return TFrameCheck::Incomplete;
  const size_t length = FrameLengthAt(data);
  if (data.size() < length) return TFrameCheck::Incomplete;
  if (data[length - 1] != FrameEnd) return TFrameCheck::NoEnd;
  if (Checksum(data.data(), static_cast<uint16_t>(length)) != data[length - 2]) return TFrameCheck::BadChecksum;
  return TFrameCheck::Valid;
}

TFrameView ViewFrame(std::span<const uint8_t> frame) {
  TFrameView view;
  if (frame.size() < FrameOverhead) return view;
  view.MeterType = frame[FrameTypeOffset];
  std::copy_n(frame.begin() + FrameAddressOffset, view.Address.size(), view.Address.begin());
  view.Control = frame[FrameControlOffset];
  const size_t length = std::min<size_t>(frame[FrameLengthOffset], frame.size() - FrameOverhead);
  view.Data = frame.subspan(FrameDataOffset, length);
  return view;
}

std::string AddressText(const TAddressBytes& address) { return AddressText(std::span<const uint8_t>(address)); }

std::string AddressText(std::span<const uint8_t> sevenBytes) {
  std::string text;
  text.reserve(14);
  for (size_t i = std::min<size_t>(sevenBytes.size(), 7); i-- > 0;) {
    text.push_back(HexDigits[sevenBytes[i] >> 4]);
    text.push_back(HexDigits[sevenBytes[i] & 0x0F]);
  }
  return text;
}

TAddressBytes AddressBytes(std::string_view text) {
  TAddressBytes address{};
  for (size_t pair = 0; pair < 7; ++pair) {
    const std::string_view digits = text.substr(std::min(text.size(), pair * 2), 2);
    int value = digits.empty() ? -1 : 0;
    for (char c : digits) {
      const int digit = HexValue(c);
      if (digit < 0) {
        value = -1;
        break;
      }
      value = value * 16 + digit;
    }
    address[6 - pair] = value < 0 ? 0 : static_cast<uint8_t>(value);
  }
  return address;
}

}  // namespace cjt
