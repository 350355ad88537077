#include "support/crc32.h"

#include <gtest/gtest.h>

namespace cjt {
namespace {

TEST(StringChecksum, IsTheUninvertedReflectedCrc32) {
  EXPECT_EQ(StringChecksum("abc"), 0xCADBBE3Du);
  // The usual CRC-32 check value of "123456789" is 0xCBF43926; this checksum is its inverse.
  EXPECT_EQ(StringChecksum("123456789"), ~0xCBF43926u);
  EXPECT_EQ(StringChecksum(""), 0xFFFFFFFFu);
  EXPECT_EQ(StringChecksum(static_cast<const char*>(nullptr)), 0xFFFFFFFFu);
}

TEST(StringChecksum, ReadsEveryByteOfEightBitText) {
  const std::string withHighAndZeroBytes("A\xE9\x00z", 4);
  EXPECT_NE(StringChecksum(std::string_view(withHighAndZeroBytes)), StringChecksum("A\xE9"));
  EXPECT_NE(StringChecksum("CJ/T 188-2004"), StringChecksum("CJ/T 188-2005"));
}

TEST(StringChecksum, TakesACallersTable) {
  TCrc32Table own{};
  BuildCrc32Table(own);
  EXPECT_EQ(own, Crc32Table());
  EXPECT_EQ(own[1], 0x77073096u);
  EXPECT_EQ(StringChecksum("abc", own), 0xCADBBE3Du);
}

}  // namespace
}  // namespace cjt
