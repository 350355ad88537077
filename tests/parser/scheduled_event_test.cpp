// Schedules and timer-driven events on a manual clock, their timers pumped by hand.
#include "parser/scheduled_event.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/timer_service.h"
#include "support/text_values.h"

namespace cjt {
namespace {

constexpr uint64_t StartTick = 1000000;

double At(int hour, int minute, int second, int ms = 0) {
  return platform::EncodeCalendarTime({2024, 3, 15, hour, minute, second, ms});
}

class ScheduledEvent : public ::testing::Test {
 protected:
  explicit ScheduledEvent(double start = At(10, 0, 3)) : Clock(StartTick, start) {}

  // Coarse steps by default: the manual clock adds a rounding error to its date-time with
  // every step, and the events compare date-times to the millisecond.
  void Run(uint64_t ms, uint64_t step = 100) {
    for (uint64_t passed = 0; passed < ms; passed += step) {
      Clock.Advance(step);
      Pump.Run();
    }
  }

  // A timer-driven event on the text, recording the ms since the start of each firing.
  std::unique_ptr<TScheduledEvent> Start(const std::string& cron) {
    auto event = std::make_unique<TScheduledEvent>("test");
    event->SetSignalingType(TScheduledEvent::stTimer);
    event->Schedule().SetCronText(cron);
    event->OnSchedule = [this](TScheduledEvent&) { Fired.push_back(platform::TickCount64() - StartTick); };
    EXPECT_TRUE(event->Run(false));
    return event;
  }

  platform::TManualClock Clock;
  platform::TManualTimerPump Pump;
  std::vector<uint64_t> Fired;
};

TEST_F(ScheduledEvent, TimerDrivenEventsFireOnTheSecondAndSkipMissedTimes) {
  auto event = Start("*/10 * * * * *");
  EXPECT_THROW(event->SetSignalingType(TScheduledEvent::stWindowMessage), std::logic_error);
  Run(25000);
  EXPECT_EQ(Fired, (std::vector<uint64_t>{7000, 17000}));
  // Asleep past several times: one firing for the first due time, the rest skipped.
  Clock.Advance(60000);
  Pump.Run();
  Run(12000);
  EXPECT_EQ(Fired, (std::vector<uint64_t>{7000, 17000, 85000, 87000, 97000}));
  EXPECT_EQ(event->RunCount(), 5u);
  event->Paused = true;
  Run(10000);
  EXPECT_EQ(Fired.size(), 5u);
  event->Stop();
  event->Paused = false;
  Run(20000);
  EXPECT_EQ(Fired.size(), 5u);
}

class ScheduledEventJustBefore : public ScheduledEvent {
 protected:
  ScheduledEventJustBefore() : ScheduledEvent(At(10, 0, 9, 999)) {}
};

TEST_F(ScheduledEventJustBefore, AFiringOneMillisecondAwayIsNotLost) {
  auto event = Start("*/10 * * * * *");
  Run(1, 1);
  EXPECT_EQ(Fired, (std::vector<uint64_t>{1}));
}

TEST_F(ScheduledEvent, AnEventMayStopOrFreeItselfWhileFiring) {
  auto event = Start("* * * * * *");
  event->RunLimit = 2;
  int limitReached = 0, stopped = 0;
  event->OnLimitReached = [&](TScheduledEvent&) { ++limitReached; };
  event->OnStop = [&](TScheduledEvent&) { ++stopped; };
  Run(5000);
  EXPECT_EQ(Fired.size(), 2u);
  EXPECT_EQ(limitReached, 1);
  EXPECT_EQ(stopped, 1);
  EXPECT_FALSE(event->Running());

  auto freed = Start("* * * * * *");
  freed->OnSchedule = [&](TScheduledEvent&) { freed.reset(); };
  Run(2000);
  EXPECT_EQ(freed, nullptr);
}

TEST_F(ScheduledEvent, TheLastTimeBeforeTheEndDateFiresAsTheLastRun) {
  auto event = Start("*/10 * * * * *");
  event->Stop();
  event->Schedule().EndDate = At(10, 0, 25);
  ASSERT_TRUE(event->Run(false));
  Run(40000);
  EXPECT_EQ(Fired, (std::vector<uint64_t>{7000, 17000}));
  EXPECT_EQ(event->Schedule().State, TSchedule::ssFireLast);
}

class ScheduledEventAtYearEnd : public ScheduledEvent {
 protected:
  ScheduledEventAtYearEnd() : ScheduledEvent(platform::EncodeCalendarTime({2024, 12, 29, 13, 0, 0, 0})) {}
};

TEST_F(ScheduledEventAtYearEnd, AsleepPastTheLastTimeItFiresOnceAndNeverAgain) {
  auto event = Start("0 0 12 * * * 2024");
  Clock.Advance(4 * 86400000ull);  // past the noons of the 30th and 31st
  Pump.Run();
  Run(60000, 1000);
  EXPECT_EQ(Fired, (std::vector<uint64_t>{4 * 86400000ull}));
}

TEST_F(ScheduledEvent, ScheduleChecksAndATextThatFailsChangesNothing) {
  TSchedule schedule;
  EXPECT_FALSE(schedule.Reset());  // no text yet: no times
  EXPECT_EQ(schedule.NextTime, 0);
  schedule.SetCronText("0 0 12 * * *");
  EXPECT_EQ(schedule.NextTime, At(12, 0, 0));
  EXPECT_THROW(schedule.SetCronText("0 0 x * * *"), EIntegerConversion);
  EXPECT_THROW(schedule.SetCronText("? ? ? ? ? ? ?"), EScheduleError);
  EXPECT_EQ(schedule.CronText(), "0 0 12 * * *");
  EXPECT_TRUE(schedule.HasCron());
  EXPECT_EQ(schedule.Chron[cfHour].Min, 12);
  EXPECT_FALSE(schedule.Chron[cfSecond].Any);
  bool firstRun = true;
  schedule.Check(firstRun);
  EXPECT_EQ(schedule.State, TSchedule::ssFire);  // a first run fires at once
  EXPECT_FALSE(firstRun);
  schedule.Check(firstRun);
  EXPECT_EQ(schedule.State, TSchedule::ssNothingDue);
  schedule.EndDate = At(10, 0, 0);
  schedule.Check(firstRun);
  EXPECT_EQ(schedule.State, TSchedule::ssExpired);
}

}  // namespace
}  // namespace cjt
