// The data source framework with a scripted protocol client: the parse loop's contract,
// finding data sources, and the silence time-out of event-driven clients.
#include "parser/data_source_with_clients.h"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>

#include "platform/clock.h"
#include "platform/timer_service.h"
#include "plugin/kro_plugin.h"
#include "plugin/parsed_data_list.h"

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
  int32_t ParseFrame(TParsedDataList& list) override {
    ++Parses;
    if (Throw) throw std::runtime_error("broken frame");
    list.Add("N", TVariant(Parses));
    return Parses == StopAt ? -6 : 1;
  }
  void ResetFrame() override {
    ++Resets;
    TCustomParserScheduledClient::ResetFrame();
  }

  std::deque<std::pair<int32_t, bool>> Finds;
  int32_t Parses = 0, Resets = 0, StopAt = 0;
  bool Throw = false;
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

  void Feed(uint32_t key, const std::string& bytes) {
    TkroParamsList output;
    TPluginCallRecord record{};
    record.ConnectionKey = key;
    record.Input = {0, static_cast<uint32_t>(bytes.size()), DataKindByteBuffer, reinterpret_cast<uintptr_t>(bytes.data())};
    Source.ProcessPacket(record);
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
  client.Throw = true;
  client.Finds = {{3, true}, {3, true}};
  const int32_t resets = client.Resets;
  Feed(2, "abcdefgh");
  EXPECT_EQ(client.Parses, 1);
  EXPECT_EQ(client.Buffer->DataSize(), 5);
  EXPECT_EQ(client.Resets, resets);
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
