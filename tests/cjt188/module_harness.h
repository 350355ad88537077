// The CJ/T 188 module in-process on a manual clock, with simulated meters on its line: what
// the module sends reaches the meters, their answers come back through ProcessData, and every
// packet the module hands over (in the call or through the send function) is kept.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cjt188/data_module.h"
#include "params/kro_params_list.h"
#include "platform/clock.h"
#include "platform/timer_service.h"
#include "tools/cjt188-host/host_exports.h"
#include "tools/cjt188-meter/meter_simulator.h"

namespace cjt::test_support {

// One packet of values: names and values as text, and the packet text of the call or send
// that delivered it.
struct TPacket {
  std::vector<std::pair<std::string, std::string>> Values;
  std::string Text;
  // Where it came from: the data source and connection of the call or send.
  uint32_t DataSourceId = 0;
  uint32_t ConnectionKey = 0;
  // The n-th value of that name, or nothing.
  std::optional<std::string> Value(const std::string& name, size_t n = 0) const;
  size_t CountOf(const std::string& name) const;
  std::vector<std::string> Names() const;
  // The frames the packet was made of: its text cut at the separators (none when empty).
  std::vector<std::string> Frames() const;
};

// The packets of one delivery through the host's send function (none for other kinds).
std::vector<TPacket> PacketsOf(const host::TSentData& sent);

// A ProcessData record of received data (mode 0x02) from a connection of a data source.
TPluginCallRecord DataRecord(uint32_t dataSourceId, uint32_t connectionKey, const std::string& sourceName);

// A request element of the configuration: polling every second unless method says else.
std::string RequestXml(const std::string& device, const std::string& type, const std::vector<std::string>& functions,
                       const std::string& extra =
                           "<MethodPoll>1</MethodPoll><PollInterval>1</PollInterval>"
                           "<PollUnits>S</PollUnits>",
                       bool enabled = true);
std::string QueryXml(const std::vector<std::string>& requests);

class ModuleHarness : public testing::Test {
 protected:
  static constexpr uint64_t StartTick = 5000000;

  ModuleHarness();
  ~ModuleHarness() override;

  // LOAD with the configuration, then SET-STATE with the data sources ("id;name;long name").
  void Start(const std::string& queryXml, const std::vector<std::string>& dataSources = {"1;COM1;Port 1"});
  // Meters answering on the line from now on.
  void Connect(meter::TSimulatorOptions options);
  // Received bytes (or a connection event) handed to the module; the packets it returned.
  std::vector<TPacket> Feed(const std::string& bytes, uint32_t connectionKey = 0, uint32_t dataSourceId = 1,
                            const std::string& sourceName = "COM1");
  // The same with output as the call's output list, for reading the values as the module made
  // them; the call record after the call. Nothing is kept in Received.
  TPluginCallRecord FeedInto(TkroParamsList& output, const std::string& bytes, uint32_t connectionKey = 0,
                             uint32_t dataSourceId = 1, const std::string& sourceName = "COM1");
  TPluginCallRecord FeedWith(const TPluginDataBlock& output, const std::string& bytes, uint32_t connectionKey = 0,
                             uint32_t dataSourceId = 1, const std::string& sourceName = "COM1");
  void ConnectionEvent(uint32_t code, uint32_t connectionKey, uint32_t dataSourceId = 1,
                       const std::string& sourceName = "TCP:10.0.0.1:5000");
  // Runs the clock in 10 ms steps: timers fire, the meters' answers are fed back.
  void Run(uint64_t ms);
  // Bytes the module sent to a line (a request, a preamble); by default the meters on the
  // line hear them. The host's send result.
  virtual int32_t LineHears(const host::TSentData& sent);
  std::string Log();
  // The bytes of the request frames sent (preambles left out).
  std::vector<std::string> RequestsSent() const;
  std::vector<TPacket> SentPackets() const;

  TSerialPortDM& Port(int32_t id = 1);
  size_t ClientCount(int32_t id = 1);

  platform::TManualClock Clock{StartTick, 46000.5};
  platform::TManualTimerPump Pump;
  std::unique_ptr<TaPlugin> Module;
  std::unique_ptr<meter::TMeterSimulator> Line;
  std::vector<host::TSentData> Sent;
  std::vector<TPacket> Received;  // packets returned in ProcessData calls
  int32_t SendResult = 16;
  uint32_t LineKey = 0;
  // Feed passes a list of the host's own making, filled through its interface, instead of a
  // list object of ours.
  bool HostOwnOutputLists = false;
};

}  // namespace cjt::test_support
