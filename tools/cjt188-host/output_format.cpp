#include "tools/cjt188-host/output_format.h"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

namespace cjt::host {

namespace {

std::string Padded(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

// A status record in the packet's columns: no device, function or values, the text as status.
TPacket StatusPacket(const TLineStatus& status) {
  return TPacket{status.Time, status.Source, "", "", LineStatusText(status), {}};
}

std::string Seconds(uint64_t ms) {
  const std::string text = std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100);
  return text.ends_with(".0") ? text.substr(0, text.size() - 2) : text;
}

const TPacketValue* FindValue(const TPacket& packet, const std::string& name) {
  for (const TPacketValue& value : packet.Values)
    if (value.Name == name) return &value;
  return nullptr;
}

// One row per packet; on a terminal the status line stays below the rows, redrawn in place.
class TTableWriter : public TPacketWriter {
 public:
  TTableWriter(std::ostream& out, bool terminal) : Out(out), Terminal(terminal) {
    Out << Padded("time", 9) << Padded("source", 16) << Padded("device", 16) << Padded("func", 6)
        << Padded("status", 9) << "values\n";
  }

  void Write(const TPacket& packet) override {
    ClearStatus();
    const std::string time = packet.Time.size() > 11 ? packet.Time.substr(11) : packet.Time;
    Out << Padded(time, 9) << Padded(packet.Source, 16) << Padded(packet.Device, 16) << Padded(packet.Function, 6)
        << Padded(packet.Status, 9);
    for (size_t i = 0; i < packet.Values.size(); ++i) {
      const TPacketValue& value = packet.Values[i];
      Out << (i == 0 ? "" : "  ") << value.Name << "=" << value.Text << (value.Unit.empty() ? "" : " ") << value.Unit;
    }
    Out << "\n";
    RedrawStatus();
  }
  void Write(const TLineStatus& status) override { Write(StatusPacket(status)); }

  void Status(const TCounters& counters, bool final) override {
    Last = StatusText(counters);
    if (final) {
      ClearStatus();
      Out << Last << "\n" << std::flush;
      Last.clear();
    } else {
      RedrawStatus();
    }
  }

 private:
  // Blanks over the status line, and back to its start (no terminal control codes needed).
  void ClearStatus() {
    if (Terminal && Shown > 0) Out << "\r" << std::string(Shown, ' ') << "\r";
    Shown = 0;
  }
  void RedrawStatus() {
    if (Terminal && !Last.empty()) {
      ClearStatus();
      Out << Last;
      Shown = Last.size();
    }
    Out << std::flush;
  }

  std::ostream& Out;
  bool Terminal;
  std::string Last;  // the status line to keep below the rows
  size_t Shown = 0;  // characters of it on the screen now
};

class TJsonWriter : public TPacketWriter {
 public:
  explicit TJsonWriter(std::ostream& out) : Out(out) {}
  void Write(const TPacket& packet) override { Out << JsonLine(packet) << "\n" << std::flush; }
  void Write(const TLineStatus& status) override { Out << JsonLine(status) << "\n" << std::flush; }
  void Status(const TCounters& counters, bool final) override {
    if (final) std::cerr << StatusText(counters) << "\n";
  }

 private:
  std::ostream& Out;
};

class TCsvWriter : public TPacketWriter {
 public:
  TCsvWriter(std::ostream& out, std::vector<std::string> valueNames) : Out(out), Names(std::move(valueNames)) {
    Out << CsvHeader(Names) << "\n" << std::flush;
  }
  void Write(const TPacket& packet) override { Out << CsvLine(packet, Names) << "\n" << std::flush; }
  void Write(const TLineStatus& status) override { Out << CsvLine(status, Names) << "\n" << std::flush; }
  void Status(const TCounters& counters, bool final) override {
    if (final) std::cerr << StatusText(counters) << "\n";
  }

