// Lock holders: a shared/exclusive lock paired with one guarded object, which is handed out
// only together with the lock. The lock is created on first use.
#pragma once

#include <atomic>
#include <memory>
#include <type_traits>
#include <utility>

#include "platform/critical_section.h"
#include "support/rw_lock.h"

namespace cjt {

class TThreadObject {
 public:
  // Guards object, or the holder itself when object is null. The object is not owned: the
  // derived holder frees it.
  explicit TThreadObject(void* object = nullptr);
  virtual ~TThreadObject();
  TThreadObject(const TThreadObject&) = delete;
  TThreadObject& operator=(const TThreadObject&) = delete;

  void* LockRead();
  void UnlockRead();
  void* LockWrite();
  void UnlockWrite();
  void Unlock() { UnlockWrite(); }

  // Whether the first lock has created the shared/exclusive lock yet.
  bool HasLock() const { return RWLock.load(std::memory_order_acquire) != nullptr; }

 private:
  TReentrantRWLock& Lock();

  platform::TCriticalSection CreationLock;
  std::atomic<TReentrantRWLock*> RWLock{nullptr};
  void* const Object;
};

// A holder whose guarded object has the type TGuarded.
template <class TGuarded>
class TGuardedHolder : public TThreadObject {
 public:
  explicit TGuardedHolder(TGuarded* guarded) : TThreadObject(guarded) {}

  TGuarded& LockRead() { return *static_cast<TGuarded*>(TThreadObject::LockRead()); }
  TGuarded& LockWrite() { return *static_cast<TGuarded*>(TThreadObject::LockWrite()); }
};

// Brackets one use of a holder: takes the lock (shared or exclusive) and releases the same
// kind of hold when it goes out of scope, also when an exception passes.
template <class THolder, bool Exclusive>
class TLocked {
 public:
  explicit TLocked(THolder& holder) : Holder(holder), Object(&Acquire(holder)) {}
  ~TLocked() {
    if constexpr (Exclusive)
      Holder.UnlockWrite();
    else
      Holder.UnlockRead();
  }
  TLocked(const TLocked&) = delete;
  TLocked& operator=(const TLocked&) = delete;

  auto& operator*() const { return *Object; }
  auto* operator->() const { return Object; }

 private:
  static auto& Acquire(THolder& holder) {
    if constexpr (Exclusive)
      return holder.LockWrite();
    else
      return holder.LockRead();
  }

  THolder& Holder;
  std::remove_reference_t<decltype(Acquire(std::declval<THolder&>()))>* Object;
};

template <class THolder>
using TReadLocked = TLocked<THolder, false>;
template <class THolder>
using TWriteLocked = TLocked<THolder, true>;

}  // namespace cjt
