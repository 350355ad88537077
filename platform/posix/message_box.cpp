#include <cstdio>

#include "platform/message_box.h"

namespace cjt::platform {

void ShowErrorMessage(const char* text) { std::fprintf(stderr, "%s\n", text ? text : ""); }

}  // namespace cjt::platform
