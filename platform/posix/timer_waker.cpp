// The POSIX timer service: one dispatcher thread per owner thread waits for the earliest
// deadline or a notification and runs the due callbacks.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/timer_service_core.h"

namespace cjt::platform {

namespace {

// Shared by the waker and its dispatcher thread, so that the thread never touches a
// service that is being destroyed.
struct TWakeSignal {
  std::mutex Mutex;
  std::condition_variable Changed;
  bool Notified = false;
  bool Stop = false;
};

// Longest single wait; bounds the effect of a manual clock installed while a dispatcher runs.
constexpr uint64_t MaxWaitMs = 1000;

void Dispatch(std::weak_ptr<TTimerService> weakService, std::shared_ptr<TWakeSignal> signal) {
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(signal->Mutex);
      if (signal->Stop) return;
      signal->Notified = false;
    }
    std::optional<uint64_t> waitMs;
    if (auto service = weakService.lock()) {
      waitMs = service->MsUntilNextWork();
    } else {
      return;
    }
    {
      std::unique_lock<std::mutex> lock(signal->Mutex);
      const auto woken = [&] { return signal->Notified || signal->Stop; };
      if (!waitMs) {
        signal->Changed.wait(lock, woken);
      } else if (*waitMs > 0) {
        signal->Changed.wait_for(lock, std::chrono::milliseconds(std::min(*waitMs, MaxWaitMs)), woken);
      }
      if (signal->Stop) return;
    }
    // Holding the service here keeps it alive while its callbacks run; when they drop its
    // last timer, it is destroyed on this thread as this reference goes.
    if (auto service = weakService.lock()) service->RunDue();
  }
}

class TDispatcherWaker final : public TTimerWaker {
 public:
  explicit TDispatcherWaker(std::weak_ptr<TTimerService> service)
      : Signal(std::make_shared<TWakeSignal>()), Thread(Dispatch, std::move(service), Signal) {}

  ~TDispatcherWaker() override {
    {
      std::lock_guard<std::mutex> guard(Signal->Mutex);
      Signal->Stop = true;
    }
    Signal->Changed.notify_all();
    // A dispatcher running callbacks holds the service, so the service is destroyed on it
    // then (and the thread only detached). On any other thread the join never waits for
    // work: the dispatcher is at most between two looks at its signal.
    if (Thread.get_id() == std::this_thread::get_id())
      Thread.detach();
    else
      Thread.join();
  }

  void Notify() override {
    {
      std::lock_guard<std::mutex> guard(Signal->Mutex);
      Signal->Notified = true;
    }
    Signal->Changed.notify_all();
  }

  bool CanWake() const override { return true; }

 private:
  std::shared_ptr<TWakeSignal> Signal;
  std::thread Thread;
};

}  // namespace

std::unique_ptr<TTimerWaker> CreateTimerWaker(std::weak_ptr<TTimerService> service) {
  return std::make_unique<TDispatcherWaker>(std::move(service));
}

}  // namespace cjt::platform
