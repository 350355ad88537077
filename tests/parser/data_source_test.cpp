// The data source framework with a scripted protocol client: the parse loop's contract,
// finding data sources, and the silence time-out of event-driven clients.
#include "parser/data_source_with_clients.h"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/timer_service.h"
#include "plugin/call_context.h"
#include "plugin/kro_plugin.h"
#include "plugin/parsed_data_list.h"
#include "tests/common/foreign_list.h"

namespace cjt {
namespace {

// Answers FindFrame and ParseFrame from scripts; an empty script answers -1 and 0.
class TScriptedClient : public TCustomParserScheduledClient {
 public:
  using TCustomParserScheduledClient::TCustomParserScheduledClient;

  int32_t FindFrame(bool& more) override {
    if (Finds.empty()) return -1;
    const auto [count, again] = Finds.front();
    Finds.pop_front();
    more = again;
    return count;
  }
  int32_t ParseFrame(TPacketTarget& target) override {
    ++Parses;
    target.Values().Add("N", TVariant(Parses));
    if (Parses == ThrowAt) throw std::runtime_error("broken frame");
    return Parses == StopAt ? -6 : 1;
  }
  void ResetFrame() override {
    ++Resets;
    TCustomParserScheduledClient::ResetFrame();
  }

  std::deque<std::pair<int32_t, bool>> Finds;
  int32_t Parses = 0, Resets = 0, StopAt = 0, ThrowAt = 0;
};

class DataSourceTest : public testing::Test {
 protected:
  explicit DataSourceTest(double startDateTime = 46000.5) : Clock{3000000, startDateTime} {
    Source.ClientClass = [](TDataSourceScheduledWithClients& source, const TPluginCallRecord& record) {
      return std::unique_ptr<TCustomParserScheduledClient>(std::make_unique<TScriptedClient>(source, record));
    };
  }

  TScriptedClient& Client(uint32_t key) {
    TPluginCallRecord record{};
    record.ConnectionKey = key;
    return dynamic_cast<TScriptedClient&>(*Source.FindOrCreateClient(record, false, Source.ClientClass));
  }

  // A cron item of the master queue with its time event.
  void AddCronItem(const TExportCronParams& fields) {
    auto item = std::make_unique<TBasicRequestItem>();
    item->Method = item->Schedule.Method = rmCron;
    item->Schedule.Cron = fields;
    Source.Queue->ScheduleItem(*item);
    Source.Queue->Items.Add(item.release());
  }

  TCustomParserScheduledClient& Connect(uint32_t key) {
    TPluginCallRecord event{};
    event.ConnectionKey = key;
    event.Input = {0, 0, DataKindConnection, ConnectionOpened};
    Source.ProcessPacket(event);
    return Client(key);
  }

  // A block of received bytes in a call without an output list, or with output as the
  // call's output block; returns the call's record as the host gets it back.
  TPluginCallRecord Feed(uint32_t key, const std::string& bytes, TPluginDataBlock output = {}) {
    TPluginCallRecord record{};
    record.ConnectionKey = key;
    record.Input = {0, static_cast<uint32_t>(bytes.size()), DataKindByteBuffer,
                    reinterpret_cast<uintptr_t>(bytes.data())};
    record.Output = output;
    TCallContext call(record);
    Source.ProcessPacket(record);
    return record;
  }

