// What one connection of a line carried, in the order the module met it: the requests it
// sent, the bytes it was fed and the meters' answers among them, another master's requests
// it overheard, and the packets it handed to the host for that connection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/cjt188/module_harness.h"
#include "tools/cjt188-meter/meter_simulator.h"

namespace cjt::test_support {

// An answer of the meters as the module got it.
struct TArrival {
  meter::TAnswerRecord Answer;
  size_t Begin = 0;         // offset of its frame in the link's stream
  uint64_t FirstFedMs = 0;  // when its frame's first and last bytes reached the module
  uint64_t LastFedMs = 0;
  bool Complete = false;  // its whole frame reached the module
};

// A read request the module sent.
struct TAttempt {
  uint64_t SentMs = 0;
  uint8_t MeterType = 0;
  TAddressBytes Address{};
  uint16_t DI = 0;
  uint8_t Serial = 0;
};

// The packets of one ProcessData call or one send: they share one packet text.
struct TDelivery {
  uint64_t AtMs = 0;
  std::vector<TPacket> Packets;
};

struct TLinkLog {
  uint32_t DataSourceId = 0;
  uint32_t ConnectionKey = 0;
  uint32_t MeterSeed = 0;  // the seed of the meters' models on the line
  uint64_t OpenedMs = 0;
  uint64_t ClosedMs = UINT64_MAX;  // when the connection was lost; UINT64_MAX while open
  std::vector<uint8_t> Stream;     // every byte fed to the module
  std::vector<TArrival> Arrivals;  // complete or cut by a lost connection, in order
  std::vector<TAttempt> Attempts;
  std::vector<uint64_t> OtherMasterMs;  // when another master asked a meter
  std::vector<TDelivery> Deliveries;
};

// The link's requests, answers, packets and events in time order, a line each.
std::string Timeline(const TLinkLog& link);

}  // namespace cjt::test_support
