#include "cjt188/date_encoding.h"

#include "platform/clock.h"

namespace cjt {

namespace {

void CheckDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > platform::DaysInMonth(year, month))
    throw EConvertError("Invalid argument to date encode");
}

void CheckTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999)
    throw EConvertError("Invalid argument to time encode");
}

}  // namespace

double EncodeDate(int year, int month, int day) {
  CheckDate(year, month, day);
  return platform::EncodeCalendarTime({year, month, day, 0, 0, 0, 0});
}

double EncodeTime(int hour, int minute, int second, int millisecond) {
  CheckTime(hour, minute, second, millisecond);
  return platform::EncodeCalendarTime({1899, 12, 30, hour, minute, second, millisecond});
}

double EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  CheckDate(year, month, day);
  CheckTime(hour, minute, second, millisecond);
  return platform::EncodeCalendarTime({year, month, day, hour, minute, second, millisecond});
}

}  // namespace cjt
