#include "tools/cjt188-host/option_groups.h"

namespace cjt::host {

void DescribeReconnectOptions(cxxopts::Options& options) {
  options.add_options(ReconnectGroup)("no-reconnect", "end the program when the line cannot be opened or fails")(
      "reconnect-delay",
      "first wait before reopening a lost line (or reaching the MQTT broker again); "
      "doubled after every failed attempt",
      cxxopts::value<std::string>()->default_value("1s"), "TIME")(
      "reconnect-max", "longest wait between attempts", cxxopts::value<std::string>()->default_value("60s"), "TIME");
}

void ReadReconnectOptions(const cxxopts::ParseResult& result, THostOptions& options) {
  options.Reconnect.Enabled = result.count("no-reconnect") == 0;
  options.Reconnect.FirstMs = ParseDuration("reconnect-delay", result["reconnect-delay"].as<std::string>());
  options.Reconnect.LongestMs = ParseDuration("reconnect-max", result["reconnect-max"].as<std::string>());
  if (options.Reconnect.LongestMs < options.Reconnect.FirstMs)
    throw EOptions("--reconnect-max: shorter than --reconnect-delay");
}

}  // namespace cjt::host
