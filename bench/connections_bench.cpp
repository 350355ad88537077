// Many connections of a host's TCP server, each an event-driven client polling one heat meter
// every 60 s that never answers, driven through the library's exports as a host drives them:
// how long the connection events take, how much resident memory each idle client holds, how
// much processor time the process spends while they all idle, and how long closing and
// freeing them takes.
//
//   connections_bench [COUNT...]     (default 1000 10000)
// CJT_BENCH_IDLE_S sets the idle window in seconds (default 20; 5 s settle before it).
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/process_usage.h"
#include "platform/thread.h"
#include "plugin/call_record.h"
#include "tools/cjt188-host/host_exports.h"
#include "tools/cjt188-host/host_session.h"

namespace {

using namespace cjt;
using Clock = std::chrono::steady_clock;

constexpr uint32_t SettleMs = 5000;
constexpr char Requests[] =
    "<QUERY><Request><Enabled>1</Enabled><Device>1234567</Device><DeviceType>20</DeviceType><MethodPoll>1</MethodPoll>"
    "<PollInterval>60</PollInterval><PollUnits>S</PollUnits><Timeout>1000</Timeout>"
    "<Response><Item><Function>901F</Function></Item></Response></Request></QUERY>";

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A connection event of the host's server for connection key.
int32_t ConnectionEvent(host::TPluginLibrary& library, host::THostSession& session, uint32_t key, uint32_t code) {
  TkroParamsList params;
  TPluginCallRecord record = session.NewRecord();
  record.DataSourceId = 1;
  record.ConnectionKey = key;
  record.Mode = 0x02;
  record.Params = reinterpret_cast<uintptr_t>(&params);
  record.Input.Kind = DataKindConnection;
  record.Input.Data = code;
  return library.ProcessData(&record);
}

// Writes the host's INI file with the requests; its path.
std::string WriteIni() {
  const std::string path = "connections_bench.ini";
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fprintf(file, "[Common]\r\nParser config=%s\r\nMin interval=0\r\n", Requests);
    std::fclose(file);
  }
  return path;
}

struct TResult {
  uint32_t Count = 0;
  double CreateSeconds = 0;
  double KiBPerClient = 0;
  double IdleCpuShare = 0;  // of one core
  double CloseSeconds = 0;
  double FreeSeconds = 0;
  uint64_t Sends = 0;
};

TResult Measure(host::TPluginLibrary& library, uint32_t count, uint32_t idleMs, const std::string& ini) {
  TResult result;
  result.Count = count;
  host::THostSession session(library);
  if (session.Create() != 0 || session.Load({{"INI-FILE", TVariant(ini)}}).Result != 0) {
    std::fprintf(stderr, "the plug-in refused to start\n");
    std::exit(1);
  }
  session.Command("SET-STATE", {{"DATA-SOURCES-IN-CFG", TVariant("1;TCP;Server")}, {"RESULT", TVariant(1)}}, 0x03);
  platform::PumpMessagesFor(200);
  const platform::TProcessUsage before = platform::ReadProcessUsage();

  const Clock::time_point created = Clock::now();
  for (uint32_t k = 1; k <= count; ++k) ConnectionEvent(library, session, k, ConnectionOpened);
  result.CreateSeconds = SecondsSince(created);

  platform::PumpMessagesFor(SettleMs);
  const platform::TProcessUsage settled = platform::ReadProcessUsage();
  const Clock::time_point idle = Clock::now();
  platform::PumpMessagesFor(idleMs);
  const platform::TProcessUsage idled = platform::ReadProcessUsage();
  result.IdleCpuShare = (idled.CpuSeconds - settled.CpuSeconds) / SecondsSince(idle);
  result.KiBPerClient =
      (static_cast<double>(idled.ResidentBytes) - static_cast<double>(before.ResidentBytes)) / 1024.0 / count;

  const Clock::time_point closed = Clock::now();
  for (uint32_t k = 1; k <= count; ++k) ConnectionEvent(library, session, k, ConnectionClosed);
  result.CloseSeconds = SecondsSince(closed);
  const Clock::time_point freed = Clock::now();
  session.Free();
  result.FreeSeconds = SecondsSince(freed);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<uint32_t> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10)));
  if (counts.empty()) counts = {1000, 10000};
  const char* idleText = std::getenv("CJT_BENCH_IDLE_S");
  const uint32_t idleMs = 1000 * (idleText != nullptr ? static_cast<uint32_t>(std::atoi(idleText)) : 20);

  std::atomic<uint64_t> sends{0};
  host::SetSendHandler([&](const host::TSentData& sent) {
    if (sent.Kind == DataKindSendBytes) ++sends;
    return static_cast<int32_t>(sent.Bytes.size());
  });
  host::TPluginLibrary library(CJT_PLUGIN_FILE);
  const std::string ini = WriteIni();
  std::printf("| connections | create all | memory per client | CPU while idle | close events | free instance |\n");
  std::printf("|---|---|---|---|---|---|\n");
  for (uint32_t count : counts) {
    const TResult r = Measure(library, count, idleMs, ini);
    std::printf("| %u | %.3f s | %.1f KiB | %.2f%% of a core | %.3f s | %.3f s |\n", r.Count, r.CreateSeconds,
                r.KiBPerClient, 100 * r.IdleCpuShare, r.CloseSeconds, r.FreeSeconds);
    std::fflush(stdout);
  }
  std::printf("| goal (10,000) | < 0.5 s | < 8 KiB | < 1%% of a core | < 0.5 s | |\n");
  std::printf("requests sent to the meters: %llu\n", static_cast<unsigned long long>(sends.load()));
  return 0;
}
