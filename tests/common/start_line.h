// Lets a number of threads start together. Not std::barrier: the one of the Windows
// toolchain's library (GCC 12) was seen to hang under load.
#pragma once

#include <condition_variable>
#include <mutex>

namespace cjt::test_support {

class TStartLine {
 public:
  explicit TStartLine(int threads) : Waiting(threads) {}

  void ArriveAndWait() {
    std::unique_lock<std::mutex> lock(Mutex);
    if (--Waiting == 0)
      AllThere.notify_all();
    else
      AllThere.wait(lock, [this] { return Waiting == 0; });
  }

 private:
  std::mutex Mutex;
  std::condition_variable AllThere;
  int Waiting;
};

}  // namespace cjt::test_support
