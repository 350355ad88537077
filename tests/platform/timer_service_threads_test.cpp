// The thread timer service with real time and real threads: timers fire on the thread that
// serves the owner's timers, other threads may arm, post and destroy at any time.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "platform/clock.h"
#include "platform/thread.h"
#include "platform/timer_service.h"

namespace cjt::platform {
namespace {

// Pumps the calling thread until done says so; a generous cap keeps a broken service from
// hanging the run.
template <class TDone>
bool PumpUntil(TDone done, uint32_t capMs = 20000) {
  const uint64_t end = TickCount64() + capMs;
  while (!done()) {
    if (TickCount64() >= end) return false;
    PumpMessagesFor(10);
  }
  return true;
}

TEST(ThreadTimers, PostedWorkFromOtherThreadsRunsWhereTheTimersRun) {
  std::atomic<int> fires{0};
  std::atomic<uint32_t> firingThread{0};
  TThreadTimer timer([&] {
    firingThread = CurrentThreadId();
    ++fires;
  });
  std::atomic<int> posted{0};
  std::atomic<uint32_t> postedThread{0};
  std::thread poster([&] {
    timer.Arm(20);
    for (int i = 0; i < 50; ++i)
      timer.Post([&] {
        postedThread = CurrentThreadId();
        ++posted;
      });
  });
  poster.join();
  ASSERT_TRUE(PumpUntil([&] { return posted == 50 && fires >= 3; }));
  EXPECT_EQ(firingThread.load(), postedThread.load());
#ifdef _WIN32
  EXPECT_EQ(firingThread.load(), CurrentThreadId());
#endif
}

TEST(ThreadTimers, DestructionFromAnotherThreadWaitsForTheRunningCallback) {
  std::atomic<bool> inCallback{false};
  std::atomic<bool> callbackDone{false};
  auto timer = std::make_unique<TThreadTimer>([&] {
    if (callbackDone) return;
    inCallback = true;
    SleepMs(100);
    callbackDone = true;
  });
  timer->Arm(5);
  auto destroyer = std::async(std::launch::async, [&] {
    while (!inCallback) SleepMs(1);
    timer.reset();
    return callbackDone.load();
  });
  ASSERT_TRUE(PumpUntil([&] { return destroyer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
  EXPECT_TRUE(destroyer.get());
}

// The owner may be blocked on a lock the destroying thread holds: removing its last timer
// (and with it the thread's service) must not wait for it to serve its messages.
TEST(ThreadTimers, RemovingTheLastTimerOfABlockedThreadDoesNotWaitForIt) {
  std::promise<void> made;
  std::promise<void> release;
  std::unique_ptr<TThreadTimer> timer;
  std::thread owner([&] {
    timer = std::make_unique<TThreadTimer>([] {});
    timer->Arm(5);
    made.set_value();
    release.get_future().wait();
    PumpMessagesFor(50);  // now it serves what was posted to it
  });
  made.get_future().wait();
  const uint64_t start = TickCount64();
  timer.reset();
  const uint64_t took = TickCount64() - start;
  release.set_value();
  owner.join();
  // A wait for the owner would end only at the 5 s time-out of a sent message; the bound is
  // loose so that a slow, shared machine cannot fail it.
  EXPECT_LT(took, 4000u);
}

TEST(ThreadTimers, SurviveTheEndOfTheirOwnerThread) {
  std::atomic<int> fires{0};
  std::unique_ptr<TThreadTimer> timer;
  std::thread owner([&] {
    timer = std::make_unique<TThreadTimer>([&] { ++fires; });
    timer->Arm(5);
    PumpMessagesFor(50);
  });
  owner.join();
  // Nothing serves them any more on Windows; elsewhere the dispatcher goes on. Either way
  // the timer can still be used and destroyed safely.
  timer->Arm(5);
  timer->Post([] {});
  PumpMessagesFor(20);
  timer.reset();
  SUCCEED();
}

TEST(ThreadTimers, ManyThreadsEachGetTheirOwnService) {
  constexpr int Threads = 8;
  std::atomic<int> fired{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < Threads; ++t)
    threads.emplace_back([&] {
      std::atomic<int> mine{0};
      TThreadTimer timer([&] { ++mine; });
      timer.Arm(5);
      if (PumpUntil([&] { return mine >= 3; })) ++fired;
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(fired.load(), Threads);
}

}  // namespace
}  // namespace cjt::platform
