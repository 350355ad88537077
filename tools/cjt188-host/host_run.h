// The program's run: the line opened, the plug-in loaded with the configuration in its INI
// file, the data source switched on, then received bytes handed to the plug-in and its
// packets printed until the time is up or a stop is asked for; at the end the data source is
// closed and the plug-in unloaded, freed and released.
#pragma once

#include <atomic>
#include <ostream>
#include <stdexcept>

#include "tools/cjt188-host/host_options.h"

namespace cjt::host {

// A failure while setting up (or a line that fails while running), for one line on stderr.
class EHostRun : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Returns the exit status: 0 after a clean end, 1 when the line failed while running and
// reconnecting is off. Throws EHostRun, EHostLine, EConfigFile or EPluginLibrary when it
// cannot start.
int RunHost(const THostOptions& options, const std::atomic<bool>& stop, std::ostream& out, bool terminal);

}  // namespace cjt::host
