#include "platform/named_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace cjt::platform {

struct TNamedLock::TState {
  std::string Path;
  int File = -1;
  bool Held = false;
};

TNamedLock::TNamedLock(const std::string& name) : State(std::make_unique<TState>()) {
  const char* folder = std::getenv("TMPDIR");
  State->Path = std::string(folder && *folder ? folder : "/tmp") + "/cjt188-" + name + ".lock";
}

TNamedLock::~TNamedLock() { Release(); }

// Each acquisition opens its own file description, so threads of one process exclude each
// other as processes do.
bool TNamedLock::Acquire(int spinCount) {
  if (State->Held) return true;
  State->File = open(State->Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (State->File < 0) return false;
  for (int i = 0; i < spinCount; ++i)
    if (flock(State->File, LOCK_EX | LOCK_NB) == 0) return State->Held = true;
  while (flock(State->File, LOCK_EX) != 0) {
  }
  return State->Held = true;
}

void TNamedLock::Release() {
  if (State->File < 0) return;
  if (State->Held) flock(State->File, LOCK_UN);
  close(State->File);
  State->File = -1;
  State->Held = false;
}

}  // namespace cjt::platform
