// The CJ/T 188 frame: 0x68, meter type, seven address bytes (least significant first),
// control code, data length L, L data bytes, checksum, 0x16. Building and checking frames,
// the checksum, and the two forms of a meter address: the seven wire bytes and the
// 14-digit text (most significant byte first) used in the configuration and in log lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cjt {

class EFrame : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr uint8_t FrameStart = 0x68;
constexpr uint8_t FrameEnd = 0x16;
constexpr uint8_t PreambleByte = 0xFE;
constexpr size_t PreambleLength = 4;
// Start, type, address, control, length, checksum and end: a frame is this plus L bytes.
constexpr size_t FrameOverhead = 13;
constexpr size_t MaxFrameLength = FrameOverhead + 255;
constexpr size_t RequestFrameLength = 16;

// Offsets from the start byte.
constexpr size_t FrameTypeOffset = 1;
constexpr size_t FrameAddressOffset = 2;
constexpr size_t FrameControlOffset = 9;
constexpr size_t FrameLengthOffset = 10;
constexpr size_t FrameDataOffset = 11;

// Control code: direction, error flag and the function bits.
constexpr uint8_t ControlFromMeter = 0x80;
constexpr uint8_t ControlError = 0x40;
constexpr uint8_t ControlFunctionMask = 0x3F;
constexpr uint8_t FunctionReadData = 0x01;
constexpr uint8_t FunctionReadAddress = 0x03;

// Status bits of the second data byte of an error answer.
constexpr uint8_t StatusValveError = 0x02;
constexpr uint8_t StatusBatteryLow = 0x04;

using TAddressBytes = std::array<uint8_t, 7>;  // A0 (least significant) first

// Adds bytes 0 to length - 3 (everything before the checksum) as an 8-bit sum. With store
// set the sum is written to byte length - 2. A length of 2 or less adds nothing and gives 0;
// below 2 nothing is stored either, since the checksum position would lie before the buffer.
uint8_t Checksum(uint8_t* buffer, uint16_t length, bool store);
uint8_t Checksum(const uint8_t* buffer, uint16_t length);

// A complete frame; throws EFrame when data holds more than 255 bytes.
std::vector<uint8_t> BuildFrame(uint8_t meterType, const TAddressBytes& address, uint8_t control,
                                std::span<const uint8_t> data);

// The 16-byte request of a function (read data, read address) for a data identifier, DI
// high byte first, then the serial number.
std::array<uint8_t, RequestFrameLength> BuildRequest(uint8_t meterType, const TAddressBytes& address, uint8_t function,
                                                     uint16_t di, uint8_t serial);
// The read-data request.
std::array<uint8_t, RequestFrameLength> BuildReadRequest(uint8_t meterType, const TAddressBytes& address, uint16_t di,
                                                         uint8_t serial);

enum class TFrameCheck {
  Valid,
  NoStart,      // the first byte is not 0x68
  Incomplete,   // fewer bytes than the length byte asks for (or than a header)
  NoEnd,        // the byte where the frame ends is not 0x16
  BadChecksum,  // delimited, but the checksum byte differs from the sum
};

// Checks the frame that begins at data[0]. The length of a delimited frame is
// data[10] + 13, also when the check fails at the end byte or the checksum.
TFrameCheck CheckFrame(std::span<const uint8_t> data);
size_t FrameLengthAt(std::span<const uint8_t> data);

// The fields of a frame that CheckFrame accepted.
struct TFrameView {
  uint8_t MeterType = 0;
  TAddressBytes Address{};
  uint8_t Control = 0;
  std::span<const uint8_t> Data;

  bool FromMeter() const { return (Control & ControlFromMeter) != 0; }
  bool IsError() const { return (Control & ControlError) != 0; }
  uint8_t Function() const { return Control & ControlFunctionMask; }
};
TFrameView ViewFrame(std::span<const uint8_t> frame);

// "A6A5A4A3A2A1A0", two upper-case hexadecimal digits a byte.
std::string AddressText(const TAddressBytes& address);
std::string AddressText(std::span<const uint8_t> sevenBytes);

// Seven two-character pairs from the left; pair i becomes byte A(6 - i). A pair that is no
// hexadecimal number (a blank, a sign, a missing character) gives the byte 0.
TAddressBytes AddressBytes(std::string_view text);

}  // namespace cjt
