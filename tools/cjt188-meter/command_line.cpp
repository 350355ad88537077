#include "tools/cjt188-meter/command_line.h"

#include <charconv>
#include <optional>

#include "cjt188/device_list.h"

namespace cjt::meter {

namespace {

struct TTypeName {
  std::string_view Name;
  uint8_t Code;
};

constexpr TTypeName TypeNames[] = {
    {"water", 0x10}, {"cold-water", 0x10}, {"hot-water", 0x11},    {"drink-water", 0x12}, {"recycled-water", 0x13},
    {"heat", 0x20},  {"cooling", 0x21},    {"heat-cooling", 0x22}, {"gas", 0x30},
};

template <typename T>
T ParseNumber(std::string_view option, std::string_view text, T low, T high, int base = 10) {
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    throw ECommandLine(std::string(option) + ": invalid value \"" + std::string(text) + "\"");
  return value;
}

double ParseRate(std::string_view option, std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(value >= 0 && value <= 1))
    throw ECommandLine(std::string(option) + ": a share from 0 to 1 expected, not \"" + std::string(text) + "\"");
  return value;
}

uint8_t ParseErrorStatus(std::string_view text) {
  if (text == "none") return 0;
  if (text == "valve") return 0x02;
  if (text == "battery") return 0x04;
  if (text == "both") return 0x06;
  if (text.starts_with("0x")) return ParseNumber<uint8_t>("--error", text.substr(2), 0, 255, 16);
  throw ECommandLine("--error: valve, battery, both, none or a status byte (0x..) expected, not \"" +
                     std::string(text) + "\"");
}

}  // namespace

uint8_t ParseMeterType(std::string_view text) {
  for (const TTypeName& type : TypeNames)
    if (type.Name == text) return type.Code;
  if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
  return ParseNumber<uint8_t>("meter type", text, 0, 255, 16);
}

TMeterSetup ParseMeterSetup(std::string_view text) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos)
    throw ECommandLine("--meter: TYPE:ADDRESS expected, not \"" + std::string(text) + "\"");
  const std::string_view address = text.substr(colon + 1);
  if (address.empty() || address.size() > 14 || !IsDeviceNumber(address))
    throw ECommandLine("--meter: the address is up to 14 hexadecimal digits, not \"" + std::string(address) + "\"");
  return {ParseMeterType(text.substr(0, colon)), AddressBytes(DeviceAddressText(address))};
}

TProgramOptions ParseCommandLine(const std::vector<std::string>& arguments) {
  TProgramOptions options;
  bool errorRateGiven = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    const auto value = [&]() -> std::string_view {
      if (i + 1 >= arguments.size()) throw ECommandLine(option + ": value missing");
      return arguments[++i];
    };
    auto& sim = options.Simulator;
    if (option == "--help" || option == "-h") {
      options.Help = true;
    } else if (option == "--serial") {
      options.Line = TLineKind::Serial;
      options.Device = value();
    } else if (option == "--baud") {
      options.Baud = ParseNumber<uint32_t>(option, value(), 50, 4000000);
    } else if (option == "--parity") {
      const std::string_view parity = value();
      if (parity != "N" && parity != "E" && parity != "O") throw ECommandLine("--parity: N, E or O expected");
      options.Parity = parity[0];
    } else if (option == "--pty") {
      options.Line = TLineKind::PseudoTerminal;
    } else if (option == "--tcp") {
      options.Line = TLineKind::Tcp;
      options.Port = ParseNumber<uint16_t>(option, value(), 0, 65535);
    } else if (option == "--bind") {
      options.BindAddress = value();
    } else if (option == "--meter") {
      sim.Meters.push_back(ParseMeterSetup(value()));
    } else if (option == "--echo") {
      sim.Echo = true;
    } else if (option == "--delay") {
      sim.DelayMs = ParseNumber<uint32_t>(option, value(), 0, 600000);
    } else if (option == "--drop") {
      sim.DropRate = ParseRate(option, value());
    } else if (option == "--noise") {
      sim.NoiseRate = ParseRate(option, value());
    } else if (option == "--noise-bytes") {
      sim.MaxNoiseBytes = ParseNumber<uint32_t>(option, value(), 1, 255);
    } else if (option == "--noise-start") {
      sim.NoiseStartBytes = true;
    } else if (option == "--short") {
      sim.ShortRate = ParseRate(option, value());
    } else if (option == "--short-bytes") {
      sim.ShortBytes = ParseNumber<uint32_t>(option, value(), 1, 255);
    } else if (option == "--error") {
      sim.ErrorStatus = ParseErrorStatus(value());
    } else if (option == "--error-rate") {
      sim.ErrorRate = ParseRate(option, value());
      errorRateGiven = true;
    } else if (option == "--preamble") {
      sim.PreambleBytes = ParseNumber<uint32_t>(option, value(), 0, 16);
    } else if (option == "--water-status2") {
      sim.FullWaterStatus = true;
    } else if (option == "--variant") {
      const std::string_view text = value();
      const std::optional<TLayoutVariant> variant = ParseLayoutVariant(text);
      if (!variant)
        throw ECommandLine("--variant: standard, unit-first or short-heat expected, not \"" + std::string(text) + "\"");
      sim.Variant = *variant;
    } else if (option == "--seed") {
      sim.Seed = ParseNumber<uint32_t>(option, value(), 0, UINT32_MAX);
    } else if (option == "--verbose" || option == "-v") {
      options.Verbose = true;
    } else {
      throw ECommandLine("unknown option \"" + option + "\" (see --help)");
    }
  }
  if (options.Simulator.ErrorStatus != 0 && !errorRateGiven) options.Simulator.ErrorRate = 1;
  if (options.Simulator.Meters.empty()) options.Simulator.Meters.push_back(ParseMeterSetup("heat:1234567"));
  if (options.Line == TLineKind::None && !options.Help)
    throw ECommandLine("one of --serial, --pty or --tcp is needed (see --help)");
  return options;
}

