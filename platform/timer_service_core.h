// The portable core of the thread timer service (platform-internal): deadline heap, posted
// work and running one callback at a time. The operating system part is the waker, which
// makes the owner thread (Windows) or the dispatcher thread (POSIX) call RunDue in time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

namespace cjt::platform {

class TTimerWaker {
 public:
  virtual ~TTimerWaker() = default;
  // Something changed that may move the earliest deadline or add posted work. Called from
  // any thread, never with the service's mutex held.
  virtual void Notify() = 0;
  // False when the operating system refused what the waker needs (a window), so that no
  // timer of the service would ever fire.
  virtual bool CanWake() const = 0;
};

class TTimerService : public std::enable_shared_from_this<TTimerService> {
 public:
  // The calling thread's service; a served one (window or dispatcher) is created when the
  // thread has none.
  static std::shared_ptr<TTimerService> ForCurrentThread();
  // A new service for the calling thread that only runs when pumped by hand.
  static std::shared_ptr<TTimerService> CreateManualForCurrentThread();

  ~TTimerService();

  uint64_t AddTimer(std::function<void()> callback);
  // False when the timer cannot fire because the service has no working waker.
  bool ArmTimer(uint64_t id, uint32_t intervalMs);
  void DisarmTimer(uint64_t id);
  void RemoveTimer(uint64_t id);
  void Post(uint64_t tag, std::function<void()> work);

  // Runs the posted work queued so far, then each timer due at the current tick count once.
  size_t RunDue();
  // Milliseconds until RunDue has something to do: 0 with posted work waiting, nothing when
  // no timer is armed.
  std::optional<uint64_t> MsUntilNextWork();

  uint32_t OwnerThread() const { return Owner; }
  // How often arming or posting asked the waker to look at the deadlines again.
  uint64_t WakeRequests();

 private:
  struct TEntry {
    std::shared_ptr<std::function<void()>> Callback;
    uint32_t Interval = 0;
    uint64_t Generation = 0;
    bool Armed = false;
  };
  struct TDeadline {
    uint64_t Tick;
    uint64_t Id;
    uint64_t Generation;
    bool operator>(const TDeadline& other) const { return Tick > other.Tick; }
  };
  struct TPosted {
    uint64_t Tag;
    std::function<void()> Work;
  };

  TTimerService();
  bool IsStale(const TDeadline& deadline) const;
  void DropStaleDeadlines();
  void PushDeadline(uint64_t id, TEntry& entry, uint64_t now);
  bool RunNextPosted();
  bool RunNextDueTimer(uint64_t now);
  void Invoke(std::unique_lock<std::mutex>& lock, uint64_t tag, const std::function<void()>& work);
  void NotifyWaker();

  const uint32_t Owner;
  std::mutex Mutex;
  std::condition_variable Idle;
  std::unordered_map<uint64_t, TEntry> Entries;
  std::vector<TDeadline> Heap;
  size_t ArmedCount = 0;
  std::deque<TPosted> Posted;
  uint64_t NextId = 1;
  uint64_t WakeRequestCount = 0;
  uint64_t RunningTag = 0;
  std::thread::id RunningThread;
  std::unique_ptr<TTimerWaker> Waker;
};

// Made by each operating system's part on the owner thread, for a service being created.
std::unique_ptr<TTimerWaker> CreateTimerWaker(std::weak_ptr<TTimerService> service);

}  // namespace cjt::platform
