// Any sequence of writes and removes keeps the stream within its capacity and its content
// equal to a plain model of it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>

#include "support/fifo_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int32_t capacity = 1 + data[0] % 64;
  const int32_t step = data[1] % 16;
  cjt::TFIFOStream stream(capacity, true, step);
  std::deque<uint8_t> model;
  for (size_t i = 2; i + 1 < size; i += 2) {
    const int32_t count = data[i + 1] % 100;
    if (data[i] & 1) {
      stream.Remove(count);
      model.erase(model.begin(), model.begin() + std::min<size_t>(count, model.size()));
      continue;
    }
    uint8_t block[100];
    for (int32_t j = 0; j < count; ++j) block[j] = static_cast<uint8_t>(i + j);
    const int32_t free = capacity - static_cast<int32_t>(model.size());
    if (count > capacity) {
      model.assign(block + count - capacity, block + count);
    } else {
      if (count > free) {
        const size_t drop = std::min<size_t>(std::max(count - free, step), model.size());
        model.erase(model.begin(), model.begin() + drop);
      }
      model.insert(model.end(), block, block + count);
    }
    stream.Write(block, count);
  }
  const uint8_t* content = stream.LockDataRead();
  if (stream.DataSize() != static_cast<int32_t>(model.size()) || !std::equal(model.begin(), model.end(), content))
    std::abort();
  stream.UnlockRead();
  return 0;
}
