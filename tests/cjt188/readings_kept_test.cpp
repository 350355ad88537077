// What real lines do to the data path, one condition at a time: noise with start bytes,
// echoing converters, short answers, meters whose groups interleave, several masters on one
// line, the request spacing and configurations that are refused. Every reading that came
// must reach the host once, under the meter that sent it, and nothing may wait for ever.
#include <gtest/gtest.h>

#include "cjt188/frame.h"
#include "tests/cjt188/module_harness.h"

namespace cjt::test_support {
namespace {

constexpr TAddressBytes MeterA{0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00};  // 00000001234567
constexpr TAddressBytes MeterB{0x11, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00};  // 00000000001111
constexpr TAddressBytes MeterC{0x22, 0x22, 0x00, 0x00, 0x00, 0x00, 0x00};  // 00000000002222
const std::string Once = "<MethodOnce>1</MethodOnce>";

std::string Answer(uint8_t type, const TAddressBytes& address, uint16_t di) {
  meter::TMeterSimulator sim({}, [] { return uint64_t{0}; });
  const std::vector<uint8_t> frame = sim.BuildAnswer(meter::TMeterModel(type, address, 1), di, 1);
  return std::string(frame.begin(), frame.end());
}

std::string Poll(int seconds) {
  return "<MethodPoll>1</MethodPoll><PollInterval>" + std::to_string(seconds) +
         "</PollInterval><PollUnits>S</PollUnits>";
}

// Every frame of the packet comes from the meter its DEVICE_ID names.
void ExpectOneMeter(const TPacket& packet) {
  const std::optional<std::string> device = packet.Value("DEVICE_ID");
  ASSERT_TRUE(device.has_value());
  EXPECT_EQ(packet.CountOf("DEVICE_ID"), 1u);
  for (const std::string& frame : packet.Frames()) {
    ASSERT_GE(frame.size(), FrameOverhead);
    const auto* bytes = reinterpret_cast<const uint8_t*>(frame.data());
    EXPECT_EQ(AddressText(std::span(bytes + FrameAddressOffset, 7)), *device);
  }
}

class ReadingsKept : public ModuleHarness {
 protected:
  std::vector<TPacket> AllPackets() const {
    std::vector<TPacket> all = Received;
    const std::vector<TPacket> sent = SentPackets();
    all.insert(all.end(), sent.begin(), sent.end());
    return all;
  }
  size_t PacketsOf(const std::string& device) const {
    size_t count = 0;
    for (const TPacket& packet : AllPackets()) count += packet.Value("DEVICE_ID") == device;
    return count;
  }
};

TEST_F(ReadingsKept, StrayStartByteInNoiseDoesNotHoldBackTheAnswerBehindIt) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, Once)}));
  Run(100);
  ASSERT_EQ(RequestsSent().size(), 1u);
  // A start byte whose length byte claims 240 data bytes, then the whole answer.
  const std::string stray("\x68\x20\x01\x02\x03\x04\x05\x06\x07\x81\xF0\x00", 12);
  const std::string answer = Answer(0x20, MeterA, 0x901F);
  const std::vector<TPacket> packets = Feed(stray + answer);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].Text, answer);

  // A frame still coming is waited for, also behind a stray start byte.
  EXPECT_TRUE(Feed(stray + answer.substr(0, 30)).empty());
  EXPECT_EQ(Feed(answer.substr(30)).size(), 1u);
  // A bad checksum inside the bytes waited for is no reason to drop them.
  Log();
  EXPECT_TRUE(Feed(answer.substr(0, 40)).empty());
  EXPECT_EQ(Feed(answer.substr(40)).size(), 1u);
  EXPECT_EQ(Log().find("Invalid CRC"), std::string::npos);
}

