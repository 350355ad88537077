#include "tools/cjt188-host/host_run.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>
#include <random>

#include "cjt188/cjt188_types.h"
#include "platform/clock.h"
#include "platform/module.h"
#include "platform/thread.h"
#include "support/ini_file.h"
#include "support/text_lines.h"
#include "tools/cjt188-host/config_file.h"
#include "tools/cjt188-host/host_exports.h"
#include "tools/cjt188-host/host_line.h"
#include "tools/cjt188-host/host_session.h"
#include "tools/cjt188-host/line_keeper.h"
#include "tools/cjt188-host/mqtt_publisher.h"
#include "tools/cjt188-host/output_format.h"
#include "tools/cjt188-host/query_builder.h"

namespace cjt::host {

namespace {

constexpr uint32_t DataSourceId = 1;
constexpr uint8_t ModuleTypes = 0x03;  // the query module and the parser module
constexpr uint8_t ParserModuleBit = 0x02;
constexpr uint32_t TurnMs = 10;         // messages pumped, then the line read, each turn
constexpr uint64_t RefreshMs = 500;     // status line and log pulled at least this often
constexpr uint64_t ScanSlackMs = 2000;  // beyond a scan's attempts: wake-up, start and end
constexpr uint32_t MqttFlushMs = 5000;  // at the end, the time the queued readings get to reach the broker
constexpr int32_t PortFailed = -12;     // the send result that tells the plug-in its port failed

// "0x20 (Heat meter)"; the code alone for a type without a name.
std::string MeterTypeText(uint8_t code) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", code);
  const auto units = CjtUnits();
  const auto unit = std::find_if(units.begin(), units.end(), [&](const TCjtUnit& u) { return u.Code == code; });
  return unit == units.end() ? hex : std::string(hex) + " (" + std::string(unit->Name) + ")";
}

// The library beside the program (a build tree, a folder of its own), else where the package
// installs it, relative to the program.
std::string DefaultPluginFile() {
  const std::filesystem::path programDir = std::filesystem::path(platform::ProgramFileName()).parent_path();
  const std::filesystem::path beside = programDir / CJT_PLUGIN_FILE_NAME;
  std::error_code unreadable;
  if (std::filesystem::exists(beside, unreadable)) return beside.string();
  return (programDir / CJT_PLUGIN_DIR_FROM_PROGRAM / CJT_PLUGIN_FILE_NAME).lexically_normal().string();
}

std::vector<meter::TMeterSetup> ConfiguredMeters(const THostOptions& options) {
  std::vector<meter::TMeterSetup> meters;
  for (const std::string& text : options.Meters) meters.push_back(ParseMeterOption(text));
  return meters;
}

// The QUERY XML on one line, from the file or the quick options.
std::string QueryText(const THostOptions& options, const std::vector<meter::TMeterSetup>& meters) {
  if (!options.ConfigFile.empty()) return OneLineXml(ReadConfigFile(options.ConfigFile));
  if (options.Scan) return BuildScanXml(options.TimeoutMs);
  TQuickQuery query{meters, {}, options.PollMs, options.TimeoutMs, options.Variant};
  for (const std::string& text : options.Functions) query.Functions.push_back(ParseFunctionOption(text));
  return BuildQueryXml(query);
}

// The settings as a host stores them for the plug-in: the configuration under "Parser config"
// and the minimum request spacing under "Min interval", in section Common.
void WriteSettings(const std::string& fileName, const std::string& query) {
  TIniFile ini(fileName);
  ini.Write("Common", "Parser config", query);
  ini.Write("Common", "Min interval", "0");
  if (!ini.Save()) throw EHostRun("the INI file " + fileName + " cannot be written");
}

std::string TemporaryIniFile() {
  std::random_device random;
  return (std::filesystem::temp_directory_path() / ("cjt188-host-" + std::to_string(random()) + ".ini")).string();
}

// What arrives through the send function, possibly on another thread, for the main loop.
class TSentQueue {
 public:
  void AddRequest() {
    std::lock_guard lock(Mutex);
    ++Requests;
  }
  void AddPacket(TNamedTexts values) {
    std::lock_guard lock(Mutex);
    Packets.push_back(std::move(values));
  }
  // Moves the counts and packets out.
  uint64_t Take(std::deque<TNamedTexts>& packets) {
    std::lock_guard lock(Mutex);
    packets.swap(Packets);
    Packets.clear();
    return std::exchange(Requests, 0);
  }

