// The module (DLL or program) that contains this code, for the Windows bodies.
#pragma once

#include <windows.h>

namespace cjt::platform {

HMODULE OwnModuleHandle();

}  // namespace cjt::platform