std::string HelpText() {
  return R"(cjt188-meter: simulated CJ/T 188 meters answering read requests on a line.

Usage: cjt188-meter LINE [METERS] [BEHAVIOUR]

Line (one of):
  --serial DEVICE     serve a serial device, raw 8 data bits
  --baud N            its speed (default 2400)
  --parity N|E|O      its parity (default E)
  --pty               create a pseudo-terminal and print its name
  --tcp PORT          listen on a TCP port, one connection at a time (0: any free port,
                      printed at start)
  --bind ADDRESS      listen address (default 127.0.0.1)

Meters:
  --meter TYPE:ADDRESS  add a meter (repeatable; default heat:1234567). TYPE is water,
                      cold-water, hot-water, drink-water, recycled-water, heat, cooling,
                      heat-cooling, gas or a hexadecimal type code (0x31); ADDRESS up to 14
                      hexadecimal digits, as in the plug-in's configuration

Behaviour:
  --echo              the line returns every byte it is sent
  --delay MS          answer after MS milliseconds (default 0)
  --drop SHARE        leave this share (0 to 1) of answers out
  --noise SHARE       put noise bytes in front of this share of answers
  --noise-bytes N     at most N noise bytes each time (default 8)
  --noise-start       noise may hold start (0x68) and end (0x16) bytes, and every other
                      noise ends with a stray start whose length claims more than follows
  --short SHARE       this share of answers lose bytes from the end of their values (length
                      and checksum fit the shorter answer)
  --short-bytes N     bytes a short answer loses (default 1 to 4 at random)
  --error MODE        error answers with status valve, battery, both or 0xNN
  --error-rate SHARE  share of answers that are error answers (default 1 with --error)
  --preamble N        N bytes 0xFE in front of every answer (default 0)
  --water-status2     water and gas 901F answers carry a second status word
  --variant LAYOUT    answer in a maker's layout: standard (default), unit-first (the unit
                      byte before its value) or short-heat (heat 901F with 40 value bytes)
  --seed N            seed of the meter levels and of the chances (default 1)
  --verbose, -v       log requests and answers on standard error
  --help, -h          this text

Meters answer read requests (901F, 911F, 907F, D120-D12B, 8102-8105) and the read-address
request (810A) addressed to them: by their own address, by 0xAA in any address byte, or by
seven 0x99 or seven 0x00 bytes; meter type 0xAA reaches any type. Energies, volumes and
operating hours grow, temperatures and pressures drift.
)";
}

}  // namespace cjt::meter
