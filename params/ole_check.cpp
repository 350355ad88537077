#include "params/ole_check.h"

#include <cstdio>

namespace cjt {

void OleCheck(platform::THResult status) {
  if (status >= 0) return;
  char text[64];
  std::snprintf(text, sizeof text, "Interface call failed with status 0x%08X", static_cast<unsigned>(status));
  throw EOleError(text);
}

}  // namespace cjt
