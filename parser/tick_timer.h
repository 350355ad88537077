// The tick timer record that measures every time-out and interval of requests, queues and
// clients. All zero means not started. It reads the 64-bit millisecond tick count and never
// allocates; all comparisons use the full 64 bits, so time-outs survive the wrap of a 32-bit
// counter.
#pragma once

#include <cstdint>

namespace cjt {

struct TTickTimer {
  uint64_t Start = 0;     // tick count when started; 0 = not started
  uint64_t Deadline = 0;  // tick count at which it runs out; 0 when started without a duration
  uint64_t LastTick = 0;  // last tick count read
  uint32_t Duration = 0;  // duration of the last StartFor or RunOutAfter
  uint8_t HasDuration = 0;

  void Clear();
  bool IsStarted() const { return Start != 0; }
  void StartPlain();
  void StartFor(uint32_t durationMs);
  // StartFor the last duration when there is one, else StartPlain.
  void Restart();
  // Started as if d milliseconds ago (d negative) or ahead; a start before tick 0 leaves the
  // timer not started.
  void StartBack(int64_t d);
  // Moves the start ms earlier, so the timer runs out that much sooner; a start that would
  // fall before tick 1 becomes tick 1 (long run out).
  void MoveStartBack(uint64_t ms);
  bool RunOut() const;
  // True when not started; a timer started without a duration runs out d ms after its start.
  bool RunOutAfter(uint32_t d);
};

}  // namespace cjt
