// The window-message timer component on a manual clock, pumped by hand.
#include "parser/kro_timer_ex.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/thread.h"
#include "support/application_error.h"

namespace cjt {
namespace {

class KroTimerEx : public ::testing::Test {
 protected:
  void Step(uint64_t ms) {
    Clock.Advance(ms);
    Pump.Run();
  }

  platform::TManualClock Clock{1000000};
  platform::TManualTimerPump Pump;
};

TEST_F(KroTimerEx, StartsEnabledWithOneSecondAndFiresOnlyWithAHandler) {
  TkroTimerEx timer;
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_EQ(timer.OwnerThread(), platform::CurrentThreadId());
  Step(5000);  // no handler: not armed
  int fires = 0;
  timer.SetOnTimer([&](TkroTimerEx& sender) {
    EXPECT_EQ(&sender, &timer);
    ++fires;
  });
  Step(999);
  EXPECT_EQ(fires, 0);
  Step(1);
  Step(1000);
  EXPECT_EQ(fires, 2);
  timer.SetOnTimer(nullptr);
  Step(5000);
  EXPECT_EQ(fires, 2);
}

TEST_F(KroTimerEx, IsArmedOnlyWhileEnabledWithANonZeroInterval) {
  TkroTimerEx timer;
  int fires = 0;
  timer.SetOnTimer([&](TkroTimerEx&) { ++fires; });
  timer.SetEnabled(false);
  Step(3000);
  EXPECT_EQ(fires, 0);
  timer.SetInterval(0);
  timer.SetEnabled(true);
  Step(3000);
  EXPECT_EQ(fires, 0);
  timer.SetInterval(50);
  Step(50);
  EXPECT_EQ(fires, 1);
}

TEST_F(KroTimerEx, ANewIntervalRestartsThePeriodButTheSameOneDoesNot) {
  TkroTimerEx timer;
  int fires = 0;
  timer.SetOnTimer([&](TkroTimerEx&) { ++fires; });
  Step(600);
  timer.SetInterval(1000);  // unchanged
  Step(400);
  EXPECT_EQ(fires, 1);
  Step(600);
  timer.SetInterval(500);
  Step(400);
  EXPECT_EQ(fires, 1);
  Step(100);
  EXPECT_EQ(fires, 2);
}

TEST_F(KroTimerEx, AHandlerMayDisableAndReEnableItsTimer) {
  // The timer-driven scheduler's pattern: stop, work out the next wait, start again.
  TkroTimerEx timer;
  std::vector<uint64_t> firedAt;
  timer.SetInterval(100);
  timer.SetOnTimer([&](TkroTimerEx& sender) {
    sender.SetEnabled(false);
    firedAt.push_back(platform::TickCount64());
    sender.SetInterval(sender.Interval() * 2);
    sender.SetEnabled(true);
  });
  for (int i = 0; i < 8; ++i) Step(100);
  EXPECT_EQ(firedAt, (std::vector<uint64_t>{1000100, 1000300, 1000700}));
}

TEST_F(KroTimerEx, AFailingHandlerIsReportedAndTheTimerGoesOn) {
  std::vector<std::string> reports;
  SetApplicationErrorHandler([&](const std::string& report) { reports.push_back(report); });
  TkroTimerEx timer;
  timer.SetInterval(10);
  int fires = 0;
  timer.SetOnTimer([&](TkroTimerEx&) {
    ++fires;
    throw std::runtime_error("step failed");
  });
  Step(10);
  Step(10);
  SetApplicationErrorHandler(nullptr);
  EXPECT_EQ(fires, 2);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_NE(reports[0].find("step failed"), std::string::npos);
}

TEST_F(KroTimerEx, AHandlerMayDestroyItsOwnTimer) {
  auto timer = std::make_unique<TkroTimerEx>();
  timer->SetInterval(10);
  timer->SetOnTimer([&](TkroTimerEx&) { timer.reset(); });
  Step(10);
  EXPECT_EQ(timer, nullptr);
  Step(10);
}

}  // namespace
}  // namespace cjt