 private:
  std::mutex Mutex;
  uint64_t Requests = 0;
  std::deque<TNamedTexts> Packets;
};

class TRun {
 public:
  TRun(const THostOptions& options, std::ostream& out, bool terminal)
      : Options(options), Out(out), Terminal(terminal) {}

  int Run(const std::atomic<bool>& stop) {
    const std::vector<meter::TMeterSetup> meters = ConfiguredMeters(Options);
    if (Options.Source != TSourceKind::Simulated && meters.empty() && Options.ConfigFile.empty() && !Options.Scan)
      throw EHostRun("no meters to read: give --meter ADDRESS[:TYPE] or --config FILE");
    const bool defaultMeters = Options.Source == TSourceKind::Simulated && meters.empty();
    const std::vector<meter::TMeterSetup> used = defaultMeters ? DefaultSimulatedMeters() : meters;
    const std::string query = QueryText(Options, used);
    Line = std::make_unique<TLineKeeper>(
        LineName(), [this, used] { return OpenLine(used); }, Options.Reconnect);
    Report(Line->Open(platform::TickCount64()));
    if (Options.Mqtt.Enabled()) Mqtt = MakeMqttPublisher(Options.Mqtt, Options.Reconnect, LineName());
    TPluginLibrary library(Options.PluginFile.empty() ? DefaultPluginFile() : Options.PluginFile);

    const bool temporary = Options.IniFile.empty();
    const std::string iniFile = temporary ? TemporaryIniFile() : Options.IniFile;
    WriteSettings(iniFile, query);
    int status = 0;
    try {
      status = Session(library, iniFile, stop);
    } catch (...) {
      if (temporary) std::filesystem::remove(iniFile);
      throw;
    }
    if (temporary) std::filesystem::remove(iniFile);
    return status;
  }

 private:
  // The data source's name as the plug-in knows it, the same as the line's own.
  std::string LineName() const {
    switch (Options.Source) {
      case TSourceKind::Serial:
        return Options.Device;
      case TSourceKind::Tcp:
        return Options.TcpHost + ":" + std::to_string(Options.TcpPort);
      case TSourceKind::Simulated:
        break;
    }
    return "SIM";
  }

  std::unique_ptr<THostLine> OpenLine(const std::vector<meter::TMeterSetup>& meters) {
    switch (Options.Source) {
      case TSourceKind::Serial:
        return OpenSerialLine(Options.Device, Options.Serial);
      case TSourceKind::Tcp:
        return OpenTcpLine(Options.TcpHost, Options.TcpPort);
      case TSourceKind::Simulated:
        break;
    }
    meter::TSimulatorOptions simulated;
    simulated.Meters = meters;
    simulated.DelayMs = 30;
    simulated.StartDateTime = platform::NowDateTime();
    return OpenSimulatedLine(std::move(simulated));
  }

  int Session(TPluginLibrary& library, const std::string& iniFile, const std::atomic<bool>& stop) {
    SetSendHandler([this](const TSentData& sent) { return OnSent(sent); });
    THostSession session(library);
    int status = 0;
    try {
      status = Drive(session, iniFile, stop);
    } catch (...) {
      SetSendHandler(nullptr);
      throw;
    }
    SetSendHandler(nullptr);
    return status;
  }

  int32_t OnSent(const TSentData& sent) {
    if (sent.Kind == CJT_DATA_LIST_INTF) {
      Sent.AddPacket(sent.Values);
      return 0;
    }
    // A line that is down (or fails now) is a failed port to the plug-in: it pauses its queue
    // until the line is back (PORT-OPEN).
    if (!Line->Write(sent.Bytes)) return PortFailed;
    // Wake-up bytes go out on their own; a request is a frame (0x68 starts it).
    if (sent.Kind == CJT_DATA_SEND_BYTES && sent.Bytes.find('\x68') != std::string::npos) Sent.AddRequest();
    return static_cast<int32_t>(sent.Bytes.size());
  }