  platform::TManualClock Clock;
  platform::TManualTimerPump Pump;
  TkroPlugin Plugin{0, nullptr};
  TDataSourceScheduledWithClients Source{Plugin};
};

TEST_F(DataSourceTest, ParseLoopFollowsTheFrameHooks) {
  TScriptedClient& client = Client(1);
  // A frame of length 0 is still parsed and removes nothing; the second pass finds none.
  client.Finds = {{0, true}, {-1, false}};
  Feed(1, "abcdef");
  EXPECT_EQ(client.Parses, 1);
  EXPECT_EQ(client.Buffer->DataSize(), 6);

  // Two frames of 2 bytes, each removed after its parse.
  client.Finds = {{2, true}, {2, false}};
  Feed(1, "gh");
  EXPECT_EQ(client.Parses, 3);
  EXPECT_EQ(client.Buffer->DataSize(), 4);

  // -6 ends the pass although more was asked for.
  client.StopAt = 4;
  client.Finds = {{1, true}, {1, true}};
  Feed(1, "");
  EXPECT_EQ(client.Parses, 4);
  EXPECT_EQ(client.Finds.size(), 1u);
}

TEST_F(DataSourceTest, FrameThatFailsToParseIsStillRemoved) {
  TScriptedClient& client = Client(2);
  client.ThrowAt = 1;
  client.Finds = {{3, true}, {3, true}};
  const int32_t resets = client.Resets;
  Feed(2, "abcdefgh");
  EXPECT_EQ(client.Parses, 1);
  EXPECT_EQ(client.Buffer->DataSize(), 5);
  EXPECT_EQ(client.Resets, resets);
}

// The frames of one call replace what the host's output list held, each packet after the
// one before; a frame that fails to decode leaves no value behind and the packets before it
// in place. A list of ours (decoded into directly) and a host's own list (filled through its
// interface) must end up alike.
TEST_F(DataSourceTest, FramesOfOneCallReplaceTheOutputListsItemsAlikeInEveryKindOfList) {
  struct TCase {
    int32_t throwAt;
    std::vector<int32_t> values;  // the N values the list ends with; empty: it keeps "OLD"
  };
  const TCase cases[] = {{0, {1, 2, 3}}, {2, {1}}, {3, {1, 2}}, {1, {}}};
  uint32_t key = 10;
  for (const TCase& c : cases) {
    for (const bool ours : {true, false}) {
      SCOPED_TRACE(testing::Message() << "throw at " << c.throwAt << (ours ? ", our list" : ", a host's list"));
      TkroParamsList list;
      test_support::TForeignList foreign;
      list.Add("OLD", TVariant(int32_t{0}));
      foreign.Add("OLD", TVariant(int32_t{0}));
      HostList* foreignVar = foreign.RefW();
      const TPluginDataBlock output =
          ours ? TPluginDataBlock{0, 0, DataKindListObject, reinterpret_cast<uintptr_t>(&list)}
               : TPluginDataBlock{0, 0, DataKindListIntf, reinterpret_cast<uintptr_t>(&foreignVar)};
      TScriptedClient& client = Client(++key);
      client.ThrowAt = c.throwAt;
      client.Finds = {{1, true}, {1, true}, {1, false}};
      const TPluginCallRecord record = Feed(key, "abc", output);

      std::vector<std::pair<std::string, int32_t>> items;
      if (ours)
        for (int32_t i = 0; i < list.Count(); ++i)
          items.emplace_back(list.Items(i)->Name, list.Items(i)->Value().AsInteger());
      else
        for (size_t i = 0; i < foreign.Count(); ++i) items.emplace_back(foreign.Name(i), foreign.Value(i).AsInteger());
      std::vector<std::pair<std::string, int32_t>> expected;
      for (int32_t n : c.values) expected.emplace_back("N", n);
      if (c.values.empty()) expected.emplace_back("OLD", 0);
      EXPECT_EQ(items, expected);
      EXPECT_EQ(+record.Output.Count, c.values.size());
    }
  }
}

TEST_F(DataSourceTest, DataSourcesAreFoundByIdFromTheLastCreated) {
  TObjectList<TDataSourceScheduled> sources;
  for (int32_t id : {4, 5, 4}) {
    auto source = std::make_unique<TDataSourceScheduledWithClients>(Plugin);
    source->Id = id;
    sources.Add(std::move(source));
  }
  EXPECT_EQ(FindDataSource<TDataSourceScheduledWithClients>(sources, -1), sources[2]);
  EXPECT_EQ(FindDataSource<TDataSourceScheduledWithClients>(sources, 4), sources[2]);
  EXPECT_EQ(FindDataSource<TDataSourceScheduledWithClients>(sources, 5), sources[1]);
  EXPECT_EQ(FindDataSource<TDataSourceScheduledWithClients>(sources, 6), nullptr);
}

TEST_F(DataSourceTest, EventDrivenClientsStayAsLongAsTheLongestPollingGap) {
  auto item = std::make_unique<TBasicRequestItem>();
  item->Method = rmPoll;
  item->PollInterval = 5000;
  Source.Queue->Items.Add(item.release());
  TCustomParserScheduledClient& client = Connect(3);
  EXPECT_TRUE(client.EventDriven);
  EXPECT_EQ(client.SilenceTimeout, DefaultSilenceTimeout);  // 6500 is less
  client.SilenceTimeout = 1000;
  client.LoadRequests();
  EXPECT_EQ(client.SilenceTimeout, 6500u);
  Source.Queue->Items.Clear();
  client.LoadRequests();
  EXPECT_EQ(client.SilenceTimeout, DefaultSilenceTimeout);
  client.SilenceTimeout = NeverSilent;
  client.LoadRequests();
  EXPECT_EQ(client.SilenceTimeout, NeverSilent);
}

// At midnight every time field of the present moment is 0: the time events whose text could
// not be used (a day name, ranges that all run downwards) must take no part in the gap.
class DataSourceAtMidnight : public DataSourceTest {
 protected:
  DataSourceAtMidnight() : DataSourceTest(46000.0) {}
};

TEST_F(DataSourceAtMidnight, TimeEventsWithUnusableTextsAddNothingToTheGap) {
  AddCronItem({"MON", "*", "*", "12", "0", "0"});
  AddCronItem({"*", "*", "*", "*", "5-3,4-2", "0"});
  ASSERT_EQ(Source.Queue->Events.Count(), 2u);
  EXPECT_EQ(Connect(3).SilenceTimeout, DefaultSilenceTimeout);
  AddCronItem({"*", "*", "*", "*", "0", "0"});     // hourly
  EXPECT_EQ(Connect(4).SilenceTimeout, 4680000u);  // 1.3 hours
}

}  // namespace
}  // namespace cjt
