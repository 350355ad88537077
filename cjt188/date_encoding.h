// Calendar dates and times of day to date-time values (days since 1899-12-30, the time of
// day as the fraction), refusing what no calendar holds.
#pragma once

#include <stdexcept>

namespace cjt {

class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Year 1 to 9999, month 1 to 12, a day that the month has; otherwise EConvertError
// "Invalid argument to date encode".
double EncodeDate(int year, int month, int day);

// Hour 0 to 23, minute and second 0 to 59, millisecond 0 to 999; otherwise EConvertError
// "Invalid argument to time encode". The fraction of a day.
double EncodeTime(int hour, int minute, int second, int millisecond);

// A date and a time of day together. Before 1899-12-30 the time of day still counts
// forward from midnight, as the date-time representation has it.
double EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond);

}  // namespace cjt
