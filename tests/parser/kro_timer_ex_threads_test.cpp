// Window-message timers in real time: thousands on one thread, changed and destroyed from
// other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "parser/kro_timer_ex.h"
#include "platform/clock.h"
#include "platform/thread.h"
#include "tests/common/pump_until.h"

namespace cjt {
namespace {

using test_support::PumpUntil;

TEST(KroTimerExThreads, TwentyThousandTimersOnOneThreadEachFireAtTheirInterval) {
  constexpr int Count = 20000;
  struct TRecord {
    uint64_t Created = 0;
    std::atomic<uint64_t> FirstFire{0};
    std::atomic<int> Fires{0};
  };
  std::vector<TRecord> records(Count);
  std::vector<std::unique_ptr<TkroTimerEx>> timers;
  std::atomic<int> timersWithTwoFires{0};
  for (int i = 0; i < Count; ++i) {
    timers.push_back(std::make_unique<TkroTimerEx>());
    TRecord& record = records[i];
    record.Created = platform::TickCount64();
    timers.back()->SetOnTimer([&record, &timersWithTwoFires](TkroTimerEx&) {
      if (record.Fires == 0) record.FirstFire = platform::TickCount64();
      if (++record.Fires == 2) ++timersWithTwoFires;
    });
  }
  // The owner thread stays responsive: work posted by another thread keeps getting done
  // while all the timers are due.
  std::atomic<int> answered{0};
  std::atomic<bool> stop{false};
  platform::TThreadTimer mailbox([] {});
  std::thread asker([&] {
    while (!stop) {
      mailbox.Post([&] { ++answered; });
      platform::SleepMs(100);
    }
  });
  const bool allFiredTwice = PumpUntil([&] { return timersWithTwoFires == Count; });
  const int answeredWhileBusy = answered;
  stop = true;
  asker.join();
  ASSERT_TRUE(allFiredTwice) << timersWithTwoFires << " of " << Count;
  EXPECT_GT(answeredWhileBusy, 5);
  int early = 0;
  for (const TRecord& record : records)
    if (record.FirstFire - record.Created < 1000) ++early;
  EXPECT_EQ(early, 0);
  timers.clear();
}

TEST(KroTimerExThreads, EnablingFromAnotherThreadTakesEffectWhereTheTimerRuns) {
  TkroTimerEx timer;
  std::atomic<int> fires{0};
  timer.SetEnabled(false);
  timer.SetInterval(10);
  timer.SetOnTimer([&](TkroTimerEx&) { ++fires; });
  std::thread([&] { timer.SetEnabled(true); }).join();
  ASSERT_TRUE(PumpUntil([&] { return fires >= 3; }));
  std::thread([&] { timer.SetEnabled(false); }).join();
  platform::PumpMessagesFor(30);  // a firing already under way may still finish
  const int afterDisable = fires;
  platform::PumpMessagesFor(100);
  EXPECT_EQ(fires.load(), afterDisable);
}

TEST(KroTimerExThreads, DestroyingFromAnotherThreadWaitsForARunningHandler) {
  auto timer = std::make_unique<TkroTimerEx>();
  timer->SetInterval(5);
  std::atomic<bool> entered{false};
  std::atomic<bool> finished{false};
  timer->SetOnTimer([&](TkroTimerEx& sender) {
    if (entered.exchange(true)) return;
    platform::SleepMs(100);
    EXPECT_EQ(sender.Interval(), 5u);  // still alive
    finished = true;
  });
  auto destroyer = std::async(std::launch::async, [&] {
    while (!entered) platform::SleepMs(1);
    timer.reset();
    return finished.load();
  });
  ASSERT_TRUE(PumpUntil([&] { return destroyer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
  EXPECT_TRUE(destroyer.get());
}

TEST(KroTimerExThreads, PropertiesChangeSafelyFromManyThreads) {
  TkroTimerEx timer;
  std::atomic<int> fires{0};
  timer.SetOnTimer([&](TkroTimerEx&) { ++fires; });
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&timer, t] {
      for (int i = 0; i < 500; ++i) {
        timer.SetInterval(1 + (i + t) % 5);
        timer.SetEnabled(i % 3 != 0);
      }
    });
  for (auto& thread : threads) thread.join();
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return fires >= 3; }));
}

}  // namespace
}  // namespace cjt
