#include <gtest/gtest.h>

#include <set>

#include "platform/guid.h"
#include "platform/text_encoding.h"

namespace cjt::platform {
namespace {

TEST(TextEncoding, Utf8AndUtf16RoundTripAllPlanes) {
  const std::string utf8 = "m\xC2\xB3 \xE2\x82\xAC \xF0\x9F\x92\xA7";  // m³ € 💧
  const std::u16string utf16 = u"m\u00B3 \u20AC \U0001F4A7";
  EXPECT_EQ(Utf8ToWide(utf8), utf16);
  EXPECT_EQ(WideToUtf8(utf16), utf8);
  EXPECT_EQ(WideLength(utf16.c_str()), utf16.size());
}

TEST(TextEncoding, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToWide("a\xFF"
                       "b"),
            u"a\uFFFDb");
  EXPECT_EQ(Utf8ToWide("\xE2\x82"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

TEST(TextEncoding, SystemTextKeepsAsciiAndLowersAsciiLetters) {
  EXPECT_EQ(AnsiToWide("Flow 12"), u"Flow 12");
  EXPECT_EQ(WideToAnsi(u"Flow 12"), "Flow 12");
  EXPECT_EQ(AnsiLowerCase("Heat-METER_1"), "heat-meter_1");
}

// The lowering works on eight bytes at a time, the last word overlapping the one before: every
// byte value at every place of texts shorter than a word and up to three words and more,
// against lowering byte by byte.
TEST(TextEncoding, AsciiLoweringTouchesOnlyAToZAtEveryPlace) {
  std::string into = "left over from before, longer than any text below";
  for (size_t length = 1; length <= 25; ++length) {
    for (size_t place = 0; place < length; ++place) {
      for (int byte = 0; byte < 256; ++byte) {
        std::string text(length, 'Q');
        text[place] = static_cast<char>(byte);
        std::string expected = text;
        for (char& c : expected) c = AsciiLower(c);
        ASSERT_EQ(AsciiLowerCase(text), expected) << "length " << length << ", byte " << byte << " at " << place;
        AsciiLowerCaseInto(into, text);
        ASSERT_EQ(into, expected);
      }
    }
  }
  AnsiLowerCaseInto(into, "");
  EXPECT_EQ(into, "");
}

// On every system a received frame keeps its zero bytes and ASCII bytes their characters.
TEST(TextEncoding, BytesKeepTheirNumberAndAsciiBytesTheirCharacters) {
  const std::string frame("\x68\x20\x00\x16", 4);
  EXPECT_EQ(BytesToWide(frame), std::u16string(u"\x68\x20\0\x16", 4));
  EXPECT_EQ(BytesToWide(""), u"");
}

#ifndef _WIN32
// Elsewhere than Windows the host takes each UTF-16 unit as the byte of the same value.
TEST(TextEncoding, EveryByteBecomesTheUtf16UnitOfItsValue) {
  std::string bytes;
  std::u16string units;
  for (int byte = 0; byte < 256; ++byte) {
    bytes += static_cast<char>(byte);
    units += static_cast<char16_t>(byte);
  }
  EXPECT_EQ(BytesToWide(bytes), units);
}
#endif

TEST(Guid, TextFormIsTheRegistryForm) {
  const TGuid iid = {0x33316D29, 0x0F86, 0x41C4, {0x8D, 0xB4, 0x3F, 0xE9, 0x75, 0x61, 0x58, 0xB1}};
  EXPECT_EQ(GuidToString(iid), "{33316D29-0F86-41C4-8DB4-3FE9756158B1}");
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) seen.insert(GuidToString(NewGuid()));
  EXPECT_EQ(seen.size(), 100u);
}

}  // namespace
}  // namespace cjt::platform
