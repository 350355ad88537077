#include <cstdio>

#include "platform/debug_output.h"

namespace cjt::platform {

void DebugOutput(const char* text) {
  std::fputs(text ? text : "", stderr);
  std::fputc('\n', stderr);
}

}  // namespace cjt::platform
