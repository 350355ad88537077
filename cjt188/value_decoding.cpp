#include "cjt188/value_decoding.h"

#include <algorithm>
#include <charconv>
#include <climits>

#include "cjt188/date_encoding.h"

namespace cjt {

namespace {

constexpr size_t DateTimeWidth = 7;

int BcdByte(uint8_t byte) { return (byte >> 4) * 10 + (byte & 0x0F); }

// The decimal digits of the bytes, most significant first; empty when a nibble is no digit.
std::string BcdDigits(std::span<const uint8_t> bytes, size_t width) {
  const size_t count = std::min(width, bytes.size());
  std::string digits;
  digits.reserve(count * 2);
  for (size_t i = count; i-- > 0;) {
    const uint8_t byte = bytes[i];
    if ((byte >> 4) > 9 || (byte & 0x0F) > 9) return {};
    digits.push_back(static_cast<char>('0' + (byte >> 4)));
    digits.push_back(static_cast<char>('0' + (byte & 0x0F)));
  }
  return digits;
}

// Up to 14 digits (seven bytes) a whole number is summed without making its text.
constexpr size_t ExactBcdBytes = 7;

struct TBcdNumber {
  uint64_t Value = 0;
  bool Valid = false;  // false when a nibble is no digit or there are no digits
};

TBcdNumber BcdNumber(std::span<const uint8_t> bytes, size_t count) {
  TBcdNumber number;
  for (size_t i = count; i-- > 0;) {
    const uint8_t byte = bytes[i];
    if ((byte >> 4) > 9 || (byte & 0x0F) > 9) return {};
    number.Value = number.Value * 100 + static_cast<uint64_t>(BcdByte(byte));
  }
  number.Valid = count > 0;
  return number;
}

// Longer whole numbers are read as text.
int32_t TextBcdInteger(std::span<const uint8_t> bytes, size_t width) {
  const std::string text = BcdDigits(bytes, width);
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

}  // namespace

uint32_t DecodeUnsigned(std::span<const uint8_t> bytes, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < std::min({width, size_t{4}, bytes.size()}); ++i) value = (value << 8) | bytes[i];
  return value;
}

TDateTimeValue DecodeDateTime(std::span<const uint8_t> bytes) {
  int field[DateTimeWidth] = {};
  for (size_t i = 0; i < std::min(DateTimeWidth, bytes.size()); ++i) field[i] = BcdByte(bytes[i]);
  const int minute = field[1], hour = field[2], day = field[3], month = field[4];
  const int year = field[6] * 100 + field[5];
  TDateTimeValue result;
  if (month < 1 || month > 12 || day < 1 || day > 31) return result;
  try {
    result.Value = EncodeDateTime(year, month, day, hour, minute, 0, 0);
  } catch (const EConvertError& error) {
    result.Error = error.what();
  }
  return result;
}

// Read as decimal text: the correctly rounded double on every target. Dividing the whole
// number by a power of ten is not, where the division runs in the x87 unit's longer format
// and is rounded twice (32-bit x86).
double DecodeBcd(std::span<const uint8_t> bytes, size_t width, int decimals) {
  std::string text = BcdDigits(bytes, width);
  if (text.empty()) return 0;
  if (decimals > 0) {
    if (static_cast<size_t>(decimals) > text.size()) text.insert(0, decimals - text.size(), '0');
    text.insert(text.size() - decimals, ".");
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

int32_t DecodeBcdInteger(std::span<const uint8_t> bytes, size_t width) {
  const size_t count = std::min(width, bytes.size());
  if (count > ExactBcdBytes) return TextBcdInteger(bytes, width);
  const TBcdNumber number = BcdNumber(bytes, count);
  return number.Valid && number.Value <= static_cast<uint64_t>(INT32_MAX) ? static_cast<int32_t>(number.Value) : 0;
}

TDecodedValue DecodeValue(const TRequestFuncType& row, std::span<const uint8_t> bytes) {
  switch (row.Kind()) {
    case TValueKind::Integer:
      return {DecodeUnsigned(bytes, row.Width), std::min<size_t>(row.Width, bytes.size())};
    case TValueKind::DateTime:
      return {DecodeDateTime(bytes), std::min(DateTimeWidth, bytes.size())};
    case TValueKind::MeterType:  // no data bytes: the frame's type byte, which the caller has
      return {uint32_t{0}, 0};
    case TValueKind::Bcd:
      break;
  }
  const size_t consumed = std::min<size_t>(row.Width, bytes.size());
  if (row.Decimals() == 0) return {DecodeBcdInteger(bytes, row.Width), consumed};
  return {DecodeBcd(bytes, row.Width, row.Decimals()), consumed};
}

}  // namespace cjt
