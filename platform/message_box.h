// The last-resort warning to whoever sits at the machine: a message box with the error icon,
// no owner window and no caption on Windows, a line on standard error elsewhere.
#pragma once

namespace cjt::platform {

void ShowErrorMessage(const char* text);

}  // namespace cjt::platform
