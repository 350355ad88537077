#include "platform/process_usage.h"

#include <windows.h>
// After windows.h.
#include <psapi.h>

namespace cjt::platform {

namespace {
double Seconds(const FILETIME& time) {
  return static_cast<double>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
}
}  // namespace

TProcessUsage ReadProcessUsage() {
  TProcessUsage usage;
  FILETIME created, exited, kernel, user;
  if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
    usage.CpuSeconds = Seconds(kernel) + Seconds(user);
  PROCESS_MEMORY_COUNTERS counters{};
  if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
    usage.ResidentBytes = counters.WorkingSetSize;
  return usage;
}

}  // namespace cjt::platform
