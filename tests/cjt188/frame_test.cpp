#include "cjt188/frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace cjt {
namespace {

using TBytes = std::vector<uint8_t>;
const TAddressBytes Meter1234567{0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00};

TEST(ReadRequest, HeatMeter901FWithSerial1) {
  const auto frame = BuildReadRequest(0x20, Meter1234567, 0x901F, 1);
  // The checksum 0x0C is the low byte of the byte sum 0x20C.
  EXPECT_EQ(TBytes(frame.begin(), frame.end()),
            (TBytes{0x68, 0x20, 0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00, 0x01, 0x03, 0x90, 0x1F, 0x01, 0x0C, 0x16}));
  EXPECT_EQ(CheckFrame(frame), TFrameCheck::Valid);
}

TEST(Checksum, ShortLengthsAddNothingAndNeverWriteBeforeTheBuffer) {
  // L = 0: 13 bytes, the sum of offsets 0 to 10 stored at 11.
  TBytes empty{0x68, 0x10, 1, 2, 3, 4, 5, 6, 7, 0x81, 0x00, 0xEE, 0x16};
  EXPECT_EQ(Checksum(empty.data(), 13, true), 0x15);  // 0x115
  EXPECT_EQ(empty[11], 0x15);
  EXPECT_EQ(CheckFrame(empty), TFrameCheck::Valid);

  uint8_t guarded[4] = {0x55, 0x66, 0x77, 0x88};
  EXPECT_EQ(Checksum(guarded + 2, 1, true), 0);
  EXPECT_EQ(Checksum(guarded + 2, 0, true), 0);
  EXPECT_EQ(TBytes(guarded, guarded + 4), (TBytes{0x55, 0x66, 0x77, 0x88}));
  EXPECT_EQ(Checksum(guarded + 2, 2, true), 0);  // stores at byte 0
  EXPECT_EQ(guarded[2], 0);
}

TEST(CheckFrame, TellsWhatIsWrongWithTheBytesAtTheStart) {
  const auto request = BuildReadRequest(0x10, Meter1234567, 0x911F, 7);
  TBytes bytes(request.begin(), request.end());
  EXPECT_EQ(CheckFrame(std::span(bytes).first(12)), TFrameCheck::Incomplete);
  EXPECT_EQ(CheckFrame(std::span(bytes).first(15)), TFrameCheck::Incomplete);
  EXPECT_EQ(CheckFrame(std::span(bytes).subspan(1)), TFrameCheck::NoStart);
  auto noEnd = bytes;
  noEnd[15] = 0x17;
  EXPECT_EQ(CheckFrame(noEnd), TFrameCheck::NoEnd);
  auto badSum = bytes;
  badSum[13] ^= 1;
  EXPECT_EQ(CheckFrame(badSum), TFrameCheck::BadChecksum);
  bytes.push_back(0x68);  // what follows a delimited frame is not part of it
  EXPECT_EQ(CheckFrame(bytes), TFrameCheck::Valid);
  EXPECT_EQ(FrameLengthAt(bytes), 16u);
}

TEST(BuildFrame, CarriesUpTo255DataBytes) {
  const auto longest = BuildFrame(0x20, Meter1234567, 0xC1, TBytes(255, 0x33));
  ASSERT_EQ(longest.size(), MaxFrameLength);
  EXPECT_EQ(CheckFrame(longest), TFrameCheck::Valid);
  const TFrameView view = ViewFrame(longest);
  EXPECT_EQ(view.Address, Meter1234567);
  EXPECT_TRUE(view.FromMeter() && view.IsError());
  EXPECT_EQ(view.Function(), FunctionReadData);
  EXPECT_EQ(view.Data.size(), 255u);
  EXPECT_THROW(BuildFrame(0x20, Meter1234567, 0x81, TBytes(256)), EFrame);
}

TEST(AddressText, MostSignificantByteFirstInUpperCase) {
  EXPECT_EQ(AddressText(Meter1234567), "00000001234567");
  EXPECT_EQ(AddressText(TAddressBytes{0xAB, 0xCD, 0xEF, 0x00, 0x10, 0x9A, 0xFF}), "FF9A1000EFCDAB");
  EXPECT_EQ(AddressBytes("00000001234567"), Meter1234567);
  EXPECT_EQ(AddressBytes("ff9a1000efcdab"), (TAddressBytes{0xAB, 0xCD, 0xEF, 0x00, 0x10, 0x9A, 0xFF}));
  // Pairs that are no hexadecimal number give 0; a one-character pair is read as it is.
  EXPECT_EQ(AddressBytes("000000000000 5"), TAddressBytes{});
  EXPECT_EQ(AddressBytes("0000000000000*"), TAddressBytes{});
  EXPECT_EQ(AddressBytes("12-4G6F8+9"), (TAddressBytes{0, 0, 0, 0xF8, 0, 0, 0x12}));
  EXPECT_EQ(AddressBytes("1234567"), (TAddressBytes{0, 0, 0, 0x07, 0x56, 0x34, 0x12}));
}

}  // namespace
}  // namespace cjt
