// Nothing raised inside an interface method may cross into the host. Methods with a status
// turn any error into 0x8000FFFF; methods that return a value hand back a neutral value and
// report the error to the application error handler, since the caller cannot be told.
#pragma once

#include <exception>
#include <stdexcept>

#include "params/params_list_intf.h"
#include "support/application_error.h"

namespace cjt {

// The out-parameter a caller passed; a null address is an error of the call.
template <class T>
T& OutParam(T* out) {
  if (out == nullptr) throw std::invalid_argument("Out-parameter is null");
  return *out;
}

template <class TWork>
THResult StatusOf(TWork&& work) noexcept {
  try {
    work();
    return 0;
  } catch (...) {
    return HrUnexpected;
  }
}

template <class TResult, class TWork>
TResult ValueOr(TResult fallback, TWork&& work) noexcept {
  try {
    return work();
  } catch (...) {
    HandleApplicationException(std::current_exception());
    return fallback;
  }
}

template <class TWork>
void Guarded(TWork&& work) noexcept {
  ValueOr(0, [&] {
    work();
    return 0;
  });
}

}  // namespace cjt
