#include "cjt188/value_decoding.h"

#include <gtest/gtest.h>

#include <vector>

#include "cjt188/date_encoding.h"

namespace cjt {
namespace {

using TBytes = std::vector<uint8_t>;

TEST(DecodeUnsigned, ReadsAtMostFourBytesMostSignificantFirst) {
  EXPECT_EQ(DecodeUnsigned(TBytes{0x12, 0x34}, 2), 0x1234u);
  EXPECT_EQ(DecodeUnsigned(TBytes{0xFF}, 1), 0xFFu);
  EXPECT_EQ(DecodeUnsigned(TBytes{0xDE, 0xAD, 0xBE, 0xEF, 0x55, 0x66}, 6), 0xDEADBEEFu);
  EXPECT_EQ(DecodeUnsigned(TBytes{0x01, 0x02}, 4), 0x0102u);  // only what is there
  EXPECT_EQ(DecodeUnsigned(TBytes{}, 2), 0u);
}

TEST(DecodeBcd, LaterBytesHoldTheMoreSignificantDigits) {
  EXPECT_DOUBLE_EQ(DecodeBcd(TBytes{0x78, 0x56, 0x34, 0x12}, 4, 2), 123456.78);
  EXPECT_DOUBLE_EQ(DecodeBcd(TBytes{0x78, 0x56, 0x34, 0x12}, 4, 4), 1234.5678);
  EXPECT_DOUBLE_EQ(DecodeBcd(TBytes{0x50, 0x72, 0x00}, 3, 2), 72.50);
  EXPECT_DOUBLE_EQ(DecodeBcd(TBytes{0x05, 0x00}, 2, 3), 0.005);
  EXPECT_DOUBLE_EQ(DecodeBcd(TBytes{0x45, 0x23}, 1, 1), 4.5);    // width limits
  EXPECT_DOUBLE_EQ(DecodeBcd(TBytes{0x45, 0x23}, 4, 2), 23.45);  // the span limits
  EXPECT_EQ(DecodeBcdInteger(TBytes{0x56, 0x34, 0x12}, 3), 123456);
  EXPECT_EQ(DecodeBcdInteger(TBytes{0x99, 0x99, 0x99, 0x99}, 4), 99999999);
  EXPECT_EQ(DecodeBcdInteger(TBytes{0x99, 0x99, 0x99, 0x99, 0x99}, 5), 0);  // beyond 32 bits
}

TEST(DecodeBcd, ANibbleAboveNineGivesZero) {
  EXPECT_EQ(DecodeBcd(TBytes{0xFF, 0xFF, 0xFF, 0xFF}, 4, 4), 0.0);
  EXPECT_EQ(DecodeBcdInteger(TBytes{0x0A, 0x00, 0x00}, 3), 0);
  // An "E" nibble is no exponent: 1234.5E67 would be a number as text.
  EXPECT_EQ(DecodeBcd(TBytes{0x67, 0x5E, 0x34, 0x12}, 4, 4), 0.0);
  EXPECT_EQ(DecodeBcd(TBytes{0x00, 0x00, 0x00, 0xE0}, 4, 2), 0.0);
}

TEST(DecodeDateTime, SevenBcdBytesFromSecondsToCentury) {
  // 2024-03-15 14:25:59; the seconds are not used.
  const TDateTimeValue value = DecodeDateTime(TBytes{0x59, 0x25, 0x14, 0x15, 0x03, 0x24, 0x20});
  EXPECT_TRUE(value.Error.empty());
  EXPECT_DOUBLE_EQ(value.Value, EncodeDate(2024, 3, 15) + EncodeTime(14, 25, 0, 0));
  EXPECT_DOUBLE_EQ(DecodeDateTime(TBytes{0, 0, 0, 0x01, 0x01, 0x00, 0x20}).Value, 36526.0);
}

TEST(DecodeDateTime, MonthAndDayOutsideTheirRangeGiveZeroWithoutError) {
  for (const TBytes& bytes :
       {TBytes{0, 0, 0x12, 0x15, 0x00, 0x24, 0x20}, TBytes{0, 0, 0x12, 0x15, 0x13, 0x24, 0x20},
        TBytes{0, 0, 0x12, 0x00, 0x05, 0x24, 0x20}, TBytes{0, 0, 0x12, 0x32, 0x05, 0x24, 0x20}, TBytes{}}) {
    const TDateTimeValue value = DecodeDateTime(bytes);
    EXPECT_EQ(value.Value, 0.0);
    EXPECT_TRUE(value.Error.empty());
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
  // Nibbles are not checked: 0x1A reads as 10 + 10 = 20 o'clock; 0xFF as 165 minutes.
  EXPECT_DOUBLE_EQ(DecodeDateTime(TBytes{0, 0, 0x1A, 0x01, 0x01, 0x24, 0x20}).Value,
                   EncodeDate(2024, 1, 1) + EncodeTime(20, 0, 0, 0));
  EXPECT_EQ(DecodeDateTime(TBytes{0, 0xFF, 0x10, 0x01, 0x01, 0x24, 0x20}).Error, "Invalid argument to time encode");
}

TEST(DateEncoding, KeepsTheTimeOfDayForwardBeforeTheEpoch) {
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 29, 12, 0, 0, 0), -1.5);
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 30, 6, 0, 0, 0), 0.25);
  EXPECT_DOUBLE_EQ(EncodeTime(23, 59, 59, 999), (86400000.0 - 1) / 86400000.0);
  EXPECT_THROW(EncodeDate(10000, 1, 1), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  EXPECT_THROW(EncodeTime(-1, 0, 0, 0), EConvertError);
}

TEST(DecodeValue, FollowsTheRowsKind) {
  const auto heat = FindRowsFor(0x901F, 0x20);
  const TBytes bytes{0x78, 0x56, 0x34, 0x12, 0x2C, 0x99, 0x99, 0x99, 0x99, 0x99};

  const TDecodedValue energy = DecodeValue(heat[1], bytes);  // ENERGY_HEAT, 2 decimals
  ASSERT_TRUE(std::holds_alternative<double>(energy.Value));
  EXPECT_DOUBLE_EQ(std::get<double>(energy.Value), 123456.78);
  EXPECT_EQ(energy.Consumed, 4u);

  const TDecodedValue workTime = DecodeValue(heat[7], bytes);  // WORK_TIME, whole hours
  ASSERT_TRUE(std::holds_alternative<int32_t>(workTime.Value));
  EXPECT_EQ(std::get<int32_t>(workTime.Value), 345678);
  EXPECT_EQ(workTime.Consumed, 3u);

  const TDecodedValue status = DecodeValue(heat[9], bytes);  // STATUS1, 1 byte
  ASSERT_TRUE(std::holds_alternative<uint32_t>(status.Value));
  EXPECT_EQ(std::get<uint32_t>(status.Value), 0x78u);

  const TDecodedValue stamp = DecodeValue(heat[8], bytes);
  ASSERT_TRUE(std::holds_alternative<TDateTimeValue>(stamp.Value));
  EXPECT_EQ(stamp.Consumed, 7u);

  EXPECT_EQ(DecodeValue(heat[1], std::span(bytes).first(2)).Consumed, 2u);
}

}  // namespace
}  // namespace cjt
