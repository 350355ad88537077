// The options of the cjt188-meter program.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tools/cjt188-meter/meter_simulator.h"

namespace cjt::meter {

class ECommandLine : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TLineKind { None, Serial, PseudoTerminal, Tcp };

struct TProgramOptions {
  TSimulatorOptions Simulator;
  TLineKind Line = TLineKind::None;
  std::string Device;  // serial device
  uint32_t Baud = 2400;
  char Parity = 'E';  // 'N', 'E' or 'O'
  std::string BindAddress = "127.0.0.1";
  uint16_t Port = 0;  // 0: any free port, printed at start
  bool Verbose = false;
  bool Help = false;
};

// "heat", "water", "gas" and the other type names, or a hexadecimal code ("0x22", "22").
uint8_t ParseMeterType(std::string_view text);
// TYPE:ADDRESS, the address as in the configuration (up to 14 hexadecimal digits).
TMeterSetup ParseMeterSetup(std::string_view text);

// Throws ECommandLine with a message for the user.
TProgramOptions ParseCommandLine(const std::vector<std::string>& arguments);

std::string HelpText();

}  // namespace cjt::meter
