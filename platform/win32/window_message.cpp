#include <windows.h>

#include "platform/win32/own_module.h"
#include "platform/window_message.h"

namespace cjt::platform {

namespace {

constexpr UINT SendTimeoutMs = 1000;
const wchar_t WindowClassName[] = L"CjtMessageWindow";

LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* callback = reinterpret_cast<TMessageWindow::TCallback*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (callback != nullptr && message >= WM_USER) {
    (*callback)(message, wParam, lParam);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND AsWindow(uint32_t window) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(window)); }

}  // namespace

// The host's own function is not needed: windows take the message.
bool NotifyWindow(THostPostMessage, uint32_t window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (PostMessageW(AsWindow(window), message, wparam, lparam)) return true;
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(AsWindow(window), message, wparam, lparam, SMTO_ABORTIFHUNG, SendTimeoutMs, &result) != 0;
}

struct TMessageWindow::TState {
  TCallback Callback;
  HWND Window = nullptr;
};

TMessageWindow::TMessageWindow(TCallback callback) : State(std::make_unique<TState>()) {
  State->Callback = std::move(callback);
  State->Window = CreateMessageWindow(WindowClassName, MessageWindowProc);
  if (State->Window) SetWindowLongPtrW(State->Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&State->Callback));
}

TMessageWindow::~TMessageWindow() {
  if (State->Window) DestroyWindow(State->Window);
}

uint32_t TMessageWindow::Handle() const { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(State->Window)); }

bool TMessageWindow::Deliver(uint32_t window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return PostMessageW(AsWindow(window), message, wparam, lparam) != 0;
}

}  // namespace cjt::platform
