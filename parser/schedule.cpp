#include "parser/schedule.h"

#include <cmath>

#include "platform/clock.h"

namespace cjt {

namespace {
constexpr double MsPerDay = 86400000.0;
}

int64_t MsBetween(double from, double to) { return std::llround((to - from) * MsPerDay); }

int CompareDateTime(double a, double b) {
  const double ms = (a - b) * MsPerDay;
  return std::fabs(ms) < 1 ? 0 : ms < 0 ? -1 : 1;
}

TSchedule::TSchedule() : NextTime(platform::NowDateTime()) {}

void TSchedule::SetCronText(std::string_view text) {
  if (text == FCronText) return;
  Chron = ParseCronText(text);
  FCronText = std::string(text);
  FHasCron = true;
  Reset();
}

bool TSchedule::Reset() {
  NextTime = platform::NowDateTime();
  return Advance();
}

bool TSchedule::Advance() {
  PrevTime = NextTime;
  // Without a text Chron is all zeros, which no search can step through.
  NextTime = FHasCron ? FindNextTime(Chron, NextTime, StartDate, EndDate) : 0;
  return NextTime != 0;
}

void TSchedule::Check(bool& firstRun) {
  State = ssNothingDue;
  const double now = platform::NowDateTime();
  if (EndDate > 0 && now > EndDate) {
    State = ssExpired;
    return;
  }
  if (firstRun) {
    if (now >= StartDate)
      State = ssFire;
    else
      NextTime = StartDate;
    firstRun = false;
    return;
  }
  if (CompareDateTime(NextTime, now) > 0) return;
  if (!Advance())
    State = ssFireLast;
  else if (StartDate == 0 || now >= StartDate)
    State = ssFire;
}

}  // namespace cjt
