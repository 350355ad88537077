// The program's serving loop over a pseudo-terminal and a loopback TCP connection, with the
// simulator on a thread of its own. Reads wait generously; nothing here measures time.
#include "tools/cjt188-meter/line.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/clock.h"

namespace cjt::meter {
namespace {

constexpr size_t AnswerSize = 4 + 13 + 46;  // preamble and a heat meter's 901F answer

class MeterLine : public ::testing::Test {
 protected:
  MeterLine() : Sim(Options(), [] { return platform::TickCount64(); }) {}
  static TSimulatorOptions Options() {
    TSimulatorOptions options;
    options.Meters = {{0x20, AddressBytes("00000001234567")}};
    options.PreambleBytes = 4;
    return options;
  }
  // Sends a request and returns the serial number of the answer, or -1.
  static int Exchange(int fd, uint8_t serial) {
    const auto request = BuildReadRequest(0x20, AddressBytes("00000001234567"), 0x901F, serial);
    WriteAll(fd, request);
    const std::vector<uint8_t> answer = ReadFor(fd, AnswerSize, 20000);
    if (answer.size() != AnswerSize || CheckFrame(std::span(answer).subspan(4)) != TFrameCheck::Valid) return -1;
    return answer[4 + 13];
  }

  TMeterSimulator Sim;
  std::atomic<bool> Stop{false};
};

TEST_F(MeterLine, AnswersOverAPseudoTerminal) {
  const TPseudoTerminal pty = OpenPseudoTerminal();
  std::thread server([&] { ServeLine(pty.Master, Sim, Stop, {}); });
  const int host = OpenTerminal(pty.Name);
  EXPECT_EQ(Exchange(host, 1), 1);
  EXPECT_EQ(Exchange(host, 2), 2);
  CloseLine(host);
  Stop = true;
  server.join();
  CloseLine(pty.KeptSlave);
  CloseLine(pty.Master);
}

TEST_F(MeterLine, AnswersOverLoopbackTcpOneConnectionAfterAnother) {
  uint16_t port = 0;
  const int listener = ListenTcp("127.0.0.1", 0, port);
  std::thread server([&] { ServeTcp(listener, Sim, Stop, {}); });
  for (uint8_t serial : {5, 6}) {
    const int client = ConnectTcp("127.0.0.1", port);
    EXPECT_EQ(Exchange(client, serial), serial);
    CloseLine(client);
  }
  Stop = true;
  server.join();
  CloseLine(listener);
  EXPECT_THROW(ListenTcp("not an address", 0, port), ELine);
}

}  // namespace
}  // namespace cjt::meter
