// The thread timer service on a manual clock, pumped by hand.
#include "platform/timer_service.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/thread.h"

namespace cjt::platform {
namespace {

class ManualTimers : public ::testing::Test {
 protected:
  TManualClock Clock{1000000};
  TManualTimerPump Pump;
};

TEST_F(ManualTimers, FireEveryIntervalCountedFromTheLastRun) {
  int fires = 0;
  TThreadTimer timer([&] { ++fires; });
  EXPECT_EQ(timer.OwnerThread(), CurrentThreadId());
  ASSERT_TRUE(timer.Arm(100));
  Clock.Advance(99);
  EXPECT_EQ(Pump.Run(), 0u);
  Clock.Advance(1);
  EXPECT_EQ(Pump.Run(), 1u);
  // A late pump runs the timer once, not once per missed period.
  Clock.Advance(350);
  EXPECT_EQ(Pump.Run(), 1u);
  Clock.Advance(99);
  EXPECT_EQ(Pump.Run(), 0u);
  Clock.Advance(1);
  Pump.Run();
  EXPECT_EQ(fires, 3);
}

TEST_F(ManualTimers, ArmingAgainRestartsThePeriodAndDisarmingStopsIt) {
  int fires = 0;
  TThreadTimer timer([&] { ++fires; });
  timer.Arm(100);
  Clock.Advance(80);
  timer.Arm(100);
  Clock.Advance(80);
  Pump.Run();
  EXPECT_EQ(fires, 0);
  Clock.Advance(20);
  Pump.Run();
  EXPECT_EQ(fires, 1);
  timer.Disarm();
  Clock.Advance(1000);
  EXPECT_EQ(Pump.Run(), 0u);
  timer.Arm(0);  // an interval of 0 still fires, every millisecond
  Clock.Advance(1);
  Pump.Run();
  EXPECT_EQ(fires, 2);
}

TEST_F(ManualTimers, OnlyANewEarliestDeadlineWakesTheService) {
  TThreadTimer early([] {});
  TThreadTimer late([] {});
  ASSERT_TRUE(early.Arm(50));
  EXPECT_EQ(Pump.WakeRequests(), 1u);
  // Behind the earliest deadline: whoever waits for that one sees this one in time.
  for (int k = 0; k < 100; ++k) late.Arm(60000);
  EXPECT_EQ(Pump.WakeRequests(), 1u);
  late.Arm(10);  // now the earliest
  EXPECT_EQ(Pump.WakeRequests(), 2u);
  // Re-armed later than before while it was the earliest: the early wake finds nothing due,
  // and the service then waits for what is next.
  late.Arm(60000);
  EXPECT_EQ(Pump.WakeRequests(), 2u);
  early.Post([] {});
  EXPECT_EQ(Pump.WakeRequests(), 3u);
  Clock.Advance(50);
  EXPECT_EQ(Pump.Run(), 2u);  // the posted work and the early timer
}

TEST_F(ManualTimers, RunTimersInDeadlineOrderAndPostedWorkFirst) {
  std::vector<std::string> order;
  TThreadTimer slow([&] { order.push_back("slow"); });
  TThreadTimer fast([&] { order.push_back("fast"); });
  slow.Arm(300);
  fast.Arm(200);
  slow.Post([&] { order.push_back("posted 1"); });
  fast.Post([&] { order.push_back("posted 2"); });
  Clock.Advance(300);
  EXPECT_EQ(Pump.Run(), 4u);
  EXPECT_EQ(order, (std::vector<std::string>{"posted 1", "posted 2", "fast", "slow"}));
}

TEST_F(ManualTimers, WorkPostedByWorkWaitsForTheNextRound) {
  int runs = 0;
  TThreadTimer timer([] {});
  std::function<void()> again = [&] {
    ++runs;
    timer.Post(again);
  };
  timer.Post(again);
  EXPECT_EQ(Pump.Run(), 1u);
  EXPECT_EQ(Pump.Run(), 1u);
  EXPECT_EQ(runs, 2);
}

TEST_F(ManualTimers, ACallbackMayDestroyItsOwnTimer) {
  int fires = 0;
  std::unique_ptr<TThreadTimer> timer;
  timer = std::make_unique<TThreadTimer>([&] {
    ++fires;
    timer.reset();
  });
  TThreadTimer other([&] { ++fires; });
  timer->Arm(10);
  other.Arm(10);
  Clock.Advance(10);
  EXPECT_EQ(Pump.Run(), 2u);
  EXPECT_EQ(timer, nullptr);
  Clock.Advance(10);
  EXPECT_EQ(Pump.Run(), 1u);
  EXPECT_EQ(fires, 3);
}

TEST_F(ManualTimers, ADestroyedTimerDropsItsPostedWork) {
  bool ran = false;
  {
    TThreadTimer timer([] {});
    timer.Post([&] { ran = true; });
  }
  EXPECT_EQ(Pump.Run(), 0u);
  EXPECT_FALSE(ran);
}

TEST_F(ManualTimers, AFailingCallbackKeepsItsTimerAndTheOthersRunning) {
  int fires = 0;
  TThreadTimer failing([&] {
    ++fires;
    throw std::runtime_error("handler failed");
  });
  TThreadTimer healthy([&] { ++fires; });
  failing.Arm(10);
  healthy.Arm(10);
  for (int round = 0; round < 3; ++round) {
    Clock.Advance(10);
    Pump.Run();
  }
  EXPECT_EQ(fires, 6);
}

TEST_F(ManualTimers, ManyTimersEachFireAtTheirInterval) {
  constexpr int Count = 20000;
  std::vector<int> fires(Count, 0);
  std::vector<std::unique_ptr<TThreadTimer>> timers;
  for (int i = 0; i < Count; ++i) {
    timers.push_back(std::make_unique<TThreadTimer>([&fires, i] { ++fires[i]; }));
    timers.back()->Arm(1000 + i % 7);
  }
  Clock.Advance(999);
  EXPECT_EQ(Pump.Run(), 0u);
  Clock.Advance(7);
  EXPECT_EQ(Pump.Run(), static_cast<size_t>(Count));
  // Re-arming every timer leaves stale deadlines behind; they must not pile up or fire.
  for (auto& timer : timers) timer->Arm(1000);
  Clock.Advance(1000);
  EXPECT_EQ(Pump.Run(), static_cast<size_t>(Count));
  for (int count : fires) EXPECT_EQ(count, 2);
}

TEST(ManualTimerPump, RefusesAThreadWhoseTimersAreServedAlready) {
  TManualTimerPump pump;
  EXPECT_THROW(TManualTimerPump second, std::logic_error);
}

}  // namespace
}  // namespace cjt::platform
