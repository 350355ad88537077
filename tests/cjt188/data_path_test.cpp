// The CJ/T 188 module's data path on a manual clock: requests out through the host's send
// function, answers of simulated meters back in through ProcessData, values and failure
// status in the packets the host receives.
#include <gtest/gtest.h>

#include "cjt188/frame.h"
#include "platform/text_encoding.h"
#include "plugin/parsed_data_list.h"
#include "tests/cjt188/module_harness.h"

namespace cjt::test_support {
namespace {

using meter::TSimulatorOptions;

constexpr TAddressBytes HeatAddress{0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00};  // 00000001234567
constexpr TAddressBytes WaterAddress{0x34, 0x12, 0x90, 0x78, 0x56, 0x34, 0x12};  // 12345678901234

std::string Bytes(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// An answer of a meter, built by the simulator's meter model.
std::string Answer(uint8_t type, const TAddressBytes& address, uint16_t di, uint8_t serial = 1) {
  meter::TMeterSimulator sim({}, [] { return uint64_t{0}; });
  return Bytes(sim.BuildAnswer(meter::TMeterModel(type, address, 1), di, serial));
}

std::string WithChecksum(std::string frame) {
  frame[frame.size() - 2] = static_cast<char>(Checksum(reinterpret_cast<const uint8_t*>(frame.data()),
                                                       static_cast<uint16_t>(frame.size())));
  return frame;
}

class DataPath : public ModuleHarness {};

TEST_F(DataPath, HeatMeterAnswerAfterPreambleGivesEveryValueWithUnits) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"})}));
  Connect({.Meters = {{0x20, HeatAddress}}, .PreambleBytes = 4});
  Run(1000);
  ASSERT_GE(Sent.size(), 2u);
  EXPECT_EQ(Sent[0].Bytes, std::string(4, '\xFE'));
  ASSERT_FALSE(RequestsSent().empty());
  EXPECT_EQ(RequestsSent()[0].substr(0, 14), Bytes(std::vector<uint8_t>{0x68, 0x20, 0x67, 0x45, 0x23, 0x01, 0, 0, 0,
                                                                         0x01, 0x03, 0x90, 0x1F, 0x01}));
  ASSERT_FALSE(Received.empty());
  const TPacket& packet = Received[0];
  EXPECT_EQ(packet.Value("DEVICE_ID"), "00000001234567");
  EXPECT_EQ(packet.Value("DATA_TYPE_ID_STR"), "901F");
  EXPECT_EQ(packet.Value("DATA_TYPE_ID"), "36895");
  const std::vector<std::string> expected{"SETTLEMENT_DAY_ENERGY_HEAT", "SETTLEMENT_DAY_ENERGY_HEAT_UNIT", "ENERGY_HEAT",
                                          "ENERGY_HEAT_UNIT", "POWER", "POWER_UNIT", "FLOW", "FLOW_UNIT",
                                          "CUMULATIVE_FLOW", "CUMULATIVE_FLOW_UNIT", "TEMP_INLET", "TEMP_OUTLET",
                                          "WORK_TIME", "METER_TIMESTAMP", "STATUS1", "STATUS2"};
  const std::vector<std::string> names = packet.Names();
  ASSERT_GE(names.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(names.end() - static_cast<long>(expected.size()), names.end()), expected);
  EXPECT_EQ(packet.Value("ENERGY_HEAT_UNIT"), "kWh");
  EXPECT_EQ(packet.Value("FLOW_UNIT"), "m3/h");
  // The packet text is the answer as received, without the preamble.
  ASSERT_FALSE(packet.Text.empty());
  EXPECT_EQ(static_cast<uint8_t>(packet.Text[0]), 0x68);
  EXPECT_EQ(packet.Text.size(), 46u + 13u);
}

TEST_F(DataPath, WaterMeterStatusIsOneSixteenBitValue) {
  Start(QueryXml({RequestXml("12345678901234", "10", {"901F"})}));
  Connect({.Meters = {{0x10, WaterAddress}}});
  Run(1000);
  ASSERT_FALSE(Received.empty());
  const TPacket& packet = Received[0];
  EXPECT_EQ(packet.Text.size(), 22u + 13u);
  EXPECT_EQ(packet.CountOf("STATUS1"), 1u);
  EXPECT_EQ(packet.CountOf("STATUS2"), 0u);
  EXPECT_EQ(packet.Value("CUMULATIVE_FLOW_UNIT"), "m3");
}

TEST_F(DataPath, FramesSplitOrSharingABlockAreAllDecodedAndDeliveredInOneCall) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, "<MethodOnce>1</MethodOnce>")}));
  Run(100);
  ASSERT_EQ(RequestsSent().size(), 1u);
  const std::string answer = Answer(0x20, HeatAddress, 0x901F);
  // Split over two blocks: nothing until the frame is complete.
  EXPECT_TRUE(Feed(answer.substr(0, 20)).empty());
  const std::vector<TPacket> first = Feed(answer.substr(20));
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].Text, answer);
  // Two answers in one block (the request is still the current one): two packets, the
  // second appended to the first in the same call.
  const std::vector<TPacket> both = Feed(answer + answer);
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0].Text, answer + PacketTextSeparator + answer);
  EXPECT_EQ(both[1].Value("ENERGY_HEAT"), first[0].Value("ENERGY_HEAT"));
}

