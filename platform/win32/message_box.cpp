#include <windows.h>

#include "platform/message_box.h"

namespace cjt::platform {

void ShowErrorMessage(const char* text) { MessageBoxA(nullptr, text ? text : "", nullptr, MB_ICONERROR); }

}  // namespace cjt::platform
