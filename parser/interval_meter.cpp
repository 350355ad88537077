#include "parser/interval_meter.h"

#include "platform/clock.h"

namespace cjt {

void TIntervalMeter::Reset() { StartReading = platform::TickCount64(); }

int64_t TIntervalMeter::Elapsed() const {
  return static_cast<int64_t>((platform::TickCount64() - StartReading) * 1000 / Frequency);
}

}  // namespace cjt
