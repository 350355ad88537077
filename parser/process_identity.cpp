#include "parser/process_identity.h"

namespace cjt {

namespace {
std::atomic<uint32_t> LastIdentity{0};
}

uint32_t TProcessIdentity::Get() const {
  uint32_t value = Value.load(std::memory_order_acquire);
  if (value != 0) return value;
  const uint32_t drawn = ++LastIdentity;
  // Another thread may have drawn one at the same time; the first stored wins.
  return Value.compare_exchange_strong(value, drawn, std::memory_order_acq_rel) ? drawn : value;
}

}  // namespace cjt
