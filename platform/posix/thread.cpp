#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include "platform/thread.h"

namespace cjt::platform {

uint32_t CurrentThreadId() {
  thread_local const uint32_t id = static_cast<uint32_t>(syscall(SYS_gettid));
  return id;
}

void SleepMs(uint32_t ms) {
  timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0) {
  }
}

void PumpMessagesFor(uint32_t ms) { SleepMs(ms); }

}  // namespace cjt::platform
