#include <windows.h>

#include "platform/named_lock.h"
#include "platform/text_encoding.h"

namespace cjt::platform {

struct TNamedLock::TState {
  std::wstring Name;
  HANDLE Mutex = nullptr;
  bool Held = false;
};

TNamedLock::TNamedLock(const std::string& name) : State(std::make_unique<TState>()) {
  const std::u16string wide = AnsiToWide(name);
  State->Name.assign(wide.begin(), wide.end());
}

TNamedLock::~TNamedLock() { Release(); }

bool TNamedLock::Acquire(int spinCount) {
  if (State->Held) return true;
  State->Mutex = CreateMutexW(nullptr, FALSE, State->Name.c_str());
  if (State->Mutex == nullptr) return false;
  for (int i = 0; i < spinCount; ++i) {
    const DWORD result = WaitForSingleObject(State->Mutex, 0);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) return State->Held = true;
  }
  const DWORD result = WaitForSingleObject(State->Mutex, INFINITE);
  State->Held = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  return State->Held;
}

void TNamedLock::Release() {
  if (State->Mutex == nullptr) return;
  if (State->Held) ReleaseMutex(State->Mutex);
  CloseHandle(State->Mutex);
  State->Mutex = nullptr;
  State->Held = false;
}

}  // namespace cjt::platform