TEST_F(ReadingsKept, InterleavedGroupsNeverShareAPacket) {
  // A's two functions every 3 s; C, polled every second, slips in between them once lost
  // answers have shifted A's two requests apart.
  Start(QueryXml({RequestXml("1234567", "20", {"901F", "911F"}, Poll(3)), RequestXml("2222", "10", {"901F"}, Poll(1))}));
  Connect({.Meters = {{0x20, MeterA}, {0x10, MeterC}}, .DelayMs = 100, .DropRate = 0.2});
  Run(60000);
  const std::vector<TPacket> packets = AllPackets();
  ASSERT_GT(packets.size(), 20u);
  size_t frames = 0;
  for (const TPacket& packet : packets) {
    ExpectOneMeter(packet);
    frames += packet.Frames().size();
  }
  // Every answer sent is in some packet; at the end a group may still be half answered.
  EXPECT_LE(frames, Line->Stats().Answers);
  EXPECT_GE(frames + 1, Line->Stats().Answers);
}

TEST_F(ReadingsKept, HeldValuesGoToTheHostWhenTheClientStopsOrReloads) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F", "911F"}, Once)}));
  ConnectionEvent(ConnectionOpened, 5);
  Run(100);
  ASSERT_EQ(RequestsSent().size(), 1u);
  EXPECT_TRUE(Feed(Answer(0x20, MeterA, 0x901F), 5, 1, "TCP:10.0.0.1:5000").empty());
  ConnectionEvent(ConnectionClosed, 5);
  std::vector<TPacket> sent = SentPackets();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].Value("DATA_TYPE_ID_STR"), "901F");
  EXPECT_EQ(sent[0].Value("DEVICE_ID"), "00000001234567");

  // A reload while a group is half answered.
  ConnectionEvent(ConnectionOpened, 6);
  Run(100);
  Feed(Answer(0x20, MeterA, 0x901F), 6, 1, "TCP:10.0.0.1:5000");
  Module->OnLoadSettingsNow(*Module);
  EXPECT_EQ(SentPackets().size(), 2u);
}

TEST_F(ReadingsKept, HeldValuesGoToTheHostWhenTheGroupIsGivenUp) {
  const std::string failing = Poll(2) + "<ExportFailed>1</ExportFailed>";
  Start(QueryXml({RequestXml("1234567", "20", {"901F", "911F"}, failing)}));
  Run(100);
  ASSERT_EQ(RequestsSent().size(), 1u);
  Feed(Answer(0x20, MeterA, 0x901F));
  SendResult = -12;  // the port fails before the group's second request
  Run(15000);
  const std::vector<TPacket> sent = SentPackets();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0].Value("DATA_TYPE_ID_STR"), "901F");
  EXPECT_TRUE(sent[0].Value("ENERGY_HEAT").has_value());
  EXPECT_EQ(sent[0].Value("STATUS1", 1), "128");  // after the meter's own STATUS1
}

TEST_F(ReadingsKept, EveryListenOnlyMeterIsDecoded) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, "", false), RequestXml("1111", "20", {"901F"}, "", false)}));
  Log();
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(Feed(Answer(0x20, MeterA, 0x901F)).size(), 1u);
    EXPECT_EQ(Feed(Answer(0x20, MeterB, 0x901F)).size(), 1u);
  }
  EXPECT_EQ(Log().find("Unallowable address"), std::string::npos);
  EXPECT_EQ(PacketsOf("00000001234567"), 3u);
  EXPECT_EQ(PacketsOf("00000000001111"), 3u);
}

