// The process-wide list of plug-in instances. A handle from the host is used only when it
// is in this list: a stale or wild handle is refused, never followed. A call that finds its
// instance is counted into it before the list's lock is left, so that freeing the instance
// waits for the calls already inside it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <shared_mutex>
#include <vector>

namespace cjt {

class TkroPlugin;

class TInstanceList {
 public:
  // The list of the loaded library; null while the library is being unloaded.
  static TInstanceList* Get();

  void Add(std::unique_ptr<TkroPlugin> instance);
  // The instance with that handle, counted as entered; null when there is none.
  TkroPlugin* Enter(uintptr_t handle);
  // Takes the instance with that handle out of the list, without freeing it.
  std::unique_ptr<TkroPlugin> Extract(uintptr_t handle);
  // The handles of the instances in the list now.
  std::vector<uintptr_t> Handles();
  // The number of instances, read without the lock: for the library's unloading, when no
  // call can be inside any more and a lock may no longer be usable (at process exit under
  // a user-mode emulator, a thread's own state can read as that of a thread that ended, and
  // the lock then refuses it as its own writer).
  size_t CountAtUnload() const { return Count.load(); }

  ~TInstanceList();

 private:
  std::shared_mutex Lock;
  std::vector<TkroPlugin*> Instances;  // owned
  std::atomic<size_t> Count{0};        // the size of Instances
};

// Brackets one exported call on the instance a handle names.
class TInstanceCall {
 public:
  explicit TInstanceCall(uintptr_t handle);
  ~TInstanceCall();
  TInstanceCall(const TInstanceCall&) = delete;
  TInstanceCall& operator=(const TInstanceCall&) = delete;

  TkroPlugin* operator->() const { return Instance; }
  TkroPlugin& operator*() const { return *Instance; }
  explicit operator bool() const { return Instance != nullptr; }

 private:
  TkroPlugin* Instance = nullptr;
};

}  // namespace cjt
