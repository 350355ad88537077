#include "cjt188/device_list.h"

#include <gtest/gtest.h>

#include "cjt188/frame.h"

namespace cjt {
namespace {

using TList = std::vector<std::string>;

TEST(DeviceList, SplitsSortsAndDropsWhatIsNoMeterNumber) {
  EXPECT_EQ(ParseDeviceList("1;2,,2;*"), (TList{"1", "2"}));
  EXPECT_EQ(ParseDeviceList(""), (TList{"*"}));
  EXPECT_EQ(ParseDeviceList("*;x"), (TList{"*"}));
  EXPECT_EQ(ParseDeviceList("*"), (TList{"*"}));
  EXPECT_EQ(ParseDeviceList("-;,;"), (TList{"*"}));
  EXPECT_EQ(ParseDeviceList("2;1"), (TList{"1", "2"}));
  EXPECT_EQ(ParseDeviceList("b,A,c"), (TList{"A", "b", "c"}));
}

TEST(DeviceList, DuplicatesAreExactAfterTrimming) {
  // Equal when letter case is ignored, but not the same text: both stay.
  const TList both = ParseDeviceList("a;A");
  ASSERT_EQ(both.size(), 2u);
  EXPECT_NE(both[0], both[1]);
  // The same trimmed text: the first after sorting stays, with its blanks.
  EXPECT_EQ(ParseDeviceList("5; 5"), (TList{" 5"}));
  EXPECT_EQ(ParseDeviceList("12\t;12"), (TList{
                                            "12",
                                        }));
}

TEST(DeviceList, AnEntryKeepsItsBlanksButIsAddressedByItsNumber) {
  const TList list = ParseDeviceList(" 5");
  ASSERT_EQ(list, (TList{" 5"}));
  EXPECT_EQ(DeviceAddressText(list[0]), "00000000000005");
  EXPECT_EQ(AddressBytes(DeviceAddressText(list[0])), (TAddressBytes{0x05, 0, 0, 0, 0, 0, 0}));
  // A blank inside the number is no hexadecimal digit.
  EXPECT_EQ(ParseDeviceList("1 2"), (TList{"*"}));
}

TEST(DeviceList, AcceptsOnlyNonNegativeSigned64BitValues) {
  EXPECT_TRUE(IsDeviceNumber("0"));
  EXPECT_TRUE(IsDeviceNumber("7FFFFFFFFFFFFFFF"));
  EXPECT_TRUE(IsDeviceNumber("00007fffffffffffffff"));  // leading zeros do not count
  EXPECT_TRUE(IsDeviceNumber("0000000000000000000"));
  EXPECT_TRUE(IsDeviceNumber("1000000000000000"));
  EXPECT_FALSE(IsDeviceNumber("8000000000000000"));
  EXPECT_FALSE(IsDeviceNumber("FFFFFFFFFFFFFFFF"));
  EXPECT_FALSE(IsDeviceNumber("10000000000000000"));  // 17 significant digits
  EXPECT_FALSE(IsDeviceNumber(""));
  EXPECT_FALSE(IsDeviceNumber("$12"));
  EXPECT_FALSE(IsDeviceNumber("0x12"));
  EXPECT_FALSE(IsDeviceNumber("-1"));
  EXPECT_FALSE(IsDeviceNumber("12G"));
  EXPECT_EQ(ParseDeviceList("8000000000000000;7FFFFFFFFFFFFFFF"), (TList{"7FFFFFFFFFFFFFFF"}));
}

TEST(DeviceList, AddressTextIsTheFirst14CharactersPaddedWithZeros) {
  EXPECT_EQ(DeviceAddressText("1234567"), "00000001234567");
  EXPECT_EQ(DeviceAddressText("12345678901234"), "12345678901234");
  EXPECT_EQ(DeviceAddressText("1234567890123456"), "12345678901234");
  EXPECT_EQ(DeviceAddressText("*"), "0000000000000*");
  EXPECT_EQ(DeviceAddressText(""), "00000000000000");
}

TEST(DeviceList, SpecialTextsAreExactAndAddressTheirOwnPattern) {
  EXPECT_TRUE(IsSpecialDeviceText("*"));
  EXPECT_TRUE(IsSpecialDeviceText("AAAAAAAAAAAAAA"));
  EXPECT_TRUE(IsSpecialDeviceText("99999999999999"));
  EXPECT_FALSE(IsSpecialDeviceText("aaaaaaaaaaaaaa"));
  EXPECT_FALSE(IsSpecialDeviceText("AAAAAAAAAAAAA"));
  EXPECT_FALSE(IsSpecialDeviceText(" *"));
  EXPECT_EQ(AddressBytes(DeviceAddressText("*")), TAddressBytes{});
  EXPECT_EQ(AddressBytes(DeviceAddressText("99999999999999")),
            (TAddressBytes{0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99}));
  EXPECT_EQ(ParseDeviceList("AAAAAAAAAAAAAA"), (TList{"AAAAAAAAAAAAAA"}));
}

}  // namespace
}  // namespace cjt
