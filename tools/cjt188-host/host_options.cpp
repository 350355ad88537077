#include "tools/cjt188-host/host_options.h"

#include <charconv>
#include <cxxopts.hpp>

#include "cjt188/cjt188_types.h"
#include "tools/cjt188-host/option_groups.h"

namespace cjt::host {

uint32_t ParseUnsigned(const std::string& option, std::string_view text, uint32_t low, uint32_t high) {
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    throw EOptions("--" + option + ": a number from " + std::to_string(low) + " to " + std::to_string(high) +
                   " expected, not \"" + std::string(text) + "\"");
  return value;
}

namespace {

// HOST:PORT; the host part may be a name or an IPv4 address.
void ParseTcpTarget(const std::string& text, THostOptions& options) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) throw EOptions("--tcp: HOST:PORT expected, not \"" + text + "\"");
  options.TcpHost = text.substr(0, colon);
  options.TcpPort = static_cast<uint16_t>(ParseUnsigned("tcp", std::string_view(text).substr(colon + 1), 1, 65535));
}

char ParseParity(const std::string& text) {
  if (text.size() == 1) {
    const char parity = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (parity == 'N' || parity == 'E' || parity == 'O') return parity;
  }
  if (text == "none") return 'N';
  if (text == "even") return 'E';
  if (text == "odd") return 'O';
  throw EOptions("--parity: N, E or O expected, not \"" + text + "\"");
}

cxxopts::Options Describe() {
  cxxopts::Options options("cjt188-host", "Reads CJ/T 188 heat, water and gas meters through the cjt188 plug-in.");
  options.custom_help("[options]");
  options.add_options("Data source (one of; --simulate when none is given)")(
      "serial", "serial device, e.g. /dev/ttyUSB0 or COM3", cxxopts::value<std::string>(), "DEVICE")(
      "baud", "serial speed", cxxopts::value<std::string>()->default_value("2400"), "N")(
      "parity", "serial parity: N, E or O", cxxopts::value<std::string>()->default_value("E"), "P")(
      "data-bits", "serial data bits: 7 or 8", cxxopts::value<std::string>()->default_value("8"), "N")(
      "stop-bits", "serial stop bits: 1 or 2", cxxopts::value<std::string>()->default_value("1"), "N")(
      "tcp", "TCP connection to a serial-to-Ethernet converter", cxxopts::value<std::string>(), "HOST:PORT")(
      "simulate", "simulated meters on a virtual line");
  options.add_options("Configuration")("config", "request configuration: an XML file with a QUERY element",
                                       cxxopts::value<std::string>(), "FILE")(
      "meter", "a meter to read; TYPE is heat, water, gas or a hex type code (default heat); repeatable",
      cxxopts::value<std::vector<std::string>>(), "ADDRESS[:TYPE]")(
      "function", "data identifier to request: 901F, 911F, 907F, D120-D12B, 8102-8105 (default 901F); repeatable",
      cxxopts::value<std::vector<std::string>>(), "DI")(
      "variant", "the meters' answer layout: standard, unit-first or short-heat", cxxopts::value<std::string>(),
      "LAYOUT")("scan", "ask the line for the address of its one meter (broadcast read-address), print it and end")(
      "poll", "polling interval: ms, s, m or h", cxxopts::value<std::string>()->default_value("5s"), "TIME")(
      "timeout", "answer time-out", cxxopts::value<std::string>()->default_value("1000ms"), "TIME")(
      "ini", "keep the plug-in's settings in this INI file (default: a temporary file)", cxxopts::value<std::string>(),
      "FILE")("plugin", "the plug-in library (default: the one beside this program)", cxxopts::value<std::string>(),
              "FILE");
  options.add_options("Output")("json", "one JSON object per packet (JSON Lines)")(
      "csv", "CSV: a header, then one line per packet")("duration", "stop after this time (default: at Ctrl-C)",
                                                        cxxopts::value<std::string>(), "TIME")(
      "v,verbose", "also print the plug-in's notices on standard error")("h,help", "this text");
  DescribeReconnectOptions(options);
  DescribeMqttOptions(options);
  return options;
}

}  // namespace

