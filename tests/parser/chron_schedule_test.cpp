// Cron texts and their next firing times, on fixed reference times.
#include "parser/chron_schedule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "support/text_values.h"
#include "tests/common/expect_error.h"

namespace cjt {
namespace {

using test_support::RaisesWithMessage;

double At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
  return platform::EncodeCalendarTime({year, month, day, hour, minute, second, ms});
}

// The next firing time of a text as "YYYY-MM-DD hh:mm:ss", or "none".
std::string Next(const std::string& cron, double from, double start = 0, double end = 0) {
  const double next = FindNextTime(ParseCronText(cron), from, start, end);
  if (next == 0) return "none";
  const platform::TCalendarTime t = platform::DecodeCalendarTime(next);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second);
  EXPECT_EQ(t.Millisecond, 0);
  return text;
}

TEST(ChronSchedule, TheCurrentWholeSecondIsNeverReturned) {
  EXPECT_EQ(Next("0 0 12 * * *", At(2024, 3, 15, 11, 59, 59)), "2024-03-15 12:00:00");
  EXPECT_EQ(Next("0 0 12 * * *", At(2024, 3, 15, 12, 0, 0, 400)), "2024-03-16 12:00:00");
  EXPECT_EQ(Next("0 0 12 * *", At(2024, 12, 31, 12, 0, 0)), "2025-01-01 12:00:00");  // five fields
  EXPECT_EQ(Next("\"0\" 0 12 * * *", At(2024, 3, 15, 11, 0, 0)), "2024-03-15 12:00:00");
}

TEST(ChronSchedule, StepsListsAndRanges) {
  EXPECT_EQ(Next("*/15 * * * * *", At(2024, 3, 15, 10, 0, 7)), "2024-03-15 10:00:15");
  EXPECT_EQ(Next("*/15 * * * * *", At(2024, 3, 15, 10, 0, 45)), "2024-03-15 10:01:00");
  EXPECT_EQ(Next("*/15 * * * * *", At(2024, 12, 31, 23, 59, 45)), "2025-01-01 00:00:00");
  EXPECT_EQ(Next("5,1,3 * * * * *", At(2024, 3, 15, 10, 0, 0)), "2024-03-15 10:00:01");
  EXPECT_EQ(Next("5,1,3 * * * * *", At(2024, 3, 15, 10, 0, 3)), "2024-03-15 10:00:05");
  EXPECT_EQ(Next("5,1,3 * * * * *", At(2024, 3, 15, 10, 0, 5)), "2024-03-15 10:01:01");
  EXPECT_EQ(Next("1-10/3 * * * * *", At(2024, 3, 15, 10, 0, 7)), "2024-03-15 10:00:10");
  EXPECT_EQ(Next("1-10/3 * * * * *", At(2024, 3, 15, 10, 0, 10)), "2024-03-15 10:01:01");
  EXPECT_EQ(Next("0 0/20 8-9 * * *", At(2024, 3, 15, 9, 40, 0)), "2024-03-16 08:00:00");
  EXPECT_EQ(Next("0 30 8 * * 1-5", At(2024, 3, 16, 7, 0, 0)), "2024-03-18 08:30:00");  // Saturday to Monday
  EXPECT_EQ(Next("0 0 0 * * 7", At(2024, 3, 15)), "2024-03-17 00:00:00");              // Sunday = 7
}

TEST(ChronSchedule, DaysThatMonthsOrYearsLack) {
  EXPECT_EQ(Next("0 0 0 31 * *", At(2024, 4, 5)), "2024-05-31 00:00:00");
  EXPECT_EQ(Next("0 0 0 31 * *", At(2024, 1, 31, 12)), "2024-03-31 00:00:00");
  EXPECT_EQ(Next("0 0 0 29 2 *", At(2024, 3, 1)), "2028-02-29 00:00:00");
  EXPECT_EQ(Next("0 0 0 31 2 *", At(2024, 3, 1)), "none");  // through the years up to 3000
  EXPECT_EQ(Next("0 0 0 1 1 * 2030", At(2024, 3, 1)), "2030-01-01 00:00:00");
  EXPECT_EQ(Next("0 0 0 1 1 * 2020", At(2024, 3, 1)), "none");
}

