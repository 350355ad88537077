// The program's serving loop over a pseudo-terminal and a loopback TCP connection, with the
// simulator on a thread of its own. Reads wait generously; nothing here measures time.
#include "tools/cjt188-meter/line.h"

#include <gtest/gtest.h>

#include <thread>

#include "cjt188/frame.h"
#include "platform/clock.h"

namespace cjt::meter {
namespace {

constexpr int GenerousMs = 20000;

std::vector<uint8_t> HeatRequest(uint8_t serial) {
  const auto frame = BuildReadRequest(0x20, AddressBytes("00000001234567"), 0x901F, serial);
  return {frame.begin(), frame.end()};
}

TSimulatorOptions OneHeatMeter() {
  TSimulatorOptions options;
  options.Meters = {{0x20, AddressBytes("00000001234567")}};
  options.PreambleBytes = 4;
  return options;
}

TEST(MeterLine, AnswersOverAPseudoTerminal) {
  TMeterSimulator sim(OneHeatMeter(), [] { return platform::TickCount64(); });
  const TPseudoTerminal pty = OpenPseudoTerminal();
  std::atomic<bool> stop{false};
  std::thread server([&] { ServeLine(pty.Master, sim, stop, {}); });

  const int host = OpenTerminal(pty.Name);
  for (uint8_t serial : {1, 2}) {
    WriteAll(host, HeatRequest(serial));
    const std::vector<uint8_t> answer = ReadFor(host, 4 + 13 + 46, GenerousMs);
    ASSERT_EQ(answer.size(), 4 + 13 + 46u);
    const std::span<const uint8_t> frame = std::span(answer).subspan(4);
    EXPECT_EQ(CheckFrame(frame), TFrameCheck::Valid);
    EXPECT_EQ(frame[13], serial);
  }
  CloseLine(host);
  stop = true;
  server.join();
  CloseLine(pty.KeptSlave);
  CloseLine(pty.Master);
  EXPECT_EQ(sim.Stats().Answers, 2u);
}

TEST(MeterLine, AnswersOverLoopbackTcpOneConnectionAfterAnother) {
  TMeterSimulator sim(OneHeatMeter(), [] { return platform::TickCount64(); });
  uint16_t port = 0;
  const int listener = ListenTcp("127.0.0.1", 0, port);
  ASSERT_NE(port, 0);
  std::atomic<bool> stop{false};
  std::thread server([&] { ServeTcp(listener, sim, stop, {}); });

  for (uint8_t serial : {5, 6}) {
    const int client = ConnectTcp("127.0.0.1", port);
    WriteAll(client, HeatRequest(serial));
    const std::vector<uint8_t> answer = ReadFor(client, 4 + 13 + 46, GenerousMs);
    ASSERT_EQ(answer.size(), 4 + 13 + 46u);
    EXPECT_EQ(answer[4 + 13], serial);
    CloseLine(client);
  }
  stop = true;
  server.join();
  CloseLine(listener);
  EXPECT_THROW(ListenTcp("not an address", 0, port), ELine);
}

}  // namespace
}  // namespace cjt::meter
