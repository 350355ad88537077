// Keeps the calling thread serving its timers and posted work until a condition holds, for
// tests in real time. The cap only keeps a broken timer service from hanging the run.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/thread.h"

namespace cjt::test_support {

template <class TDone>
bool PumpUntil(TDone done, uint32_t capMs = 30000) {
  const uint64_t end = platform::TickCount64() + capMs;
  while (!done()) {
    if (platform::TickCount64() >= end) return false;
    platform::PumpMessagesFor(10);
  }
  return true;
}

}  // namespace cjt::test_support
