#include "platform/timer_service.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/thread.h"
#include "platform/timer_service_core.h"

namespace cjt::platform {

namespace {

// The service of each thread lives as long as its timers (and a manual pump) hold it.
thread_local std::weak_ptr<TTimerService> ThisThreadService;

// Stale heap entries (of disarmed or re-armed timers) are dropped when they surface; the
// heap is rebuilt when they outnumber the live ones.
constexpr size_t StaleSlack = 64;

}  // namespace

TTimerService::TTimerService() : Owner(CurrentThreadId()) {}

TTimerService::~TTimerService() {
  // The waker may call back into the service until it is gone: release it first.
  Waker.reset();
}

std::shared_ptr<TTimerService> TTimerService::ForCurrentThread() {
  if (auto existing = ThisThreadService.lock()) return existing;
  std::shared_ptr<TTimerService> service(new TTimerService());
  service->Waker = CreateTimerWaker(service);
  ThisThreadService = service;
  return service;
}

std::shared_ptr<TTimerService> TTimerService::CreateManualForCurrentThread() {
  if (!ThisThreadService.expired())
    throw std::logic_error("the timers of this thread are already served by another service");
  std::shared_ptr<TTimerService> service(new TTimerService());
  ThisThreadService = service;
  return service;
}

uint64_t TTimerService::AddTimer(std::function<void()> callback) {
  std::lock_guard<std::mutex> guard(Mutex);
  const uint64_t id = NextId++;
  Entries[id].Callback = std::make_shared<std::function<void()>>(std::move(callback));
  return id;
}

void TTimerService::PushDeadline(uint64_t id, TEntry& entry, uint64_t now) {
  Heap.push_back({now + entry.Interval, id, entry.Generation});
  std::push_heap(Heap.begin(), Heap.end(), std::greater<>());
}

bool TTimerService::ArmTimer(uint64_t id, uint32_t intervalMs) {
  if (Waker && !Waker->CanWake()) return false;
  {
    std::lock_guard<std::mutex> guard(Mutex);
    auto found = Entries.find(id);
    if (found == Entries.end()) return false;
    TEntry& entry = found->second;
    if (!entry.Armed) ++ArmedCount;
    entry.Armed = true;
    entry.Interval = std::max<uint32_t>(1, intervalMs);
    ++entry.Generation;
    PushDeadline(id, entry, TickCount64());
    DropStaleDeadlines();
    // The waker already waits for an earlier deadline, when there is one: only a new
    // earliest one needs it (on Windows each wake of the owner thread re-arms the system
    // timer, so thousands of timers re-armed behind the earliest cost no system call).
    if (Heap.front().Id != id || Heap.front().Generation != entry.Generation) return true;
    ++WakeRequestCount;
  }
  NotifyWaker();
  return true;
}

void TTimerService::DisarmTimer(uint64_t id) {
  std::lock_guard<std::mutex> guard(Mutex);
  auto found = Entries.find(id);
  if (found == Entries.end() || !found->second.Armed) return;
  found->second.Armed = false;
  ++found->second.Generation;
  --ArmedCount;
  // No wake-up needed: the system timer may fire once for nothing.
}

void TTimerService::RemoveTimer(uint64_t id) {
  std::unique_lock<std::mutex> lock(Mutex);
  // A callback of this timer on another thread may still use what the caller frees next.
  Idle.wait(lock, [&] { return RunningTag != id || RunningThread == std::this_thread::get_id(); });
  auto found = Entries.find(id);
  if (found != Entries.end()) {
    if (found->second.Armed) --ArmedCount;
    Entries.erase(found);
  }
  std::erase_if(Posted, [id](const TPosted& posted) { return posted.Tag == id; });
  DropStaleDeadlines();
}

void TTimerService::Post(uint64_t tag, std::function<void()> work) {
  {
    std::lock_guard<std::mutex> guard(Mutex);
    Posted.push_back({tag, std::move(work)});
    ++WakeRequestCount;
  }
  NotifyWaker();
}

bool TTimerService::IsStale(const TDeadline& deadline) const {
  auto found = Entries.find(deadline.Id);
  return found == Entries.end() || !found->second.Armed || found->second.Generation != deadline.Generation;
}

void TTimerService::DropStaleDeadlines() {
  if (Heap.size() > 2 * ArmedCount + StaleSlack) {
    std::erase_if(Heap, [this](const TDeadline& deadline) { return IsStale(deadline); });
    std::make_heap(Heap.begin(), Heap.end(), std::greater<>());
  }
  while (!Heap.empty() && IsStale(Heap.front())) {
    std::pop_heap(Heap.begin(), Heap.end(), std::greater<>());
    Heap.pop_back();
  }
}

void TTimerService::Invoke(std::unique_lock<std::mutex>& lock, uint64_t tag, const std::function<void()>& work) {
  RunningTag = tag;
  RunningThread = std::this_thread::get_id();
  lock.unlock();
  try {
    work();
  } catch (const std::exception& error) {
    DebugOutput(error.what());
  } catch (...) {
    DebugOutput("unknown exception in a timer callback");
  }
  lock.lock();
  RunningTag = 0;
  RunningThread = std::thread::id();
  Idle.notify_all();
}

bool TTimerService::RunNextPosted() {
  std::unique_lock<std::mutex> lock(Mutex);
  if (Posted.empty()) return false;
  TPosted posted = std::move(Posted.front());
  Posted.pop_front();
  Invoke(lock, posted.Tag, posted.Work);
  return true;
}

bool TTimerService::RunNextDueTimer(uint64_t now) {
  std::unique_lock<std::mutex> lock(Mutex);
  DropStaleDeadlines();
  if (Heap.empty() || Heap.front().Tick > now) return false;
  const uint64_t id = Heap.front().Id;
  std::pop_heap(Heap.begin(), Heap.end(), std::greater<>());
  Heap.pop_back();
  TEntry& entry = Entries[id];
  // The next period counts from this run, so a late thread never gets a burst of catch-ups.
  PushDeadline(id, entry, now);
  // A copy: the callback may destroy its own timer.
  std::shared_ptr<std::function<void()>> callback = entry.Callback;
  Invoke(lock, id, *callback);
  return true;
}

size_t TTimerService::RunDue() {
  // Keep the service alive while its callbacks run: one of them may drop the last timer.
  std::shared_ptr<TTimerService> self = shared_from_this();
  size_t ran = 0;
  size_t postedSoFar;
  {
    std::lock_guard<std::mutex> guard(Mutex);
    postedSoFar = Posted.size();
  }
  // Work posted while this runs waits for the next round, so a callback that posts again
  // cannot hold the thread forever; the same holds for timers through their new deadline.
  while (postedSoFar-- > 0 && RunNextPosted()) ++ran;
  const uint64_t now = TickCount64();
  while (RunNextDueTimer(now)) ++ran;
  return ran;
}

std::optional<uint64_t> TTimerService::MsUntilNextWork() {
  std::lock_guard<std::mutex> guard(Mutex);
  if (!Posted.empty()) return 0;
  DropStaleDeadlines();
  if (Heap.empty()) return std::nullopt;
  const uint64_t now = TickCount64();
  return Heap.front().Tick > now ? Heap.front().Tick - now : 0;
}

uint64_t TTimerService::WakeRequests() {
  std::lock_guard<std::mutex> guard(Mutex);
  return WakeRequestCount;
}

void TTimerService::NotifyWaker() {
  if (Waker) Waker->Notify();
}

TThreadTimer::TThreadTimer(TCallback onFire) : Service(TTimerService::ForCurrentThread()) {
  Id = Service->AddTimer(std::move(onFire));
}

TThreadTimer::~TThreadTimer() { Service->RemoveTimer(Id); }

bool TThreadTimer::Arm(uint32_t intervalMs) { return Service->ArmTimer(Id, intervalMs); }
void TThreadTimer::Disarm() { Service->DisarmTimer(Id); }
uint32_t TThreadTimer::OwnerThread() const { return Service->OwnerThread(); }
void TThreadTimer::Post(std::function<void()> work) { Service->Post(Id, std::move(work)); }

TManualTimerPump::TManualTimerPump() : Service(TTimerService::CreateManualForCurrentThread()) {}
TManualTimerPump::~TManualTimerPump() = default;
size_t TManualTimerPump::Run() { return Service->RunDue(); }
uint64_t TManualTimerPump::WakeRequests() const { return Service->WakeRequests(); }

}  // namespace cjt::platform
