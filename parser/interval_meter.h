// Measures elapsed milliseconds from a start reading of the millisecond tick counter.
#pragma once

#include <cstdint>

namespace cjt {

class TIntervalMeter {
 public:
  TIntervalMeter() { Reset(); }
  // Takes a new start reading.
  void Reset();
  // Milliseconds since the start reading.
  int64_t Elapsed() const;

 private:
  uint64_t StartReading = 0;
  uint64_t Frequency = 1000;  // counts per second of the counter read
};

}  // namespace cjt
