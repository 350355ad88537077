// A lock shared by every process of the machine that uses the same name: a named mutex on
// Windows, a lock file in the temporary folder elsewhere. It excludes threads of the same
// process too.
#pragma once

#include <memory>
#include <string>

namespace cjt::platform {

class TNamedLock {
 public:
  // The name is used as it is; callers keep it to letters, digits and "_".
  explicit TNamedLock(const std::string& name);
  ~TNamedLock();
  TNamedLock(const TNamedLock&) = delete;
  TNamedLock& operator=(const TNamedLock&) = delete;

  // Tries spinCount times without waiting, then blocks. False when the lock could not be
  // made at all (the caller goes on unlocked).
  bool Acquire(int spinCount = 4000);
  void Release();

 private:
  struct TState;
  std::unique_ptr<TState> State;
};

}  // namespace cjt::platform
