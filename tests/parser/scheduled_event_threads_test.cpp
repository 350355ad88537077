// Events with waiting threads, in real time: each signalling type fires, where it should,
// and stops at once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "parser/scheduled_event.h"
#include "platform/clock.h"
#include "platform/thread.h"
#include "tests/common/pump_until.h"

namespace cjt {
namespace {

using test_support::PumpUntil;

class ScheduledEventThreads : public ::testing::TestWithParam<uint8_t> {};

TEST_P(ScheduledEventThreads, FiresEverySecondUntilItsLimitStopsIt) {
  TScheduledEvent event("every second");
  event.SetSignalingType(GetParam());
  event.Schedule().SetCronText("* * * * * *");
  event.RunLimit = 2;
  std::atomic<int> fired{0}, stopped{0};
  std::atomic<bool> onStartingThread{false};
  const std::thread::id starter = std::this_thread::get_id();
  event.OnSchedule = [&](TScheduledEvent& sender) {
    EXPECT_EQ(&sender, &event);
    if (std::this_thread::get_id() == starter) onStartingThread = true;
    ++fired;
  };
  event.OnStop = [&](TScheduledEvent&) { ++stopped; };
  ASSERT_TRUE(event.Run(false));
  EXPECT_THROW(event.SetSignalingType(TScheduledEvent::stTimer), std::logic_error);
  // The firing that reaches the limit stops the event from whatever thread it runs on.
  ASSERT_TRUE(PumpUntil([&] { return stopped == 1; }));
  EXPECT_EQ(fired, 2);
  EXPECT_FALSE(event.Running());
  if (GetParam() == TScheduledEvent::stWorkerThread) {
    EXPECT_FALSE(onStartingThread);
  }
}

TEST_P(ScheduledEventThreads, ReportsTheLastRunWhereTheEventStarted) {
  TScheduledEvent event("last");
  event.SetSignalingType(GetParam());
  event.Schedule().SetCronText("* * * * * *");
  event.Schedule().EndDate = platform::NowDateTime() + 1.5 / 86400;
  std::atomic<int> fired{0}, lastRuns{0};
  event.OnSchedule = [&](TScheduledEvent&) { ++fired; };
  event.OnLastRun = [&](TScheduledEvent&) { ++lastRuns; };
  ASSERT_TRUE(event.Run(false));
  ASSERT_TRUE(PumpUntil([&] { return lastRuns == 1 && fired >= 1; }));
}

INSTANTIATE_TEST_SUITE_P(SignalingTypes, ScheduledEventThreads,
                         ::testing::Values(TScheduledEvent::stWorkerThread, TScheduledEvent::stSynchronized,
                                           TScheduledEvent::stWindowMessage));

}  // namespace
}  // namespace cjt
