// Internal consistency checks. A failed check raises EAssertionFailed with the text
// "<message> (<unit>, line <n>)", naming the unit and source line that made the check.
#pragma once

#include <stdexcept>
#include <string>

namespace cjt {

class EAssertionFailed : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Raises EAssertionFailed for message, unit and line.
[[noreturn]] void RaiseAssertion(const char* message, const char* unit, int line);

}  // namespace cjt

// Checks condition; message defaults to "Assertion failure".
#define CJT_ASSERT(condition, unit) ((condition) ? void(0) : ::cjt::RaiseAssertion("Assertion failure", unit, __LINE__))
#define CJT_ASSERT_MSG(condition, message, unit) \
  ((condition) ? void(0) : ::cjt::RaiseAssertion(message, unit, __LINE__))
