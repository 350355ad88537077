// The CJ/T 188 module's data path on a manual clock: requests out through the host's send
// function, answers of simulated meters back in through ProcessData, values and failure
// status in the packets the host receives.
#include <gtest/gtest.h>

#include "cjt188/frame.h"
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
  EXPECT_EQ(both[0].Text, answer);
  EXPECT_EQ(both[1].Text, answer);
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

TEST_F(DataPath, EchoedRequestsAreReportedAsOutgoingData) {
  Start(QueryXml({RequestXml("AAAAAAAAAAAAAA", "20", {"901F"})}));
  Connect({.Meters = {{0x20, HeatAddress}}, .Echo = true});
  Run(2500);
  const std::vector<std::string> requests = RequestsSent();
  ASSERT_GE(requests.size(), 2u);
  // The echo is the first frame heard: its address is the broadcast address itself.
  EXPECT_EQ(requests[1].substr(2, 7), std::string(7, '\xAA'));
  EXPECT_NE(Log().find("[Outgoing data received!]"), std::string::npos);
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

}  // namespace
}  // namespace cjt::test_support