TEST_F(DataPath, ErrorAnswersAndBadChecksumsAreLoggedWithoutValues) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, "<MethodOnce>1</MethodOnce>")}));
  Run(100);
  Log();
  const std::string error = Bytes(BuildFrame(0x20, HeatAddress, 0xC1, std::vector<uint8_t>{0x90, 0x1F, 0x06}));
  EXPECT_TRUE(Feed(error).empty());
  EXPECT_NE(Log().find("Received message from 00000001234567 with error code on request function 193 [Valve error, "
                       "Battery low]"),
            std::string::npos);
  std::string broken = Answer(0x20, HeatAddress, 0x901F);
  broken[broken.size() - 2] ^= 0x55;
  EXPECT_TRUE(Feed(broken).empty());
  const auto got = static_cast<uint8_t>(broken[broken.size() - 2]);
  char expected[64];
  std::snprintf(expected, sizeof expected, "Invalid CRC (%.2x,%.2x) [00000001234567,81]", got, got ^ 0x55);
  EXPECT_NE(Log().find(expected), std::string::npos);
}

TEST_F(DataPath, AnyDeviceRequestsGoToTheHeardAddressOnceOneIsHeard) {
  Start(QueryXml({RequestXml("*", "20", {"901F"})}));
  Connect({.Meters = {{0x20, HeatAddress}}});
  Run(2500);
  const std::vector<std::string> requests = RequestsSent();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[0].substr(2, 7), std::string(7, '\0'));
  EXPECT_EQ(requests[1].substr(2, 7), Bytes({HeatAddress.begin(), HeatAddress.end()}));
  EXPECT_NE(Log().find("Device address: 00000001234567"), std::string::npos);
  EXPECT_GE(Received.size(), 2u);
}

TEST_F(DataPath, EchoedRequestsAreNoticedAndOtherMastersReported) {
  Start(QueryXml({RequestXml("AAAAAAAAAAAAAA", "20", {"901F"})}));
  Connect({.Meters = {{0x20, HeatAddress}}, .Echo = true});
  Run(2500);
  const std::vector<std::string> requests = RequestsSent();
  ASSERT_GE(requests.size(), 2u);
  // The echo is the first frame heard: its address is the broadcast address itself.
  EXPECT_EQ(requests[1].substr(2, 7), std::string(7, '\xAA'));
  EXPECT_NE(Log().find("[AAAAAAAAAAAAAA/0x901F] Echo of the request received"), std::string::npos);
  EXPECT_EQ(Received.size(), requests.size());
  // Another master's request is no echo of ours.
  const auto request = BuildReadRequest(0x20, HeatAddress, 0x911F, 7);
  const std::string other(request.begin(), request.end());
  Feed(other);
  EXPECT_NE(Log().find("with error code on request function 1 [Outgoing data received!]"), std::string::npos);
}

TEST_F(DataPath, SwappedDataIdentifierAnswersTheRequest) {
  Start(QueryXml({RequestXml("12345678901234", "10", {"901F"}, "<MethodOnce>1</MethodOnce>")}));
  Run(100);
  std::string answer = Answer(0x10, WaterAddress, 0x901F);
  std::swap(answer[11], answer[12]);
  const std::vector<TPacket> packets = Feed(WithChecksum(answer));
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].Value("DATA_TYPE_ID_STR"), "901F");
  EXPECT_TRUE(packets[0].Value("CUMULATIVE_FLOW").has_value());
}

