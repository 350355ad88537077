#include "cjt188/device_list.h"

#include <gtest/gtest.h>

#include "cjt188/frame.h"

namespace cjt {
namespace {

using TList = std::vector<std::string>;

TEST(DeviceList, SplitsSortsAndKeepsDistinctMeterNumbers) {
  EXPECT_EQ(ParseDeviceList("1;2,,2;*"), (TList{"1", "2"}));
  EXPECT_EQ(ParseDeviceList(""), (TList{"*"}));
  EXPECT_EQ(ParseDeviceList("*;x"), (TList{"*"}));
  EXPECT_EQ(ParseDeviceList("-;,;"), (TList{"*"}));
  EXPECT_EQ(ParseDeviceList("b,A,c"), (TList{"A", "b", "c"}));
  // Equal but for letter case: both stay, the duplicate test is exact.
  const TList both = ParseDeviceList("a;A");
  ASSERT_EQ(both.size(), 2u);
  EXPECT_NE(both[0], both[1]);
  // The same trimmed text: the first after sorting stays, with its blanks.
  EXPECT_EQ(ParseDeviceList("5; 5"), (TList{" 5"}));
  EXPECT_EQ(ParseDeviceList("12\t;12"), (TList{"12"}));
  EXPECT_EQ(ParseDeviceList("1 2"), (TList{"*"}));
}

TEST(DeviceList, AnEntryKeepsItsBlanksButIsAddressedByItsNumber) {
  const TList list = ParseDeviceList(" 5");
  ASSERT_EQ(list, (TList{" 5"}));
  EXPECT_EQ(DeviceAddressText(list[0]), "00000000000005");
  EXPECT_EQ(AddressBytes(DeviceAddressText(list[0])), (TAddressBytes{0x05, 0, 0, 0, 0, 0, 0}));
}

TEST(DeviceList, AcceptsOnlyNonNegativeSigned64BitValues) {
  for (const char* good : {"0", "7FFFFFFFFFFFFFFF", "00007fffffffffffffff", "0000000000000000000"})
    EXPECT_TRUE(IsDeviceNumber(good)) << good;
  for (const char* bad : {"8000000000000000", "FFFFFFFFFFFFFFFF", "10000000000000000", "", "$12", "0x12", "-1"})
    EXPECT_FALSE(IsDeviceNumber(bad)) << bad;
  EXPECT_EQ(ParseDeviceList("8000000000000000;7FFFFFFFFFFFFFFF"), (TList{"7FFFFFFFFFFFFFFF"}));
}

TEST(DeviceList, AddressTextsAndSpecialTexts) {
  EXPECT_EQ(DeviceAddressText("1234567"), "00000001234567");
  EXPECT_EQ(DeviceAddressText("1234567890123456"), "12345678901234");
  EXPECT_EQ(AddressBytes(DeviceAddressText("*")), TAddressBytes{});
  EXPECT_EQ(AddressBytes(DeviceAddressText("99999999999999")),
            (TAddressBytes{0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99}));
  EXPECT_TRUE(IsSpecialDeviceText("*"));
  EXPECT_TRUE(IsSpecialDeviceText("AAAAAAAAAAAAAA"));
  EXPECT_TRUE(IsSpecialDeviceText("99999999999999"));
  EXPECT_FALSE(IsSpecialDeviceText("aaaaaaaaaaaaaa"));
  EXPECT_FALSE(IsSpecialDeviceText(" *"));
}

}  // namespace
}  // namespace cjt
