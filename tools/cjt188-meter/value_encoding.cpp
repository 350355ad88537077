#include "tools/cjt188-meter/value_encoding.h"

#include <cmath>

namespace cjt::meter {

namespace {

uint8_t BcdByte(int value) { return static_cast<uint8_t>(((value / 10) % 10) << 4 | (value % 10)); }

}  // namespace

void AppendBcd(std::vector<uint8_t>& out, double value, size_t width, int decimals) {
  double scaled = std::round(value * std::pow(10.0, decimals));
  if (!(scaled > 0)) scaled = 0;  // negative and not-a-number
  // Keep the digits that fit (at most 18), so that the conversion below cannot overflow.
  const size_t digits = width * 2 < 18 ? width * 2 : 18;
  scaled = std::fmod(scaled, std::pow(10.0, static_cast<double>(digits)));
  uint64_t number = static_cast<uint64_t>(scaled);
  for (size_t i = 0; i < width; ++i) {
    out.push_back(BcdByte(static_cast<int>(number % 100)));
    number /= 100;
  }
}

void AppendUnsigned(std::vector<uint8_t>& out, uint32_t value, size_t width) {
  for (size_t i = width; i-- > 0;) out.push_back(i < 4 ? static_cast<uint8_t>(value >> (8 * i)) : 0);
}

TCalendar SplitDateTime(double days) {
  const int64_t seconds = days > 0 ? std::llround(days * 86400.0) : 0;
  // Days from 1970-01-01, then the civil date of that day count (proleptic Gregorian).
  const int64_t z = seconds / 86400 - 25569 + 719468;
  const int64_t era = z / 146097;
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  TCalendar calendar;
  calendar.Day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  calendar.Month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  calendar.Year = static_cast<int>(yearOfEra + era * 400 + (calendar.Month <= 2 ? 1 : 0));
  const int64_t secondOfDay = seconds % 86400;
  calendar.Hour = static_cast<int>(secondOfDay / 3600);
  calendar.Minute = static_cast<int>(secondOfDay / 60 % 60);
  calendar.Second = static_cast<int>(secondOfDay % 60);
  return calendar;
}

void AppendDateTime(std::vector<uint8_t>& out, double days) {
  const TCalendar c = SplitDateTime(days);
  for (int part : {c.Second, c.Minute, c.Hour, c.Day, c.Month, c.Year % 100, c.Year / 100 % 100})
    out.push_back(BcdByte(part));
}

}  // namespace cjt::meter
