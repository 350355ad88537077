// Thread-bound timers and posted work.
//
// Every thread that creates timers gets one timer service: a heap of the deadlines of all
// that thread's timers and a queue of posted work, served one callback at a time. On Windows
// the service is one hidden message window with one system timer, re-armed for the earliest
// deadline, and the callbacks run on the creating thread while it pumps messages; elsewhere
// a dispatcher thread per creating thread runs them. Thousands of timers on one thread thus
// cost one window and one system timer.
//
// Tests serve a thread's timers by hand with TManualTimerPump and TManualClock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace cjt::platform {

class TTimerService;

class TThreadTimer {
 public:
  using TCallback = std::function<void()>;

  // Binds the timer to the calling thread's service (created on first use). Not armed.
  explicit TThreadTimer(TCallback onFire);
  // Safe from any thread: a callback of this timer running on another thread is waited
  // for, and its posted work that has not run yet is dropped.
  ~TThreadTimer();
  TThreadTimer(const TThreadTimer&) = delete;
  TThreadTimer& operator=(const TThreadTimer&) = delete;

  // Fires every intervalMs milliseconds (at least 1) from now on; arming again restarts
  // the period. Both take effect at once from any thread. Arm answers false when the
  // operating system gave the thread no means to fire timers (no window could be made).
  bool Arm(uint32_t intervalMs);
  void Disarm();

  // The id of the thread that created the timer.
  uint32_t OwnerThread() const;

  // Runs work on the service that serves this timer, one at a time with its callbacks.
  void Post(std::function<void()> work);

 private:
  std::shared_ptr<TTimerService> Service;
  uint64_t Id;
};

// While alive, the calling thread's timers and posted work run only when Run is called on
// that thread: no dispatcher thread, no window. Create it before the thread's first timer.
class TManualTimerPump {
 public:
  // Throws std::logic_error when the thread's timers are already served otherwise.
  TManualTimerPump();
  ~TManualTimerPump();
  TManualTimerPump(const TManualTimerPump&) = delete;
  TManualTimerPump& operator=(const TManualTimerPump&) = delete;

  // Runs the posted work, then every timer whose deadline has come at the current tick
  // count, each once; returns how many callbacks ran.
  size_t Run();
  // How often arming a timer or posting work asked for the thread to be woken: only work
  // and a new earliest deadline do.
  uint64_t WakeRequests() const;

 private:
  std::shared_ptr<TTimerService> Service;
};

}  // namespace cjt::platform
