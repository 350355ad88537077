// The command line of the cjt188-host program.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tools/cjt188-host/mqtt_settings.h"
#include "tools/cjt188-host/reconnect_backoff.h"

namespace cjt::host {

class EOptions : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TSourceKind { Simulated, Serial, Tcp };
enum class TOutputFormat { Table, Json, Csv };

struct TSerialSettings {
  uint32_t Baud = 2400;
  uint8_t DataBits = 8;
  char Parity = 'E';  // 'N', 'E' or 'O'
  uint8_t StopBits = 1;
};

struct THostOptions {
  std::string PluginFile;  // empty: the library beside the program
  TSourceKind Source = TSourceKind::Simulated;
  std::string Device;  // serial device
  std::string TcpHost;
  uint16_t TcpPort = 0;
  TSerialSettings Serial;

  std::string ConfigFile;              // the QUERY XML; empty: built from the quick options
  std::vector<std::string> Meters;     // ADDRESS[:TYPE]
  std::vector<std::string> Functions;  // 901F, 911F
  uint32_t PollMs = 5000;
  uint32_t TimeoutMs = 1000;
  std::string IniFile;  // empty: a temporary file
  std::string Variant;  // the meters' answer layout; empty: the standard one
  bool Scan = false;    // read the one meter's address on the line, then end

  TOutputFormat Format = TOutputFormat::Table;
  std::optional<uint32_t> DurationMs;  // none: until Ctrl-C
  bool Verbose = false;                // also the plug-in's notices
  TReconnectSettings Reconnect;
  TMqttSettings Mqtt;
  bool Help = false;
  std::string HelpText;
};

// The text as a number from low to high. Throws EOptions naming the option.
uint32_t ParseUnsigned(const std::string& option, std::string_view text, uint32_t low, uint32_t high);

// "500ms", "5s", "2m", "1h"; a bare number is seconds. Throws EOptions naming the option.
uint32_t ParseDuration(const std::string& option, const std::string& text);

// The arguments after the program name. Throws EOptions with a one-line message.
THostOptions ParseHostOptions(const std::vector<std::string>& arguments);

}  // namespace cjt::host