  int Drive(THostSession& session, const std::string& iniFile, const std::atomic<bool>& stop) {
    if (session.Create({{"TEMPORARY-LOAD", TVariant(false)}}) != 0) throw EHostRun("the plug-in made no instance");
    const int32_t loaded =
        session.Load({{"INI-FILE", TVariant(iniFile)}, {"APPLICATION-NAME", TVariant("cjt188-host")}}).Result;
    if (loaded != 0) throw EHostRun("the plug-in refused LOAD (" + std::to_string(loaded) + ")");
    Writer =
        MakePacketWriter(Options.Format, Out, Terminal, ValueItemNames(VariantText(session.Command("ITEMS").Value)));
    for (const TLineStatus& status : EarlyStatus) Writer->Write(status);
    const std::string name = Line->Name();
    const std::string dataSource = std::to_string(DataSourceId) + ";" + name + ";" + name;
    if (session
            .Command("SET-STATE", {{"DATA-SOURCES-IN-CFG", TVariant(dataSource)}, {"RESULT", TVariant(1)}}, ModuleTypes)
            .Result != 0)
      throw EHostRun("the plug-in refused SET-STATE");
    // A plug-in without the event answers -1; the data source runs all the same.
    if (Line->Up()) PortEvent(session, true);

    int status = Loop(session, stop);
    if (Options.Scan && !Found) status = Failed("no meter answered the read-address request on " + name);

    if (Line->Up()) PortEvent(session, false);
    session.Command("UNLOAD", {{"INI-FILE", TVariant(iniFile)}});
    platform::PumpMessagesFor(TurnMs);
    PrintLog(session);
    session.Free();
    session.ReleaseRequest();
    Collect();
    CloseMqtt();
    Writer->Status(Counters, true);
    return status;
  }

  int Loop(THostSession& session, const std::atomic<bool>& stop) {
    const uint64_t start = platform::TickCount64();
    uint64_t nextRefresh = 0;
    int notices = 0;
    // A scan waits for the request's three attempts at most, unless told otherwise.
    std::optional<uint64_t> duration;
    if (Options.DurationMs)
      duration = *Options.DurationMs;
    else if (Options.Scan)
      duration = ScanMs();
    while (!stop.load() && !Found) {
      const uint64_t now = platform::TickCount64();
      if (duration && now - start >= *duration) break;
      platform::PumpMessagesFor(TurnMs);
      std::string bytes;
      std::optional<TLineChange> change;
      try {
        bytes = Line->Read(TurnMs, now, change);
      } catch (const EHostLine& error) {
        return Failed(error.what());
      }
      if (!bytes.empty()) Process(session, bytes);
      if (change) {
        Report(change);
        PortEvent(session, change->Up);
      }
      Collect();
      MqttNotices();
      if (session.LogNotifications() != notices || now >= nextRefresh) {
        notices = session.LogNotifications();
        PrintLog(session);
      }
      if (now >= nextRefresh) {
        Writer->Status(Counters, false);
        nextRefresh = now + RefreshMs;
      }
    }
    return 0;
  }

  int Failed(const std::string& message) {
    std::cerr << "cjt188-host: " << message << std::endl;
    ++Counters.Errors;
    return 1;
  }

  // The plug-in learns of the line's state as from any host: PORT-OPEN when it is usable,
  // PORT-CLOSE when it is gone.
  void PortEvent(THostSession& session, bool open) {
    session.Command("EVENT",
                    {{"EVENT-TYPE", TVariant(open ? "PORT-OPEN" : "PORT-CLOSE")}, {"PORTSTR", TVariant(Line->Name())}});
  }

