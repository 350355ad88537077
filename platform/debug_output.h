// Text for a debugger: OutputDebugString on Windows, standard error elsewhere.
#pragma once

namespace cjt::platform {

void DebugOutput(const char* text);

}  // namespace cjt::platform
