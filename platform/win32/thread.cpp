#include <windows.h>

#include "platform/thread.h"

namespace cjt::platform {

uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

void SleepMs(uint32_t ms) { Sleep(ms); }

void PumpMessagesFor(uint32_t ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // The quit belongs to the thread's own message loop: leave it there and only wait.
        PostQuitMessage(static_cast<int>(message.wParam));
        const ULONGLONG now = GetTickCount64();
        if (now < end) Sleep(static_cast<DWORD>(end - now));
        return;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

}  // namespace cjt::platform
