// Messages to a host's window. On Windows they are window messages. Elsewhere there are no
// windows: the host exports a function that takes the message instead (its address comes
// from FindExport with HostPostMessageName) and a host makes its message target with
// TMessageWindow, which hands what arrives to a callback.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "cjt188/host_abi.h"

namespace cjt::platform {

using THostPostMessage = CjtPostMessage*;
inline constexpr char HostPostMessageName[] = CJT_HOST_POST_MESSAGE;

// Posts the message to the window; when posting fails, sends it and gives up after
// 1000 ms on a hung window. Without windows it goes to hostPost, when there is one.
// Returns whether the message was taken.
bool NotifyWindow(THostPostMessage hostPost, uint32_t window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// A message target of the calling thread. On Windows a hidden window whose messages reach
// the callback while the thread pumps messages; elsewhere a number that Deliver finds.
class TMessageWindow {
 public:
  using TCallback = std::function<void(uint32_t message, uintptr_t wparam, intptr_t lparam)>;
  explicit TMessageWindow(TCallback callback);
  ~TMessageWindow();
  TMessageWindow(const TMessageWindow&) = delete;
  TMessageWindow& operator=(const TMessageWindow&) = delete;

  uint32_t Handle() const;

  // Without windows: hands a message to the target with that handle at once; false when
  // there is none. On Windows it posts the message.
  static bool Deliver(uint32_t window, uint32_t message, uintptr_t wparam, intptr_t lparam);

 private:
  struct TState;
  std::unique_ptr<TState> State;
};

}  // namespace cjt::platform
