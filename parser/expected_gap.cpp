#include "parser/expected_gap.h"

#include <algorithm>

#include "parser/schedule.h"

namespace cjt {

namespace {

// The longest gap between the next firings of a time event, -1 when it fires no more.
int64_t LongestFiringGap(const std::string& cronText) {
  TSchedule schedule;
  schedule.SetCronText(cronText);
  if (!schedule.Reset()) return -1;
  int64_t longest = -1;
  double previous = schedule.NextTime;
  for (int n = 1; n < TimeEventLookAhead && schedule.Advance(); ++n) {
    if (CompareDateTime(schedule.NextTime, previous) < 0) break;
    longest = std::max(longest, MsBetween(previous, schedule.NextTime));
    previous = schedule.NextTime;
  }
  return longest;
}

int64_t LongestEventsGap(TQueueControllerTimer& master) {
  int64_t longest = -1;
  for (const std::string& cronText : master.EventCronTexts()) {
    try {
      longest = std::max(longest, LongestFiringGap(cronText));
    } catch (...) {
      // An event whose text no longer reads adds nothing.
    }
  }
  return longest;
}

}  // namespace

int64_t LongestExpectedGap(TQueueControllerTimer& master) {
  int64_t longest = -1;
  bool timeEvents = false;
  TReadLocked<TBasicRequestList> items(master.Items);
  for (const TBasicRequestItem* item : *items) {
    switch (item->Method) {
      case rmPoll:
        longest = std::max<int64_t>(longest, item->PollInterval);
        break;
      case rmAtTime:
      case rmCron:
        timeEvents = true;
        break;
      case rmEvent:
        longest = std::max(longest, EventItemGap);
        break;
      default:
        break;
    }
  }
  if (timeEvents) longest = std::max(longest, LongestEventsGap(master));
  return longest;
}

}  // namespace cjt
