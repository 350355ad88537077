// The window-message timer component, bound to the thread that creates it: it fires
// OnTimer every Interval milliseconds on that thread's timer service while Enabled, with a
// non-zero Interval and a handler. Its properties may be changed from any thread; the
// firing itself always happens where the owner thread's timers run. Destroying it from
// another thread waits for an OnTimer call in progress, so the handler never runs on a
// destroyed timer.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/timer_service.h"

namespace cjt {

class TkroTimerEx {
 public:
  using TNotifyEvent = std::function<void(TkroTimerEx& sender)>;

  TkroTimerEx();
  ~TkroTimerEx();
  TkroTimerEx(const TkroTimerEx&) = delete;
  TkroTimerEx& operator=(const TkroTimerEx&) = delete;

  bool Enabled() const;
  // Enabling throws std::runtime_error "Not enough timers available" when the owner thread
  // cannot fire timers.
  void SetEnabled(bool enabled);
  uint32_t Interval() const;
  void SetInterval(uint32_t intervalMs);
  uint32_t OwnerThread() const { return Timer.OwnerThread(); }
  void SetOnTimer(TNotifyEvent handler);

 private:
  // Sets a property when it differs and brings the thread timer in line.
  template <class T>
  void Change(T& property, T value);
  // Arms or disarms the thread timer to match the properties; called with Mutex held.
  void Update();
  void Fire();

  mutable std::mutex Mutex;
  bool IsEnabled = true;
  uint32_t IntervalMs = 1000;
  TNotifyEvent OnTimer;
  bool Armed = false;
  uint32_t ArmedInterval = 0;
  platform::TThreadTimer Timer;
};

}  // namespace cjt