uint32_t ParseDuration(const std::string& option, const std::string& text) {
  size_t digits = 0;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  const std::string unit = text.substr(digits);
  uint32_t factor = 0;
  if (unit == "ms")
    factor = 1;
  else if (unit == "s" || unit.empty())
    factor = 1000;
  else if (unit == "m")
    factor = 60000;
  else if (unit == "h")
    factor = 3600000;
  const uint32_t limit = factor == 0 ? 0 : 0x7FFFFFFF / factor;
  if (digits == 0 || factor == 0)
    throw EOptions("--" + option + ": a time such as 500ms, 5s, 2m or 1h expected, not \"" + text + "\"");
  return ParseUnsigned(option, std::string_view(text).substr(0, digits), 1, limit) * factor;
}

THostOptions ParseHostOptions(const std::vector<std::string>& arguments) {
  cxxopts::Options description = Describe();
  std::vector<const char*> argv{"cjt188-host"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  THostOptions options;
  try {
    const cxxopts::ParseResult result = description.parse(static_cast<int>(argv.size()), argv.data());
    if (!result.unmatched().empty()) throw EOptions("unexpected argument \"" + result.unmatched().front() + "\"");
    if (result.count("help")) {
      options.Help = true;
      options.HelpText = description.help({"Data source (one of; --simulate when none is given)", "Configuration",
                                           "Output", ReconnectGroup, MqttGroup});
      return options;
    }
    const int sources = static_cast<int>(result.count("serial") + result.count("tcp") + result.count("simulate"));
    if (sources > 1) throw EOptions("give only one of --serial, --tcp and --simulate");
    if (result.count("serial")) {
      options.Source = TSourceKind::Serial;
      options.Device = result["serial"].as<std::string>();
    } else if (result.count("tcp")) {
      options.Source = TSourceKind::Tcp;
      ParseTcpTarget(result["tcp"].as<std::string>(), options);
    }
    options.Serial.Baud = ParseUnsigned("baud", result["baud"].as<std::string>(), 50, 4000000);
    options.Serial.Parity = ParseParity(result["parity"].as<std::string>());
    options.Serial.DataBits =
        static_cast<uint8_t>(ParseUnsigned("data-bits", result["data-bits"].as<std::string>(), 7, 8));
    options.Serial.StopBits =
        static_cast<uint8_t>(ParseUnsigned("stop-bits", result["stop-bits"].as<std::string>(), 1, 2));

    if (result.count("config")) options.ConfigFile = result["config"].as<std::string>();
    if (result.count("meter")) options.Meters = result["meter"].as<std::vector<std::string>>();
    if (result.count("function")) options.Functions = result["function"].as<std::vector<std::string>>();
    if (!options.ConfigFile.empty() && (!options.Meters.empty() || !options.Functions.empty()))
      throw EOptions("--config and --meter/--function exclude each other");
    options.PollMs = ParseDuration("poll", result["poll"].as<std::string>());
    options.TimeoutMs = ParseDuration("timeout", result["timeout"].as<std::string>());
    if (options.TimeoutMs > 65535) throw EOptions("--timeout: at most 65535ms");
    if (result.count("variant")) {
      options.Variant = result["variant"].as<std::string>();
      if (!ParseLayoutVariant(options.Variant))
        throw EOptions("--variant: standard, unit-first or short-heat expected, not \"" + options.Variant + "\"");
    }
    options.Scan = result.count("scan") > 0;
    if (options.Scan && (!options.ConfigFile.empty() || !options.Meters.empty() || !options.Functions.empty()))
      throw EOptions("--scan reads the one meter on the line: give no --config, --meter or --function");
    if (result.count("ini")) options.IniFile = result["ini"].as<std::string>();
    if (result.count("plugin")) options.PluginFile = result["plugin"].as<std::string>();

    const int formats = static_cast<int>(result.count("json") + result.count("csv"));
    if (formats > 1) throw EOptions("give only one of --json and --csv");
    if (result.count("json")) options.Format = TOutputFormat::Json;
    if (result.count("csv")) options.Format = TOutputFormat::Csv;
    if (result.count("duration")) options.DurationMs = ParseDuration("duration", result["duration"].as<std::string>());
    options.Verbose = result.count("verbose") > 0;
    ReadReconnectOptions(result, options);
    ReadMqttOptions(result, options);
  } catch (const cxxopts::exceptions::exception& error) {
    throw EOptions(error.what());
  }
  return options;
}

}  // namespace cjt::host
