#include "platform/clock.h"

#include <gtest/gtest.h>

#include <tuple>

#include <thread>
#include <vector>

namespace cjt::platform {
namespace {

TEST(CalendarTime, EncodesDaysSince18991230) {
  EXPECT_DOUBLE_EQ(EncodeCalendarTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
  EXPECT_DOUBLE_EQ(EncodeCalendarTime({1900, 1, 1, 0, 0, 0, 0}), 2.0);
  EXPECT_DOUBLE_EQ(EncodeCalendarTime({1900, 3, 1, 0, 0, 0, 0}), 61.0);  // 1900 is no leap year
  EXPECT_DOUBLE_EQ(EncodeCalendarTime({2000, 1, 1, 0, 0, 0, 0}), 36526.0);
  EXPECT_DOUBLE_EQ(EncodeCalendarTime({2024, 3, 1, 0, 0, 0, 0}) - EncodeCalendarTime({2024, 2, 28, 0, 0, 0, 0}), 2.0);
  EXPECT_DOUBLE_EQ(EncodeCalendarTime({2026, 12, 8, 18, 0, 0, 0}), 46364.75);
  EXPECT_NEAR(EncodeCalendarTime({2026, 12, 8, 0, 0, 1, 500}) - 46364.0, 1.5 / 86400.0, 1e-12);
}

TEST(CalendarTime, KeepsTheTimeOfDayPositiveBefore1899) {
  // The day before the epoch at noon is -1.5: the whole days count back, the fraction too.
  EXPECT_DOUBLE_EQ(EncodeCalendarTime({1899, 12, 29, 12, 0, 0, 0}), -1.5);
}

TEST(CalendarTime, DecodesWhatItEncodes) {
  const TCalendarTime samples[] = {{2025, 12, 9, 12, 0, 0, 0}, {2000, 2, 29, 23, 59, 59, 999},
                                   {1899, 12, 30, 0, 0, 0, 0}, {1899, 12, 29, 6, 0, 0, 0},
                                   {100, 1, 1, 0, 0, 0, 0},    {9999, 12, 31, 18, 30, 0, 0},
                                   {1900, 3, 1, 0, 0, 1, 500}};
  for (const TCalendarTime& t : samples) {
    const TCalendarTime back = DecodeCalendarTime(EncodeCalendarTime(t));
    EXPECT_EQ(std::tie(back.Year, back.Month, back.Day, back.Hour, back.Minute, back.Second, back.Millisecond),
              std::tie(t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second, t.Millisecond))
        << t.Year << "-" << t.Month << "-" << t.Day;
  }
  // A time of day that rounds up to midnight belongs to the next day.
  const TCalendarTime midnight = DecodeCalendarTime(1.0 - 1e-10);
  EXPECT_EQ(std::tie(midnight.Day, midnight.Hour), std::make_tuple(31, 0));
}

TEST(TickWidener, AddsTwoToThe32ndAtEveryWrap) {
  TTickWidener widener;
  EXPECT_EQ(widener.Widen(0xFFFFFF00u), 0xFFFFFF00u);
  EXPECT_EQ(widener.Widen(0xFFFFFFFFu), 0xFFFFFFFFu);
  EXPECT_EQ(widener.Widen(5), 0x100000005u);
  EXPECT_EQ(widener.Widen(5), 0x100000005u);
  EXPECT_EQ(widener.Widen(4), 0x200000004u);
}

TEST(TickWidener, StaysMonotonicAcrossThreads) {
  TTickWidener widener;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (uint32_t i = 0; i < 1000; ++i) widener.Widen(1000 + i);
    });
  for (auto& thread : threads) thread.join();
  // Readings from several threads interleave, and every step back counted as a wrap; the
  // widened value never goes back.
  EXPECT_GE(widener.Widen(0xFFFFFFFFu), 0xFFFFFFFFu);
}

TEST(ManualClock, ReplacesTheSystemClockWhileAlive) {
  const uint64_t before = TickCount64();
  EXPECT_NE(before, 0u);
  {
    TManualClock clock(5000, 46000.25);
    EXPECT_EQ(TickCount64(), 5000u);
    EXPECT_DOUBLE_EQ(NowDateTime(), 46000.25);
    clock.Advance(21600000);  // six hours
    EXPECT_EQ(TickCount64(), 21605000u);
    EXPECT_DOUBLE_EQ(NowDateTime(), 46000.5);
    std::thread other([] { EXPECT_EQ(TickCount64(), 21605000u); });
    other.join();
  }
  EXPECT_GE(TickCount64(), before);
  EXPECT_GT(NowDateTime(), 40000.0);
}

}  // namespace
}  // namespace cjt::platform
