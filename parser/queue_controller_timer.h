// The queue driven by a thread-bound timer: a step every 50 ms (or every shortest polling
// interval), and time events that trigger at-time and cron items. The master queue of a data
// source (TQueueControllerTimerEx) holds the configured items and their time events; each
// protocol client's queue (TQueueControllerTimerClients) drives the client's traffic.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
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
  // Restarts all polling and sets the tick to the shortest polling interval (50 ms at most,
  // 1 ms at least).
  void ResetSchedule();
  void UpdateTimer(bool reset) override;

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

  int32_t TimerInterval = 50;
  std::unique_ptr<TkroTimerEx> Timer;
  // Changed under EventsMutex.
  TSchEventList Events;

 private:
  void StepBody();

  TProcessIdentity FIdentity;
  mutable std::mutex EventsMutex;
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
