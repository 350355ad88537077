#include <mutex>
#include <random>

#include "platform/guid.h"

namespace cjt::platform {

// A version-4 identifier: 122 random bits.
TGuid NewGuid() {
  static std::mutex mutex;
  static std::mt19937_64 generator{std::random_device{}()};
  uint64_t high, low;
  {
    std::lock_guard<std::mutex> hold(mutex);
    high = generator();
    low = generator();
  }
  TGuid g;
  g.Data1 = static_cast<uint32_t>(high >> 32);
  g.Data2 = static_cast<uint16_t>(high >> 16);
  g.Data3 = static_cast<uint16_t>((high & 0x0FFF) | 0x4000);
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<uint8_t>(low >> (56 - 8 * i));
  g.Data4[0] = static_cast<uint8_t>((g.Data4[0] & 0x3F) | 0x80);
  return g;
}

}  // namespace cjt::platform
