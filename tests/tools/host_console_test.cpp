// Ctrl-C and SIGTERM reach the program's stop flag, and never interrupt one of its threads.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "tools/cjt188-host/console.h"

namespace {

bool Blocks(int signal) {
  sigset_t mask;
  pthread_sigmask(SIG_BLOCK, nullptr, &mask);
  return sigismember(&mask, signal) == 1;
}

// Up to 10 s for the flag.
bool Raised(const std::atomic<bool>& flag) {
  for (int i = 0; i < 1000 && !flag.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return flag.load();
}

}  // namespace

TEST(StopSignals, ReachTheFlagAndNoWorkerThread) {
  static std::atomic<bool> stop{false};
  cjt::host::InstallStopHandler(stop);

  bool workerBlocks = false;
  std::thread worker([&] { workerBlocks = Blocks(SIGINT) && Blocks(SIGTERM); });
  worker.join();
  EXPECT_TRUE(workerBlocks) << "a thread started later could be interrupted by a stop signal";

  for (const int signal : {SIGTERM, SIGINT, SIGINT}) {
    stop = false;
    ASSERT_EQ(kill(getpid(), signal), 0);
    EXPECT_TRUE(Raised(stop)) << "signal " << signal;
  }
}
