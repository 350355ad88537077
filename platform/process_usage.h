// What the whole process has used so far: processor time and resident memory (for
// benchmarks that measure a host's process as a host would see it).
#pragma once

#include <cstdint>

namespace cjt::platform {

struct TProcessUsage {
  double CpuSeconds = 0;       // user and kernel time of all threads
  uint64_t ResidentBytes = 0;  // the working set
};

TProcessUsage ReadProcessUsage();

}  // namespace cjt::platform
