// Any cron text and any at-time text, searched from any moments between the years 1900 and
// 3000: parsing refuses what it cannot use, every search ends with a time after its reference
// within the bounds (or none), and the longest-gap estimate of a queue holding both kinds of
// time events is computed while those events run on a manual clock.
//
// Input: the reference moments and the bound flags are taken from the end, the cron text from
// the front (up to a backslash that is not doubled), the at-time text is the rest.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "parser/expected_gap.h"
#include "parser/request_schedule.h"
#include "parser/schedule.h"
#include "platform/clock.h"
#include "platform/timer_service.h"
#include "support/text_values.h"

namespace {

using namespace cjt;

constexpr int64_t LastSecond = 401768LL * 86400;  // 3000-01-01, in seconds since 1899-12-30
constexpr int64_t MsPerDay = 86400000;

struct TSearchBounds {
  std::array<double, 3> From;
  double Start;
  double End;
};

double MomentOf(FuzzedDataProvider& input) {
  const int64_t second = input.ConsumeIntegralInRange<int64_t>(0, LastSecond);
  const int64_t ms = input.ConsumeIntegralInRange<int64_t>(0, 999);
  return static_cast<double>(second * 1000 + ms) / MsPerDay;
}

TSearchBounds BoundsOf(FuzzedDataProvider& input) {
  TSearchBounds bounds{};
  for (double& from : bounds.From) from = MomentOf(input);
  const uint8_t flags = input.ConsumeIntegral<uint8_t>();
  bounds.Start = (flags & 1) != 0 ? bounds.From[1] : 0;
  bounds.End = (flags & 2) != 0 ? bounds.From[2] : 0;
  return bounds;
}

// A found time is a whole second after the reference and after the start, and not after
// the end.
void CheckFound(double found, double from, const TSearchBounds& bounds) {
  if (found == 0) return;
  const int64_t ms = MsBetween(0, found);
  const bool wholeSecond = ms % 1000 == 0;
  const bool afterReference = MsBetween(std::max(from, bounds.Start), found) > 0;
  const bool withinEnd = bounds.End == 0 || MsBetween(bounds.End, found) <= 0;
  if (!wholeSecond || !afterReference || !withinEnd) std::abort();
}

void Search(const std::string& cronText, const TSearchBounds& bounds) {
  TChronSchedule chron;
  try {
    chron = ParseCronText(cronText);
  } catch (const EScheduleError&) {
    return;
  } catch (const EIntegerConversion&) {
    return;
  }
  for (double from : bounds.From) {
    try {
      CheckFound(FindNextTime(chron, from, bounds.Start, bounds.End), from, bounds);
    } catch (const EScheduleError&) {
    }
  }
}

void AddTimeItem(TQueueControllerTimer& queue, uint8_t method, const std::string& text) {
  auto item = std::make_unique<TBasicRequestItem>();
  item->Method = item->Schedule.Method = method;
  item->Schedule.Text = text;
  item->Schedule.Cron = SplitCronParams(text);
  queue.ScheduleItem(*item);
  queue.Items.Add(item.release());
}

// A suspended master queue with a cron item and an at-time item: the gap is estimated, and
// the time events run a few passes of their timers.
void EstimateGap(const std::string& cronText, const std::string& atTimeText, const TSearchBounds& bounds) {
  platform::TManualClock clock(1000000, bounds.From[0]);
  platform::TManualTimerPump pump;
  TQueueControllerTimerEx queue(nullptr);
  AddTimeItem(queue, rmCron, cronText);
  AddTimeItem(queue, rmAtTime, atTimeText);
  LongestExpectedGap(queue);
  for (int pass = 0; pass < 3; ++pass) {
    clock.Advance(1500);
    pump.Run();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const TSearchBounds bounds = BoundsOf(input);
  const std::string cronText = input.ConsumeRandomLengthString(256);
  const std::string atTimeText = input.ConsumeRemainingBytesAsString();
  Search(cronText, bounds);
  Search(CronTextOf(SplitCronParams(cronText)), bounds);
  for (const TAtTimeEntry& entry : AtTimeEntries(atTimeText)) Search(CronTextOf(entry.Fields), bounds);
  EstimateGap(cronText, atTimeText, bounds);
  return 0;
}
