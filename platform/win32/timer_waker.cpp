// The Windows timer service: one hidden message window with one system timer per owner
// thread. The system timer is re-armed for the earliest deadline of the service; other
// threads wake the window by posting a message, so every callback runs on the owner thread
// while it pumps messages.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <set>

#include "platform/thread.h"
#include "platform/timer_service_core.h"
#include "platform/win32/own_module.h"

namespace cjt::platform {

namespace {

constexpr UINT WakeMessage = 2064;     // run posted work and due timers, then re-arm
constexpr UINT ReleaseMessage = 2065;  // destroy the window on its own thread
constexpr UINT_PTR SystemTimerId = 1;
const wchar_t WindowClassName[] = L"CjtTimerServiceWindow";

// Windows whose release was posted to an owner thread that has not served it yet. Should
// the library be unloaded before, their window procedure would go with it: they are handed
// to the system's default procedure then, and stay inert until their thread ends.
class TReleasedWindows {
 public:
  ~TReleasedWindows() {
    std::lock_guard<std::mutex> guard(Mutex);
    for (HWND window : Windows) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
  }

  void Add(HWND window) {
    std::lock_guard<std::mutex> guard(Mutex);
    Windows.insert(window);
  }

  void Remove(HWND window) {
    std::lock_guard<std::mutex> guard(Mutex);
    Windows.erase(window);
  }

 private:
  std::mutex Mutex;
  std::set<HWND> Windows;
};

TReleasedWindows ReleasedWindows;

// Shared by the waker and the window (which holds one reference in its user data until
// WM_NCDESTROY), so neither outlives what it uses.
struct TWindowLink {
  HWND Window = nullptr;
  uint32_t Owner = 0;
  std::weak_ptr<TTimerService> Service;
  std::atomic<bool> WakePending{false};

  void PostWake() {
    if (!WakePending.exchange(true)) {
      if (!PostMessageW(Window, WakeMessage, 0, 0)) WakePending = false;
    }
  }

  // On the owner thread: the system timer follows the earliest deadline.
  void Rearm(TTimerService& service) {
    const std::optional<uint64_t> waitMs = service.MsUntilNextWork();
    if (!waitMs) {
      KillTimer(Window, SystemTimerId);
    } else if (*waitMs == 0) {
      PostWake();
    } else {
      const uint64_t clamped = std::clamp<uint64_t>(*waitMs, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
      SetTimer(Window, SystemTimerId, static_cast<UINT>(clamped), nullptr);
    }
  }
};

LRESULT CALLBACK TimerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* link = reinterpret_cast<std::shared_ptr<TWindowLink>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_TIMER:
    case WakeMessage:
      if (link && (message == WakeMessage || wParam == SystemTimerId)) {
        std::shared_ptr<TWindowLink> keep = *link;
        if (message == WakeMessage) keep->WakePending = false;
        if (auto service = keep->Service.lock()) {
          service->RunDue();
          keep->Rearm(*service);
        }
        return 0;
      }
      break;
    case ReleaseMessage:
      DestroyWindow(window);
      return 0;
    case WM_NCDESTROY:
      ReleasedWindows.Remove(window);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      delete link;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class TWindowWaker final : public TTimerWaker {
 public:
  explicit TWindowWaker(std::weak_ptr<TTimerService> service) : Link(std::make_shared<TWindowLink>()) {
    Link->Owner = CurrentThreadId();
    Link->Service = std::move(service);
    Link->Window = CreateMessageWindow(WindowClassName, TimerWindowProc);
    if (Link->Window)
      SetWindowLongPtrW(Link->Window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(new std::shared_ptr<TWindowLink>(Link)));
  }

  ~TWindowWaker() override {
    if (!Link->Window) return;
    if (CurrentThreadId() == Link->Owner) {
      DestroyWindow(Link->Window);
      return;
    }
    // Only the owner thread can destroy its window, and it may be busy or blocked (on a lock
    // this thread holds, even): the release is posted, never waited for. Until the owner
    // serves it the window runs nothing, as the service behind it is gone; a thread that
    // never serves it again takes the window with it when it ends.
    ReleasedWindows.Add(Link->Window);
    if (!PostMessageW(Link->Window, ReleaseMessage, 0, 0)) ReleasedWindows.Remove(Link->Window);
  }

  void Notify() override {
    if (!Link->Window) return;
    if (CurrentThreadId() != Link->Owner) {
      Link->PostWake();
    } else if (auto service = Link->Service.lock()) {
      Link->Rearm(*service);
    }
  }

  bool CanWake() const override { return Link->Window != nullptr; }

 private:
  std::shared_ptr<TWindowLink> Link;
};

}  // namespace

std::unique_ptr<TTimerWaker> CreateTimerWaker(std::weak_ptr<TTimerService> service) {
  return std::make_unique<TWindowWaker>(std::move(service));
}

}  // namespace cjt::platform
