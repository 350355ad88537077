// Cron texts and the search for their next firing time.
//
// A cron text has up to seven blank-separated fields: second, minute, hour, day of month,
// month, day of week (Monday = 1 ... Sunday = 7) and year; missing fields are "*". A field is
// "*" (every value), "?" (follows the reference time), a range "a-b", a list "a,b,c-d/s", and
// "*", "?" and a range may carry a step "/s".
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cjt {

// A cron text that cannot be used, or a search that would not end.
class EScheduleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Field indices of a parsed cron text.
enum TChronField : int { cfSecond, cfMinute, cfHour, cfDay, cfMonth, cfDayOfWeek, cfYear, ChronFieldCount };

// One parsed cron field.
struct TChronEntry {
  int32_t Min = 0;
  int32_t Max = 0;
  int32_t Step = 0;
  bool Any = false;             // the field was "?"
  std::vector<int32_t> Values;  // explicit values, ascending; empty for ranges

  // The allowed value at or after v; a smaller result means the field wrapped around. A "?"
  // field moves Step on from v instead.
  int64_t NextValue(int64_t v) const;
  int64_t First(int64_t v) const { return NextValue(v); }
  // The allowed value after v.
  int64_t Succ(int64_t v) const { return Any ? NextValue(v) : NextValue(v + 1); }
};

using TChronSchedule = std::array<TChronEntry, ChronFieldCount>;

// The range that "*" stands for in each field.
struct TChronRange {
  int32_t Lo;
  int32_t Hi;
};
extern const std::array<TChronRange, ChronFieldCount> ChronRanges;

// Parses a whole cron text. Non-integer parts raise EIntegerConversion; seven "?" fields
// without a step, or a list whose ranges all run downwards, raise EScheduleError "Schedule is
// not in valid CRON format".
TChronSchedule ParseCronText(std::string_view text);

// Parses one field with the range of "*".
TChronEntry ParseChronField(std::string_view field, TChronRange range);

// The earliest whole second after from (and after start, when non-zero) at which all fields
// match, or 0 when there is none up to the last year or it lies after end (when non-zero).
// Date-times are days since 1899-12-30. A schedule with a field it cannot step through (a
// zeroed one), or a search needing more than 10000 loop tests, raises EScheduleError
// "Invalid cron format".
double FindNextTime(const TChronSchedule& chron, double from, double start, double end);

}  // namespace cjt
