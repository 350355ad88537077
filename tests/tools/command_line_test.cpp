#include "tools/cjt188-meter/command_line.h"

#include <gtest/gtest.h>

namespace cjt::meter {
namespace {

TProgramOptions Parse(std::vector<std::string> arguments) { return ParseCommandLine(arguments); }

TEST(CommandLine, MetersLineAndBehaviour) {
  const TProgramOptions options =
      Parse({"--tcp",   "0",          "--meter", "heat:1234567", "--meter", "gas:AAAAAAAAAAAAAA",
             "--meter", "0x22:99",    "--echo",  "--delay",      "250",     "--drop",
             "0.25",    "--noise",    "1",       "--error",      "battery", "--seed",
             "9",       "--preamble", "4"});
  EXPECT_EQ(options.Line, TLineKind::Tcp);
  EXPECT_EQ(options.Port, 0);
  const auto& sim = options.Simulator;
  ASSERT_EQ(sim.Meters.size(), 3u);
  EXPECT_EQ(sim.Meters[0].MeterType, 0x20);
  EXPECT_EQ(sim.Meters[0].Address, AddressBytes("00000001234567"));
  EXPECT_EQ(sim.Meters[1].MeterType, 0x30);
  EXPECT_EQ(sim.Meters[1].Address, AddressBytes("AAAAAAAAAAAAAA"));
  EXPECT_EQ(sim.Meters[2].MeterType, 0x22);
  EXPECT_EQ(sim.Meters[2].Address[0], 0x99);
  EXPECT_TRUE(sim.Echo);
  EXPECT_EQ(sim.DelayMs, 250u);
  EXPECT_DOUBLE_EQ(sim.DropRate, 0.25);
  EXPECT_DOUBLE_EQ(sim.NoiseRate, 1);
  EXPECT_EQ(sim.ErrorStatus, StatusBatteryLow);
  EXPECT_DOUBLE_EQ(sim.ErrorRate, 1);  // every answer, unless a rate is given
  EXPECT_EQ(sim.Seed, 9u);
  EXPECT_EQ(sim.PreambleBytes, 4u);

  const TProgramOptions serial =
      Parse({"--serial", "/dev/ttyS1", "--baud", "9600", "--parity", "N", "--error", "0x06", "--error-rate", "0.1"});
  EXPECT_EQ(serial.Line, TLineKind::Serial);
  EXPECT_EQ(serial.Device, "/dev/ttyS1");
  EXPECT_EQ(serial.Baud, 9600u);
  EXPECT_EQ(serial.Parity, 'N');
  EXPECT_EQ(serial.Simulator.ErrorStatus, 0x06);
  EXPECT_DOUBLE_EQ(serial.Simulator.ErrorRate, 0.1);
  ASSERT_EQ(serial.Simulator.Meters.size(), 1u);  // the default heat meter
  EXPECT_EQ(serial.Simulator.Meters[0].Address, AddressBytes("00000001234567"));
  EXPECT_TRUE(Parse({"--help"}).Help);
}

TEST(CommandLine, RefusesWhatItCannotUse) {
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {},
           {"--tcp"},
           {"--tcp", "65536"},
           {"--tcp", "80x"},
           {"--pty", "--meter", "heat"},
           {"--pty", "--meter", "heat:"},
           {"--pty", "--meter", "heat:123456789012345"},
           {"--pty", "--meter", "heat:12 34"},
           {"--pty", "--meter", "steam:1"},
           {"--pty", "--meter", "0x123:1"},
           {"--pty", "--drop", "1.5"},
           {"--pty", "--noise", "-0.1"},
           {"--pty", "--error", "leak"},
           {"--pty", "--parity", "X"},
           {"--pty", "--bogus"},
       })
    EXPECT_THROW(ParseCommandLine(bad), ECommandLine) << (bad.empty() ? "" : bad.back());
  EXPECT_NE(HelpText().find("--meter TYPE:ADDRESS"), std::string::npos);
}

}  // namespace
}  // namespace cjt::meter
