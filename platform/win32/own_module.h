// The module (DLL or program) that contains this code, for the Windows bodies.
#pragma once

#include <windows.h>

namespace cjt::platform {

HMODULE OwnModuleHandle();

// A hidden message window of this module with its own window class, registered on first
// use; null when the system gives none.
HWND CreateMessageWindow(const wchar_t* className, WNDPROC windowProc);

}  // namespace cjt::platform
