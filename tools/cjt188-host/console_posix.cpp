#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include "tools/cjt188-host/console.h"

namespace cjt::host {

namespace {
std::atomic<bool>* StopFlag = nullptr;
void OnStopSignal(int) { StopFlag->store(true); }
}  // namespace

bool StandardOutputIsTerminal() { return isatty(fileno(stdout)) != 0; }

void InstallStopHandler(std::atomic<bool>& stop) {
  StopFlag = &stop;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace cjt::host
