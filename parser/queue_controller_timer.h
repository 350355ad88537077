// The queue driven by a thread-bound timer, and time events that trigger at-time and cron
// items. While something is pending (an awaited answer, a retry, the spacing, a reload, a busy
// data source, an unsent once item, a triggered item) the queue steps every 50 ms (or every
// shortest polling interval); otherwise its timer waits, on that cadence, for the step at
// which the nearest polling interval runs out, or for a trigger when it polls nothing. An
// idle queue thus costs no step between its polls. The master queue of a data
// source (TQueueControllerTimerEx) holds the configured items and their time events; each
// protocol client's queue (TQueueControllerTimerClients) drives the client's traffic.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "parser/kro_timer_ex.h"
#include "parser/process_identity.h"
#include "parser/queue_controller.h"
#include "parser/scheduled_event.h"

namespace cjt {

class TQueueControllerTimer : public TQueueController {
 public:
  // The timer belongs to the calling thread; it starts disabled.
  explicit TQueueControllerTimer(IQueueOwner* owner);
  // Frees the timer, then stops and frees the time events, then the items.
  ~TQueueControllerTimer() override;

  void SetTimerEnabled(bool value);
  // The timer's handler: one step of the queue.
  void Step();
  // Restarts all polling and sets the cadence to the shortest polling interval (50 ms at
  // most, 1 ms at least).
  void ResetSchedule();
  // Arms the timer for the next step that can find work (see above); disarms it while the
  // queue is suspended or empty.
  void UpdateTimer(bool reset) override;
  // Something became due outside a step, possibly on another thread (a trigger, a reload
  // request): a queue waiting idle steps on the next point of its cadence.
  void Wake();
  // Asks the next step to restart all polling instead of sending (see ResetSchedule).
  void RequestReload(uint8_t how);
  void FireEvent(std::string_view name, bool all, const TkroParamsList* params) override;

  // Creates the time events of an at-time or cron item.
  void ScheduleItem(TBasicRequestItem& item);
  // Creates one time event for the item with the cron fields; a text that cannot be used is
  // reported through DoError with the context "Cron".
  void AddTimeEvent(TBasicRequestItem& item, const TExportCronParams& fields, int32_t n);
  // Stops the time events (waiting for a firing in progress) and the timer: no new step
  // starts. Owners call it before they destroy the queue, so that no step runs into a
  // queue being taken apart.
  void Stop();
  // Takes every event out of the list, then stops them, the last first, and frees them;
  // failures are swallowed.
  void StopEvents();
  // The cron texts of the time events, for readers on other threads; an event whose text
  // could not be used has none and is left out.
  std::vector<std::string> EventCronTexts() const;
  // The handler of every time event: triggers the items of the event's group and steps.
  void OnEventFired(TScheduledEvent& event);

  // Tells this queue from every other for the whole life of the process (time event keys).
  uint32_t Identity() const { return FIdentity.Get(); }

  // The cadence of steps while something is pending, in ms.
  std::atomic<int32_t> TimerInterval{50};
  std::unique_ptr<TkroTimerEx> Timer;
  // Changed under EventsMutex.
  TSchEventList Events;

 private:
  void StepBody();
  // The ms until the next step that can find work, a multiple of the cadence; none while
  // only a trigger can bring work.
  std::optional<uint32_t> WaitForNextStep();
  bool HasPendingWork();

  TProcessIdentity FIdentity;
  mutable std::mutex EventsMutex;
  // Reading the queue's state and arming the timer are one act under it, so that a wake from
  // another thread is never overwritten by a step's idle wait. Taken after the client's
  // buffer lock and before the items' lock.
  std::mutex ArmMutex;
  bool IdleWait = false;  // under ArmMutex: armed for a later poll, or for none
};

// The master queue of a data source: suspended as its data source is, and when it has none.
class TQueueControllerTimerEx : public TQueueControllerTimer {
 public:
  explicit TQueueControllerTimerEx(IQueueDataSource* owner);
  bool IsSuspended() override;
  bool IsBusy() override;

 private:
  IQueueDataSource* const DataSource;
};

// The queue of a protocol client: busy only while the client is active and its data source
// is busy.
class TQueueControllerTimerClients : public TQueueControllerTimer {
 public:
  explicit TQueueControllerTimerClients(IQueueClient* owner);
  bool IsSuspended() override { return false; }
  bool IsBusy() override;

 private:
  IQueueClient* const Client;
};

}  // namespace cjt
