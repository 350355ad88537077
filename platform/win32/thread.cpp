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
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

}  // namespace cjt::platform
