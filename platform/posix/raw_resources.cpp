// POSIX: a shared object has no resource section; its resources are the compiled-in arrays
// of the table (platform/raw_resources.cpp).
#include "platform/raw_resources.h"

namespace cjt::platform {

std::optional<std::string_view> NativeRawResource(const std::string& name) { return std::nullopt; }

}  // namespace cjt::platform