 private:
  std::ostream& Out;
  std::vector<std::string> Names;
};

}  // namespace

std::string StatusText(const TCounters& counters) {
  return "requests " + std::to_string(counters.Requests) + ", answers " + std::to_string(counters.Answers) +
         ", time-outs " + std::to_string(counters.Timeouts) + ", errors " + std::to_string(counters.Errors) +
         (counters.LineLosses ? ", line losses " + std::to_string(counters.LineLosses) : "") +
         (counters.MqttDropped ? ", MQTT readings dropped " + std::to_string(counters.MqttDropped) : "");
}

std::string LineStatusText(const TLineStatus& status) {
  if (status.Up)
    return "line back after " + std::to_string(status.Attempts) +
           (status.Attempts == 1 ? " attempt, " : " attempts, ") + Seconds(status.DownMs) + " s without the line";
  return "line lost: " + status.Message + "; reconnecting in " + Seconds(status.RetryMs) + " s";
}

std::string CsvLine(const TLineStatus& status, const std::vector<std::string>& valueNames) {
  return CsvLine(StatusPacket(status), valueNames);
}

std::string JsonLine(const TLineStatus& status) {
  nlohmann::ordered_json line = {{"time", status.Time},
                                 {"source", status.Source},
                                 {"record", "status"},
                                 {"line", status.Up ? "back" : "lost"},
                                 {"message", LineStatusText(status)}};
  if (status.Up) {
    line["attempts"] = status.Attempts;
    line["down_ms"] = status.DownMs;
  } else {
    line["retry_ms"] = status.RetryMs;
  }
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string CsvHeader(const std::vector<std::string>& valueNames) {
  std::string header = "time,source,device,function,status";
  for (const std::string& name : valueNames) header += "," + name + "," + name + "_UNIT";
  return header;
}

std::string CsvLine(const TPacket& packet, const std::vector<std::string>& valueNames) {
  std::string line = CsvField(packet.Time) + "," + CsvField(packet.Source) + "," + CsvField(packet.Device) + "," +
                     CsvField(packet.Function) + "," + CsvField(packet.Status);
  for (const std::string& name : valueNames) {
    const TPacketValue* value = FindValue(packet, name);
    line += "," + (value ? CsvField(value->Text) : std::string()) + "," + (value ? CsvField(value->Unit) : std::string());
  }
  return line;
}

std::string JsonLine(const TPacket& packet) {
  nlohmann::ordered_json values = nlohmann::ordered_json::object();
  for (const TPacketValue& value : packet.Values) {
    // A name that two functions of one group both carry (CUMULATIVE_FLOW) keeps its first
    // value, as the CSV columns do.
    if (values.contains(value.Name)) continue;
    nlohmann::ordered_json entry;
    // Counts and status words stay integers; measured values keep their decimals.
    if (value.Number && value.Text.find_first_of(".eE") == std::string::npos && std::abs(*value.Number) < 9.0e15)
      entry["value"] = static_cast<int64_t>(*value.Number);
    else if (value.Number)
      entry["value"] = *value.Number;
    else
      entry["value"] = value.Text;
    if (!value.Unit.empty()) entry["unit"] = value.Unit;
    values[value.Name] = std::move(entry);
  }
  const nlohmann::ordered_json line = {{"time", packet.Time},     {"source", packet.Source},
                                       {"device", packet.Device}, {"function", packet.Function},
                                       {"status", packet.Status}, {"values", std::move(values)}};
  // Texts from a meter's line are not always valid UTF-8; they must not stop the output.
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::unique_ptr<TPacketWriter> MakePacketWriter(TOutputFormat format, std::ostream& out, bool terminal,
                                                std::vector<std::string> valueNames) {
  switch (format) {
    case TOutputFormat::Json:
      return std::make_unique<TJsonWriter>(out);
    case TOutputFormat::Csv:
      return std::make_unique<TCsvWriter>(out, std::move(valueNames));
    case TOutputFormat::Table:
      break;
  }
  return std::make_unique<TTableWriter>(out, terminal);
}

}  // namespace cjt::host
