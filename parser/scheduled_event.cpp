#include "parser/scheduled_event.h"

#include <stdexcept>
#include <thread>

#include "parser/schedule_thread.h"
#include "support/application_error.h"

namespace cjt {

namespace {
// How often a synchronised firing looks whether its event stopped while it waits.
constexpr int64_t SendPollMs = 20;
}  // namespace

TEventWindow::TEventWindow(TScheduledEvent& event) : Event(event), Mailbox([] {}) {}

void TEventWindow::PostWindowMessage(uint32_t message) {
  Mailbox.Post([event = &Event, message] { event->HandleWindowMessage(message); });
}

void TEventWindow::Send(std::function<void()> work) {
  auto done = std::make_shared<TWaitEvent>();
  Mailbox.Post([work = std::move(work), done] {
    work();
    done->Set();
  });
  while (!done->WaitFor(SendPollMs) && Event.Running()) {
  }
}

void TWorkerThread::Start(TScheduledEvent& event) {
  auto ended = std::make_shared<std::atomic<bool>>(false);
  std::thread thread([&event, ended] {
    try {
      event.Fire();
    } catch (...) {
      HandleApplicationException(std::current_exception());
    }
    *ended = true;
  });
  event.WorkerStarted(std::move(thread), std::move(ended));
}

TScheduledEvent::TScheduledEvent(std::string name) : FName(std::move(name)) {}

TScheduledEvent::~TScheduledEvent() {
  *FAlive = false;
  Stop();
  // A stop that a firing thread won may still be releasing the waiting thread.
  { std::lock_guard<std::mutex> released(StateMutex); }
  std::vector<TWorker> workers;
  {
    std::lock_guard<std::mutex> guard(WorkerMutex);
    workers.swap(Workers);
  }
  for (TWorker& worker : workers) {
    // A handler that frees its own event cannot wait for its own thread.
    if (worker.Thread.get_id() == std::this_thread::get_id())
      worker.Thread.detach();
    else
      worker.Thread.join();
  }
}

void TScheduledEvent::WorkerStarted(std::thread thread, std::shared_ptr<const std::atomic<bool>> ended) {
  std::lock_guard<std::mutex> guard(WorkerMutex);
  // A thread whose firing has ended is only returning: joining it takes no time.
  std::erase_if(Workers, [](TWorker& worker) {
    if (!*worker.Ended) return false;
    worker.Thread.join();
    return true;
  });
  Workers.push_back({std::move(thread), std::move(ended)});
}

void TScheduledEvent::SetSignalingType(uint8_t value) {
  if (FRunning) throw std::logic_error("Cannot change signaling type while running");
  FSignalingType = value;
}

bool TScheduledEvent::Run(bool firstRun) {
  Stop();
  std::unique_lock<std::mutex> lock(StateMutex);
  if (!FSchedule.Reset()) return false;
  // Types 0 to 2 reach the starting thread through the window: type 2 fires there, type 1
  // fires there synchronised, and the end of their waiting thread is reported there.
  if (FSignalingType != stTimer) {
    FWindow = std::make_unique<TEventWindow>(*this);
    FWaitEvent = std::make_unique<TWaitEvent>();
  }
  FRunning = true;
  FThread =
      std::make_unique<TScheduleThread>(*this, FSignalingType == stTimer, firstRun, FWaitEvent.get(), FWindow.get());
  lock.unlock();
  if (OnStart) OnStart(*this);
  return true;
}

void TScheduledEvent::Stop() {
  // Only the first of several stops at once releases; the others return at once, so that a
  // firing that stops its event never waits for a stop that waits for the firing.
  if (!FRunning.exchange(false)) return;
  {
    std::lock_guard<std::mutex> lock(StateMutex);
    if (FThread) FThread->DropEndReport();
    if (FWaitEvent) FWaitEvent->Set();
    ReleaseThread();
    FWaitEvent.reset();
    FWindow.reset();
  }
  if (OnStop) OnStop(*this);
}

void TScheduledEvent::ReleaseThread() {
  if (FThread && FThread->InOwnPass()) {
    FThread->Abandon();
    FThread.release();
    return;
  }
  FThread.reset();
}

void TScheduledEvent::Fire() {
  {
    std::lock_guard<std::mutex> guard(FireMutex);
    if ((RunLimit != 0 && FRunCount >= RunLimit) || !FRunning) return;
    ++FRunCount;
  }
  // The handler may free the event: it runs from a copy, and nothing of the event is touched
  // afterwards when it is gone.
  const std::shared_ptr<const std::atomic<bool>> alive = FAlive;
  if (const TNotifyEvent handler = OnSchedule) handler(*this);
  if (!*alive) return;
  if (RunLimit > 0 && FRunCount >= RunLimit) {
    if (OnLimitReached) OnLimitReached(*this);
    Stop();
  }
}

void TScheduledEvent::HandleWindowMessage(uint32_t message) {
  if (message == ScheduleMessage && OnSchedule && !Paused) Fire();
}

TScheduledEvent& TSchEventList::Add(std::string name) {
  auto* event = new TScheduledEvent(std::move(name));
  TObjectList<TScheduledEvent>::Add(event);
  if (OnAdd) OnAdd(*event);
  return *event;
}

}  // namespace cjt
