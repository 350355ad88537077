#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <system_error>
#include <thread>

#include "tools/cjt188-host/console.h"

namespace cjt::host {

bool StandardOutputIsTerminal() { return isatty(fileno(stdout)) != 0; }

// SIGINT and SIGTERM are blocked in every thread and taken by one thread of their own with
// sigwait: no handler ever interrupts a thread in the middle of the C library, the plug-in or
// a lock. (A user-mode emulator of 32-bit x86 also restores the thread storage of the wrong
// thread when a handler returns, which crashed or hung the program at its end.) Threads
// inherit the blocked signals, so this runs before any other thread is started.
void InstallStopHandler(std::atomic<bool>& stop) {
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  const int blocked = pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  if (blocked != 0) throw std::system_error(blocked, std::generic_category(), "cannot block the stop signals");
  std::thread([&stop, stopSignals] {
    int received = 0;
    while (sigwait(&stopSignals, &received) == 0) stop.store(true);
  }).detach();
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace cjt::host
