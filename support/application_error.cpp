#include "support/application_error.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <typeinfo>

#include "platform/debug_output.h"

namespace cjt {

namespace {

std::mutex HandlerMutex;
TApplicationErrorHandler Handler;

// The readable name of a class, as the compiler's runtime spells it.
std::string ClassName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
  return status == 0 && name ? name.get() : type.name();
}

}  // namespace

void SetApplicationErrorHandler(TApplicationErrorHandler handler) {
  std::lock_guard<std::mutex> guard(HandlerMutex);
  Handler = std::move(handler);
}

std::string DescribeException(std::exception_ptr error) {
  try {
    if (error) std::rethrow_exception(error);
    return "no exception";
  } catch (const std::exception& caught) {
    return ClassName(typeid(caught)) + ": " + caught.what();
  } catch (...) {
    return "unknown exception";
  }
}

std::string ExceptionMessage(std::exception_ptr error) {
  try {
    if (error) std::rethrow_exception(error);
    return {};
  } catch (const std::exception& caught) {
    return caught.what();
  } catch (...) {
    return "unknown exception";
  }
}

void HandleApplicationException(std::exception_ptr error) {
  try {
    const std::string report = DescribeException(error);
    TApplicationErrorHandler handler;
    {
      std::lock_guard<std::mutex> guard(HandlerMutex);
      handler = Handler;
    }
    if (handler)
      handler(report);
    else
      platform::DebugOutput(report.c_str());
  } catch (...) {
    platform::DebugOutput("exception while reporting an exception");
  }
}

}  // namespace cjt
