// Status results of interface calls inside the plug-in: a failing status raises.
#pragma once

#include <stdexcept>

#include "platform/ole_variant.h"

namespace cjt {

class EOleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raises EOleError when status is a failure (negative).
void OleCheck(platform::THResult status);

}  // namespace cjt
