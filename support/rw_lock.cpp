#include "support/rw_lock.h"

namespace cjt {

void TReentrantRWLock::LockRead() {
  std::unique_lock<std::mutex> lock(Mutex);
  const auto self = std::this_thread::get_id();
  auto found = Readers.find(self);
  if (found != Readers.end()) {
    ++found->second;
    return;
  }
  if (!IsWriter()) Changed.wait(lock, [&] { return WriteDepth == 0 && WaitingWriters == 0; });
  ++Readers[self];
}

void TReentrantRWLock::UnlockRead() {
  std::lock_guard<std::mutex> guard(Mutex);
  auto found = Readers.find(std::this_thread::get_id());
  if (found == Readers.end()) return;
  if (--found->second == 0) {
    Readers.erase(found);
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
  if (auto found = Readers.find(self); found != Readers.end()) {
    ownReads = found->second;
    Readers.erase(found);
    Changed.notify_all();
  }
  ++WaitingWriters;
  Changed.wait(lock, [&] { return WriteDepth == 0 && Readers.empty(); });
  --WaitingWriters;
  Writer = self;
  WriteDepth = 1;
  if (ownReads > 0) Readers[self] = ownReads;
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
