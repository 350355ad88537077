#include "support/rw_lock.h"

#include <algorithm>
#include <vector>

namespace cjt {

namespace {

constexpr uint64_t OneReader = 1;
constexpr uint64_t ReaderMask = 0xFFFFFFFFULL;
constexpr uint64_t OneWaitingWriter = uint64_t{1} << 32;
constexpr uint64_t WaitingMask = 0x7FFFFFFFULL << 32;
constexpr uint64_t WriterBit = uint64_t{1} << 63;

// A reading thread more, unless a writer holds or waits for the lock.
bool TryToRead(std::atomic<uint64_t>& state) {
  uint64_t seen = state.load();
  while ((seen & (WriterBit | WaitingMask)) == 0)
    if (state.compare_exchange_weak(seen, seen + OneReader)) return true;
  return false;
}

// The shared holds of this thread, by lock: a lock's shared hold is taken from the state word
// once per thread, its nested holds only counted here.
struct THold {
  const TReentrantRWLock* Lock;
  int Count;
};
thread_local std::vector<THold> ThreadHolds;

THold* HoldOf(std::vector<THold>& holds, const TReentrantRWLock* lock) {
  const auto found = std::find_if(holds.begin(), holds.end(), [&](const THold& hold) { return hold.Lock == lock; });
  return found == holds.end() ? nullptr : &*found;
}

// The last hold takes the dropped one's place.
void Drop(std::vector<THold>& holds, THold* hold) {
  *hold = holds.back();
  holds.pop_back();
}

}  // namespace

void TReentrantRWLock::WakeWaiters() {
  // A waiter counts itself under the mutex before it looks at the state: one that did not see
  // this change yet is counted here, and is either still before its wait (the mutex holds
  // this thread back until it waits) or waiting.
  if (Waiters.load() == 0) return;
  std::lock_guard<std::mutex> guard(Mutex);
  Changed.notify_all();
}

void TReentrantRWLock::DropReader() {
  if (((State.fetch_sub(OneReader) - OneReader) & ReaderMask) == 0) WakeWaiters();
}

void TReentrantRWLock::WaitToRead() {
  std::unique_lock<std::mutex> lock(Mutex);
  ++Waiters;
  Changed.wait(lock, [this] { return TryToRead(State); });
  --Waiters;
}

void TReentrantRWLock::WaitToWrite() {
  uint64_t idle = 0;
  if (State.compare_exchange_strong(idle, WriterBit)) return;
  std::unique_lock<std::mutex> lock(Mutex);
  ++Waiters;
  State += OneWaitingWriter;
  Changed.wait(lock, [this] {
    uint64_t state = State.load();
    while ((state & (WriterBit | ReaderMask)) == 0)
      if (State.compare_exchange_weak(state, (state - OneWaitingWriter) | WriterBit)) return true;
    return false;
  });
  --Waiters;
}

void TReentrantRWLock::LockRead() {
  std::vector<THold>& holds = ThreadHolds;
  if (THold* own = HoldOf(holds, this)) {
    ++own->Count;
    return;
  }
  // The hold is noted first: noting it can fail, taking the lock cannot be undone.
  holds.push_back({this, 1});
  if (TryToRead(State)) return;
  if (IsWriter()) {
    State += OneReader;
    return;
  }
  try {
    WaitToRead();
  } catch (...) {
    holds.pop_back();
    throw;
  }
}

void TReentrantRWLock::UnlockRead() {
  std::vector<THold>& holds = ThreadHolds;
  THold* own = HoldOf(holds, this);
  if (own == nullptr) return;
  if (--own->Count > 0) return;
  Drop(holds, own);
  DropReader();
}

void TReentrantRWLock::LockWrite() {
  if (IsWriter()) {
    ++WriteDepth;
    return;
  }
  std::vector<THold>& holds = ThreadHolds;
  int ownReads = 0;
  if (THold* own = HoldOf(holds, this)) {
    ownReads = own->Count;
    Drop(holds, own);
    DropReader();
  }
  WaitToWrite();
  Writer.store(std::this_thread::get_id());
  WriteDepth = 1;
  if (ownReads > 0) {
    // Fits without growing: the dropped hold left its room.
    holds.push_back({this, ownReads});
    State += OneReader;
  }
}

void TReentrantRWLock::UnlockWrite() {
  if (!IsWriter()) return;
  if (--WriteDepth > 0) return;
  Writer.store(std::thread::id());
  State &= ~WriterBit;
  WakeWaiters();
}

}  // namespace cjt
