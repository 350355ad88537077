#include <windows.h>

#include "platform/debug_output.h"

namespace cjt::platform {

void DebugOutput(const char* text) { OutputDebugStringA(text ? text : ""); }

}  // namespace cjt::platform
