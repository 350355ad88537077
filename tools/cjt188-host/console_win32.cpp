#include <windows.h>
#include <io.h>

#include <cstdio>

#include "tools/cjt188-host/console.h"

namespace cjt::host {

namespace {
std::atomic<bool>* StopFlag = nullptr;

// Runs on a thread of its own; the main loop sees the flag within its next turn. Closing the
// console ends the process once this returns, so it waits a little for the clean end.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  StopFlag->store(true);
  if (event == CTRL_CLOSE_EVENT) Sleep(2000);
  return TRUE;
}
}  // namespace

bool StandardOutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

void InstallStopHandler(std::atomic<bool>& stop) {
  StopFlag = &stop;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace cjt::host
