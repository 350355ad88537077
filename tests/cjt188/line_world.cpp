#include "tests/cjt188/line_world.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <set>

#include "tests/cjt188/module_harness.h"

namespace cjt::test_support {

namespace {

constexpr uint8_t MeterTypes[] = {0x20, 0x21, 0x22, 0x10, 0x30};
constexpr uint8_t AnyMeterType = 0xAA;
constexpr size_t LineCount = 3;  // a serial line and two converters on TCP

class TDraw {
 public:
  explicit TDraw(uint32_t seed) : Random(seed) {}
  uint32_t Below(uint32_t n) { return n == 0 ? 0 : Random() % n; }
  uint32_t Between(uint32_t low, uint32_t high) { return low + Below(high - low + 1); }
  bool Percent(uint32_t share) { return Below(100) < share; }
  double Share(double high) { return high * Below(1001) / 1000.0; }
  uint32_t Seed() { return Random(); }

 private:
  std::mt19937 Random;
};

std::string HexByte(uint32_t value) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

std::vector<TWorldMeter> DrawMeters(TDraw& draw) {
  std::vector<TWorldMeter> meters;
  std::set<std::string> devices;
  const size_t enabled = draw.Between(5, 7);
  while (meters.size() < enabled + 2) {
    TWorldMeter meter;
    meter.MeterType = MeterTypes[draw.Below(std::size(MeterTypes))];
    for (int i = 0; i < 14; ++i) meter.Device += static_cast<char>('0' + draw.Below(10));
    if (!devices.insert(meter.Device).second) continue;
    meter.Address = AddressBytes(meter.Device);
    meter.ListenOnly = meters.size() >= enabled;
    meters.push_back(meter);
  }
  return meters;
}

std::string DrawMethod(TDraw& draw, bool exportFailed) {
  switch (draw.Below(exportFailed ? 5 : 6)) {
    case 0:
    case 1:
      return "<MethodPoll>1</MethodPoll><PollInterval>" + std::to_string(draw.Between(1, 4)) +
             "</PollInterval><PollUnits>S</PollUnits>";
    case 2:
      return "<MethodPoll>1</MethodPoll><PollInterval>" + std::to_string(draw.Between(700, 2500)) +
             "</PollInterval><PollUnits>MS</PollUnits>";
    case 3:
      return "<MethodCron>1</MethodCron><CronTime>*/" + std::to_string(draw.Between(3, 7)) + " * * * * *</CronTime>";
    case 4:
      // The harness's clock starts at 12:00:00.
      return "<MethodAtTime>1</MethodAtTime><AtTime>12:00:" + std::to_string(draw.Between(10, 29)) +
             ";12:00:" + std::to_string(draw.Between(30, 59)) + "</AtTime>";
    default:
      // Fired again while it runs, an event request starts its attempts anew: no failure
      // status to count for it.
      return std::string("<MethodEvent>1</MethodEvent><EventId>") + WorldEventId + "</EventId>";
  }
}

// One to two meters of one type (or of any type, asked with type 0xAA); one or two
// functions, one when failures are exported so that each meter's failure is one packet.
TWorldRequest DrawRequest(TDraw& draw, const std::vector<TWorldMeter>& meters, size_t enabledMeters) {
  TWorldRequest request;
  request.ExportFailed = draw.Percent(40);
  request.Method = DrawMethod(draw, request.ExportFailed);
  const bool anyType = draw.Percent(30);
  const size_t first = draw.Below(static_cast<uint32_t>(enabledMeters));
  request.Meters = {first};
  const size_t second = draw.Below(static_cast<uint32_t>(enabledMeters));
  if (second != first && draw.Percent(50) && (anyType || meters[second].MeterType == meters[first].MeterType))
    request.Meters.push_back(second);
  request.Functions = {draw.Percent(60) ? uint16_t{0x901F} : uint16_t{0x911F}};
  if (!request.ExportFailed && draw.Percent(50))
    request.Functions =
        draw.Percent(50) ? std::vector<uint16_t>{0x901F, 0x911F} : std::vector<uint16_t>{0x911F, 0x901F};
  request.AnyType = anyType;
  return request;
}

// A meter and function whose failures are exported is asked by that configured request
// alone: its requests on the line are then that request's attempts.
void KeepFailingItemsApart(std::vector<TWorldRequest>& requests) {
  std::map<std::pair<size_t, uint16_t>, int> users;
  for (const TWorldRequest& request : requests)
    for (size_t meter : request.Meters)
      for (uint16_t di : request.Functions) ++users[{meter, di}];
  for (TWorldRequest& request : requests)
    for (size_t meter : request.Meters)
      if (users[{meter, request.Functions[0]}] > 1) request.ExportFailed = false;
}

TWorldLine DrawLine(TDraw& draw, size_t index, const std::vector<TWorldMeter>& meters) {
  TWorldLine line;
  line.DataSourceId = index == 0 ? 1 : 2;
  line.SourceName = index == 0 ? "COM1" : "TCP1";
  line.EventDriven = index > 0;
  line.BreakPerMille = line.EventDriven ? draw.Between(0, 2) : 0;
  for (const TWorldMeter& meter : meters)
    if (draw.Percent(55)) line.Meters.Meters.push_back({meter.MeterType, meter.Address});
  meter::TSimulatorOptions& options = line.Meters;
  options.Echo = draw.Percent(40);
  options.DelayMs = draw.Between(20, 150);
  options.DropRate = draw.Share(0.1);
  options.NoiseRate = draw.Share(0.4);
  options.NoiseStartBytes = draw.Percent(70);
  options.MaxNoiseBytes = draw.Between(1, 12);
  options.ErrorStatus = draw.Percent(50) ? 0x04 : 0;
  options.ErrorRate = draw.Share(0.08);
  options.ShortRate = draw.Share(0.1);
  options.PreambleBytes = draw.Between(0, 4);
  options.Seed = draw.Seed();
  line.Behaviour = {.HoldPercent = draw.Between(0, 40),
                    .SplitPercent = draw.Between(0, 70),
                    .LatePercent = draw.Between(0, 4),
                    .MaxLateMs = draw.Between(200, 1500)};
  return line;
}

// Switches conditions off after the world is drawn, so that the rest stays as it was.
void Calm(TWorldLine& line, const std::set<std::string>& calm) {
  if (calm.contains("echo")) line.Meters.Echo = false;
  if (calm.contains("short")) line.Meters.ShortRate = 0;
  if (calm.contains("stray")) line.Meters.NoiseStartBytes = false;
  if (calm.contains("errors")) line.Meters.ErrorRate = 0;
  if (calm.contains("late")) line.Behaviour.LatePercent = 0;
  if (calm.contains("breaks")) line.BreakPerMille = 0;
}

// One meter and one function per request, every one polled.
void Ungroup(std::vector<TWorldRequest>& requests) {
  for (TWorldRequest& request : requests) {
    if (!request.Enabled) continue;
    request.Meters.resize(1);
    request.Functions.resize(1);
    request.Method = "<MethodPoll>1</MethodPoll><PollInterval>2</PollInterval><PollUnits>S</PollUnits>";
  }
}

}  // namespace

TWorldPlan PlanWorld(uint32_t seed, const std::set<std::string>& calm) {
  TDraw draw(seed);
  TWorldPlan plan;
  plan.Seed = seed;
  plan.TimeoutMs = 500;  // RequestXml's
  plan.OtherMasterPerMille = draw.Between(2, 8);
  plan.Meters = DrawMeters(draw);
  const size_t enabledMeters = static_cast<size_t>(
      std::count_if(plan.Meters.begin(), plan.Meters.end(), [](const TWorldMeter& m) { return !m.ListenOnly; }));
  const size_t requests = draw.Between(4, 6);
  while (plan.Requests.size() < requests) plan.Requests.push_back(DrawRequest(draw, plan.Meters, enabledMeters));
  if (calm.contains("groups")) Ungroup(plan.Requests);
  KeepFailingItemsApart(plan.Requests);
  TWorldRequest listening;
  listening.Enabled = false;
  for (size_t i = enabledMeters; i < plan.Meters.size(); ++i) listening.Meters.push_back(i);
  listening.Functions = draw.Percent(50) ? std::vector<uint16_t>{0x901F} : std::vector<uint16_t>{0x901F, 0x911F};
  listening.Method = "";
  plan.Requests.push_back(listening);
  for (size_t i = 0; i < LineCount; ++i) {
    plan.Lines.push_back(DrawLine(draw, i, plan.Meters));
    Calm(plan.Lines.back(), calm);
  }
  return plan;
}

std::string TWorldPlan::QueryXml() const {
  std::vector<std::string> requests;
  for (const TWorldRequest& request : Requests) {
    std::string devices;
    for (size_t meter : request.Meters) devices += (devices.empty() ? "" : ",") + Meters[meter].Device;
    const std::string type = HexByte(request.AnyType ? AnyMeterType : Meters[request.Meters[0]].MeterType);
    std::vector<std::string> functions;
    for (uint16_t di : request.Functions) functions.push_back(HexByte(di >> 8) + HexByte(di));
    const std::string extra = request.Method + (request.ExportFailed ? "<ExportFailed>1</ExportFailed>" : "");
    requests.push_back(RequestXml(devices, type, functions, extra, request.Enabled));
  }
  return test_support::QueryXml(requests);
}

std::vector<std::string> TWorldPlan::DataSources() const { return {"1;COM1;Serial line", "2;TCP1;Converters"}; }

std::string TWorldPlan::Describe() const {
  std::string text = "world of seed " + std::to_string(Seed) + "\n  configuration: " + QueryXml() + "\n";
  for (const TWorldLine& line : Lines) {
    const meter::TSimulatorOptions& o = line.Meters;
    char row[400];
    std::snprintf(row, sizeof row,
                  "  line %s%s: %u meters, echo %d, delay %u ms, drop %.3f, noise %.3f (start bytes %d, up to %u), "
                  "errors %.3f (status %02X), short %.3f, preamble %u; hold %u%%, split %u%%, late %u%% up to %u ms, "
                  "breaks %u per mille\n",
                  line.SourceName.c_str(), line.EventDriven ? " (TCP)" : "", static_cast<unsigned>(o.Meters.size()),
                  o.Echo, o.DelayMs, o.DropRate, o.NoiseRate, o.NoiseStartBytes, o.MaxNoiseBytes, o.ErrorRate,
                  o.ErrorStatus, o.ShortRate, o.PreambleBytes, line.Behaviour.HoldPercent, line.Behaviour.SplitPercent,
                  line.Behaviour.LatePercent, line.Behaviour.MaxLateMs, line.BreakPerMille);
    text += row;
  }
  return text;
}

}  // namespace cjt::test_support
