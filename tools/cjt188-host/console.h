// What the program needs of its console: whether standard output is a terminal, and a stop
// request on Ctrl-C or a termination request.
#pragma once

#include <atomic>

namespace cjt::host {

bool StandardOutputIsTerminal();

// Ctrl-C, SIGTERM (and closing the console window on Windows) set stop. On POSIX a peer that
// closes a TCP connection must not end the program with SIGPIPE: the write fails instead.
// Called before the program starts any thread; throws std::system_error when it cannot.
void InstallStopHandler(std::atomic<bool>& stop);

}  // namespace cjt::host
