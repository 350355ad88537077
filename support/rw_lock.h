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
//
// A lock that nobody waits for is taken and released with one atomic operation on its state
// word; the mutex and condition are only for threads that must wait. Each thread counts its
// own shared holds, so a nested hold touches nothing shared at all.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace cjt {

class TReentrantRWLock {
 public:
  void LockRead();
  void UnlockRead();
  void LockWrite();
  void UnlockWrite();

 private:
  bool IsWriter() const { return Writer.load(std::memory_order_relaxed) == std::this_thread::get_id(); }
  // A reading thread more, once no writer holds or waits for the lock.
  void WaitToRead();
  // The writer's bit, once no other thread holds the lock.
  void WaitToWrite();
  // A reading thread less: whoever waits for the last reader is woken.
  void DropReader();
  void WakeWaiters();

  // Reading threads (the writer's own shared holds included) in the low 32 bits, waiting
  // writers in the next 31, the writer's bit on top.
  std::atomic<uint64_t> State{0};
  // The writer's thread, set while it holds the exclusive lock; WriteDepth is only touched by
  // that thread.
  std::atomic<std::thread::id> Writer{};
  int WriteDepth = 0;
  std::mutex Mutex;
  std::condition_variable Changed;
  std::atomic<int> Waiters{0};
};

}  // namespace cjt
