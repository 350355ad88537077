#include "parser/queue_controller_timer.h"

#include <algorithm>

#include "platform/clock.h"
#include "support/text_values.h"

namespace cjt {

namespace {
constexpr int32_t DefaultTimerInterval = 50;
// An idle queue looks at its items at least this often (ms).
constexpr uint64_t LongestWait = 3600000;

// The tick count at which a polling item is due again.
uint64_t PollDueAt(const TBasicRequestItem& item, uint64_t now) {
  const TTickTimer& timer = item.PollTimer;
  if (!timer.IsStarted()) return now;
  return timer.HasDuration ? timer.Deadline : timer.Start + static_cast<uint64_t>(std::max(0, item.PollInterval));
}
}  // namespace

TQueueControllerTimer::TQueueControllerTimer(IQueueOwner* owner)
    : TQueueController(owner), Timer(std::make_unique<TkroTimerEx>()) {
  Timer->SetEnabled(false);
  Timer->SetInterval(DefaultTimerInterval);
  Timer->SetOnTimer([this](TkroTimerEx&) { Step(); });
}

TQueueControllerTimer::~TQueueControllerTimer() {
  Stop();
  Timer.reset();
}

void TQueueControllerTimer::Stop() {
  // The events first: a firing steps the queue and re-arms the timer.
  StopEvents();
  Timer->SetEnabled(false);
  Timer->SetOnTimer(nullptr);
}

void TQueueControllerTimer::SetTimerEnabled(bool value) {
  if (Timer) Timer->SetEnabled(value);
}

void TQueueControllerTimer::Step() {
  SetTimerEnabled(false);
  if (IsSuspended()) return;
  // One failing step must not stop the queue.
  try {
    StepBody();
  } catch (...) {
    UpdateTimer(false);
    throw;
  }
  UpdateTimer(false);
}

void TQueueControllerTimer::StepBody() {
  if (IsBusy()) return;
  if (ReloadRequested.exchange(0) != 0) {
    ResetSchedule();
    return;
  }
  TReadLocked<TBasicRequestList> items(Items);
  if (!TakeTimeout(*items) || !SpacingOver()) return;
  int32_t candidate = TakeRetry(*items);
  const bool retry = candidate >= 0;
  if (!retry) candidate = ChooseDueItem(*items);
  if (candidate >= 0 && candidate < static_cast<int32_t>(items->Count())) SendItem(*items, candidate, retry);
}

void TQueueControllerTimer::UpdateTimer(bool reset) {
  if (!Timer) return;
  if (reset) {
    NextIndex = -1;
    DelayTimer.Clear();
  }
  std::lock_guard lock(ArmMutex);
  if (IsSuspended() || Items.Count() == 0) {
    IdleWait = false;
    Timer->SetEnabled(false);
    return;
  }
  const std::optional<uint32_t> wait = WaitForNextStep();
  IdleWait = !wait || *wait > static_cast<uint32_t>(TimerInterval.load());
  if (wait) Timer->SetInterval(*wait);
  Timer->SetEnabled(wait.has_value());
}

bool TQueueControllerTimer::HasPendingWork() {
  return ReloadRequested != 0 || ResponseTimer.IsStarted() || RetryItem != nullptr || DelayTimer.IsStarted() ||
         IsBusy();
}

std::optional<uint32_t> TQueueControllerTimer::WaitForNextStep() {
  const auto cadence = static_cast<uint32_t>(std::max(1, TimerInterval.load()));
  if (HasPendingWork()) return cadence;
  const uint64_t now = platform::TickCount64();
  std::optional<uint64_t> due;
  TReadLocked<TBasicRequestList> items(Items);
  for (const TBasicRequestItem* item : *items) {
    if (!item->Enabled) continue;
    if ((item->Method == rmOnce && !item->Sending) || item->Triggered) return cadence;
    if (item->Method == rmPoll) due = std::min(due.value_or(UINT64_MAX), PollDueAt(*item, now));
  }
  if (!due) return std::nullopt;
  // Steps fall on the cadence counted from this one, as they did while the queue stepped
  // all the time: the poll goes out at the same step as it would then.
  const uint64_t steps = *due > now ? (*due - now + cadence - 1) / cadence : 1;
  return static_cast<uint32_t>(std::clamp<uint64_t>(steps, 1, LongestWait / cadence) * cadence);
}

void TQueueControllerTimer::Wake() {
  std::lock_guard lock(ArmMutex);
  if (!Timer || !IdleWait) return;
  IdleWait = false;
  Timer->SetInterval(static_cast<uint32_t>(TimerInterval.load()));
  Timer->SetEnabled(true);
}

void TQueueControllerTimer::RequestReload(uint8_t how) {
  ReloadRequested = how;
  Wake();
}

void TQueueControllerTimer::FireEvent(std::string_view name, bool all, const TkroParamsList* params) {
  TQueueController::FireEvent(name, all, params);
  Wake();
}

void TQueueControllerTimer::ResetSchedule() {
  TimerInterval = DefaultTimerInterval;
  SetTimerEnabled(false);
  NextIndex = -1;
  try {
    TWriteLocked<TBasicRequestList> items(Items);
    for (TBasicRequestItem* item : *items) {
      item->PollTimer.Clear();
      item->LastSent = 0;
      // A polling interval of 0 would leave the timer unarmed: the tick is at least 1 ms.
      if (item->Method == rmPoll && item->PollInterval < TimerInterval) TimerInterval = std::max(1, item->PollInterval);
    }
    Timer->SetInterval(static_cast<uint32_t>(TimerInterval));
  } catch (...) {
    UpdateTimer(false);
    throw;
  }
  UpdateTimer(false);
}

void TQueueControllerTimer::ScheduleItem(TBasicRequestItem& item) {
  if (item.Schedule.Method == rmCron) {
    AddTimeEvent(item, item.Schedule.Cron, 0);
    return;
  }
  for (const TAtTimeEntry& entry : AtTimeEntries(item.Schedule.Text)) AddTimeEvent(item, entry.Fields, entry.Position);
}

void TQueueControllerTimer::AddTimeEvent(TBasicRequestItem& item, const TExportCronParams& fields, int32_t n) {
  const std::string groupKey =
      "G" + std::to_string(item.Schedule.Method) + "_" + HexText8(item.Identity()) + "_" + HexText8(Identity());
  // Readers of the events on other threads see it only once it is set up.
  std::lock_guard lock(EventsMutex);
  TScheduledEvent& event = Events.Add(groupKey + "/" + std::to_string(n));
  item.GroupKey = groupKey;
  std::string cronText;
  try {
    event.SetSignalingType(TScheduledEvent::stTimer);
    cronText = CronTextOf(fields);
    event.Schedule().SetCronText(cronText);
    event.OnSchedule = [this](TScheduledEvent& fired) { OnEventFired(fired); };
    event.Run(false);
  } catch (const std::exception& error) {
    DoError("Cron", error, cronText);
  }
}

void TQueueControllerTimer::StopEvents() {
  std::vector<std::unique_ptr<TScheduledEvent>> taken;
  try {
    std::lock_guard lock(EventsMutex);
    while (Events.Count() > 0) taken.push_back(Events.Extract(Events.Count() - 1));
  } catch (...) {
  }
  for (const auto& event : taken) {
    try {
      event->Stop();
    } catch (...) {
    }
  }
}

std::vector<std::string> TQueueControllerTimer::EventCronTexts() const {
  std::lock_guard lock(EventsMutex);
  std::vector<std::string> texts;
  for (TScheduledEvent* event : Events)
    if (event->Schedule().HasCron()) texts.push_back(event->Schedule().CronText());
  return texts;
}

void TQueueControllerTimer::OnEventFired(TScheduledEvent& event) {
  const std::string& name = event.Name();
  const std::string group(TrimBlanks(std::string_view(name).substr(0, name.find('/'))));
  bool matched = false;
  {
    TReadLocked<TBasicRequestList> items(Items);
    for (TBasicRequestItem* item : *items) {
      if (item->GroupKey != group) continue;
      item->Triggered = true;
      DelayTimer.Clear();
      DoScheduled(event, *item);
      matched = true;
    }
  }
  if (matched) Step();
}

TQueueControllerTimerEx::TQueueControllerTimerEx(IQueueDataSource* owner)
    : TQueueControllerTimer(owner), DataSource(owner) {}

bool TQueueControllerTimerEx::IsSuspended() { return DataSource == nullptr || DataSource->IsSuspended(); }

bool TQueueControllerTimerEx::IsBusy() { return DataSource != nullptr && DataSource->IsBusy(); }

TQueueControllerTimerClients::TQueueControllerTimerClients(IQueueClient* owner)
    : TQueueControllerTimer(owner), Client(owner) {}

bool TQueueControllerTimerClients::IsBusy() {
  if (Client == nullptr || !Client->GetActive()) return false;
  IQueueDataSource* dataSource = Client->QueueDataSource();
  return dataSource != nullptr && dataSource->IsBusy();
}

}  // namespace cjt
