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

// A misbehaving line: echo, noise with stray start bytes and short answers, from a seed.
class MisbehavingLine : public ::testing::Test {
 protected:
  MisbehavingLine() : Sim(Options(), [] { return platform::TickCount64(); }) {}
  static TSimulatorOptions Options() {
    TSimulatorOptions options;
    options.Meters = {{0x20, AddressBytes("00000001234567")}};
    options.Echo = true;
    options.NoiseRate = 1;
    options.NoiseStartBytes = true;
    options.ShortRate = 0.5;
    options.Seed = 11;
    return options;
  }
  // Sends a request and reads until a meter's frame has come: echo, noise and the answer.
  static std::vector<uint8_t> Exchange(int fd, uint8_t serial) {
    const auto request = BuildReadRequest(0x20, AddressBytes("00000001234567"), 0x901F, serial);
    WriteAll(fd, request);
    std::vector<uint8_t> bytes;
    while (!EndsWithMeterFrame(bytes)) {
      const std::vector<uint8_t> more = ReadFor(fd, 1, 20000);
      if (more.empty()) break;
      bytes.insert(bytes.end(), more.begin(), more.end());
    }
    return bytes;
  }
  static bool EndsWithMeterFrame(const std::vector<uint8_t>& bytes) {
    for (size_t p = 0; p < bytes.size(); ++p) {
      const std::span<const uint8_t> rest = std::span(bytes).subspan(p);
      if (CheckFrame(rest) == TFrameCheck::Valid && FrameLengthAt(rest) == rest.size() && ViewFrame(rest).FromMeter())
        return true;
    }
    return false;
  }
  // What each exchange brought: the request's echo first, the answer's frame last, and a
  // stray start claiming more than follows in every other exchange.
  void ExpectWhatTheLineDid(const std::vector<std::vector<uint8_t>>& exchanges) {
    const std::vector<TAnswerRecord>& records = Sim.AnswersSent();
    ASSERT_EQ(records.size(), exchanges.size());
    size_t shortAnswers = 0, strays = 0;
    for (size_t k = 0; k < exchanges.size(); ++k) {
      const std::vector<uint8_t>& got = exchanges[k];
      const std::vector<uint8_t>& frame = records[k].Frame;
      const auto request = BuildReadRequest(0x20, AddressBytes("00000001234567"), 0x901F, records[k].Serial);
      ASSERT_GE(got.size(), request.size() + frame.size() + 1);
      EXPECT_TRUE(std::equal(request.begin(), request.end(), got.begin()));
      EXPECT_TRUE(std::equal(frame.begin(), frame.end(), got.end() - static_cast<long>(frame.size())));
      shortAnswers += records[k].Short;
      const size_t noiseEnd = got.size() - frame.size();
      for (size_t p = request.size(); p + FrameLengthOffset < noiseEnd; ++p)
        if (got[p] == FrameStart && p + FrameOverhead + got[p + FrameLengthOffset] > got.size()) {
          ++strays;
          break;
        }
    }
    EXPECT_GT(shortAnswers, 0u);
    EXPECT_LT(shortAnswers, exchanges.size());
    EXPECT_GT(strays, 0u);
    EXPECT_EQ(Sim.Stats().ShortAnswers, shortAnswers);
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

TEST_F(MisbehavingLine, EchoNoiseAndShortAnswersComeOverAPseudoTerminal) {
  const TPseudoTerminal pty = OpenPseudoTerminal();
  std::thread server([&] { ServeLine(pty.Master, Sim, Stop, {}); });
  const int host = OpenTerminal(pty.Name);
  std::vector<std::vector<uint8_t>> exchanges;
  for (uint8_t serial = 1; serial <= 8; ++serial) exchanges.push_back(Exchange(host, serial));
  CloseLine(host);
  Stop = true;
  server.join();
  CloseLine(pty.KeptSlave);
  CloseLine(pty.Master);
  ExpectWhatTheLineDid(exchanges);
}

TEST_F(MisbehavingLine, EchoNoiseAndShortAnswersComeOverTcp) {
  uint16_t port = 0;
  const int listener = ListenTcp("127.0.0.1", 0, port);
  std::thread server([&] { ServeTcp(listener, Sim, Stop, {}); });
  std::vector<std::vector<uint8_t>> exchanges;
  for (int connection = 0; connection < 2; ++connection) {
    const int client = ConnectTcp("127.0.0.1", port);
    for (uint8_t serial = 1; serial <= 4; ++serial) exchanges.push_back(Exchange(client, serial));
    CloseLine(client);
  }
  Stop = true;
  server.join();
  CloseLine(listener);
  ExpectWhatTheLineDid(exchanges);
}

}  // namespace
}  // namespace cjt::meter
