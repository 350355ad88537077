// Request items read from the configuration XML, and the texts that become time events.
#include "parser/basic_request_item.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace cjt {
namespace {

// Loads the first request below QUERY, at position index.
void Load(TBasicRequestItem& item, const std::string& requestXml, int index = 1) {
  TqimXMLTree tree;
  tree.Parse("<QUERY>" + requestXml + "</QUERY>");
  item.LoadFromXml(*tree.FindNode("QUERY")->FindChild("Request"), index);
}

TEST(BasicRequestItem, ReadsDefaultsNameAndPollUnits) {
  TBasicRequestItem item;
  Load(item, "<Request><PollUnits>S</PollUnits></Request>", 3);
  EXPECT_EQ(item.Name, "Request #3");
  EXPECT_FALSE(item.Enabled);
  EXPECT_EQ(item.Method, rmOnce);         // no method flag at all
  EXPECT_EQ(item.PollInterval, 1000000);  // default 1000, in seconds
  Load(item,
       "<Request caption='Heat'><Enabled>1</Enabled><PollInterval>5</PollInterval><PollUnits>s</PollUnits></Request>");
  EXPECT_EQ(item.Name, "Heat");
  EXPECT_TRUE(item.Enabled);
  EXPECT_EQ(item.PollInterval, 5);  // the unit is case-sensitive: milliseconds
  EXPECT_EQ(PollIntervalMs(3, "M"), 180000);
  EXPECT_EQ(PollIntervalMs(2, "H"), 7200000);
  // 655350 hours do not fit: the interval stops at the largest value instead of wrapping.
  EXPECT_EQ(PollIntervalMs(655350, "H"), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(PollIntervalMs(-655350, "H"), std::numeric_limits<int32_t>::min());
}

TEST(BasicRequestItem, EnabledByTextOrCheckState) {
  TBasicRequestItem item;
  const std::pair<std::string, bool> cases[] = {{"<Enabled>true</Enabled>", false},
                                                {"<Enabled check='2'/>", true},
                                                {"<Enabled check='0'/>", false},
                                                {"<Enabled check='9'/>", false},
                                                {"<Enabled/>", false}};
  for (const auto& [element, enabled] : cases) {
    Load(item, "<Request>" + element + "</Request>");
    EXPECT_EQ(item.Enabled, enabled) << element;
  }
}

TEST(BasicRequestItem, MethodFlagsDecideInTheirOrderAndNestedElementsAreFound) {
  TBasicRequestItem item;
  Load(item, "<Request><RequestMethod><MethodPoll>1</MethodPoll><MethodOnce>1</MethodOnce></RequestMethod></Request>");
  EXPECT_EQ(item.Method, rmOnce);
  Load(item,
       "<Request><RequestMethod><MethodPoll check='2'/><MethodCron>1</MethodCron><MethodAtTime>1</MethodAtTime>"
       "<AtTime>8:00;9:00</AtTime><CronTime>1 2 3 4 5 6</CronTime></RequestMethod></Request>");
  EXPECT_EQ(item.Method, rmAtTime);
  EXPECT_EQ(item.Schedule.Method, rmAtTime);
  EXPECT_EQ(item.Schedule.Text, "8:00;9:00");
  EXPECT_EQ(item.Schedule.Cron[cpSecond], "");  // read only for cron items
  // The first element of a name in document order wins, however deep.
  Load(
      item,
      "<Request><A><B><EventId>first</EventId></B></A><EventId>second</EventId><MethodEvent>1</MethodEvent></Request>");
  EXPECT_EQ(item.Method, rmEvent);
  EXPECT_EQ(item.Schedule.Text, "first");
  Load(item, "<Request><MethodAtTime>1</MethodAtTime></Request>");
  EXPECT_EQ(item.Schedule.Text, "12:00:00");
}

TEST(BasicRequestItem, CronTokensAreSplitAtSingleSpaces) {
  TBasicRequestItem item;
  Load(item, "<Request><MethodCron>1</MethodCron></Request>");
  EXPECT_EQ(item.Schedule.Text, "0 0 12 * * *");
  EXPECT_EQ(item.Schedule.Cron, (TExportCronParams{"*", "*", "*", "12", "0", "0"}));
  EXPECT_EQ(SplitCronParams("*/10 * * * * *"), (TExportCronParams{"*", "*", "*", "*", "*", "*/10"}));
  // Two spaces leave one empty token: minute empty, hour 0, day of month 12.
  EXPECT_EQ(SplitCronParams("0  0 12 * * *"), (TExportCronParams{"*", "*", "12", "0", "", "0"}));
  EXPECT_EQ(SplitCronParams("0    0 12 * * * 2030"), (TExportCronParams{"*", "*", "12", "0", "", "0"}));
  EXPECT_EQ(SplitCronParams("0 0 12 * *"), TExportCronParams{});
  EXPECT_EQ(CronTextOf(TExportCronParams{}), "0 0 0 * * * *");
  EXPECT_EQ(CronTextOf({" 1-5", "", "12", "0", "", " 30 "}), "30 0 0 12 * 1-5 *");
}

TEST(BasicRequestItem, AtTimeEntriesUseTheTwelveHourClock) {
  const auto times = [](const std::string& text) {
    std::vector<std::string> out;
    for (const TAtTimeEntry& entry : AtTimeEntries(text))
      out.push_back(CronTextOf(entry.Fields) + " @" + std::to_string(entry.Position));
    return out;
  };
  EXPECT_EQ(times("8:30 pm;07:15:30,x"), (std::vector<std::string>{"0 30 20 * * * * @0", "30 15 7 * * * * @1"}));
  EXPECT_EQ(
      times("12:00 pm, 12:00 am,12:05AM;13:00 pm;0:10 am"),
      (std::vector<std::string>{"0 0 12 * * * * @0", "0 0 0 * * * * @1", "0 5 0 * * * * @2", "0 10 0 * * * * @4"}));
  EXPECT_EQ(times("6:75;24:00;;23:59:60;-1"), (std::vector<std::string>{"0 0 6 * * * * @0", "0 59 23 * * * * @3"}));
}

TEST(BasicRequestItem, AssignCopiesTheConfigurationAndKeepsTheTargetsRunState) {
  TBasicRequestItem source;
  Load(source, "<Request caption='Gas'><Enabled>1</Enabled><MethodCron>1</MethodCron></Request>");
  source.Triggered = true;
  source.GroupKey = "G3_00000001_00000002";
  source.Sending = true;
  source.Attempts = 2;
  TBasicRequestItem target;
  target.Sending = true;
  target.PollTimer.StartFor(100);
  target.Attempts = 1;
  target.LastSent = 77;
  target.Assign(source);
  EXPECT_EQ(target.Name, "Gas");
  EXPECT_TRUE(target.Enabled);
  EXPECT_EQ(target.Method, rmCron);
  EXPECT_EQ(target.Schedule.Cron, source.Schedule.Cron);
  EXPECT_TRUE(target.Triggered);
  EXPECT_EQ(target.GroupKey, source.GroupKey);
  EXPECT_FALSE(target.Sending);
  EXPECT_FALSE(target.PollTimer.IsStarted());
  EXPECT_EQ(target.Attempts, 1);
  EXPECT_EQ(target.LastSent, 77u);
  EXPECT_NE(target.Identity(), source.Identity());
}

}  // namespace
}  // namespace cjt
