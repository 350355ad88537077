#include "support/fifo_stream.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace cjt {
namespace {

std::vector<uint8_t> Bytes(uint8_t first, int count) {
  std::vector<uint8_t> bytes(static_cast<size_t>(count));
  std::iota(bytes.begin(), bytes.end(), first);
  return bytes;
}

std::vector<uint8_t> Content(TFIFOStream& stream) {
  const uint8_t* data = stream.LockDataRead();
  std::vector<uint8_t> content(data, data + stream.DataSize());
  stream.UnlockRead();
  return content;
}

void Write(TFIFOStream& stream, const std::vector<uint8_t>& bytes) {
  stream.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
}

TEST(FIFOStream, CompactingDiscardsAtLeastAStepOfTheOldestBytes) {
  TFIFOStream stream(16, true, 4);
  Write(stream, Bytes(1, 10));
  Write(stream, Bytes(101, 10));  // 6 free: the oldest 4 go
  std::vector<uint8_t> expected = Bytes(5, 6);
  for (uint8_t b : Bytes(101, 10)) expected.push_back(b);
  EXPECT_EQ(Content(stream), expected);
  EXPECT_EQ(stream.FreeSpace(), 0);

  TFIFOStream other(16, true, 4);
  Write(other, Bytes(1, 10));
  Write(other, Bytes(101, 7));  // 6 free, 1 short: still a whole step goes
  EXPECT_EQ(other.DataSize(), 13);
  EXPECT_EQ(Content(other).front(), 5);
}

TEST(FIFOStream, FillsExactlyAndEmptiesByRemoveAndClear) {
  TFIFOStream stream(16, true, 4);
  Write(stream, Bytes(1, 16));
  EXPECT_EQ(stream.DataSize(), 16);
  EXPECT_EQ(stream.FreeSpace(), 0);
  stream.Remove(0);
  stream.Remove(-3);
  EXPECT_EQ(stream.DataSize(), 16);
  stream.Remove(5);
  EXPECT_EQ(Content(stream), Bytes(6, 11));
  stream.Remove(100);
  EXPECT_EQ(stream.DataSize(), 0);
  Write(stream, Bytes(1, 3));
  stream.Clear();
  EXPECT_EQ(stream.DataSize(), 0);
  EXPECT_EQ(stream.FreeSpace(), 16);
}

TEST(FIFOStream, AWriteLongerThanTheCapacityKeepsItsNewestBytes) {
  TFIFOStream stream(16, true, 4);
  Write(stream, Bytes(1, 5));
  Write(stream, Bytes(100, 40));
  EXPECT_EQ(Content(stream), Bytes(124, 16));
}

TEST(FIFOStream, IgnoresEmptyAndNegativeWrites) {
  TFIFOStream stream(16);
  stream.Write(nullptr, 5);
  const uint8_t byte = 1;
  stream.Write(&byte, 0);
  stream.Write(&byte, -1);
  EXPECT_EQ(stream.DataSize(), 0);
}

TEST(FIFOStream, RingModeRefusesWhatDoesNotFitAndNeverLosesAFullBuffer) {
  TFIFOStream stream(16, false, 4);
  Write(stream, Bytes(1, 10));
  EXPECT_THROW(Write(stream, Bytes(50, 7)), EFIFOStream);
  EXPECT_EQ(Content(stream), Bytes(1, 10));
  stream.Remove(4);  // nothing to remove in ring mode
  EXPECT_EQ(stream.DataSize(), 10);
  // Filling it completely wraps the write position onto the read position: still full.
  Write(stream, Bytes(11, 6));
  EXPECT_EQ(stream.DataSize(), 16);
  EXPECT_EQ(Content(stream), Bytes(1, 16));
  try {
    Write(stream, Bytes(1, 1));
    FAIL() << "a full ring accepted a byte";
  } catch (const EFIFOStream& error) {
    EXPECT_STREQ(error.what(), "Buffer over-run.");
  }
}

TEST(FIFOStream, AScannerRemovesWhileHoldingTheLock) {
  TFIFOStream stream(64);
  Write(stream, Bytes(1, 20));
  const uint8_t* data = stream.LockData();
  EXPECT_EQ(data[0], 1);
  stream.Remove(8);
  EXPECT_EQ(stream.DataSize(), 12);
  EXPECT_EQ(data[0], 9);  // compacted in place, at the same address
  stream.Unlock();
}

}  // namespace
}  // namespace cjt
