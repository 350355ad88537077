// Reading the address of the meter on a line: the request goes to the broadcast address
// under the read-address control code, every time, and the answer's packet names the meter
// that answered, with its type.
#include <gtest/gtest.h>

#include <string>

#include "tests/cjt188/answer_decoding.h"

namespace cjt::test_support {
namespace {

using ReadAddress = AnswerDecoding;

// The answer of the heat meter 00000001234567 (type 0x20), its checksum the low byte of the
// sum 0x68 + 0x20 + 0x67 + 0x45 + 0x23 + 0x01 + 0x83 + 0x03 + 0x81 + 0x0A + 0x01.
const std::string HeatMeterAddress = Frame(0x20, {
                                                     0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00,  // address
                                                     0x83,                                      // C: read address
                                                     0x03,                                      // L = 3
                                                     0x81, 0x0A,                                // DI
                                                     0x01,                                      // SER
                                                 });

TEST_F(ReadAddress, BroadcastRequestAndTheMeterItFinds) {
  Start(QueryXml({RequestXml("*", "20", {"810A"})}));
  Run(100);
  ASSERT_EQ(RequestsSent().size(), 1u);
  // 68 20 AA*7 03 03 81 0A 01: the sum 0x5C0 gives the checksum C0.
  EXPECT_EQ(RequestsSent()[0], std::string("\x68\x20\xAA\xAA\xAA\xAA\xAA\xAA\xAA\x03\x03\x81\x0A\x01\xC0\x16", 16));
  const std::vector<TPacket> packets = Feed(HeatMeterAddress);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].Value("DEVICE_ID"), "00000001234567");
  EXPECT_EQ(packets[0].Value("DATA_TYPE_ID_STR"), "810A");
  EXPECT_EQ(packets[0].Value("METER_TYPE"), "32");
  // The next read asks the whole line again, not the meter heard.
  Run(1000);
  ASSERT_GE(RequestsSent().size(), 2u);
  EXPECT_EQ(RequestsSent()[1].substr(0, 13), std::string("\x68\x20\xAA\xAA\xAA\xAA\xAA\xAA\xAA\x03\x03\x81\x0A", 13));
}

// An answer to a read-data request with the same identifier is no answer to read address.
TEST_F(ReadAddress, OnlyTheReadAddressAnswerMatches) {
  Listen("AAAAAAAAAAAAAA", "810A");
  const std::string readData = Frame(0x20, {0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00, 0x81, 0x03, 0x81, 0x0A, 0x01});
  EXPECT_TRUE(Feed(readData).empty());
  // Listening: another master's read-address answer is decoded as well.
  ExpectRows(Decode(HeatMeterAddress), {{"METER_TYPE", TVariant(uint32_t{0x20})}});
}

TEST_F(ReadAddress, SimulatedMeterIsFound) {
  Start(QueryXml({RequestXml("AAAAAAAAAAAAAA", "AA", {"810A"})}));
  Connect({.Meters = {{0x30, AddressBytes("00000000778899")}}});
  Run(1000);
  ASSERT_FALSE(Received.empty());
  EXPECT_EQ(Received[0].Value("DEVICE_ID"), "00000000778899");
  EXPECT_EQ(Received[0].Value("METER_TYPE"), "48");
}

}  // namespace
}  // namespace cjt::test_support
