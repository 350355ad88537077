#include "parser/tick_timer.h"

#include "platform/clock.h"

namespace cjt {

void TTickTimer::Clear() { *this = TTickTimer(); }

void TTickTimer::StartPlain() {
  Start = LastTick = platform::TickCount64();
  Deadline = 0;
  HasDuration = 0;
}

void TTickTimer::StartFor(uint32_t durationMs) {
  Start = LastTick = platform::TickCount64();
  Deadline = Start + durationMs;
  Duration = durationMs;
  HasDuration = 1;
}

void TTickTimer::Restart() {
  if (HasDuration)
    StartFor(Duration);
  else
    StartPlain();
}

void TTickTimer::StartBack(int64_t d) {
  const uint64_t now = platform::TickCount64();
  Start = LastTick = now;
  Deadline = 0;
  if (d < 0 && static_cast<uint64_t>(-(d + 1)) + 1 > now)
    Start = 0;
  else
    Start = now + static_cast<uint64_t>(d);
}

void TTickTimer::MoveStartBack(uint64_t ms) {
  Start = Start > ms + 1 ? Start - ms : 1;
  if (HasDuration) Deadline = Start + Duration;
}

bool TTickTimer::RunOut() const { return platform::TickCount64() >= Deadline; }

bool TTickTimer::RunOutAfter(uint32_t d) {
  if (!IsStarted()) return true;
  if (!HasDuration) {
    Duration = d;
    Deadline = Start + d;
  }
  return platform::TickCount64() >= Deadline;
}

}  // namespace cjt
