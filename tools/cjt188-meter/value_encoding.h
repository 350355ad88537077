// The meter side of the value layouts: numbers and date-times into the bytes that an
// answer carries, the inverse of the plug-in's value decoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cjt::meter {

// value * 10^decimals, rounded, as BCD in width bytes, least significant pair first.
// Negative values give 0; digits beyond the width roll over as a meter counter does.
void AppendBcd(std::vector<uint8_t>& out, double value, size_t width, int decimals);

// value in width bytes, most significant first; a width above 4 leads with zero bytes.
void AppendUnsigned(std::vector<uint8_t>& out, uint32_t value, size_t width);

struct TCalendar {
  int Year = 1899, Month = 12, Day = 30, Hour = 0, Minute = 0, Second = 0;
};
// A date-time value (days since 1899-12-30, not before it) to its calendar date and time,
// to the nearest second.
TCalendar SplitDateTime(double days);

// Seven BCD bytes: second, minute, hour, day, month, year low, year high.
void AppendDateTime(std::vector<uint8_t>& out, double days);

}  // namespace cjt::meter
