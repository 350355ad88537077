// A named event that fires at the times of its cron schedule.
//
// The signalling type says where a firing runs: 0 on a fresh worker thread per firing, 1 on
// the thread that started the event, with the waiting thread blocked meanwhile, 2 posted to
// the thread that started the event, 3 from a timer of the thread that started the event,
// with no extra thread at all. Types 0 to 2 have a waiting thread that approaches each firing
// time in halving steps.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "parser/schedule.h"
#include "parser/wait_event.h"
#include "platform/timer_service.h"
#include "support/object_list.h"

namespace cjt {

class TScheduledEvent;
class TScheduleThread;

// The message that asks an event's window to fire.
inline constexpr uint32_t ScheduleMessage = 1025;

// The event's way to the thread that started it: work posted here runs where that thread's
// timers run.
class TEventWindow {
 public:
  explicit TEventWindow(TScheduledEvent& event);
  void PostWindowMessage(uint32_t message);
  // Runs work there and waits until it ran or the event stopped running.
  void Send(std::function<void()> work);
  void Post(std::function<void()> work) { Mailbox.Post(std::move(work)); }

 private:
  TScheduledEvent& Event;
  platform::TThreadTimer Mailbox;
};

// Runs one firing of an event on a thread of its own; the event joins it once it ended, and
// at the latest when the event goes, so no thread of a firing outlives its event.
class TWorkerThread {
 public:
  static void Start(TScheduledEvent& event);
};

class TScheduledEvent {
 public:
  using TNotifyEvent = std::function<void(TScheduledEvent& sender)>;
  enum TSignalingType : uint8_t { stWorkerThread, stSynchronized, stWindowMessage, stTimer };

  explicit TScheduledEvent(std::string name);
  // Stops the event and waits for firings still running on worker threads.
  ~TScheduledEvent();
  TScheduledEvent(const TScheduledEvent&) = delete;
  TScheduledEvent& operator=(const TScheduledEvent&) = delete;

  const std::string& Name() const { return FName; }
  TSchedule& Schedule() { return FSchedule; }
  bool Running() const { return FRunning; }
  uint64_t RunCount() const { return FRunCount; }
  uint8_t SignalingType() const { return FSignalingType; }
  // Raises "Cannot change signaling type while running" while running.
  void SetSignalingType(uint8_t value);

  // Starts waiting for the schedule's times; false when it has no next time. A first run
  // fires at once (from StartDate on).
  bool Run(bool firstRun);
  void Stop();
  // One firing, on whatever thread the signalling type chose.
  void Fire();
  // The handler of the event's window.
  void HandleWindowMessage(uint32_t message);

  std::atomic<bool> Paused{false};    // skips firings by window message or timer
  std::atomic<uint64_t> RunLimit{0};  // 0 = unlimited
  TNotifyEvent OnStart, OnStop, OnExpired, OnSchedule, OnLastRun, OnLimitReached;

 private:
  friend class TWorkerThread;
  friend class TScheduleThread;

  // Frees the waiting thread; a timer-driven one in the middle of its own pass frees itself.
  void ReleaseThread();
  // Keeps a firing's thread, with its flag that it has ended; joins those that ended before.
  void WorkerStarted(std::thread thread, std::shared_ptr<const std::atomic<bool>> ended);

  const std::string FName;
  const std::shared_ptr<std::atomic<bool>> FAlive = std::make_shared<std::atomic<bool>>(true);
  std::atomic<bool> FRunning{false};
  TSchedule FSchedule;
  std::unique_ptr<TWaitEvent> FWaitEvent;
  std::unique_ptr<TEventWindow> FWindow;
  std::unique_ptr<TScheduleThread> FThread;
  uint8_t FSignalingType = stWindowMessage;
  std::atomic<uint64_t> FRunCount{0};
  // Held while the waiting thread and its window are set up or released.
  std::mutex StateMutex;
  std::mutex FireMutex;
  struct TWorker {
    std::thread Thread;
    std::shared_ptr<const std::atomic<bool>> Ended;
  };
  std::mutex WorkerMutex;
  std::vector<TWorker> Workers;
};

// An owning list of events, with a notification for each event added.
class TSchEventList : public TObjectList<TScheduledEvent> {
 public:
  TScheduledEvent& Add(std::string name);

  std::function<void(TScheduledEvent& added)> OnAdd;
};

}  // namespace cjt
