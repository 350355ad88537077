// How long a connection may stay quiet while requests still run: the longest gap expected
// between two requests of a data source's configured list.
#pragma once

#include <cstdint>

#include "parser/queue_controller_timer.h"

namespace cjt {

inline constexpr int64_t EventItemGap = 86400000;  // one day
// How many firing times of a time event are looked ahead.
inline constexpr int TimeEventLookAhead = 10;

// In ms, over all items of the master queue whatever their Enabled: a polling item's
// interval, an event item's day, and for at-time and cron items the gaps between the next
// firings of every time event of the queue; -1 when no item is of these kinds. The caller
// holds the queue's item list.
int64_t LongestExpectedGap(TQueueControllerTimer& master);

}  // namespace cjt