TEST(ChronSchedule, StartAndEndDatesBoundTheSearch) {
  EXPECT_EQ(Next("0 0 12 * * *", At(2024, 3, 1), At(2024, 3, 10, 12)), "2024-03-11 12:00:00");
  EXPECT_EQ(Next("0 0 12 * * *", At(2024, 3, 1), 0, At(2024, 3, 1, 11)), "none");
  EXPECT_EQ(Next("0 0 12 * * *", At(2024, 3, 2), 0, At(2024, 3, 1)), "none");
}

TEST(ChronSchedule, QuestionMarksFollowTheReference) {
  EXPECT_EQ(Next("? * * * * *", At(2024, 3, 15, 10, 0, 7)), "2024-03-15 10:01:07");
  EXPECT_EQ(Next("?/20 * * * * *", At(2024, 3, 15, 10, 0, 30)), "2024-03-15 10:00:50");
  EXPECT_EQ(Next("?/20 * * * * *", At(2024, 3, 15, 10, 0, 50)), "2024-03-15 10:01:10");
  EXPECT_EQ(Next("0 0 12 * * ?", At(2024, 3, 16, 13)), "2024-03-17 12:00:00");
  const TChronSchedule any = ParseCronText("?/5");
  EXPECT_TRUE(any[cfSecond].Any);
  EXPECT_EQ(any[cfSecond].Step, 5);
}

TEST(ChronSchedule, FieldsParseIntoRangesAndValues) {
  const TChronEntry list = ParseChronField("5,1,3,1", ChronRanges[cfSecond]);
  EXPECT_EQ(list.Values, (std::vector<int32_t>{1, 3, 5}));
  EXPECT_EQ(list.Min, 1);
  EXPECT_EQ(list.Max, 5);
  EXPECT_EQ(ParseChronField("1-10/3,30", ChronRanges[cfSecond]).Values, (std::vector<int32_t>{1, 4, 7, 10, 30}));
  const TChronEntry range = ParseChronField("1-10/3", ChronRanges[cfSecond]);
  EXPECT_TRUE(range.Values.empty());
  EXPECT_EQ(range.Step, 3);
  // A list range with step 0, or reaching far beyond the field, stays finite.
  EXPECT_EQ(ParseChronField("57-2000000000/0,1", ChronRanges[cfSecond]).Values, (std::vector<int32_t>{1, 57, 58, 59}));
}

TEST(ChronSchedule, UnusableTextsAreRefused) {
  EXPECT_TRUE(RaisesWithMessage<EScheduleError>([] { ParseCronText("? ? ? ? ? ? ?"); },
                                                "Schedule is not in valid CRON format"));
  EXPECT_THROW(ParseCronText("abc * * * * *"), EIntegerConversion);
  EXPECT_THROW(ParseCronText("*/x"), EIntegerConversion);
  EXPECT_THROW(ParseCronText("1-"), EIntegerConversion);
  EXPECT_THROW(ParseCronText("99999999999"), EIntegerConversion);
  // A list whose ranges all run downwards has no value at all.
  EXPECT_TRUE(RaisesWithMessage<EScheduleError>([] { ParseCronText("0 5-3,4-2 * * * *"); },
                                                "Schedule is not in valid CRON format"));
  EXPECT_EQ(ParseChronField("5-3,4", ChronRanges[cfMinute]).Values, (std::vector<int32_t>{4}));
  // A second that no minute has: the search gives up after 10000 tests.
  EXPECT_TRUE(RaisesWithMessage<EScheduleError>([] { Next("70 * * * * *", At(2024, 3, 15)); }, "Invalid cron format"));
  // A schedule that never took a text is refused, not stepped by 0, even at second 0.
  EXPECT_TRUE(RaisesWithMessage<EScheduleError>([] { FindNextTime(TChronSchedule{}, At(2024, 3, 15), 0, 0); },
                                                "Invalid cron format"));
}

}  // namespace
}  // namespace cjt
