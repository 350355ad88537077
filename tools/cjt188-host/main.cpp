// cjt188-host: reads CJ/T 188 meters through the cjt188 plug-in library, driving it only
// through its exported functions as a data-logging host does. See --help.
#include <atomic>
#include <iostream>

#include "tools/cjt188-host/config_file.h"
#include "tools/cjt188-host/console.h"
#include "tools/cjt188-host/host_line.h"
#include "tools/cjt188-host/host_options.h"
#include "tools/cjt188-host/host_run.h"
#include "tools/cjt188-host/mqtt_publisher.h"
#include "tools/cjt188-host/plugin_library.h"

int main(int argc, char** argv) {
  using namespace cjt::host;
  THostOptions options;
  try {
    options = ParseHostOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const EOptions& error) {
    std::cerr << "cjt188-host: " << error.what() << " (see cjt188-host --help)" << std::endl;
    return 2;
  }
  if (options.Help) {
    std::cout << options.HelpText;
    if (!MqttBuiltIn()) std::cout << "\nThis build has no MQTT output: it was built without libmosquitto.\n";
    return 0;
  }
  static std::atomic<bool> stop{false};
  try {
    InstallStopHandler(stop);
    return RunHost(options, stop, std::cout, StandardOutputIsTerminal());
  } catch (const EOptions& error) {
    std::cerr << "cjt188-host: " << error.what() << " (see cjt188-host --help)" << std::endl;
    return 2;
  } catch (const EPluginLibrary& error) {
    std::cerr << "cjt188-host: cannot load the plug-in library: " << error.what() << std::endl;
  } catch (const std::exception& error) {
    std::cerr << "cjt188-host: " << error.what() << std::endl;
  }
  return 1;
}
