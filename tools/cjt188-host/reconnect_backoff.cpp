#include "tools/cjt188-host/reconnect_backoff.h"

#include <algorithm>

namespace cjt::host {

uint32_t TBackoff::Take() {
  const uint32_t wait = std::min(NextMs, Settings.LongestMs);
  NextMs = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{wait} * 2, Settings.LongestMs));
  return wait;
}

}  // namespace cjt::host
