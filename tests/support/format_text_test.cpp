// Message formats from language files: what they print, and what a broken one does.
#include "support/format_text.h"

#include <gtest/gtest.h>

namespace cjt {
namespace {

TEST(FormatText, ConversionsFlagsWidthsAndPrecisions) {
  EXPECT_EQ(FormatText("Invalid CRC (%.2x,%.2x)", {int64_t{0x0A}, int64_t{0xFF}}), "Invalid CRC (0a,ff)");
  EXPECT_EQ(FormatText("%d|%5d|%-5d|%05d|%+d|%X", {int64_t{-7}, int64_t{42}, int64_t{42}, int64_t{-42}, int64_t{3},
                                                  int64_t{0xBEEF}}),
            "-7|   42|42   |-0042|+3|BEEF");
  EXPECT_EQ(FormatText("[%s] %.3s %%", {std::string_view("a"), std::string_view("abcdef")}), "[a] abc %");
  EXPECT_EQ(FormatText("%x", {int64_t{-1}}), "ffffffff");
}

TEST(FormatText, MismatchedOrBrokenFormatsNeverFail) {
  EXPECT_EQ(FormatText("%s and %d", {int64_t{5}, std::string_view("text")}), "5 and text");
  EXPECT_EQ(FormatText("%s %s %d", {std::string_view("one")}), "one %s %d");
  EXPECT_EQ(FormatText("50%", {}), "50%");
  EXPECT_EQ(FormatText("%q %", {int64_t{1}}), "%q %");
  EXPECT_EQ(FormatText("%999999999d", {int64_t{1}}).size(), 256u);
}

}  // namespace
}  // namespace cjt
