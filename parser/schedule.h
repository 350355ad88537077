// A cron schedule: the parsed text, its start and end dates and the next firing time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "parser/chron_schedule.h"

namespace cjt {

// Milliseconds from one date-time to another, rounded to the nearest.
int64_t MsBetween(double from, double to);
// -1, 0 or 1 as a is before, at or after b; differences below one millisecond count as equal.
int CompareDateTime(double a, double b);

class TSchedule {
 public:
  // What a pass of the waiting loop found.
  enum TState : uint8_t { ssNothingDue, ssFire, ssFireLast, ssExpired };

  TSchedule();

  const std::string& CronText() const { return FCronText; }
  // Whether a text was taken; until then the schedule has no times.
  bool HasCron() const { return FHasCron; }
  // Takes a new text: parses it (raising on an invalid text, and then changing nothing),
  // stores it and resets. The same text again changes nothing.
  void SetCronText(std::string_view text);
  // NextTime := now, then Advance; whether a next time exists.
  bool Reset();
  // PrevTime := NextTime; NextTime := the next firing time after it (0 when none, and
  // always 0 without a text).
  bool Advance();
  // Sets State for the present moment; a first run fires at once (or waits for StartDate).
  void Check(bool& firstRun);

  double EndDate = 0;  // 0 = none
  double NextTime;
  double PrevTime = 0;
  double StartDate = 0;  // 0 = none
  TChronSchedule Chron{};
  uint8_t State = ssNothingDue;

 private:
  std::string FCronText;
  bool FHasCron = false;
};

}  // namespace cjt
