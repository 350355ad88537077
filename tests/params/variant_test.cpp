#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "params/variant.h"
#include "platform/text_encoding.h"

namespace cjt {
namespace {

using namespace platform;

std::string TextOf(const TVariant& v) { return v.AsString(); }

TEST(OleString, IsLengthPrefixedAndZeroTerminated) {
  TBStr text = SysAllocString(u"m3/h");
  ASSERT_NE(text, nullptr);
  uint32_t byteLength;
  std::memcpy(&byteLength, reinterpret_cast<char*>(text) - 4, 4);
  EXPECT_EQ(byteLength, 8u);
  EXPECT_EQ(SysStringLen(text), 4u);
  EXPECT_EQ(text[4], u'\0');
  SysFreeString(text);

  TBStr embedded = SysAllocStringLen(u"a\0b", 3);
  TOleVariant source{}, copy{};
  source.Vt = VtBStr;
  source.BStrVal = embedded;
  ASSERT_EQ(VariantCopy(&copy, &source), HrOk);
  EXPECT_EQ(SysStringLen(copy.BStrVal), 3u);
  EXPECT_EQ(copy.BStrVal[2], u'b');
  VariantClear(&copy);
  VariantClear(&source);
  EXPECT_EQ(source.Vt, VtEmpty);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
}

TEST(Variant, KeepsTypeAndValueThroughCopiesAndMoves) {
  const TVariant values[] = {
      int16_t{-7},     int32_t{70000},        1.25f,           2.5, true, int8_t{-3}, uint8_t{250},
      uint16_t{65000}, uint32_t{4000000000u}, int64_t{1} << 40};
  const uint16_t types[] = {VtSmallint, VtInteger, VtSingle, VtDouble,   VtBoolean,
                            VtShortInt, VtByte,    VtWord,   VtLongWord, VtInt64};
  for (size_t i = 0; i < std::size(values); ++i) {
    TVariant copy = values[i];
    EXPECT_EQ(copy.Type(), types[i]);
    TVariant moved = std::move(copy);
    EXPECT_EQ(moved.Type(), types[i]);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(moved.AsDouble(), values[i].AsDouble());
  }
  EXPECT_EQ(TVariant(uint32_t{4000000000u}).AsInt64(), 4000000000);
  EXPECT_EQ(TVariant(true).AsInteger(), -1);
}

// Text copied over text of the same length goes into the string already there; every other
// copy makes the value anew.
TEST(Variant, CopiesOverAValueTakeTheSourcesTextAndType) {
  TVariant target("kWh");
  const TVariant same("MWh");
  target = same;
  EXPECT_EQ(TextOf(target), "MWh");
  EXPECT_EQ(TextOf(same), "MWh");
  EXPECT_NE(target.Raw().BStrVal, same.Raw().BStrVal);
  target = TVariant("m3/h");
  target = same;
  EXPECT_EQ(TextOf(target), "MWh");
  EXPECT_EQ(SysStringLen(target.Raw().BStrVal), 3u);
  target = TVariant(2.5);
  EXPECT_EQ(target.Type(), VtDouble);
  target = same;
  EXPECT_EQ(TextOf(target), "MWh");
  const TVariant& self = target;
  target = self;
  EXPECT_EQ(TextOf(target), "MWh");
  target = TVariant(int32_t{5});
  EXPECT_EQ(target.Type(), VtInteger);
}

// Copies and moves between plain values and text, both ways: the target holds only the new
// value (the sanitizers see a string kept or freed twice), a moved-from source is empty.
TEST(Variant, AssignmentsBetweenNumbersAndTextKeepNothingOfTheOldValue) {
  const TVariant number(int64_t{1} << 40);
  const TVariant text("m3/h");
  TVariant target(2.5);
  target = number;
  EXPECT_EQ(target.Type(), VtInt64);
  EXPECT_EQ(target.AsInt64(), int64_t{1} << 40);
  target = text;
  EXPECT_EQ(TextOf(target), "m3/h");
  target = number;
  EXPECT_EQ(target.AsInt64(), int64_t{1} << 40);
  TVariant source("kWh");
  target = std::move(source);
  EXPECT_EQ(TextOf(target), "kWh");
  EXPECT_TRUE(source.IsEmpty());
  source = TVariant(uint16_t{7});
  target = std::move(source);
  EXPECT_EQ(target.Type(), VtWord);
  EXPECT_TRUE(source.IsEmpty());
  target = TVariant::Null();
  EXPECT_TRUE(target.IsNull());
}

TEST(Variant, TextIsAlwaysAnOleWideString) {
  const std::string unit = WideToAnsi(u"m\u00B3/h");  // 8-bit text of the system
  const TVariant text(unit);
  EXPECT_EQ(text.Type(), VtBStr);
  EXPECT_EQ(text.AsWideString(), u"m\u00B3/h");
  TVariant assigned;
  assigned = text;
  EXPECT_EQ(TextOf(assigned), unit);
  EXPECT_EQ(TextOf(TVariant(static_cast<const char*>(nullptr))), "");
}

// Plain ASCII takes a shorter way into the OLE string than other 8-bit text; both end alike.
TEST(Variant, AsciiAndOtherTextBecomeTheSameOleString) {
  const TVariant ascii(std::string_view("kWh*10 \x01\x7F\0end", 13));
  ASSERT_EQ(ascii.Type(), VtBStr);
  EXPECT_EQ(SysStringLen(ascii.Raw().BStrVal), 13u);
  EXPECT_EQ(ascii.AsWideString(), std::u16string(u"kWh*10 \x01\x7F\0end", 13));
  EXPECT_EQ(ascii.Raw().BStrVal[13], u'\0');
  const TVariant empty{std::string_view()};
  ASSERT_EQ(empty.Type(), VtBStr);
  EXPECT_EQ(SysStringLen(empty.Raw().BStrVal), 0u);
  const std::string mixed = "T " + WideToAnsi(u"\u00B0C");
  EXPECT_EQ(TVariant(mixed).AsWideString(), u"T \u00B0C");
}

TEST(Variant, IncomingTextFollowsTheConventionOfTheInterface) {
  TOleVariant ansi{};
  ansi.Vt = VtString;
  ansi.StringVal = "Flow";
  EXPECT_EQ(TextOf(TVariant::FromIncoming(ansi, TTextConvention::Ansi)), "Flow");

  const char16_t wide[] = u"Temp";
  TOleVariant wideAsString{};
  wideAsString.Vt = VtString;
  wideAsString.UStringVal = wide;
  EXPECT_EQ(TVariant::FromIncoming(wideAsString, TTextConvention::Wide).AsWideString(), u"Temp");
  TOleVariant unicode = wideAsString;
  unicode.Vt = VtUString;
  EXPECT_EQ(TVariant::FromIncoming(unicode, TTextConvention::Ansi).AsWideString(), u"Temp");

  TOleVariant nullText{};
  nullText.Vt = VtString;
  EXPECT_EQ(TVariant::FromIncoming(nullText, TTextConvention::Ansi).AsWideString(), u"");
  // Without a convention, the 8-bit string type is no OLE type.
  EXPECT_THROW(TVariant::CopyOf(ansi), EVariantError);

  TOleVariant number{};
  number.Vt = VtInteger;
  number.IntegerVal = 12;
  EXPECT_EQ(TVariant::FromIncoming(number, TTextConvention::Ansi).AsInteger(), 12);
}

TEST(Variant, NumbersRoundHalfToEvenAndOverflowOutsideTheTargetRange) {
  EXPECT_EQ(TVariant(2.5).AsInteger(), 2);
  EXPECT_EQ(TVariant(3.5).AsInteger(), 4);
  EXPECT_EQ(TVariant(-2.5).AsInteger(), -2);
  EXPECT_EQ(TVariant(60000).ChangedTo(VtWord).Type(), VtWord);
  EXPECT_THROW(TVariant(70000).ChangedTo(VtSmallint), EVariantError);
  EXPECT_THROW(TVariant(-1).ChangedTo(VtByte), EVariantError);
  EXPECT_THROW(TVariant(1e300).ChangedTo(VtSingle), EVariantError);
  EXPECT_THROW(TVariant(1e30).AsInt64(), EVariantError);
  EXPECT_EQ(TVariant::Currency(12345).AsDouble(), 1.2345);
  EXPECT_EQ(TVariant(1.5).ChangedTo(VtCurrency).Raw().CurrencyVal, 15000);
  try {
    TVariant(70000).ChangedTo(VtSmallint);
  } catch (const EVariantError& error) {
    EXPECT_STREQ(error.what(), "Overflow while converting variant of type (Integer) into type (Smallint)");
  }
}

TEST(Variant, TextConvertsToAndFromNumbersAndBooleans) {
  EXPECT_EQ(TextOf(TVariant(-42)), "-42");
  EXPECT_EQ(TextOf(TVariant(1.5)), "1.5");
  EXPECT_EQ(TextOf(TVariant(0.1)), "0.1");
  EXPECT_EQ(TextOf(TVariant(123456.78)), "123456.78");
  EXPECT_EQ(TextOf(TVariant(true)), "True");
  EXPECT_EQ(TextOf(TVariant(false)), "False");
  EXPECT_EQ(TextOf(TVariant::Currency(-5000)), "-0.5");
  EXPECT_EQ(TVariant(" 17 ").AsInteger(), 17);
  EXPECT_EQ(TVariant("2.75").AsDouble(), 2.75);
  EXPECT_TRUE(TVariant("True").AsBoolean());
  EXPECT_FALSE(TVariant("false").AsBoolean());
  EXPECT_TRUE(TVariant("-1").AsBoolean());
  EXPECT_THROW(TVariant("abc").AsInteger(), EVariantError);
  EXPECT_THROW(TVariant("").AsInteger(), EVariantError);
  try {
    TVariant("abc").AsInteger();
  } catch (const EVariantError& error) {
    EXPECT_STREQ(error.what(), "Could not convert variant of type (OleStr) into type (Integer)");
  }
}

TEST(Variant, DatesSurviveTheTextForm) {
  const double noon = 46000.5;  // 2025-12-09 12:00
  const TVariant text = TVariant::Date(noon).ChangedTo(VtBStr);
  EXPECT_EQ(text.ChangedTo(VtDate).Raw().DateVal, noon);
  EXPECT_EQ(TVariant("2025-12-09 12:00:00").ChangedTo(VtDate).Raw().DateVal, noon);
  EXPECT_THROW(TVariant::Date(1e9).ChangedTo(VtBStr), EVariantError);
}

TEST(Variant, EmptyAndNullConvertByTheOleRules) {
  EXPECT_EQ(TVariant().AsInteger(), 0);
  EXPECT_EQ(TextOf(TVariant()), "");
  EXPECT_FALSE(TVariant().AsBoolean());
  EXPECT_THROW(TVariant::Null().AsInteger(), EVariantError);
  EXPECT_THROW(TVariant::Null().AsString(), EVariantError);
  EXPECT_TRUE(TVariant().ChangedTo(VtNull).IsNull());
  EXPECT_TRUE(TVariant(5).ChangedTo(VtEmpty).IsEmpty());
}

TEST(Variant, ConvertsInPlaceWithoutLosingTheSource) {
  TOleVariant value{};
  value.Vt = VtBStr;
  value.BStrVal = SysAllocString(u"250");
  ASSERT_EQ(VariantChangeType(&value, &value, VtByte), HrOk);
  EXPECT_EQ(value.Vt, VtByte);
  EXPECT_EQ(value.ByteVal, 250);
  TOleVariant failed{};
  failed.Vt = VtBStr;
  failed.BStrVal = SysAllocString(u"x");
  EXPECT_NE(VariantChangeType(&failed, &failed, VtInteger), HrOk);
  EXPECT_EQ(failed.Vt, VtBStr);  // unchanged on failure
  VariantClear(&failed);
}

}  // namespace
}  // namespace cjt