TEST_F(ReadingsKept, ListenOnlyGroupEndsWhenAnItemComesAgainOrAnotherGroupAnswers) {
  // Configured for both functions, but the other master asks A only for 901F.
  Start(QueryXml({RequestXml("1234567", "20", {"901F", "911F"}, "", false),
                  RequestXml("1111", "20", {"901F"}, "", false)}));
  EXPECT_TRUE(Feed(Answer(0x20, MeterA, 0x901F)).empty());
  EXPECT_TRUE(Feed(Answer(0x20, MeterA, 0x901F)).empty());
  EXPECT_EQ(SentPackets().size(), 1u);
  // B's answer ends A's group; B's own group is complete and comes in the call.
  const std::vector<TPacket> ofB = Feed(Answer(0x20, MeterB, 0x901F));
  ASSERT_EQ(ofB.size(), 1u);
  EXPECT_EQ(ofB[0].Value("DEVICE_ID"), "00000000001111");
  ASSERT_EQ(SentPackets().size(), 2u);
  EXPECT_EQ(SentPackets()[1].Value("DEVICE_ID"), "00000001234567");
  // A whole group of A comes in the call as one packet.
  EXPECT_TRUE(Feed(Answer(0x20, MeterA, 0x901F)).empty());
  const std::vector<TPacket> ofA = Feed(Answer(0x20, MeterA, 0x911F));
  ASSERT_EQ(ofA.size(), 1u);
  EXPECT_EQ(ofA[0].Frames().size(), 2u);
  EXPECT_EQ(SentPackets().size(), 2u);
}

TEST_F(ReadingsKept, ListenOnlyAnswersAreDecodedBesidePolledRequests) {
  Start(QueryXml({RequestXml("2222", "10", {"901F"}, Poll(1)), RequestXml("1111", "20", {"901F"}, "", false)}));
  Connect({.Meters = {{0x10, MeterC}}, .DelayMs = 50});
  for (int second = 0; second < 5; ++second) {
    Run(700);  // our request was answered; none awaits now
    Feed(Answer(0x20, MeterB, 0x901F));
    Run(300);
  }
  EXPECT_EQ(PacketsOf("00000000001111"), 5u);
  EXPECT_GE(PacketsOf("00000000002222"), 4u);
}

TEST_F(ReadingsKept, EchoingLineKeepsTheWaitForTheAnswer) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F", "911F"}, Poll(2)), RequestXml("1111", "20", {"901F"}, Poll(2))}));
  Connect({.Meters = {{0x20, MeterA}, {0x20, MeterB}}, .Echo = true, .DelayMs = 100});
  Run(10000);
  const size_t requests = RequestsSent().size();
  ASSERT_GE(requests, 10u);
  size_t answers = 0;
  for (const TPacket& packet : AllPackets()) {
    ExpectOneMeter(packet);
    answers += packet.Frames().size();
  }
  // The last request may still await its answer.
  EXPECT_GE(answers + 1, requests);
  const std::string log = Log();
  EXPECT_EQ(log.find("Outgoing data received!"), std::string::npos);
  EXPECT_NE(log.find("Echo of the request received"), std::string::npos);
  EXPECT_EQ(log.find("Request timeout"), std::string::npos);
}

TEST_F(ReadingsKept, EchoAloneIsNoAnswerAndCountsAsNothingHeard) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, Once + "<ExportFailed>1</ExportFailed>")}));
  Connect({.Meters = {}, .Echo = true});
  Run(1600);  // three attempts of 500 ms
  const std::vector<TPacket> sent = SentPackets();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].Value("STATUS1"), "128");
}

TEST_F(ReadingsKept, LateErrorAnswerOfAnotherMeterKeepsTheWait) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, Once), RequestXml("2222", "10", {"901F"}, Once)}));
  Run(60);
  ASSERT_EQ(RequestsSent().size(), 1u);
  const std::vector<uint8_t> status{0x01, 0x04, 0x00};
  const std::vector<uint8_t> error = BuildFrame(0x20, MeterB, 0xC1, status);
  Feed(std::string(error.begin(), error.end()));
  Run(100);
  EXPECT_EQ(RequestsSent().size(), 1u);  // A's answer is still awaited
  EXPECT_EQ(Feed(Answer(0x20, MeterA, 0x901F)).size(), 1u);
  // The awaited meter's own error answer ends the wait: no time-out follows.
  Run(100);
  ASSERT_EQ(RequestsSent().size(), 2u);
  Log();
  const std::vector<uint8_t> own = BuildFrame(0x10, MeterC, 0xC1, status);
  Feed(std::string(own.begin(), own.end()));
  Run(600);
  EXPECT_EQ(Log().find("Request timeout"), std::string::npos);
}

