#include "support/fifo_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <numeric>
#include <random>
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

// Random writes, removals and clears against a plain byte queue that follows the buffer's
// rules: the content always matches, and the storage grows with the bytes held, never beyond
// the capacity, and is gone whenever the buffer is empty and released.
TEST(FIFOStream, StorageGrowsWithTheBytesHeldAndGoesWhenEmpty) {
  constexpr int32_t Capacity = 4096, Step = 64;
  TFIFOStream stream(Capacity, true, Step);
  EXPECT_EQ(stream.StorageSize(), 0);
  EXPECT_NE(stream.LockDataRead(), nullptr);  // an empty buffer still gives its readers an address
  stream.UnlockRead();
  std::deque<uint8_t> model;
  std::mt19937 random(20261209);
  size_t peak = 0;  // the most bytes held since the storage was last given back
  uint8_t next = 0;
  for (int round = 0; round < 2000; ++round) {
    const int action = static_cast<int>(random() % 10);
    if (action < 5) {
      const int32_t count = static_cast<int32_t>(random() % (random() % 8 == 0 ? 6000 : 300));
      std::vector<uint8_t> bytes = Bytes(next, count);
      next = static_cast<uint8_t>(next + count);
      Write(stream, bytes);
      if (count > Capacity) {
        model.assign(bytes.end() - Capacity, bytes.end());
      } else {
        const int32_t free = Capacity - static_cast<int32_t>(model.size());
        if (count > free)
          model.erase(model.begin(), model.begin() + std::min<int32_t>(static_cast<int32_t>(model.size()),
                                                                       std::max(count - free, Step)));
        model.insert(model.end(), bytes.begin(), bytes.end());
      }
    } else if (action < 9) {
      const auto count = static_cast<int32_t>(random() % 400);
      stream.Remove(count);
      model.erase(model.begin(), model.begin() + std::min<size_t>(model.size(), static_cast<size_t>(count)));
      stream.ReleaseWhenEmpty();
    } else {
      stream.Clear();
      model.clear();
    }
    peak = model.empty() ? 0 : std::max(peak, model.size());
    ASSERT_EQ(Content(stream), std::vector<uint8_t>(model.begin(), model.end())) << "round " << round;
    const auto storage = static_cast<size_t>(stream.StorageSize());
    if (model.empty()) {
      ASSERT_EQ(storage, 0u) << "round " << round;
    } else {
      ASSERT_GE(storage, model.size());
      ASSERT_LE(storage, std::min<size_t>(Capacity, std::max<size_t>(TFIFOStream::FirstAllocation, 2 * peak)));
    }
  }
}

}  // namespace
}  // namespace cjt
