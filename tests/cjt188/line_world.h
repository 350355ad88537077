// A world of meters on lines, drawn from a seed: which meters there are and on which lines,
// how each line misbehaves, and the requests configured for them (every method, several
// functions, failures exported or not, listen-only requests for meters another master
// reads). The same seed gives the same world.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/cjt188/line_conditions.h"
#include "tools/cjt188-meter/meter_simulator.h"

namespace cjt::test_support {

struct TWorldMeter {
  uint8_t MeterType = 0;
  TAddressBytes Address{};
  std::string Device;  // the 14-digit address text of the configuration
  bool ListenOnly = false;
};

struct TWorldRequest {
  std::vector<size_t> Meters;  // indexes into TWorldPlan::Meters
  std::vector<uint16_t> Functions;
  bool AnyType = false;  // asked with meter type 0xAA
  std::string Method;    // the method's elements
  bool ExportFailed = false;
  bool Enabled = true;
};

struct TWorldLine {
  uint32_t DataSourceId = 0;
  std::string SourceName;
  bool EventDriven = false;    // a TCP connection: opened and closed by connection events
  uint32_t BreakPerMille = 0;  // chance per 10 ms step that the connection is lost
  meter::TSimulatorOptions Meters;
  TLineBehaviour Behaviour;
};

struct TWorldPlan {
  uint32_t Seed = 0;
  int32_t TimeoutMs = 0;
  uint32_t OtherMasterPerMille = 0;  // chance per step and line that another master asks
  std::vector<TWorldMeter> Meters;
  std::vector<TWorldRequest> Requests;
  std::vector<TWorldLine> Lines;

  std::string QueryXml() const;
  std::vector<std::string> DataSources() const;
  // The world in a few lines, for a failure message.
  std::string Describe() const;
};

inline constexpr char WorldEventId[] = "READ-NOW";

// calm names conditions left out, to tell which one a fault needs: "echo", "short",
// "stray" (start bytes in noise), "errors", "late", "breaks" (lost connections) and
// "groups" (one meter, one function and polling in every request).
TWorldPlan PlanWorld(uint32_t seed, const std::set<std::string>& calm = {});

}  // namespace cjt::test_support
