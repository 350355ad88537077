// The data path through the exports, as a host drives it: the request configuration in the
// host's INI file, the data sources switched on with SET-STATE, requests out through the
// host's send function to simulated meters, their answers in through ProcessData.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/thread.h"
#include "tests/common/foreign_list.h"
#include "tests/common/temp_files.h"
#include "tests/e2e/plugin_fixture.h"
#include "tools/cjt188-host/host_exports.h"
#include "tools/cjt188-meter/meter_simulator.h"

namespace cjt::test_support {
namespace {

constexpr TAddressBytes HeatAddress{0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00};
constexpr TAddressBytes WaterAddress{0x34, 0x12, 0x90, 0x78, 0x56, 0x34, 0x12};

std::string Request(const std::string& device, const std::string& type, const std::string& extra,
                    const std::vector<std::string>& functions = {"901F"}) {
  std::string items;
  for (const std::string& function : functions) items += "<Item><Function>" + function + "</Function></Item>";
  return "<Request><Device>" + device + "</Device><DeviceType>" + type + "</DeviceType><Timeout>400</Timeout>" + extra +
         "<Response>" + items + "</Response></Request>";
}

class DataPathExports : public PluginExportsTest {
 protected:
  void TearDown() override {
    PluginExportsTest::TearDown();
    host::SetSendHandler(nullptr);
  }

  // LOAD with the configuration in an INI file, SET-STATE for data source 1, meters on the line.
  void Start(const std::string& requests, meter::TSimulatorOptions meters) {
    Line = std::make_unique<meter::TMeterSimulator>(std::move(meters), [] { return platform::TickCount64(); });
    host::SetSendHandler([this](const host::TSentData& sent) {
      std::lock_guard lock(Mutex);
      Sent.push_back(sent);
      if (sent.Kind == DataKindSendBytes)
        Line->Receive(std::span(reinterpret_cast<const uint8_t*>(sent.Bytes.data()), sent.Bytes.size()));
      return static_cast<int32_t>(sent.Bytes.size());
    });
    const std::string ini =
        Folder.Write("host.ini", "[Common]\r\nParser config=<QUERY>" + requests + "</QUERY>\r\nMin interval=0\r\n");
    ASSERT_EQ(Session.Load({{"INI-FILE", TVariant(ini)}}).Result, 0);
    ASSERT_EQ(
        Session
            .Command("SET-STATE", {{"DATA-SOURCES-IN-CFG", TVariant("1;COM1;Port 1")}, {"RESULT", TVariant(1)}}, 0x03)
            .Result,
        0);
  }

  // Serves the timers and hands the meters' answers to the plug-in until packets came.
  std::vector<TkroParamsList*> RunUntilPackets(size_t count, uint32_t capMs = 10000) {
    const uint64_t end = platform::TickCount64() + capMs;
    while (Packets.size() < count && platform::TickCount64() < end) {
      platform::PumpMessagesFor(10);
      std::vector<uint8_t> answer;
      {
        std::lock_guard lock(Mutex);
        answer = Line->TakeOutput();
      }
      if (answer.empty()) continue;
      auto output = std::make_unique<TkroParamsList>();
      Session.ProcessBytes(1, 0, std::string(answer.begin(), answer.end()), 0x02, output.get());
      if (output->Count() > 0) Packets.push_back(std::move(output));
    }
    std::vector<TkroParamsList*> packets;
    for (const auto& packet : Packets) packets.push_back(packet.get());
    return packets;
  }

  std::vector<host::TSentData> SentCopy() {
    std::lock_guard lock(Mutex);
    return Sent;
  }

