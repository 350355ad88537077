// Time sources of the plug-in: the millisecond tick count that measures every time-out and
// interval, and the local date-time as days since 1899-12-30 with the time of day as the
// fraction. Tests replace both by a manual clock so that timing is deterministic.
#pragma once

#include <cstdint>
#include <mutex>

namespace cjt::platform {

// Milliseconds since an arbitrary start, 64 bits wide, never wrapping in practice.
uint64_t TickCount64();

// The local date-time, days since 1899-12-30 (the OLE date).
double NowDateTime();

// A calendar date and time of day, as the operating system reports local time.
struct TCalendarTime {
  int Year = 1899, Month = 12, Day = 30, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Gregorian calendar rules.
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // month 1 to 12

// Days since 1899-12-30 of a valid calendar date and time (no range check here).
double EncodeCalendarTime(const TCalendarTime& time);

// The calendar date and time of days since 1899-12-30, to the nearest millisecond. Before
// that day the integral part counts the days back and the fraction is still the time of day.
TCalendarTime DecodeCalendarTime(double dateTime);

// Widens a 32-bit millisecond counter that wraps after 49.7 days to 64 bits: every reading
// lower than the previous one adds 2^32. Safe to call from several threads.
class TTickWidener {
 public:
  uint64_t Widen(uint32_t reading);

 private:
  std::mutex Mutex;
  uint64_t High = 0;
  uint32_t Last = 0;
};

// While alive, TickCount64 and NowDateTime read this clock instead of the system's, in every
// thread. One manual clock at a time; it starts where the caller says and moves only when
// the caller advances it.
class TManualClock {
 public:
  explicit TManualClock(uint64_t startTick = 1000000, double startDateTime = 46000.5);
  ~TManualClock();
  TManualClock(const TManualClock&) = delete;
  TManualClock& operator=(const TManualClock&) = delete;

  void Advance(uint64_t ms);
  uint64_t Tick() const;
  double DateTime() const;

 private:
  struct TState;
  TState* State;
};

}  // namespace cjt::platform
