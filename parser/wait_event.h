// An auto-reset event: Set wakes one wait (or the next one), and a wait that saw it clears it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace cjt {

class TWaitEvent {
 public:
  void Set() {
    std::lock_guard<std::mutex> guard(Mutex);
    Signalled = true;
    Changed.notify_all();
  }

  // True when the event was set within ms milliseconds (and clears it), false on time-out.
  bool WaitFor(int64_t ms) {
    std::unique_lock<std::mutex> lock(Mutex);
    if (!Changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return Signalled; })) return false;
    Signalled = false;
    return true;
  }

 private:
  std::mutex Mutex;
  std::condition_variable Changed;
  bool Signalled = false;
};

}  // namespace cjt
