#include "support/assertion.h"

#include <cstdio>

namespace cjt {

void RaiseAssertion(const char* message, const char* unit, int line) {
  char text[512];
  std::snprintf(text, sizeof text, "%s (%s, line %d)", message, unit, line);
  throw EAssertionFailed(text);
}

}  // namespace cjt
