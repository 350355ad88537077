#include "platform/clock.h"

#include <atomic>
#include <cmath>

#include "platform/clock_source.h"

namespace cjt::platform {

struct TManualClock::TState {
  std::atomic<uint64_t> Tick;
  std::atomic<double> DateTime;
};

namespace {

std::atomic<TManualClock*> ActiveManualClock{nullptr};

constexpr double MsPerDay = 86400000.0;

// Days from 0001-01-01 to the given date, proleptic Gregorian calendar.
int64_t DaysFromCivilStart(int year, int month, int day) {
  static const int CumulativeDays[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int64_t y = year - 1;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  days += CumulativeDays[month - 1] + day - 1;
  if (month > 2 && IsLeapYear(year)) ++days;
  return days;
}

// The date of a day count from 0001-01-01, proleptic Gregorian calendar.
void CivilFromDays(int64_t days, TCalendarTime& out) {
  int64_t n = days;  // days since 0001-01-01
  const int64_t n400 = n / 146097;
  n %= 146097;
  int64_t n100 = n / 36524;
  if (n100 == 4) n100 = 3;
  n -= n100 * 36524;
  const int64_t n4 = n / 1461;
  n %= 1461;
  int64_t n1 = n / 365;
  if (n1 == 4) n1 = 3;
  n -= n1 * 365;
  out.Year = static_cast<int>(n400 * 400 + n100 * 100 + n4 * 4 + n1 + 1);
  int month = 1;
  for (;; ++month) {
    const int length = DaysInMonth(out.Year, month);
    if (n < length) break;
    n -= length;
  }
  out.Month = month;
  out.Day = static_cast<int>(n) + 1;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int MonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : MonthDays[month - 1];
}

TCalendarTime DecodeCalendarTime(double dateTime) {
  auto days = static_cast<int64_t>(dateTime);  // toward zero: the day, also before 1899-12-30
  auto ms = static_cast<int64_t>(std::llround(std::fabs(dateTime - static_cast<double>(days)) * MsPerDay));
  if (ms >= static_cast<int64_t>(MsPerDay)) {
    ms -= static_cast<int64_t>(MsPerDay);
    days += dateTime >= 0 ? 1 : -1;
  }
  TCalendarTime out;
  CivilFromDays(days + 693593, out);
  out.Hour = static_cast<int>(ms / 3600000);
  out.Minute = static_cast<int>(ms / 60000 % 60);
  out.Second = static_cast<int>(ms / 1000 % 60);
  out.Millisecond = static_cast<int>(ms % 1000);
  return out;
}

uint64_t TickCount64() {
  if (TManualClock* clock = ActiveManualClock.load(std::memory_order_acquire)) return clock->Tick();
  return SystemTickCount64();
}

double NowDateTime() {
  if (TManualClock* clock = ActiveManualClock.load(std::memory_order_acquire)) return clock->DateTime();
  return EncodeCalendarTime(SystemLocalTime());
}

double EncodeCalendarTime(const TCalendarTime& time) {
  // 1899-12-30 is day 693593 after 0001-01-01.
  const double days = static_cast<double>(DaysFromCivilStart(time.Year, time.Month, time.Day) - 693593);
  const double ms = ((time.Hour * 60.0 + time.Minute) * 60.0 + time.Second) * 1000.0 + time.Millisecond;
  // Before 1899-12-30 the OLE date keeps the time of day as a positive fraction.
  return days >= 0 ? days + ms / MsPerDay : days - ms / MsPerDay;
}

uint64_t TTickWidener::Widen(uint32_t reading) {
  std::lock_guard<std::mutex> guard(Mutex);
  if (reading < Last) High += uint64_t{1} << 32;
  Last = reading;
  return High | reading;
}

TManualClock::TManualClock(uint64_t startTick, double startDateTime) : State(new TState) {
  State->Tick = startTick;
  State->DateTime = startDateTime;
  ActiveManualClock.store(this, std::memory_order_release);
}

TManualClock::~TManualClock() {
  TManualClock* expected = this;
  ActiveManualClock.compare_exchange_strong(expected, nullptr);
  delete State;
}

void TManualClock::Advance(uint64_t ms) {
  State->Tick += ms;
  State->DateTime = State->DateTime + ms / MsPerDay;
}

uint64_t TManualClock::Tick() const { return State->Tick; }
double TManualClock::DateTime() const { return State->DateTime; }

}  // namespace cjt::platform
