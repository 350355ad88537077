#include "platform/process_usage.h"

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

namespace cjt::platform {

namespace {
double Seconds(const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; }
}  // namespace

TProcessUsage ReadProcessUsage() {
  TProcessUsage usage;
  rusage self{};
  if (getrusage(RUSAGE_SELF, &self) == 0) usage.CpuSeconds = Seconds(self.ru_utime) + Seconds(self.ru_stime);
  // statm: total program size, then resident pages.
  std::ifstream statm("/proc/self/statm");
  uint64_t size = 0, resident = 0;
  if (statm >> size >> resident) usage.ResidentBytes = resident * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
  return usage;
}

}  // namespace cjt::platform