TEST_F(DataPath, ListenOnlyRequestsDecodeHeardAnswersAndRefuseOtherAddresses) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, "", false)}));
  EXPECT_EQ(Module->ListenOnlyCount, 1);
  Run(2000);
  EXPECT_TRUE(RequestsSent().empty());
  const std::vector<TPacket> packets = Feed(Answer(0x20, HeatAddress, 0x901F));
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].Value("DEVICE_ID"), "00000001234567");
  Log();
  // An event-driven connection hears a meter no listen-only request accepts.
  ConnectionEvent(ConnectionOpened, 7);
  EXPECT_TRUE(Feed(Answer(0x10, WaterAddress, 0x901F), 7, 1, "TCP:10.0.0.1:5000").empty());
  EXPECT_NE(Log().find("Unallowable address: 12345678901234"), std::string::npos);
  ASSERT_FALSE(Sent.empty());
  EXPECT_EQ(Sent.back().Kind, DataKindSendText);
  EXPECT_EQ(Sent.back().Bytes, "<<CLOSE>>");
  EXPECT_EQ(Sent.back().ConnectionKey, 7u);
}

TEST_F(DataPath, FinalTimeOutExportsTheFailureStatusAndLogsTheRequest) {
  const std::string failing = "<MethodOnce>1</MethodOnce><ExportFailed>1</ExportFailed>";
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, failing)}));
  Run(1400);  // three attempts of 500 ms, nothing heard
  EXPECT_EQ(RequestsSent().size(), 3u);
  EXPECT_TRUE(SentPackets().empty());
  Run(300);
  std::vector<TPacket> packets = SentPackets();
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].Value("STATUS1"), "128");
  EXPECT_EQ(packets[0].Value("DEVICE_ID"), "00000001234567");
  EXPECT_EQ(Sent.back().DataSourceId, 1u);
  EXPECT_NE(Log().find("[1234567/0x901F] . Request #1. Request timeout"), std::string::npos);

  // An unanswered once request is tried again; bytes that never make an answer give 64.
  Sent.clear();
  for (int i = 0; i < 17; ++i) {
    Run(100);
    Feed("\x01");
  }
  packets = SentPackets();
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].Value("STATUS1"), "64");
}

TEST_F(DataPath, FunctionsOfOneMeterAreGatheredIntoOnePacketPerConfiguredRequest) {
  const std::string once = "<MethodOnce>1</MethodOnce>";
  Start(QueryXml({RequestXml("1234567", "20", {"901F", "911F"}, once), RequestXml("1234567", "20", {"901F"}, once)}));
  Connect({.Meters = {{0x20, HeatAddress}}});
  Run(2000);
  EXPECT_EQ(RequestsSent().size(), 3u);
  ASSERT_EQ(Received.size(), 2u);
  EXPECT_EQ(Received[0].CountOf("DEVICE_ID"), 1u);
  EXPECT_EQ(Received[0].CountOf("ENERGY_COOL"), 1u);    // from 911F
  EXPECT_EQ(Received[0].CountOf("ENERGY_HEAT"), 2u);    // from both
  EXPECT_NE(Received[0].Text.find(PacketTextSeparator), std::string::npos);
  EXPECT_EQ(Received[1].CountOf("ENERGY_COOL"), 0u);
}

TEST_F(DataPath, FailedPortPausesTheQueue) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"})}));
  SendResult = -12;
  Run(60);
  ASSERT_EQ(Sent.size(), 1u);  // the preamble failed: no frame
  EXPECT_TRUE(Port().PortFailed);
  Run(900);
  EXPECT_EQ(Sent.size(), 1u);  // paused for a second
  Run(200);
  EXPECT_EQ(Sent.size(), 2u);
  SendResult = 4;
  Run(1100);
  EXPECT_FALSE(Port().PortFailed);
  EXPECT_FALSE(RequestsSent().empty());
}

TEST_F(DataPath, SerialNumbersWrapAndRestartAfterDeactivation) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"},
                             "<MethodPoll>1</MethodPoll><PollInterval>1</PollInterval><PollUnits>MS</PollUnits>")}));
  Connect({.Meters = {{0x20, HeatAddress}}});
  Run(6000);
  const std::vector<std::string> requests = RequestsSent();
  ASSERT_GE(requests.size(), 257u);
  EXPECT_EQ(static_cast<uint8_t>(requests[0][13]), 1);
  EXPECT_EQ(static_cast<uint8_t>(requests[254][13]), 255);
  EXPECT_EQ(static_cast<uint8_t>(requests[255][13]), 0);
  EXPECT_EQ(static_cast<uint8_t>(requests[256][13]), 1);
}