TEST_F(ReadingsKept, LateEchoOfAnEarlierAttemptKeepsTheWait) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, Once)}));
  Run(600);  // the first attempt timed out, the second is out
  const std::vector<std::string> requests = RequestsSent();
  ASSERT_EQ(requests.size(), 2u);
  Log();
  Feed(requests[0]);  // the line returns the first attempt only now
  EXPECT_EQ(Log().find("Outgoing data received!"), std::string::npos);
  EXPECT_EQ(Feed(Answer(0x20, MeterA, 0x901F)).size(), 1u);
}

TEST_F(ReadingsKept, LateAnswerOfAConfiguredMeterDoesNotCloseTheConnection) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, Poll(2)), RequestXml("1111", "20", {"901F"}, "", false)}));
  ConnectionEvent(ConnectionOpened, 5);
  Run(700);  // sent at once, timed out after 500 ms
  ASSERT_FALSE(RequestsSent().empty());
  Feed(Answer(0x20, MeterA, 0x901F), 5, 1, "TCP:10.0.0.1:5000");
  for (const host::TSentData& sent : Sent) EXPECT_NE(sent.Kind, DataKindSendText);
  EXPECT_EQ(Log().find("Unallowable address"), std::string::npos);
  // A meter nobody configured is still refused.
  Feed(Answer(0x20, MeterC, 0x901F), 5, 1, "TCP:10.0.0.1:5000");
  ASSERT_FALSE(Sent.empty());
  EXPECT_EQ(Sent.back().Bytes, "<<CLOSE>>");
}

TEST_F(ReadingsKept, ShortAnswerStopsAtTheFirstValueThatDoesNotFit) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, "", false)}));
  // A heat 901F answer without its last four value bytes: the timestamp no longer fits.
  std::string answer = Answer(0x20, MeterA, 0x901F);
  answer.erase(answer.size() - 2 - 4, 4);
  answer[FrameLengthOffset] = static_cast<char>(46 - 4);
  answer[answer.size() - 2] = static_cast<char>(
      Checksum(reinterpret_cast<const uint8_t*>(answer.data()), static_cast<uint16_t>(answer.size())));
  const std::vector<TPacket> packets = Feed(answer);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_TRUE(packets[0].Value("WORK_TIME").has_value());
  EXPECT_FALSE(packets[0].Value("METER_TIMESTAMP").has_value());
  EXPECT_FALSE(packets[0].Value("STATUS1").has_value());
  EXPECT_FALSE(packets[0].Value("STATUS2").has_value());
}

TEST_F(ReadingsKept, SpacingDelaysRetriesOfTimedRequestsAndTheLastOneReportsFailure) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"},
                             "<MethodCron>1</MethodCron><CronTime>0 * * * * *</CronTime><ExportFailed>1</ExportFailed>")}));
  Module->Config->spMinInt_Value = 2000;  // longer than the answer time-out of 500 ms
  Module->OnLoadSettingsNow(*Module);
  ASSERT_EQ(Port().Queue->RequestDelay, 2000);
  Run(66000);  // the first firing comes at the next full minute
  EXPECT_EQ(RequestsSent().size(), 3u);
  const std::vector<TPacket> sent = SentPackets();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].Value("STATUS1"), "128");
}

TEST_F(ReadingsKept, RefusedConfigurationStopsTheOldRequests) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, Poll(1))}));
  Run(1500);
  ASSERT_FALSE(RequestsSent().empty());
  Module->Config->lblParams_Caption = "<QUERY><Request><Device>1234567";
  Module->OnLoadSettingsNow(*Module);
  EXPECT_NE(Log().find("Error on items formation"), std::string::npos);
  Sent.clear();
  Run(3000);
  EXPECT_TRUE(Sent.empty());
}

}  // namespace
}  // namespace cjt::test_support
