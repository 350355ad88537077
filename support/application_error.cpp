#include "support/application_error.h"

#include <mutex>
#include <typeinfo>

#include "platform/debug_output.h"

namespace cjt {

namespace {

std::mutex HandlerMutex;
TApplicationErrorHandler Handler;

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
    return std::string(typeid(caught).name()) + ": " + caught.what();
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