TEST_F(DataPath, PlaceholderIsAdoptedByDataAndRemovedByConnectionEvents) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"})}));
  ASSERT_EQ(ClientCount(), 1u);
  Run(100);
  ASSERT_FALSE(Sent.empty());
  EXPECT_EQ(Sent[0].DataSourceId, 1u);  // the placeholder's requests are its data source's
  Feed("\x00", 42);
  EXPECT_EQ(ClientCount(), 1u);  // adopted, not a new client
  Sent.clear();
  Run(1100);
  ASSERT_FALSE(Sent.empty());
  EXPECT_EQ(Sent[0].ConnectionKey, 42u);
  EXPECT_EQ(Sent[0].DataSourceId, 1u);

  // A connection event removes placeholders; the adopted client stays, a new one is made.
  Module->OnChangeState(*Module, 1);
  ConnectionEvent(ConnectionOpened, 9);
  EXPECT_EQ(ClientCount(), 2u);
}

TEST_F(DataPath, DisconnectedClientsAreDroppedByHousekeeping) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"})}));
  ConnectionEvent(ConnectionOpened, 5);
  EXPECT_EQ(ClientCount(), 1u);  // the placeholder went with the event
  ConnectionEvent(ConnectionClosed, 5);
  Run(5500);
  EXPECT_EQ(ClientCount(), 1u);
  Run(1000);
  EXPECT_EQ(ClientCount(), 0u);
}

TEST_F(DataPath, StaleBytesAreDroppedBeforeALateBlock) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, "", false)}));
  const std::string answer = Answer(0x20, HeatAddress, 0x901F);
  Feed(answer.substr(0, 30));
  Run(15000);
  EXPECT_TRUE(Feed(answer.substr(30)).empty());  // the first part was dropped
  Feed(answer.substr(0, 30));
  Run(14000);
  EXPECT_EQ(Feed(answer.substr(30)).size(), 1u);
}

TEST_F(DataPath, CronRequestsRunAtTheirTimesAndUnusableTextsAreReported) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, "<MethodCron>1</MethodCron><CronTime>*/2 * * * * *</CronTime>"),
                  RequestXml("1234567", "20", {"911F"}, "<MethodCron>1</MethodCron><CronTime>99 * * * * *</CronTime>")}));
  const std::string log = Log();
  EXPECT_NE(log.find("Unable to parse expression \""), std::string::npos);
  EXPECT_NE(log.find("\". Error at: 1"), std::string::npos);
  Connect({.Meters = {{0x20, HeatAddress}}});
  Run(4990);
  const std::vector<std::string> requests = RequestsSent();
  ASSERT_EQ(requests.size(), 2u);
  for (const std::string& request : requests) EXPECT_EQ(request.substr(11, 2), "\x90\x1F");
  EXPECT_EQ(Received.size(), 2u);
}

// A heat answer with known values: energies 123456.78 kWh, a timestamp and the status bytes.
std::string KnownHeatAnswer(uint8_t type, uint8_t day, uint8_t month) {
  std::vector<uint8_t> data{0x90, 0x1F, 0x01};
  for (int i = 0; i < 5; ++i) data.insert(data.end(), {0x78, 0x56, 0x34, 0x12, 0x05});  // unit 5: kWh
  data.insert(data.end(), {0x50, 0x72, 0x00, 0x30, 0x45, 0x00, 0x99, 0x99, 0x00});     // temperatures, hours
  data.insert(data.end(), {0x30, 0x15, 0x10, day, month, 0x25, 0x20, 0x04, 0x00});      // 10:15:30, status
  return Bytes(BuildFrame(type, HeatAddress, 0x81, data));
}

TEST_F(DataPath, ValuesUnitsDatesAndMeterTypesOfAnAnswer) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, "", false)}));
  std::vector<TPacket> packets = Feed(KnownHeatAnswer(0x20, 0x07, 0x03));
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_DOUBLE_EQ(std::stod(*packets[0].Value("ENERGY_HEAT")), 123456.78);
  EXPECT_EQ(packets[0].Value("ENERGY_HEAT_UNIT"), "kWh");
  EXPECT_EQ(packets[0].Value("WORK_TIME"), "9999");
  EXPECT_EQ(packets[0].Value("STATUS1"), "4");
  const std::optional<std::string> stamp = packets[0].Value("METER_TIMESTAMP");
  ASSERT_TRUE(stamp.has_value());
  EXPECT_NE(stamp->find("2025"), std::string::npos);
  EXPECT_EQ(Log().find("Unable to encode date"), std::string::npos);

  // 31 April is no date: the zero date-time and a log line; month 0 is quietly zero.
  packets = Feed(KnownHeatAnswer(0x20, 0x31, 0x04));
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_NE(Log().find("Unable to encode date: Invalid argument to date encode"), std::string::npos);
  packets = Feed(KnownHeatAnswer(0x20, 0x07, 0x00));
  EXPECT_TRUE(Log().empty());

  // A meter type without rows (0x4A lies just above the gas meters) gives the header alone.
  packets = Feed(KnownHeatAnswer(0x4A, 0x07, 0x03));
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].Names(), (std::vector<std::string>{"FULL_DATA_PACKET", "DATA_PACKET", "DATE_TIME_STAMP",
                                                          "DATA_SOURCE_ID", "DATA_SOURCE_FULL_NAME", "DATA_SOURCE_NAME",
                                                          "DEVICE_ID", "DATA_TYPE_ID_STR", "DATA_TYPE_ID"}));
  EXPECT_EQ(packets[0].Value("DEVICE_ID"), "00000001234567");
}

