// Without windows, a message target is a number in a process-wide table, and messages for
// the host arrive through the host's own exported function.
#include <map>
#include <mutex>

#include "platform/window_message.h"

namespace cjt::platform {

namespace {

struct TTargets {
  std::mutex Mutex;
  std::map<uint32_t, std::shared_ptr<TMessageWindow::TCallback>> ByHandle;
  uint32_t Next = 0x100;
};

TTargets& Targets() {
  static TTargets* const targets = new TTargets;  // never destroyed: used until process exit
  return *targets;
}

}  // namespace

bool NotifyWindow(THostPostMessage hostPost, uint32_t window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return hostPost != nullptr && hostPost(window, message, wparam, lparam) != 0;
}

struct TMessageWindow::TState {
  uint32_t Handle = 0;
};

TMessageWindow::TMessageWindow(TCallback callback) : State(std::make_unique<TState>()) {
  TTargets& targets = Targets();
  std::lock_guard<std::mutex> lock(targets.Mutex);
  State->Handle = targets.Next++;
  targets.ByHandle[State->Handle] = std::make_shared<TCallback>(std::move(callback));
}

TMessageWindow::~TMessageWindow() {
  TTargets& targets = Targets();
  std::lock_guard<std::mutex> lock(targets.Mutex);
  targets.ByHandle.erase(State->Handle);
}

uint32_t TMessageWindow::Handle() const { return State->Handle; }

bool TMessageWindow::Deliver(uint32_t window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  std::shared_ptr<TCallback> callback;
  {
    TTargets& targets = Targets();
    std::lock_guard<std::mutex> lock(targets.Mutex);
    auto found = targets.ByHandle.find(window);
    if (found == targets.ByHandle.end()) return false;
    callback = found->second;
  }
  (*callback)(message, wparam, lparam);
  return true;
}

}  // namespace cjt::platform
