// The shared/exclusive lock of every lock holder: many readers or one writer, re-entrant
// for its holder.
//
// - The writer may take the exclusive lock again and may take the shared lock.
// - A reader may ask for the exclusive lock. It gives up its shared holds while it waits
//   (so two readers upgrading at once cannot block each other) and gets them back when it
//   releases the exclusive lock; what other writers changed before it got the exclusive lock
//   is therefore not protected by its earlier shared hold.
// - Waiting writers go before new readers, so a stream of readers cannot starve a writer;
//   a thread that already reads is never made to wait for a shared hold.
//
// Every release must match one acquisition of the same kind on the same thread.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace cjt {

class TReentrantRWLock {
 public:
  void LockRead();
  void UnlockRead();
  void LockWrite();
  void UnlockWrite();

 private:
  bool IsWriter() const { return WriteDepth > 0 && Writer == std::this_thread::get_id(); }

  struct THold {
    std::thread::id Thread;
    int Count;
  };
  // The thread's shared holds, or null when it has none.
  THold* HoldOf(std::thread::id thread);
  void Drop(THold* hold);

  std::mutex Mutex;
  std::condition_variable Changed;
  std::thread::id Writer;
  int WriteDepth = 0;
  int WaitingWriters = 0;
  // Shared holds per thread; the writer's own shared holds are counted here too. The vector
  // keeps its room, so that taking and releasing shared holds allocates nothing once it has
  // served as many readers at a time.
  std::vector<THold> Readers;
};

}  // namespace cjt