  // A loss or recovery: one line on stderr and a status record in the output.
  void Report(const std::optional<TLineChange>& change) {
    if (!change) return;
    const TLineStatus status{Now(),           Line->Name(),     change->Up,    change->Message,
                             change->RetryMs, change->Attempts, change->DownMs};
    if (!change->Up) {
      ++Counters.LineLosses;
      ++Counters.Errors;
    }
    // A loss names the line in its reason already.
    std::cerr << "cjt188-host: " << (change->Up ? Line->Name() + ": " : "") << LineStatusText(status) << std::endl;
    if (Writer)
      Writer->Write(status);
    else
      EarlyStatus.push_back(status);
  }

  void Process(THostSession& session, const std::string& bytes) {
    TkroParamsList output;
    session.ProcessBytes(DataSourceId, 0, bytes, ParserModuleBit, &output);
    for (const TNamedTexts& items : SplitPackets(output)) Show(MakePacket(items, Now(), Line->Name(), false));
  }

  // Counts and prints what came through the send function.
  void Collect() {
    std::deque<TNamedTexts> packets;
    Counters.Requests += Sent.Take(packets);
    for (const TNamedTexts& items : packets) Show(MakePacket(items, Now(), Line->Name(), true));
  }

  void Show(const TPacket& packet) {
    if (Options.Scan) return ShowScan(packet);
    if (packet.Status == "ok")
      ++Counters.Answers;
    else if (packet.Status == "timeout")
      ++Counters.Timeouts;
    else
      ++Counters.Errors;
    Writer->Status(Counters, false);  // the status line below the row counts the row too
    Writer->Write(packet);
    if (Mqtt) Mqtt->Publish(packet);
  }

  // The MQTT client's news on stderr, and its count of dropped readings.
  void MqttNotices() {
    if (!Mqtt) return;
    for (const std::string& notice : Mqtt->TakeNotices()) std::cerr << "cjt188-host: " << notice << std::endl;
    Counters.MqttDropped = Mqtt->Dropped();
  }

  void CloseMqtt() {
    if (!Mqtt) return;
    const size_t unsent = Mqtt->Close(MqttFlushMs);
    MqttNotices();
    if (unsent > 0) std::cerr << "cjt188-host: MQTT: " << unsent << " readings were not sent" << std::endl;
  }

  uint64_t ScanMs() const { return 3ull * Options.TimeoutMs + ScanSlackMs; }

  // The first answer to the read-address request: the meter's address and type.
  void ShowScan(const TPacket& packet) {
    if (Found || packet.Status != "ok") return;
    const auto type = std::find_if(packet.Values.begin(), packet.Values.end(),
                                   [](const TPacketValue& value) { return value.Name == "METER_TYPE"; });
    if (type == packet.Values.end() || !type->Number) return;
    ++Counters.Answers;
    Found = true;
    Out << "address " << packet.Device << " type " << MeterTypeText(static_cast<uint8_t>(*type->Number)) << std::endl;
  }

  // Log lines start with the level character: 0 errors, 1 warnings, 2 notices.
  void PrintLog(THostSession& session) {
    static const char* const levels[] = {"error", "warning", "notice"};
    const std::string log = session.TakeLog();
    for (std::string_view line : SplitLines(log)) {
      if (line.empty()) continue;
      const int level = std::clamp((line[0] & 0x7F) - 1, 0, 2);
      if (level == 0) ++Counters.Errors;
      if (level < 2 || Options.Verbose) std::cerr << "plug-in " << levels[level] << ": " << line.substr(1) << "\n";
    }
  }

  static std::string Now() { return DateTimeText(platform::NowDateTime()); }

  const THostOptions& Options;
  std::ostream& Out;
  bool Terminal;
  std::unique_ptr<TLineKeeper> Line;
  std::vector<TLineStatus> EarlyStatus;  // reported before the writer was made
  std::unique_ptr<TPacketWriter> Writer;
  std::unique_ptr<TMqttPublisher> Mqtt;
  TSentQueue Sent;
  TCounters Counters;
  bool Found = false;  // a scan's answer came
};

}  // namespace

int RunHost(const THostOptions& options, const std::atomic<bool>& stop, std::ostream& out, bool terminal) {
  return TRun(options, out, terminal).Run(stop);
}

}  // namespace cjt::host
