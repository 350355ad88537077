// The lock holders' shared/exclusive lock on the data path, where nobody else holds it: a
// shared hold, a shared hold nested in another, an exclusive hold, and readers on threads of
// their own taking the same lock at once.
#include <benchmark/benchmark.h>

#include "support/rw_lock.h"

namespace {

void BM_SharedHold(benchmark::State& state) {
  static cjt::TReentrantRWLock lock;
  for (auto _ : state) {
    lock.LockRead();
    lock.UnlockRead();
  }
}
BENCHMARK(BM_SharedHold)->Threads(1)->Threads(2);

void BM_NestedSharedHold(benchmark::State& state) {
  cjt::TReentrantRWLock lock;
  lock.LockRead();
  for (auto _ : state) {
    lock.LockRead();
    lock.UnlockRead();
  }
  lock.UnlockRead();
}
BENCHMARK(BM_NestedSharedHold);

void BM_ExclusiveHold(benchmark::State& state) {
  cjt::TReentrantRWLock lock;
  for (auto _ : state) {
    lock.LockWrite();
    lock.UnlockWrite();
  }
}
BENCHMARK(BM_ExclusiveHold);

}  // namespace