// The two frame items give the host the answer's bytes back, those from 0x80 up included.
TEST_F(DataPath, FrameItemsCarryTheAnswersBytes) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, "", false)}));
  const std::string answer = KnownHeatAnswer(0x20, 0x07, 0x03);  // C 0x81, DI 0x90 0x1F
  TkroParamsList output;
  FeedInto(output, answer);
  for (const char* name : {"FULL_DATA_PACKET", "DATA_PACKET"}) {
    SCOPED_TRACE(name);
    const std::u16string text = output.GetValue(name).AsWideString();
#ifdef _WIN32
    // Hosts on Windows turn the text back into bytes with their code page.
    EXPECT_EQ(platform::WideToAnsi(text), answer);
#else
    // Elsewhere each UTF-16 unit is the byte of the same value.
    std::u16string units;
    for (const unsigned char byte : answer) units += char16_t{byte};
    EXPECT_EQ(text, units);
#endif
  }
}

// The module decodes straight into an output list of ours and copies into a host's own list
// through its interface: the host must receive the same either way, for groups of functions,
// several packets in one call and answers split over calls.
class OutputListRun : public ModuleHarness {
 public:
  explicit OutputListRun(bool hostOwnLists) { HostOwnOutputLists = hostOwnLists; }
  void TestBody() override {}

  std::vector<TPacket> Packets() {
    const std::string once = "<MethodOnce>1</MethodOnce>";
    Start(QueryXml({RequestXml("1234567", "20", {"901F", "911F"}, once), RequestXml("1234567", "20", {"901F"}, once),
                    RequestXml("12345678901234", "10", {"901F"}, "", false)}));
    Connect({.Meters = {{0x20, HeatAddress}}});
    Run(3000);
    // Heard answers of a meter that a listen-only request accepts.
    const std::string answer = Answer(0x10, WaterAddress, 0x901F);
    Feed(answer + answer.substr(0, 9));
    Feed(answer.substr(9) + answer);
    return Received;
  }
};

TEST(DataPathOutputLists, OurListsAndAHostsOwnListsReceiveTheSame) {
  const std::vector<TPacket> ours = OutputListRun(false).Packets();
  const std::vector<TPacket> hosts = OutputListRun(true).Packets();
  ASSERT_GE(ours.size(), 4u);
  ASSERT_EQ(ours.size(), hosts.size());
  for (size_t i = 0; i < ours.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ours[i].Values, hosts[i].Values);
    EXPECT_EQ(ours[i].Text, hosts[i].Text);
  }
}

TEST_F(DataPath, CallWithoutOutputListGetsItsValuesThroughTheSendFunction) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, "", false)}));
  const std::string answer = Answer(0x20, HeatAddress, 0x901F);
  TPluginCallRecord record = DataRecord(1, 0, "COM1");
  record.Input = {0, static_cast<uint32_t>(answer.size()), DataKindByteBuffer,
                  reinterpret_cast<uintptr_t>(answer.data())};
  Module->ProcessData(record);
  const std::vector<TPacket> packets = SentPackets();
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].Text, answer);
  EXPECT_EQ(packets[0].Value("DEVICE_ID"), "00000001234567");
}

TEST_F(DataPath, UnloadedModuleSendsNothingMore) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"})}));
  Run(1500);
  ASSERT_FALSE(RequestsSent().empty());
  TPluginCallRecord record{};
  int32_t result = 0;
  Module->OnUnload(*Module, record, result);
  Sent.clear();
  Run(3000);
  EXPECT_TRUE(Sent.empty());
  EXPECT_TRUE(Feed(Answer(0x20, HeatAddress, 0x901F)).empty());
}

}  // namespace
}  // namespace cjt::test_support
