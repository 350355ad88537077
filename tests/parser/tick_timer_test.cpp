#include "parser/tick_timer.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

namespace cjt {
namespace {

TEST(TickTimer, NeverStartedHasRunOutAndClearForgetsEverything) {
  platform::TManualClock clock(50000);
  TTickTimer timer;
  EXPECT_FALSE(timer.IsStarted());
  EXPECT_TRUE(timer.RunOutAfter(5000));
  timer.StartFor(100);
  timer.Clear();
  EXPECT_FALSE(timer.IsStarted());
  EXPECT_EQ(timer.Duration, 0u);
  EXPECT_EQ(timer.HasDuration, 0);
}

TEST(TickTimer, RunsOutAtItsDeadline) {
  platform::TManualClock clock(50000);
  TTickTimer timer;
  timer.StartFor(300);
  EXPECT_EQ(timer.Deadline, 50300u);
  clock.Advance(299);
  EXPECT_FALSE(timer.RunOut());
  clock.Advance(1);
  EXPECT_TRUE(timer.RunOut());
  // RunOutAfter keeps the duration of StartFor.
  timer.StartFor(300);
  clock.Advance(100);
  EXPECT_FALSE(timer.RunOutAfter(50));
}

TEST(TickTimer, RunOutAfterMeasuresFromAPlainStart) {
  platform::TManualClock clock(50000);
  TTickTimer timer;
  timer.StartPlain();
  EXPECT_EQ(timer.Deadline, 0u);
  clock.Advance(4999);
  EXPECT_FALSE(timer.RunOutAfter(5000));
  clock.Advance(1);
  EXPECT_TRUE(timer.RunOutAfter(5000));
  EXPECT_EQ(timer.Duration, 5000u);
}

TEST(TickTimer, RestartRepeatsTheLastKindOfStart) {
  platform::TManualClock clock(50000);
  TTickTimer timer;
  timer.StartFor(200);
  clock.Advance(500);
  timer.Restart();
  EXPECT_EQ(timer.Deadline, 50700u);
  timer.StartPlain();
  timer.Restart();
  EXPECT_EQ(timer.Deadline, 0u);
  EXPECT_EQ(timer.Start, 50500u);
}

TEST(TickTimer, SurvivesTheWrapOfA32BitCount) {
  // Deadline just below 2^32; the low 32 bits of "now" are smaller than the deadline's once
  // the count has passed it, yet the timer has run out.
  platform::TManualClock clock(0xFFFFFF00u);
  TTickTimer timer;
  timer.StartFor(0xF0);
  EXPECT_EQ(timer.Deadline, 0xFFFFFFF0u);
  EXPECT_FALSE(timer.RunOut());
  clock.Advance(0x120);
  EXPECT_EQ(platform::TickCount64() & 0xFFFFFFFFu, 0x20u);
  EXPECT_TRUE(timer.RunOut());
}

TEST(TickTimer, StartBackMovesTheStartAndRefusesOneBeforeTickZero) {
  platform::TManualClock clock(10000);
  TTickTimer timer;
  timer.StartBack(-4000);
  EXPECT_EQ(timer.Start, 6000u);
  EXPECT_EQ(timer.Deadline, 0u);
  EXPECT_TRUE(timer.RunOutAfter(4000));
  timer.StartBack(2500);
  EXPECT_EQ(timer.Start, 12500u);
  timer.StartBack(-10001);
  EXPECT_FALSE(timer.IsStarted());
  timer.StartBack(INT64_MIN);
  EXPECT_FALSE(timer.IsStarted());
}

}  // namespace
}  // namespace cjt
