// Where exceptions go that nobody up the stack can take: a timer handler, a background
// thread. The plug-in routes them to its log; until then they go to the debugger output.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace cjt {

using TApplicationErrorHandler = std::function<void(const std::string& report)>;

// Replaces the handler for the whole process; an empty handler restores the default.
void SetApplicationErrorHandler(TApplicationErrorHandler handler);

// Reports the exception being handled (call from a catch block) and never throws.
void HandleApplicationException(std::exception_ptr error);

// The short report of an exception: its class and message.
std::string DescribeException(std::exception_ptr error);
// Only the message of an exception.
std::string ExceptionMessage(std::exception_ptr error);

}  // namespace cjt
