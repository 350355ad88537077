// A receiving thread appends while a scanning thread consumes in place.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "support/fifo_stream.h"

namespace cjt {
namespace {

TEST(FIFOStreamThreads, AScannerSeesEveryAppendedByteInOrder) {
  constexpr int Total = 200000;
  TFIFOStream stream(1 << 20);  // large enough that nothing is ever discarded
  std::atomic<bool> writing{true};
  std::thread writer([&] {
    uint8_t block[37];
    for (int sent = 0; sent < Total; sent += 37) {
      const int count = std::min(37, Total - sent);
      for (int i = 0; i < count; ++i) block[i] = static_cast<uint8_t>(sent + i);
      stream.Write(block, count);
    }
    writing = false;
  });
  int seen = 0;
  bool inOrder = true;
  while (writing || stream.DataSize() > 0) {
    const uint8_t* data = stream.LockData();
    const int32_t size = stream.DataSize();
    for (int32_t i = 0; i < size; ++i) inOrder = inOrder && data[i] == static_cast<uint8_t>(seen + i);
    seen += size;
    stream.Remove(size);
    stream.Unlock();
  }
  writer.join();
  EXPECT_TRUE(inOrder);
  EXPECT_EQ(seen, Total);
}

}  // namespace
}  // namespace cjt
