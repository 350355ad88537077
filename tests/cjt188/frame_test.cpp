#include "cjt188/frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace cjt {
namespace {

const TAddressBytes Meter1234567{0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00};

TEST(ReadRequest, HeatMeter901FWithSerial1) {
  const auto frame = BuildReadRequest(0x20, Meter1234567, 0x901F, 1);
  const std::vector<uint8_t> expected{0x68, 0x20, 0x67, 0x45, 0x23, 0x01, 0x00, 0x00,
                                      0x00, 0x01, 0x03, 0x90, 0x1F, 0x01, 0x0C, 0x16};
  EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.end()), expected);
  // The byte sum 0x20C keeps its low byte.
  EXPECT_EQ(Checksum(frame.data(), 16), 0x0C);
  EXPECT_EQ(CheckFrame(frame), TFrameCheck::Valid);
}

TEST(Checksum, CoversEverythingBeforeTheChecksumByte) {
  // L = 0: 13 bytes, the sum of offsets 0 to 10.
  std::vector<uint8_t> frame{0x68, 0x10, 1, 2, 3, 4, 5, 6, 7, 0x81, 0x00, 0xEE, 0x16};
  EXPECT_EQ(Checksum(frame.data(), 13, true), static_cast<uint8_t>(0x68 + 0x10 + 28 + 0x81));
  EXPECT_EQ(frame[11], static_cast<uint8_t>(0x68 + 0x10 + 28 + 0x81));
  EXPECT_EQ(frame[12], 0x16);
  EXPECT_EQ(CheckFrame(frame), TFrameCheck::Valid);
  EXPECT_EQ(FrameLengthAt(frame), 13u);
}

TEST(Checksum, ShortLengthsAddNothingAndNeverWriteBeforeTheBuffer) {
  uint8_t guarded[4] = {0x55, 0x66, 0x77, 0x88};
  EXPECT_EQ(Checksum(guarded + 2, 2, true), 0);
  EXPECT_EQ(guarded[2], 0);  // length 2 stores at byte 0
  guarded[2] = 0x77;
  EXPECT_EQ(Checksum(guarded + 2, 1, true), 0);
  EXPECT_EQ(Checksum(guarded + 2, 0, true), 0);
  EXPECT_EQ(guarded[0], 0x55);
  EXPECT_EQ(guarded[1], 0x66);
  EXPECT_EQ(guarded[2], 0x77);
  EXPECT_EQ(guarded[3], 0x88);
  EXPECT_EQ(Checksum(guarded, 3), 0x55);
}

TEST(CheckFrame, TellsWhatIsWrongWithTheBytesAtTheStart) {
  const auto request = BuildReadRequest(0x10, Meter1234567, 0x911F, 7);
  std::vector<uint8_t> bytes(request.begin(), request.end());
  EXPECT_EQ(CheckFrame(std::span(bytes).first(12)), TFrameCheck::Incomplete);
  EXPECT_EQ(CheckFrame(std::span(bytes).first(15)), TFrameCheck::Incomplete);
  EXPECT_EQ(CheckFrame({}), TFrameCheck::NoStart);
  EXPECT_EQ(CheckFrame(std::span(bytes).subspan(1)), TFrameCheck::NoStart);

  auto noEnd = bytes;
  noEnd[15] = 0x17;
  EXPECT_EQ(CheckFrame(noEnd), TFrameCheck::NoEnd);
  auto badSum = bytes;
  badSum[13] ^= 1;
  EXPECT_EQ(CheckFrame(badSum), TFrameCheck::BadChecksum);

  // Bytes after a delimited frame are not part of it.
  bytes.push_back(0x68);
  EXPECT_EQ(CheckFrame(bytes), TFrameCheck::Valid);
  EXPECT_EQ(FrameLengthAt(bytes), 16u);
}

TEST(BuildFrame, CarriesUpTo255DataBytes) {
  const std::vector<uint8_t> data(255, 0x33);
  const auto longest = BuildFrame(0x20, Meter1234567, 0x81, data);
  ASSERT_EQ(longest.size(), MaxFrameLength);
  EXPECT_EQ(CheckFrame(longest), TFrameCheck::Valid);
  const TFrameView view = ViewFrame(longest);
  EXPECT_EQ(view.MeterType, 0x20);
  EXPECT_EQ(view.Address, Meter1234567);
  EXPECT_TRUE(view.FromMeter());
  EXPECT_FALSE(view.IsError());
  EXPECT_EQ(view.Function(), FunctionReadData);
  EXPECT_EQ(view.Data.size(), 255u);

  EXPECT_THROW(BuildFrame(0x20, Meter1234567, 0x81, std::vector<uint8_t>(256)), EFrame);
  EXPECT_TRUE(ViewFrame(std::span(longest).first(5)).Data.empty());
}

TEST(AddressText, MostSignificantByteFirstInUpperCase) {
  EXPECT_EQ(AddressText(Meter1234567), "00000001234567");
  EXPECT_EQ(AddressText(TAddressBytes{0xAB, 0xCD, 0xEF, 0x00, 0x10, 0x9A, 0xFF}), "FF9A1000EFCDAB");
  EXPECT_EQ(AddressBytes("00000001234567"), Meter1234567);
  EXPECT_EQ(AddressBytes("ff9a1000efcdab"), (TAddressBytes{0xAB, 0xCD, 0xEF, 0x00, 0x10, 0x9A, 0xFF}));
}

TEST(AddressText, PairsThatAreNoHexadecimalNumberGiveZero) {
  EXPECT_EQ(AddressBytes("000000000000 5"), (TAddressBytes{0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(AddressBytes("0000000000000*"), (TAddressBytes{}));
  EXPECT_EQ(AddressBytes("AAAAAAAAAAAAAA"), (TAddressBytes{0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}));
  EXPECT_EQ(AddressBytes("12-4G6F8+9"), (TAddressBytes{0, 0, 0x00, 0xF8, 0, 0, 0x12}));
  // A short text: a one-character pair is read as it is, missing pairs give 0.
  EXPECT_EQ(AddressBytes("1234567"), (TAddressBytes{0, 0, 0, 0x07, 0x56, 0x34, 0x12}));
  EXPECT_EQ(AddressBytes(""), (TAddressBytes{}));
}

}  // namespace
}  // namespace cjt