  TTempFolder Folder;
  std::mutex Mutex;
  std::unique_ptr<meter::TMeterSimulator> Line;
  std::vector<host::TSentData> Sent;
  std::vector<std::unique_ptr<TkroParamsList>> Packets;
};

TEST_F(DataPathExports, PolledMetersAnswerIntoTheHostsOutputList) {
  const std::string poll = "<Enabled>1</Enabled><MethodPoll>1</MethodPoll><PollInterval>300</PollInterval>";
  Start(Request("1234567", "20", poll) + Request("12345678901234", "10", poll),
        {.Meters = {{0x20, HeatAddress}, {0x10, WaterAddress}}, .PreambleBytes = 2});
  const std::vector<TkroParamsList*> packets = RunUntilPackets(4);
  ASSERT_GE(packets.size(), 4u);
  std::vector<std::string> devices;
  for (const TkroParamsList* packet : packets) {
    devices.push_back(packet->GetValue("DEVICE_ID").AsString());
    EXPECT_EQ(packet->GetValue("DATA_TYPE_ID_STR").AsString(), "901F");
    EXPECT_EQ(packet->GetValue("CUMULATIVE_FLOW_UNIT").AsString(), "m3");
  }
  EXPECT_NE(std::find(devices.begin(), devices.end(), "00000001234567"), devices.end());
  EXPECT_NE(std::find(devices.begin(), devices.end(), "12345678901234"), devices.end());
  for (const host::TSentData& sent : SentCopy()) {
    EXPECT_EQ(sent.DataSourceId, 1u);
    EXPECT_EQ(sent.Kind, DataKindSendBytes);
  }
}

// Every further function of a meter that writes units first, in one group: one packet.
TEST_F(DataPathExports, FurtherFunctionsOfAUnitFirstMeterInOnePacket) {
  Start(Request("1234567", "20", "<Enabled>1</Enabled><MethodOnce>1</MethodOnce><Variant>unit-first</Variant>",
                {"810A", "901F", "907F", "D120", "8102", "8103", "8104", "8105"}),
        {.Meters = {{0x20, HeatAddress}}, .Variant = TLayoutVariant::UnitFirst});
  const std::vector<TkroParamsList*> packets = RunUntilPackets(1);
  ASSERT_EQ(packets.size(), 1u);
  const TkroParamsList& packet = *packets[0];
  EXPECT_EQ(packet.GetValue("DEVICE_ID").AsString(), "00000001234567");
  EXPECT_EQ(packet.GetValue("METER_TYPE").AsString(), "32");
  EXPECT_EQ(packet.GetValue("ENERGY_HEAT_UNIT").AsString(), "kWh");
  EXPECT_GT(packet.GetValue("ENERGY_HEAT").AsDouble(), 0);
  EXPECT_EQ(packet.GetValue("SETTLED_HEAT_M01_UNIT").AsString(), "kWh");
  EXPECT_LT(packet.GetValue("SETTLED_HEAT_M01").AsDouble(), packet.GetValue("ENERGY_HEAT").AsDouble());
  EXPECT_DOUBLE_EQ(packet.GetValue("PRICE_3").AsDouble(), 6.90);
  EXPECT_EQ(packet.GetValue("VOLUME_2").AsString(), "260");
  EXPECT_EQ(packet.GetValue("SETTLEMENT_DAY").AsString(), "1");
  EXPECT_EQ(packet.GetValue("READING_DAY").AsString(), "25");
  EXPECT_DOUBLE_EQ(packet.GetValue("PURCHASE_REMAINING").AsDouble(), 123.45);
  EXPECT_GT(packet.GetValue("METER_TIMESTAMP").AsDouble(), 40000);
}

TEST_F(DataPathExports, UnansweredRequestReportsItsFailureThroughTheSendFunction) {
  Start(Request("7654321", "20", "<Enabled>1</Enabled><MethodOnce>1</MethodOnce><ExportFailed>1</ExportFailed>"),
        {.Meters = {{0x20, HeatAddress}}});
  const uint64_t end = platform::TickCount64() + 10000;
  auto failure = [this] {
    for (const host::TSentData& sent : SentCopy())
      if (sent.Kind == DataKindListIntf) return sent;
    return host::TSentData{};
  };
  while (failure().Kind == 0 && platform::TickCount64() < end) platform::PumpMessagesFor(10);
  const host::TSentData sent = failure();
  ASSERT_EQ(sent.Kind, DataKindListIntf);
  EXPECT_EQ(sent.DataSourceId, 1u);
  const auto status =
      std::find_if(sent.Values.begin(), sent.Values.end(), [](const auto& value) { return value.first == "STATUS1"; });
  ASSERT_NE(status, sent.Values.end());
  EXPECT_EQ(status->second, "128");
  EXPECT_NE(Session.TakeLog().find("[7654321/0x901F] . Request #1. Request timeout"), std::string::npos);
}

// Only byte buffers are received data: a list, a number or a release request in the Input
// block is refused with a log line and the failure result, never read as bytes.
TEST_F(DataPathExports, InputThatIsNoByteBufferIsRefused) {
  Start("", {});
  TkroParamsList params, list;
  list.Add("A", TVariant(int32_t{1}));
  TForeignList foreign;
  foreign.Add("B", TVariant(int32_t{2}));
  HostList* foreignVar = foreign.RefW();
  const TPluginDataBlock blocks[] = {{0, 64, DataKindListObject, reinterpret_cast<uintptr_t>(&list)},
                                     {0, 64, DataKindWrapList, reinterpret_cast<uintptr_t>(&list)},
                                     {0, 64, DataKindListIntf, reinterpret_cast<uintptr_t>(&foreignVar)},
                                     {0, 64, DataKindNumber, 0x1234},
                                     {0, 64, DataKindRelease, ReleaseRequestData},
                                     {0, 64, DataKindNone, 0x1234}};
  for (const TPluginDataBlock& input : blocks) {
    TPluginCallRecord record = Session.NewRecord();
    record.DataSourceId = 1;
    record.Mode = 0x02;
    record.Params = reinterpret_cast<uintptr_t>(&params);
    record.Input = input;
    std::strcpy(record.DataSourceName, "COM1");
    EXPECT_EQ(Lib().ProcessData(&record), -1) << +input.Kind;
    EXPECT_NE(Session.TakeLog().find(" refused: received data must be a byte buffer"), std::string::npos)
        << +input.Kind;
  }
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(foreign.Count(), 1u);
  EXPECT_EQ(Session.ProcessBytes(1, 0, "\x68\x20", 0x02, nullptr), 0);
}

// A host's loader thread runs the commands and pumps its messages, which runs the timers the
// data sources made there; the host's main thread owns the window the notifications reach
// and hands over what the line brings.
TEST_F(DataPathExports, WholeLifeCycleWithTheLoaderThreadPumping) {
  Line = std::make_unique<meter::TMeterSimulator>(meter::TSimulatorOptions{.Meters = {{0x20, HeatAddress}}},
                                                  [] { return platform::TickCount64(); });
  host::SetSendHandler([this](const host::TSentData& sent) {
    std::lock_guard lock(Mutex);
    if (sent.Kind == DataKindSendBytes)
      Line->Receive(std::span(reinterpret_cast<const uint8_t*>(sent.Bytes.data()), sent.Bytes.size()));
    return static_cast<int32_t>(sent.Bytes.size());
  });
  const std::string ini = Folder.Write(
      "host.ini",
      "[Common]\r\nParser config=<QUERY>" +
          Request("1234567", "20", "<Enabled>1</Enabled><MethodPoll>1</MethodPoll><PollInterval>300</PollInterval>") +
          "</QUERY>\r\n");
  std::atomic<bool> done{false};
  std::vector<int32_t> results;
  std::string items;
  std::thread loader([&] {
    results.push_back(Session.Load({{"INI-FILE", TVariant(ini)}}).Result);
    items = Session.Command("ITEMS").Value.AsString();
    results.push_back(
        Session
            .Command("SET-STATE", {{"DATA-SOURCES-IN-CFG", TVariant("1;COM1;Port 1")}, {"RESULT", TVariant(1)}}, 0x03)
            .Result);
    results.push_back(
        Session.Command("EVENT", {{"EVENT-TYPE", TVariant("PORT-OPEN")}, {"PORTSTR", TVariant("COM1")}}).Result);
    while (!done) platform::PumpMessagesFor(10);
    results.push_back(Session.Command("EVENT", {{"EVENT-TYPE", TVariant("PORT-CLOSE")}}).Result);
    results.push_back(Session.Command("UNLOAD").Result);
  });
  size_t packets = 0;
  const uint64_t end = platform::TickCount64() + 10000;
  while (packets < 2 && platform::TickCount64() < end) {
    platform::PumpMessagesFor(10);  // the host's window, where the log notifications arrive
    std::vector<uint8_t> answer;
    {
      std::lock_guard lock(Mutex);
      answer = Line->TakeOutput();
    }
    if (answer.empty()) continue;
    TkroParamsList output;
    Session.ProcessBytes(1, 0, std::string(answer.begin(), answer.end()), 0x02, &output);
    if (output.Count() > 0 && output.GetValue("DEVICE_ID").AsString() == "00000001234567") ++packets;
  }
  done = true;
  loader.join();
  EXPECT_EQ(packets, 2u);
  EXPECT_EQ(results, (std::vector<int32_t>{0, 0, 0, 0, 0}));
  EXPECT_NE(items.find("|DEVICE_ID|String|"), std::string::npos);
  platform::PumpMessagesFor(50);
  EXPECT_GT(Session.LogNotifications(), 0);
  // After UNLOAD the answer of a meter is not decoded.
  TkroParamsList output;
  std::vector<uint8_t> late;
  {
    std::lock_guard lock(Mutex);
    late = Line->BuildAnswer(meter::TMeterModel(0x20, HeatAddress, 1), 0x901F, 1);
  }
  Session.ProcessBytes(1, 0, std::string(late.begin(), late.end()), 0x02, &output);
  EXPECT_EQ(output.Count(), 0);
  EXPECT_EQ(Session.Free(), 0);
  EXPECT_EQ(Session.ReleaseRequest(), 0);
}

}  // namespace
}  // namespace cjt::test_support
