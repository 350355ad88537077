// The request configuration (the QUERY XML the plug-in reads from its settings) made from the
// quick options, and the meters that --simulate plays.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/cjt188-meter/meter_simulator.h"

namespace cjt::host {

struct TQuickQuery {
  std::vector<meter::TMeterSetup> Meters;
  std::vector<uint16_t> Functions;  // data identifiers; none: 0x901F
  uint32_t PollMs = 5000;
  uint32_t TimeoutMs = 1000;
  std::string Variant;  // the answer layout; empty: none given
};

// ADDRESS[:TYPE]: up to 14 hexadecimal digits, TYPE a name (heat, water, gas, ...) or a
// hexadecimal type code; heat when TYPE is left out. Throws EOptions.
meter::TMeterSetup ParseMeterOption(std::string_view text);
// A data identifier the plug-in reads, such as 901F or D120 (an optional 0x in front).
// Throws EOptions.
uint16_t ParseFunctionOption(std::string_view text);

// A heat, a water and a gas meter.
std::vector<meter::TMeterSetup> DefaultSimulatedMeters();

// One request per meter: enabled, polled at the interval, failed requests exported (so that
// time-outs reach the host), every function as one Response item.
std::string BuildQueryXml(const TQuickQuery& query);

// One read-address request to the broadcast address, for any meter type, sent once.
std::string BuildScanXml(uint32_t timeoutMs);

// The XML on one line, for a one-line INI value: line breaks with only blanks around them
// are dropped; any other line break becomes a blank.
std::string OneLineXml(std::string_view xml);

}  // namespace cjt::host
