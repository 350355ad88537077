// A real line between the simulated meters and the module: what the meters send reaches the
// module late, in pieces or several answers in one block, and a converter that loses its
// connection loses the bytes in transit. Every byte the module gets is logged in the link
// (connection) it came on, and so is every answer the meters sent, with when its bytes
// reached the module: what a test's oracle needs to know what the module heard.
#pragma once

#include <cstdint>
#include <deque>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "tests/cjt188/link_log.h"
#include "tools/cjt188-meter/meter_simulator.h"

namespace cjt::test_support {

// How a line misbehaves beyond the meters' own ways (see TSimulatorOptions).
struct TLineBehaviour {
  uint32_t HoldPercent = 0;   // steps that deliver nothing: what is due piles up into one block
  uint32_t SplitPercent = 0;  // steps that deliver only a part of what is due, cut at any byte
  uint32_t LatePercent = 0;   // blocks of meter output held up on the line
  uint32_t MaxLateMs = 0;     // by up to this long
};

class TLineConditions {
 public:
  TLineConditions(meter::TSimulatorOptions meters, TLineBehaviour behaviour, uint32_t seed);

  // Bytes on the line to the meters: the module's requests, another master's.
  void Hear(std::span<const uint8_t> bytes);
  // Another master's read request: the meters hear it and so does the module.
  void OtherMasterAsks(uint8_t meterType, const TAddressBytes& address, uint16_t di, uint8_t serial, TLinkLog& link);
  // Takes the meters' output due by now and returns the block the module gets now (often
  // empty), logging it into link.
  std::string Deliver(uint64_t nowMs, TLinkLog& link);
  // The connection is lost: what was on its way is lost with it, partly fed answers too.
  void Break(TLinkLog& link);

  const meter::TMeterSimulator& Meters() const { return Simulator; }

 private:
  struct TByte {
    uint8_t Value;
    int32_t Answer;  // index into InTransit, or -1 (noise, preamble, echo)
    uint64_t NotBeforeMs;
  };

  void TakeOutput(uint64_t nowMs);
  void Tag(std::vector<TByte>& bytes);
  size_t CountToDeliver(uint64_t nowMs);
  void Log(const TByte& byte, uint64_t nowMs, TLinkLog& link);

  meter::TMeterSimulator Simulator;
  TLineBehaviour Behaviour;
  std::mt19937 Random;
  std::deque<TByte> Transit;
  uint64_t LastNotBeforeMs = 0;
  // Answers queued by the meters whose bytes are not out yet, and those on their way.
  std::deque<meter::TAnswerRecord> Queued;
  std::deque<TArrival> InTransit;
  int32_t FirstInTransit = 0;  // the id of InTransit's front
  std::vector<uint8_t> OtherMasterBytes;
  bool Echo;
};

}  // namespace cjt::test_support
