#include <sys/time.h>
#include <time.h>

#include "platform/clock_source.h"

namespace cjt::platform {

uint64_t SystemTickCount64() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Offset by one day so that no reading is ever 0, which tick timers take as "not started".
  return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u + 86400000u;
}

TCalendarTime SystemLocalTime() {
  timeval now{};
  gettimeofday(&now, nullptr);
  time_t seconds = now.tv_sec;
  tm local{};
  localtime_r(&seconds, &local);
  TCalendarTime result;
  result.Year = local.tm_year + 1900;
  result.Month = local.tm_mon + 1;
  result.Day = local.tm_mday;
  result.Hour = local.tm_hour;
  result.Minute = local.tm_min;
  result.Second = local.tm_sec > 59 ? 59 : local.tm_sec;
  result.Millisecond = static_cast<int>(now.tv_usec / 1000);
  return result;
}

}  // namespace cjt::platform
