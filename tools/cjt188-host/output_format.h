// The three ways the program prints packets: a table for people (with a status line redrawn
// in place on a terminal), JSON Lines and CSV.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tools/cjt188-host/host_options.h"
#include "tools/cjt188-host/packet.h"

namespace cjt::host {

struct TCounters {
  uint64_t Requests = 0;  // request frames sent on the line
  uint64_t Answers = 0;   // packets of values
  uint64_t Timeouts = 0;  // failed requests that got no answer
  uint64_t Errors = 0;    // invalid answers, plug-in errors, line failures
};

std::string StatusText(const TCounters& counters);

class TPacketWriter {
 public:
  virtual ~TPacketWriter() = default;
  virtual void Write(const TPacket& packet) = 0;
  // The counts so far; final once at the end.
  virtual void Status(const TCounters& counters, bool final) = 0;
};

// terminal: the table's output is a terminal. valueNames: the CSV value columns in order.
std::unique_ptr<TPacketWriter> MakePacketWriter(TOutputFormat format, std::ostream& out, bool terminal,
                                                std::vector<std::string> valueNames);

// CSV: one packet as a line, and the header line (time, source, device, function, status,
// then NAME and NAME_UNIT for every value name).
std::string CsvHeader(const std::vector<std::string>& valueNames);
std::string CsvLine(const TPacket& packet, const std::vector<std::string>& valueNames);
// JSON: one packet as one line.
std::string JsonLine(const TPacket& packet);

}  // namespace cjt::host
