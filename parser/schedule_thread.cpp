#include "parser/schedule_thread.h"

#include <algorithm>
#include <exception>

#include "parser/interval_meter.h"
#include "parser/scheduled_event.h"
#include "platform/clock.h"
#include "support/application_error.h"

namespace cjt {

namespace {

constexpr int64_t MinWaitMs = 50;
constexpr int64_t MaxWaitMs = 86400000;

int64_t MsUntil(double time) { return MsBetween(platform::NowDateTime(), time); }

// A timer interval for a wait: at least 1 ms, at most a day (the pass then looks again).
uint32_t TimerIntervalFor(int64_t ms) { return static_cast<uint32_t>(std::clamp<int64_t>(ms, 1, MaxWaitMs)); }

}  // namespace

TScheduleThread::TScheduleThread(TScheduledEvent& event, bool timerDriven, bool firstRun, TWaitEvent* waitEvent,
                                 TEventWindow* window)
    : FirstRun(firstRun), Event(event), WaitEvent(waitEvent), Window(window) {
  TSchedule& schedule = Event.Schedule();
  WaitMs = std::max<int64_t>(0, MsUntil(schedule.NextTime));
  if (FirstRun && platform::NowDateTime() < schedule.StartDate) {
    schedule.Check(FirstRun);
    WaitMs = std::max<int64_t>(0, MsUntil(schedule.NextTime));
  }
  if (!timerDriven) {
    Thread = std::thread([this] { ThreadMain(); });
    return;
  }
  Timer = std::make_unique<TkroTimerEx>();
  Timer->SetEnabled(false);
  // Half the wait, but never 0: a timer without an interval would never fire.
  Timer->SetInterval(TimerIntervalFor(WaitMs / 2));
  Timer->SetOnTimer([this](TkroTimerEx&) { OnTimerTick(); });
  Timer->SetEnabled(true);
}

TScheduleThread::~TScheduleThread() {
  if (Timer) {
    // A tick on another thread ends first: freeing the timer below would otherwise pull it
    // from under that tick. A tick of this thread (an abandoned loop freeing itself) has
    // already let go of the lock.
    {
      std::lock_guard lock(TickMutex);
      Stopping = true;
    }
    Timer->SetEnabled(false);
    Timer->SetOnTimer(nullptr);
    Timer.reset();
  }
  if (Thread.joinable()) Thread.join();
}

bool TScheduleThread::InOwnPass() const { return Timer && PassThread.load() == std::this_thread::get_id(); }

void TScheduleThread::ThreadMain() {
  uint8_t state = TSchedule::ssNothingDue;
  try {
    while (Event.Running()) {
      const std::optional<int64_t> wait = Pass();
      state = Event.Schedule().State;
      if (!wait || WaitEvent->WaitFor(*wait)) break;
    }
  } catch (...) {
    HandleApplicationException(std::current_exception());
  }
  ReportEndOfThread(state);
}

void TScheduleThread::ReportEndOfThread(uint8_t state) {
  if (!ReportEnd || Window == nullptr) return;
  TScheduledEvent* event = &Event;
  // Reported where the event was started; a report still queued when the event stops is
  // dropped with its window.
  Window->Post([event, state] {
    if (state == TSchedule::ssExpired && event->OnExpired) event->OnExpired(*event);
    if (state == TSchedule::ssFireLast && event->OnLastRun) event->OnLastRun(*event);
  });
}

void TScheduleThread::OnTimerTick() {
  std::exception_ptr error;
  {
    std::lock_guard lock(TickMutex);
    if (Stopping) return;
    Timer->SetEnabled(false);
    PassThread = std::this_thread::get_id();
    try {
      Pass();
    } catch (...) {
      error = std::current_exception();
    }
    PassThread = std::thread::id();
  }
  if (Abandoned) delete this;
  if (error) std::rethrow_exception(error);
}

std::optional<int64_t> TScheduleThread::Pass() {
  TIntervalMeter meter;
  TSchedule& schedule = Event.Schedule();
  WaitMs /= 2;
  schedule.Check(FirstRun);
  const uint8_t state = schedule.State;
  if (state == TSchedule::ssExpired) return std::nullopt;
  if (state == TSchedule::ssFire || state == TSchedule::ssFireLast) {
    if (!Event.OnSchedule) throw EScheduleError("OnSchedule is not defined");
    WaitMs = MsUntil(schedule.NextTime) / 2;
    Signal();
    // The handler may have stopped or freed the event.
    if (Abandoned || state == TSchedule::ssFireLast) return std::nullopt;
  }
  // Firing times missed (a computer asleep) are skipped, not made up.
  while (schedule.NextTime != 0 && CompareDateTime(platform::NowDateTime(), schedule.NextTime) > 0) schedule.Advance();
  // Without a next time nothing can fire any more, and a search from date-time 0 would run
  // through every firing time since 1900.
  if (schedule.NextTime == 0) return std::nullopt;
  if (Timer) {
    Timer->SetInterval(TimerIntervalFor(MsUntil(schedule.NextTime)));
    Timer->SetEnabled(true);
    return std::nullopt;
  }
  return std::max<int64_t>(0, std::clamp(WaitMs, MinWaitMs, MaxWaitMs) - meter.Elapsed());
}

void TScheduleThread::Signal() {
  switch (Event.SignalingType()) {
    case TScheduledEvent::stWorkerThread:
      TWorkerThread::Start(Event);
      break;
    case TScheduledEvent::stSynchronized:
      Window->Send([event = &Event] { event->Fire(); });
      break;
    case TScheduledEvent::stWindowMessage:
      Window->PostWindowMessage(ScheduleMessage);
      break;
    default:
      if (Event.OnSchedule && !Event.Paused) Event.Fire();
      break;
  }
}

}  // namespace cjt
