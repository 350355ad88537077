#include "cjt188/value_decoding.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "cjt188/date_encoding.h"

namespace cjt {
namespace {

using TBytes = std::vector<uint8_t>;

TEST(DecodeUnsigned, ReadsAtMostFourBytesMostSignificantFirst) {
  EXPECT_EQ(DecodeUnsigned(TBytes{0x12, 0x34}, 2), 0x1234u);
  EXPECT_EQ(DecodeUnsigned(TBytes{0xDE, 0xAD, 0xBE, 0xEF, 0x55, 0x66}, 6), 0xDEADBEEFu);
  EXPECT_EQ(DecodeUnsigned(TBytes{0x01, 0x02}, 4), 0x0102u);  // only what is there
}

TEST(DecodeBcd, LaterBytesHoldTheMoreSignificantDigits) {
  EXPECT_DOUBLE_EQ(DecodeBcd(TBytes{0x78, 0x56, 0x34, 0x12}, 4, 2), 123456.78);
  EXPECT_DOUBLE_EQ(DecodeBcd(TBytes{0x78, 0x56, 0x34, 0x12}, 4, 4), 1234.5678);
  EXPECT_DOUBLE_EQ(DecodeBcd(TBytes{0x05, 0x00}, 2, 3), 0.005);
  EXPECT_DOUBLE_EQ(DecodeBcd(TBytes{0x45, 0x23}, 4, 2), 23.45);  // the bytes there are
  EXPECT_EQ(DecodeBcdInteger(TBytes{0x56, 0x34, 0x12}, 3), 123456);
  EXPECT_EQ(DecodeBcdInteger(TBytes{0x99, 0x99, 0x99, 0x99, 0x99}, 5), 0);  // beyond 32 bits
}

TEST(DecodeBcd, ANibbleAboveNineGivesZero) {
  EXPECT_EQ(DecodeBcd(TBytes{0xFF, 0xFF, 0xFF, 0xFF}, 4, 4), 0.0);
  EXPECT_EQ(DecodeBcdInteger(TBytes{0x0A, 0x00, 0x00}, 3), 0);
  // An "E" nibble is no exponent, though "1234.5E67" would read as a number.
  EXPECT_EQ(DecodeBcd(TBytes{0x67, 0x5E, 0x34, 0x12}, 4, 4), 0.0);
}

// The exact decimal the digits and decimal places stand for, rounded once to a double: what a
// reading of "123456.78" gives. A value scaled twice (0.01 * 12345678) would differ in the
// last bit for many digits.
double DecimalReading(const TBytes& bytes, int decimals) {
  std::string text;
  for (size_t i = bytes.size(); i-- > 0;) text += std::to_string(bytes[i] >> 4) + std::to_string(bytes[i] & 0x0F);
  if (text.size() < static_cast<size_t>(decimals)) text.insert(0, static_cast<size_t>(decimals) - text.size(), '0');
  text.insert(text.size() - static_cast<size_t>(decimals), ".");
  return std::strtod(text.c_str(), nullptr);
}

TEST(DecodeBcd, EqualsTheDecimalReadingOfItsDigitsToTheLastBit) {
  std::mt19937 random(188);
  for (size_t width = 1; width <= 9; ++width) {
    for (int decimals = 0; decimals <= 7; ++decimals) {
      for (int round = 0; round < 200; ++round) {
        TBytes bytes(width);
        for (uint8_t& byte : bytes) byte = static_cast<uint8_t>((random() % 10) << 4 | random() % 10);
        ASSERT_EQ(DecodeBcd(bytes, width, decimals), DecimalReading(bytes, decimals))
            << "width " << width << ", decimals " << decimals;
      }
    }
  }
  EXPECT_EQ(DecodeBcd(TBytes{0x01}, 1, 7), 1e-7);  // more decimal places than digits
  EXPECT_EQ(DecodeBcd(TBytes{}, 4, 2), 0.0);
}

TEST(DecodeBcd, IntegersUpToTheLargestSigned32BitNumber) {
  EXPECT_EQ(DecodeBcdInteger(TBytes{0x47, 0x36, 0x48, 0x47, 0x21}, 5), 2147483647);
  EXPECT_EQ(DecodeBcdInteger(TBytes{0x48, 0x36, 0x48, 0x47, 0x21}, 5), 0);
  EXPECT_EQ(DecodeBcdInteger(TBytes{0x47, 0x36, 0x48, 0x47, 0x21, 0x00, 0x00, 0x00}, 8), 2147483647);
  EXPECT_EQ(DecodeBcdInteger(TBytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}, 8), 0);
  EXPECT_EQ(DecodeBcdInteger(TBytes{}, 3), 0);
}

TEST(DecodeDateTime, SevenBcdBytesFromSecondsToCentury) {
  // 2024-03-15 14:25:59; the seconds are not used.
  const TDateTimeValue value = DecodeDateTime(TBytes{0x59, 0x25, 0x14, 0x15, 0x03, 0x24, 0x20});
  EXPECT_TRUE(value.Error.empty());
  EXPECT_DOUBLE_EQ(value.Value, EncodeDate(2024, 3, 15) + EncodeTime(14, 25, 0, 0));
  EXPECT_DOUBLE_EQ(DecodeDateTime(TBytes{0, 0, 0, 0x01, 0x01, 0x00, 0x20}).Value, 36526.0);
  // Nibbles are not checked: 0x1A reads as 10 + 10 = 20 o'clock.
  EXPECT_DOUBLE_EQ(DecodeDateTime(TBytes{0, 0, 0x1A, 0x01, 0x01, 0x24, 0x20}).Value,
                   EncodeDate(2024, 1, 1) + EncodeTime(20, 0, 0, 0));
  // Month or day outside their range: the zero date-time, no error.
  for (const TBytes& bytes : {TBytes{0, 0, 0x12, 0x15, 0x00, 0x24, 0x20}, TBytes{0, 0, 0x12, 0x15, 0x13, 0x24, 0x20},
                              TBytes{0, 0, 0x12, 0x32, 0x05, 0x24, 0x20}, TBytes{}}) {
    EXPECT_EQ(DecodeDateTime(bytes).Value, 0.0);
    EXPECT_TRUE(DecodeDateTime(bytes).Error.empty());
  }
}

TEST(DecodeDateTime, DatesAndTimesTheCalendarRefusesGiveZeroAndTheMessage) {
  const TDateTimeValue april31 = DecodeDateTime(TBytes{0, 0, 0x12, 0x31, 0x04, 0x24, 0x20});
  EXPECT_EQ(april31.Value, 0.0);
  EXPECT_EQ(april31.Error, "Invalid argument to date encode");
  EXPECT_EQ(DecodeDateTime(TBytes{0, 0, 0, 0x29, 0x02, 0x23, 0x20}).Error, "Invalid argument to date encode");
  EXPECT_TRUE(DecodeDateTime(TBytes{0, 0, 0, 0x29, 0x02, 0x24, 0x20}).Error.empty());
  EXPECT_EQ(DecodeDateTime(TBytes{0, 0, 0, 0x01, 0x01, 0x00, 0x00}).Error, "Invalid argument to date encode");
  const TDateTimeValue hour24 = DecodeDateTime(TBytes{0, 0x00, 0x24, 0x01, 0x01, 0x24, 0x20});
  EXPECT_EQ(hour24.Value, 0.0);
  EXPECT_EQ(hour24.Error, "Invalid argument to time encode");
  EXPECT_EQ(DecodeDateTime(TBytes{0, 0x60, 0x10, 0x01, 0x01, 0x24, 0x20}).Error, "Invalid argument to time encode");
  // Before the epoch the time of day still counts forward: noon of 1899-12-29 is -1.5.
  EXPECT_DOUBLE_EQ(DecodeDateTime(TBytes{0, 0, 0x12, 0x29, 0x12, 0x99, 0x18}).Value, -1.5);
}

}  // namespace
}  // namespace cjt
