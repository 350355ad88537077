// The waiting loop of a scheduled event. It runs on an operating-system thread of its own,
// or, timer-driven, one pass per tick of a timer of the thread that started the event.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "parser/kro_timer_ex.h"

namespace cjt {

class TScheduledEvent;
class TEventWindow;
class TWaitEvent;

class TScheduleThread {
 public:
  // Starts at once: the thread runs, or the timer is armed for half the time to the next
  // firing (at least 1 ms).
  TScheduleThread(TScheduledEvent& event, bool timerDriven, bool firstRun, TWaitEvent* waitEvent, TEventWindow* window);
  // Waits for the thread to end (wake it first), or disarms and frees the timer.
  ~TScheduleThread();
  TScheduleThread(const TScheduleThread&) = delete;
  TScheduleThread& operator=(const TScheduleThread&) = delete;

  // The end of the thread is not to be reported any more.
  void DropEndReport() { ReportEnd = false; }
  // Whether the caller is inside a timer-driven pass of this loop.
  bool InOwnPass() const;
  // Called instead of freeing while InOwnPass: the pass ends without touching the event and
  // frees the loop.
  void Abandon() { Abandoned = true; }

  int64_t WaitMs = 0;
  bool FirstRun;

 private:
  void ThreadMain();
  void OnTimerTick();
  // One pass: the milliseconds to wait for, or nothing when the loop is to leave.
  std::optional<int64_t> Pass();
  void Signal();
  void ReportEndOfThread(uint8_t state);

  TScheduledEvent& Event;
  TWaitEvent* const WaitEvent;
  TEventWindow* const Window;
  std::atomic<bool> ReportEnd{true};
  bool Abandoned = false;
  std::atomic<std::thread::id> PassThread;
  // Held by a timer tick for its whole pass; the destructor takes it to wait for a tick
  // running elsewhere, after which no tick touches the timer.
  std::mutex TickMutex;
  bool Stopping = false;
  std::thread Thread;
  // Last, so that it goes first: freeing it waits for a tick still running elsewhere.
  std::unique_ptr<TkroTimerEx> Timer;
};

}  // namespace cjt
