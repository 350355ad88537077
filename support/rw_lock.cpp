#include "support/rw_lock.h"

#include <algorithm>

namespace cjt {

TReentrantRWLock::THold* TReentrantRWLock::HoldOf(std::thread::id thread) {
  const auto found =
      std::find_if(Readers.begin(), Readers.end(), [&](const THold& hold) { return hold.Thread == thread; });
  return found == Readers.end() ? nullptr : &*found;
}

// The last hold takes the dropped one's place.
void TReentrantRWLock::Drop(THold* hold) {
  *hold = Readers.back();
  Readers.pop_back();
}

void TReentrantRWLock::LockRead() {
  std::unique_lock<std::mutex> lock(Mutex);
  const auto self = std::this_thread::get_id();
  if (THold* own = HoldOf(self)) {
    ++own->Count;
    return;
  }
  if (!IsWriter()) Changed.wait(lock, [&] { return WriteDepth == 0 && WaitingWriters == 0; });
  Readers.push_back({self, 1});
}

void TReentrantRWLock::UnlockRead() {
  std::lock_guard<std::mutex> guard(Mutex);
  THold* own = HoldOf(std::this_thread::get_id());
  if (own == nullptr) return;
  if (--own->Count == 0) {
    Drop(own);
    Changed.notify_all();
  }
}

void TReentrantRWLock::LockWrite() {
  std::unique_lock<std::mutex> lock(Mutex);
  if (IsWriter()) {
    ++WriteDepth;
    return;
  }
  const auto self = std::this_thread::get_id();
  int ownReads = 0;
  if (THold* own = HoldOf(self)) {
    ownReads = own->Count;
    Drop(own);
    Changed.notify_all();
  }
  ++WaitingWriters;
  Changed.wait(lock, [&] { return WriteDepth == 0 && Readers.empty(); });
  --WaitingWriters;
  Writer = self;
  WriteDepth = 1;
  if (ownReads > 0) Readers.push_back({self, ownReads});
}

void TReentrantRWLock::UnlockWrite() {
  std::lock_guard<std::mutex> guard(Mutex);
  if (!IsWriter()) return;
  if (--WriteDepth == 0) {
    Writer = std::thread::id();
    Changed.notify_all();
  }
}

}  // namespace cjt
