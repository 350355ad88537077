// The shared/exclusive lock of the lock holders under real contention.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "support/rw_lock.h"
#include "support/thread_object.h"
#include "tests/common/start_line.h"

namespace cjt {
namespace {

// A deadlock shows as a future that never becomes ready; the bound is generous, it only
// keeps a broken lock from hanging the run.
constexpr auto DeadlockBound = std::chrono::seconds(30);

using test_support::TStartLine;

TEST(ReentrantRWLock, TwoReadersUpgradingAtOnceBothGetTheExclusiveLock) {
  for (int round = 0; round < 50; ++round) {
    TReentrantRWLock lock;
    TStartLine bothReading(2);
    int shared = 0;  // written only under the exclusive lock
    auto upgrade = [&] {
      lock.LockRead();
      bothReading.ArriveAndWait();
      lock.LockWrite();
      ++shared;
      lock.LockRead();  // the writer may read too
      lock.UnlockRead();
      lock.UnlockWrite();
      lock.UnlockRead();
    };
    auto first = std::async(std::launch::async, upgrade);
    auto second = std::async(std::launch::async, upgrade);
    ASSERT_EQ(first.wait_for(DeadlockBound), std::future_status::ready);
    ASSERT_EQ(second.wait_for(DeadlockBound), std::future_status::ready);
    EXPECT_EQ(shared, 2);
  }
}

TEST(ReentrantRWLock, AReaderReadsAgainWhileAWriterWaits) {
  TReentrantRWLock lock;
  lock.LockRead();
  std::atomic<bool> written{false};
  auto writer = std::async(std::launch::async, [&] {
    lock.LockWrite();
    written = true;
    lock.UnlockWrite();
  });
  // Give the writer time to queue up; the nested shared hold must not wait for it.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  lock.LockRead();
  lock.UnlockRead();
  EXPECT_FALSE(written);
  lock.UnlockRead();
  ASSERT_EQ(writer.wait_for(DeadlockBound), std::future_status::ready);
  EXPECT_TRUE(written);
}

TEST(ReentrantRWLock, WritersExcludeReadersAndEachOther) {
  TReentrantRWLock lock;
  // Two values that writers keep equal; a reader that sees them differ saw a write half done.
  long first = 0, second = 0;
  std::atomic<int> torn{0};
  std::atomic<int> writersInside{0};
  std::atomic<int> overlap{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        lock.LockWrite();
        if (++writersInside > 1) ++overlap;
        ++first;
        ++second;
        --writersInside;
        lock.UnlockWrite();
      }
    });
  for (int t = 0; t < 3; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        lock.LockRead();
        if (first != second) ++torn;
        lock.UnlockRead();
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_EQ(overlap.load(), 0);
  EXPECT_EQ(first, 6000);
}

// Each reader's nested holds are its own, whichever reader lets go first: the writer gets
// the lock only when the last hold of the last reader is gone.
TEST(ReentrantRWLock, TheWriterWaitsForEveryHoldOfEveryReader) {
  TReentrantRWLock lock;
  constexpr int ReaderCount = 3;
  TStartLine allReading(ReaderCount + 1);
  std::promise<void> letGo[ReaderCount];
  std::vector<std::future<void>> readers;
  for (int r = 0; r < ReaderCount; ++r)
    readers.push_back(std::async(std::launch::async, [&, r] {
      lock.LockRead();
      lock.LockRead();
      allReading.ArriveAndWait();
      letGo[r].get_future().wait();
      lock.UnlockRead();
      lock.UnlockRead();
    }));
  allReading.ArriveAndWait();
  std::atomic<bool> written{false};
  auto writer = std::async(std::launch::async, [&] {
    lock.LockWrite();
    written = true;
    lock.UnlockWrite();
  });
  for (int r : {0, 2, 1}) {                                      // the first, then the last, then the middle one
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // time for a broken lock to let the writer in
    EXPECT_FALSE(written) << "before reader " << r << " let go";
    letGo[r].set_value();
    ASSERT_EQ(readers[static_cast<size_t>(r)].wait_for(DeadlockBound), std::future_status::ready);
  }
  ASSERT_EQ(writer.wait_for(DeadlockBound), std::future_status::ready);
  EXPECT_TRUE(written);
}

// Threads take the lock in every way it can be taken (nested shared holds, nested exclusive
// holds with shared holds inside, shared holds upgraded) in a seeded random order: no reader
// may ever see a writer inside, no writer anyone else inside, and nobody may hang.
TEST(ReentrantRWLock, RandomNestingsKeepReadersAndWritersApart) {
  TReentrantRWLock lock;
  std::atomic<int> readers{0}, writers{0}, violations{0};
  const auto write = [&] {
    if (++writers != 1 || readers.load() != 0) ++violations;
    std::this_thread::yield();
    --writers;
  };
  const auto read = [&] {
    if (writers.load() != 0) ++violations;
  };
  const auto run = [&](unsigned seed) {
    std::mt19937 random(seed);
    for (int i = 0; i < 3000; ++i) {
      const int depth = 1 + static_cast<int>(random() % 3);
      switch (random() % 3) {
        case 0:  // nested shared holds
          for (int d = 0; d < depth; ++d) lock.LockRead();
          ++readers;
          read();
          --readers;
          for (int d = 0; d < depth; ++d) lock.UnlockRead();
          break;
        case 1:  // nested exclusive holds, a shared hold inside
          for (int d = 0; d < depth; ++d) lock.LockWrite();
          lock.LockRead();
          write();
          lock.UnlockRead();
          for (int d = 0; d < depth; ++d) lock.UnlockWrite();
          break;
        default:  // shared holds upgraded, kept past the exclusive hold
          for (int d = 0; d < depth; ++d) lock.LockRead();
          ++readers;
          read();
          --readers;
          lock.LockWrite();
          write();
          lock.UnlockWrite();
          ++readers;
          read();
          --readers;
          for (int d = 0; d < depth; ++d) lock.UnlockRead();
          break;
      }
    }
  };
  std::vector<std::future<void>> threads;
  for (unsigned t = 0; t < 4; ++t) threads.push_back(std::async(std::launch::async, run, 1000 + t));
  for (auto& thread : threads) ASSERT_EQ(thread.wait_for(DeadlockBound), std::future_status::ready);
  EXPECT_EQ(violations.load(), 0);
}

TEST(ThreadObject, ThreadsRacingToTheFirstLockShareOneLock) {
  // With two locks made, two writers could be inside at once.
  for (int round = 0; round < 100; ++round) {
    TThreadObject holder;
    TStartLine start(4);
    std::atomic<int> inside{0};
    std::atomic<int> overlap{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([&] {
        start.ArriveAndWait();
        holder.LockWrite();
        if (++inside > 1) ++overlap;
        std::this_thread::yield();
        --inside;
        holder.UnlockWrite();
      });
    for (auto& thread : threads) thread.join();
    ASSERT_EQ(overlap.load(), 0);
  }
}

}  // namespace
}  // namespace cjt
