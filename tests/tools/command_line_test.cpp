#include "tools/cjt188-meter/command_line.h"

#include <gtest/gtest.h>

namespace cjt::meter {
namespace {

TEST(CommandLine, MetersLineAndBehaviour) {
  const TProgramOptions options =
      ParseCommandLine({"--tcp", "0", "--meter", "heat:1234567", "--meter", "gas:AAAAAAAAAAAAAA", "--meter", "0x22:99",
                        "--drop", "0.25", "--error", "battery"});
  EXPECT_EQ(options.Line, TLineKind::Tcp);
  const auto& sim = options.Simulator;
  ASSERT_EQ(sim.Meters.size(), 3u);
  EXPECT_EQ(sim.Meters[0].MeterType, 0x20);
  EXPECT_EQ(sim.Meters[0].Address, AddressBytes("00000001234567"));
  EXPECT_EQ(sim.Meters[1].MeterType, 0x30);
  EXPECT_EQ(sim.Meters[2].MeterType, 0x22);
  EXPECT_EQ(sim.Meters[2].Address[0], 0x99);
  EXPECT_DOUBLE_EQ(sim.DropRate, 0.25);
  EXPECT_EQ(sim.ErrorStatus, StatusBatteryLow);
  EXPECT_DOUBLE_EQ(sim.ErrorRate, 1);  // every answer, unless a rate is given

  const TProgramOptions serial = ParseCommandLine({"--serial", "/dev/ttyS1", "--error-rate", "0.1", "--error", "0x06"});
  EXPECT_DOUBLE_EQ(serial.Simulator.ErrorRate, 0.1);
  EXPECT_EQ(serial.Simulator.Meters.size(), 1u);  // the default heat meter
  EXPECT_FALSE(serial.Simulator.NoiseStartBytes);
  EXPECT_DOUBLE_EQ(serial.Simulator.ShortRate, 0);
  EXPECT_EQ(serial.Simulator.ShortBytes, 0u);  // 1 to 4 at random
}

TEST(CommandLine, LineMisbehaviour) {
  const TSimulatorOptions sim =
      ParseCommandLine({"--pty", "--noise", "1", "--noise-start", "--short", "0.5", "--short-bytes", "3", "--echo"})
          .Simulator;
  EXPECT_TRUE(sim.NoiseStartBytes);
  EXPECT_DOUBLE_EQ(sim.NoiseRate, 1);
  EXPECT_DOUBLE_EQ(sim.ShortRate, 0.5);
  EXPECT_EQ(sim.ShortBytes, 3u);
  EXPECT_TRUE(sim.Echo);
  EXPECT_NE(HelpText().find("--noise-start"), std::string::npos);
  EXPECT_NE(HelpText().find("--short-bytes N"), std::string::npos);
}

TEST(CommandLine, RefusesWhatItCannotUse) {
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {},
           {"--tcp"},
           {"--tcp", "65536"},
           {"--pty", "--meter", "heat"},
           {"--pty", "--meter", "heat:123456789012345"},
           {"--pty", "--meter", "heat:12 34"},
           {"--pty", "--meter", "steam:1"},
           {"--pty", "--drop", "1.5"},
           {"--pty", "--error", "leak"},
           {"--pty", "--short"},
           {"--pty", "--short", "-0.1"},
           {"--pty", "--short", "2"},
           {"--pty", "--short-bytes", "0"},
           {"--pty", "--short-bytes", "256"},
           {"--pty", "--short-bytes", "two"},
           {"--pty", "--bogus"},
       })
    EXPECT_THROW(ParseCommandLine(bad), ECommandLine) << (bad.empty() ? "" : bad.back());
}

}  // namespace
}  // namespace cjt::meter
