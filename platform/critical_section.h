// A re-entrant mutual-exclusion lock: the holder may enter again, and leaves as often as it
// entered.
#pragma once

#include <memory>

namespace cjt::platform {

class TCriticalSection {
 public:
  TCriticalSection();
  ~TCriticalSection();
  TCriticalSection(const TCriticalSection&) = delete;
  TCriticalSection& operator=(const TCriticalSection&) = delete;

  void Enter();
  bool TryEnter();
  void Leave();

  // BasicLockable, so that std::lock_guard and std::unique_lock can hold it.
  void lock() { Enter(); }
  bool try_lock() { return TryEnter(); }
  void unlock() { Leave(); }

 private:
  struct TImpl;
  std::unique_ptr<TImpl> Impl;
};

}  // namespace cjt::platform
