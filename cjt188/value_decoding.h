// Decoding of the values of an answer, one value-item row at a time, over the bytes that
// follow the data identifier and serial number. Pure functions: nothing is logged here;
// a date-time that no calendar holds comes back with the conversion error's message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>

#include "cjt188/cjt188_types.h"

namespace cjt {

// Unsigned integer from the first min(width, 4) bytes, the first byte most significant.
uint32_t DecodeUnsigned(std::span<const uint8_t> bytes, size_t width);

struct TDateTimeValue {
  double Value = 0;   // days since 1899-12-30; 0 when the bytes hold no date
  std::string Error;  // "Invalid argument to date encode" / "... time encode", or empty
};

// Seven BCD bytes: second, minute, hour, day, month, year (low two digits), year (high two
// digits), each read as high nibble * 10 + low nibble. A month outside 1-12 or a day outside
// 1-31 gives the zero date-time; so does a date or time the calendar refuses (day 31 in
// April, hour 24), which also sets Error. The seconds are not used. Missing bytes read as 0.
TDateTimeValue DecodeDateTime(std::span<const uint8_t> bytes);

// BCD digits of up to width bytes, the first byte holding the two least significant
// digits. Any nibble above 9 gives 0.
double DecodeBcd(std::span<const uint8_t> bytes, size_t width, int decimals);
// The same without decimal places, as a signed 32-bit number (0 when it does not fit).
int32_t DecodeBcdInteger(std::span<const uint8_t> bytes, size_t width);

// The value of one row: uint32_t for integer rows, int32_t for BCD rows without decimal
// places, double for the other BCD rows, TDateTimeValue for date-time rows.
using TValue = std::variant<uint32_t, int32_t, double, TDateTimeValue>;

struct TDecodedValue {
  TValue Value;
  size_t Consumed = 0;  // bytes of the value, the unit byte not included
};
TDecodedValue DecodeValue(const TRequestFuncType& row, std::span<const uint8_t> bytes);

}  // namespace cjt
