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
  uint64_t Requests = 0;     // request frames sent on the line
  uint64_t Answers = 0;      // packets of values
  uint64_t Timeouts = 0;     // failed requests that got no answer
  uint64_t Errors = 0;       // invalid answers, plug-in errors, line failures
  uint64_t LineLosses = 0;   // times the line was lost (or could not be opened) and reconnecting began
  uint64_t MqttDropped = 0;  // readings dropped from a full MQTT queue
};

// A change of the line: lost (or not opened) and being retried, or back. Written between the
// packets as a status record.
struct TLineStatus {
  std::string Time;
  std::string Source;
  bool Up = false;
  std::string Message;    // lost: the reason
  uint32_t RetryMs = 0;   // lost: the wait before the next attempt
  uint32_t Attempts = 0;  // back: the attempts it took
  uint64_t DownMs = 0;    // back: the time without the line
};

// The status record as text: "line lost: REASON; reconnecting in N s" or "line back after N
// attempts, X s without the line".
std::string LineStatusText(const TLineStatus& status);

std::string StatusText(const TCounters& counters);

class TPacketWriter {
 public:
  virtual ~TPacketWriter() = default;
  virtual void Write(const TPacket& packet) = 0;
  virtual void Write(const TLineStatus& status) = 0;
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
std::string CsvLine(const TLineStatus& status, const std::vector<std::string>& valueNames);
// JSON: one packet as one line; a status record as {"time", "source", "record": "status",
// "line": "lost" or "back", "message", and "retry_ms" or "attempts" and "down_ms"}.
std::string JsonLine(const TPacket& packet);
std::string JsonLine(const TLineStatus& status);

}  // namespace cjt::host
