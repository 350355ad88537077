#include "support/thread_object.h"

#include <mutex>

namespace cjt {

TThreadObject::TThreadObject(void* object) : Object(object ? object : this) {}

TThreadObject::~TThreadObject() { delete RWLock.load(std::memory_order_acquire); }

TReentrantRWLock& TThreadObject::Lock() {
  TReentrantRWLock* lock = RWLock.load(std::memory_order_acquire);
  if (lock) return *lock;
  std::lock_guard<platform::TCriticalSection> guard(CreationLock);
  lock = RWLock.load(std::memory_order_relaxed);
  if (!lock) {
    lock = new TReentrantRWLock();
    RWLock.store(lock, std::memory_order_release);
  }
  return *lock;
}

void* TThreadObject::LockRead() {
  Lock().LockRead();
  return Object;
}

void TThreadObject::UnlockRead() { Lock().UnlockRead(); }

void* TThreadObject::LockWrite() {
  Lock().LockWrite();
  return Object;
}

void TThreadObject::UnlockWrite() { Lock().UnlockWrite(); }

}  // namespace cjt
