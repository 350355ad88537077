// Checks that a call raises an exception of a class with exactly the given message.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace cjt::test_support {

template <class TError, class TCall>
::testing::AssertionResult RaisesWithMessage(TCall call, const std::string& message) {
  try {
    call();
  } catch (const TError& error) {
    if (error.what() == message) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "raised \"" << error.what() << "\"";
  }
  return ::testing::AssertionFailure() << "raised nothing";
}

}  // namespace cjt::test_support
