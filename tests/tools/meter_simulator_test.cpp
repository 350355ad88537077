#include "tools/cjt188-meter/meter_simulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>

#include "cjt188/date_encoding.h"
#include "tests/tools/answer_decoding.h"
#include "tools/cjt188-meter/value_encoding.h"

namespace cjt::meter {
namespace {

using TBytes = std::vector<uint8_t>;

const TAddressBytes HeatAddress = AddressBytes("00000001234567");
const TAddressBytes WaterAddress = AddressBytes("00000000000042");
const TAddressBytes GasAddress = AddressBytes("11223344556677");
constexpr double Start = 45658.0;  // 2025-01-01 00:00

TBytes Request(uint8_t type, const TAddressBytes& address, uint16_t di, uint8_t serial) {
  const auto frame = BuildReadRequest(type, address, di, serial);
  return {frame.begin(), frame.end()};
}

// Cuts the frames out of simulator output, skipping preamble and noise.
std::vector<TBytes> Frames(const TBytes& output) {
  std::vector<TBytes> frames;
  for (size_t i = 0; i < output.size(); ++i) {
    const std::span<const uint8_t> rest = std::span(output).subspan(i);
    if (CheckFrame(rest) != TFrameCheck::Valid) continue;
    frames.emplace_back(rest.begin(), rest.begin() + FrameLengthAt(rest));
    i += frames.back().size() - 1;
  }
  return frames;
}

class MeterSimulatorTest : public ::testing::Test {
 protected:
  TMeterSimulator Make(TSimulatorOptions options = {}) {
    if (options.Meters.empty()) options.Meters = {{0x20, HeatAddress}, {0x10, WaterAddress}, {0x30, GasAddress}};
    options.StartDateTime = Start;
    return TMeterSimulator(options, [this] { return NowMs; });
  }
  std::vector<TBytes> Ask(TMeterSimulator& sim, const TBytes& request) {
    sim.Receive(request);
    return Frames(sim.TakeOutput());
  }

  uint64_t NowMs = 5000;
};

TEST_F(MeterSimulatorTest, HeatMeter901FAnswerDecodesToTheMeterValues) {
  TMeterSimulator sim = Make();
  NowMs += 2 * 3600 * 1000 + 30 * 60 * 1000 + 17 * 1000;  // 02:30:17 on the meter clock
  const auto frames = Ask(sim, Request(0x20, HeatAddress, 0x901F, 1));
  ASSERT_EQ(frames.size(), 1u);
  const TBytes& frame = frames[0];
  const TFrameView view = ViewFrame(frame);
  EXPECT_EQ(view.Control, 0x81);
  EXPECT_EQ(view.MeterType, 0x20);
  EXPECT_EQ(view.Address, HeatAddress);
  ASSERT_EQ(view.Data.size(), 46u);

  const TDecodedAnswer answer = DecodeAnswer(frame);
  EXPECT_EQ(answer.DI, 0x901F);
  EXPECT_EQ(answer.Serial, 1);
  EXPECT_EQ(answer.Left, 0);
  EXPECT_EQ(answer.Names, (std::vector<std::string>{"SETTLEMENT_DAY_ENERGY_HEAT", "ENERGY_HEAT", "POWER", "FLOW",
                                                    "CUMULATIVE_FLOW", "TEMP_INLET", "TEMP_OUTLET", "WORK_TIME",
                                                    "METER_TIMESTAMP", "STATUS1", "STATUS2"}));
  EXPECT_EQ(answer.Units, (std::map<std::string, std::string>{{"SETTLEMENT_DAY_ENERGY_HEAT_UNIT", "kWh"},
                                                              {"ENERGY_HEAT_UNIT", "kWh"},
                                                              {"POWER_UNIT", "kW"},
                                                              {"FLOW_UNIT", "m3/h"},
                                                              {"CUMULATIVE_FLOW_UNIT", "m3"}}));
  const TMeterModel& meter = sim.Meters()[0];
  const double elapsed = (NowMs - 5000) / 1000.0;
  for (const TRequestFuncType* row : answer.Rows) {
    if (row->Kind() != TValueKind::Bcd) continue;
    const double step = std::pow(10.0, -row->Decimals());
    EXPECT_NEAR(Number(answer.Values.at(std::string(row->Name))), meter.ValueOf(row->Name, elapsed, Start),
                step / 2 + 1e-9)
        << row->Name;
  }
  EXPECT_GT(Number(answer.Values.at("ENERGY_HEAT")), Number(answer.Values.at("SETTLEMENT_DAY_ENERGY_HEAT")));
  EXPECT_GT(Number(answer.Values.at("TEMP_INLET")), Number(answer.Values.at("TEMP_OUTLET")));
  const auto& stamp = std::get<TDateTimeValue>(answer.Values.at("METER_TIMESTAMP"));
  EXPECT_TRUE(stamp.Error.empty());
  EXPECT_DOUBLE_EQ(stamp.Value, EncodeDateTime(2025, 1, 1, 2, 30, 0, 0));
  EXPECT_EQ(std::get<uint32_t>(answer.Values.at("STATUS1")), 0u);
}

TEST_F(MeterSimulatorTest, WaterMeter901FAnswerEndsWithOneSixteenBitStatus) {
  TMeterSimulator sim = Make();
  const auto frames = Ask(sim, Request(0x10, WaterAddress, 0x901F, 9));
  ASSERT_EQ(frames.size(), 1u);
  ASSERT_EQ(ViewFrame(frames[0]).Data.size(), 22u);
  const TDecodedAnswer answer = DecodeAnswer(frames[0]);
  EXPECT_EQ(answer.Names,
            (std::vector<std::string>{"CUMULATIVE_FLOW", "SETTLEMENT_TOTAL_FLOW", "METER_TIMESTAMP", "STATUS1"}));
  EXPECT_EQ(answer.Units.at("CUMULATIVE_FLOW_UNIT"), "m3");
  EXPECT_EQ(answer.Units.at("SETTLEMENT_TOTAL_FLOW_UNIT"), "m3");
  EXPECT_TRUE(std::holds_alternative<uint32_t>(answer.Values.at("STATUS1")));
  EXPECT_NEAR(Number(answer.Values.at("CUMULATIVE_FLOW")), sim.Meters()[1].ValueOf("CUMULATIVE_FLOW", 0, Start),
              0.005 + 1e-9);
  EXPECT_DOUBLE_EQ(std::get<TDateTimeValue>(answer.Values.at("METER_TIMESTAMP")).Value, Start);
}

TEST_F(MeterSimulatorTest, BcdBytesOfTheWorkedExample) {
  TBytes bytes;
  AppendBcd(bytes, 123456.78, 4, 2);
  bytes.push_back(TMeterModel::UnitCodeOf("CUMULATIVE_FLOW"));
  EXPECT_EQ(bytes, (TBytes{0x78, 0x56, 0x34, 0x12, 0x2C}));
  const TDecodedValue value = DecodeValue(RequestFuncTypes()[0], bytes);
  EXPECT_DOUBLE_EQ(std::get<double>(value.Value), 123456.78);
  EXPECT_EQ(UnitText(bytes[value.Consumed]), "m3");
}

TEST_F(MeterSimulatorTest, EveryRowOfTheTableIsAnswered) {
  TSimulatorOptions options;
  options.FullWaterStatus = true;
  options.Meters = {{0x20, HeatAddress}, {0x10, WaterAddress}, {0x30, GasAddress}};
  TMeterSimulator sim = Make(options);
  std::set<const TRequestFuncType*> decoded;
  uint8_t serial = 0;
  for (const auto& meter : options.Meters)
    for (uint16_t di : {0x901F, 0x911F}) {
      const auto frames = Ask(sim, Request(meter.MeterType, meter.Address, di, ++serial));
      ASSERT_EQ(frames.size(), 1u);
      const TDecodedAnswer answer = DecodeAnswer(frames[0]);
      EXPECT_EQ(answer.Left, 0);
      EXPECT_EQ(answer.Serial, serial);
      decoded.insert(answer.Rows.begin(), answer.Rows.end());
    }
  EXPECT_EQ(decoded.size(), RequestFuncTypes().size());
}

TEST_F(MeterSimulatorTest, ValuesChangePlausiblyOverTime) {
  TMeterSimulator sim = Make();
  const auto read = [&](uint8_t type, const TAddressBytes& address, uint16_t di) {
    const auto frames = Ask(sim, Request(type, address, di, 1));
    return frames.size() == 1 ? DecodeAnswer(frames[0]) : TDecodedAnswer{};
  };
  NowMs += 3600 * 1000;  // 01:00
  const TDecodedAnswer heat1 = read(0x20, HeatAddress, 0x911F);
  const TDecodedAnswer water1 = read(0x10, WaterAddress, 0x911F);
  NowMs += 24 * 3600 * 1000;  // next day, 01:00
  const TDecodedAnswer heat2 = read(0x20, HeatAddress, 0x911F);
  const TDecodedAnswer water2 = read(0x10, WaterAddress, 0x911F);
  const auto value = [](const TDecodedAnswer& a, const char* name) { return Number(a.Values.at(name)); };

  // Energy grows by about a day's mean power; the volume and the operating hours grow.
  const double energyGrowth = value(heat2, "ENERGY_HEAT") - value(heat1, "ENERGY_HEAT");
  EXPECT_NEAR(energyGrowth, 24 * value(heat1, "POWER"), 0.15 * 24 * value(heat1, "POWER"));
  EXPECT_GT(value(heat2, "CUMULATIVE_FLOW"), value(heat1, "CUMULATIVE_FLOW"));
  EXPECT_EQ(value(heat2, "WORK_TIME") - value(heat1, "WORK_TIME"), 24);
  EXPECT_GT(value(water2, "CUMULATIVE_FLOW"), value(water1, "CUMULATIVE_FLOW"));
  // Settlement values are those of the last midnight.
  EXPECT_LT(value(heat2, "SETTLEMENT_DAY_ENERGY_HEAT"), value(heat2, "ENERGY_HEAT"));
  EXPECT_GT(value(heat2, "SETTLEMENT_DAY_ENERGY_HEAT"), value(heat1, "ENERGY_HEAT"));
  // A heat-only meter counts no cooling energy.
  EXPECT_EQ(value(heat2, "ENERGY_COOL"), 0);
  // Temperatures and pressures stay near their levels.
  for (const auto* a : {&heat1, &heat2}) {
    EXPECT_GT(value(*a, "TEMP_INLET"), 50);
    EXPECT_LT(value(*a, "TEMP_INLET"), 85);
    EXPECT_GT(value(*a, "TEMP_INLET") - value(*a, "TEMP_OUTLET"), 8);
    EXPECT_GT(value(*a, "PRESSURE_INLET"), value(*a, "PRESSURE_OUTLET"));
  }
  EXPECT_GT(value(water2, "TEMP"), 5);
  EXPECT_LT(value(water2, "TEMP"), 25);
}

TEST_F(MeterSimulatorTest, FindsRequestsAmongPreambleNoiseAndSplitReads) {
  TMeterSimulator sim = Make();
  TBytes stream{0xFE, 0xFE, 0xFE, 0xFE};
  const TBytes request = Request(0x20, HeatAddress, 0x901F, 3);
  stream.insert(stream.end(), request.begin(), request.end());
  // A stray start byte with a long length, then a request with a bad checksum, then one good.
  stream.insert(stream.end(), {0x00, 0x68, 0x20, 1, 2, 3, 4, 5, 6, 7, 0x01, 0xF0});
  TBytes bad = Request(0x10, WaterAddress, 0x901F, 4);
  bad[14] ^= 0xFF;
  stream.insert(stream.end(), bad.begin(), bad.end());
  const TBytes water = Request(0x10, WaterAddress, 0x911F, 5);
  stream.insert(stream.end(), water.begin(), water.end());

  std::vector<TBytes> frames;
  for (uint8_t byte : stream) {
    sim.Receive(TBytes{byte});
    for (auto& frame : Frames(sim.TakeOutput())) frames.push_back(frame);
  }
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(DecodeAnswer(frames[0]).Serial, 3);
  EXPECT_EQ(DecodeAnswer(frames[1]).Serial, 5);
  EXPECT_EQ(ViewFrame(frames[1]).MeterType, 0x10);
  EXPECT_EQ(sim.Stats().Requests, 2u);
  EXPECT_EQ(sim.Stats().ChecksumErrors, 1u);
}

TEST_F(MeterSimulatorTest, AnswersOnlyReadRequestsFromAMaster) {
  TMeterSimulator sim = Make();
  const TBytes answer = sim.BuildAnswer(sim.Meters()[0], 0x901F, 1);
  EXPECT_TRUE(Ask(sim, answer).empty());  // another meter's answer on the line
  TBytes write = Request(0x20, HeatAddress, 0x901F, 1);
  write[FrameControlOffset] = 0x04;
  Checksum(write.data(), 16, true);
  EXPECT_TRUE(Ask(sim, write).empty());
  const TBytes shortRequest = BuildFrame(0x20, HeatAddress, 0x01, TBytes{0x90, 0x1F});
  EXPECT_TRUE(Ask(sim, shortRequest).empty());
  EXPECT_EQ(sim.Stats().OtherFrames, 3u);
  // A function without rows is not answered.
  EXPECT_TRUE(Ask(sim, Request(0x20, HeatAddress, 0x902F, 1)).empty());
  EXPECT_EQ(sim.Stats().Unanswered, 1u);
  EXPECT_TRUE(sim.BuildAnswer(sim.Meters()[0], 0x1234, 1).empty());
}

TEST_F(MeterSimulatorTest, BroadcastAndWildcardAddresses) {
  TSimulatorOptions options;
  options.Meters = {{0x20, HeatAddress}, {0x20, AddressBytes("00000007654321")}, {0x10, WaterAddress}};
  TMeterSimulator sim = Make(options);
  const TAddressBytes broadcast = AddressBytes("AAAAAAAAAAAAAA");
  EXPECT_EQ(Ask(sim, Request(0x20, broadcast, 0x901F, 1)).size(), 2u);
  EXPECT_EQ(Ask(sim, Request(0x20, AddressBytes("99999999999999"), 0x901F, 1)).size(), 2u);
  EXPECT_EQ(Ask(sim, Request(0x20, TAddressBytes{}, 0x901F, 1)).size(), 2u);
  EXPECT_EQ(Ask(sim, Request(0xAA, broadcast, 0x901F, 1)).size(), 3u);
  // AA bytes match any byte: the high bytes here leave the two heat meters apart.
  const auto one = Ask(sim, Request(0x20, AddressBytes("AAAAAAAA234567"), 0x901F, 1));
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(ViewFrame(one[0]).Address, HeatAddress);
  EXPECT_TRUE(Ask(sim, Request(0x20, AddressBytes("00000001234568"), 0x901F, 1)).empty());
  EXPECT_TRUE(Ask(sim, Request(0x10, HeatAddress, 0x901F, 1)).empty());
}

TEST_F(MeterSimulatorTest, ErrorAnswersCarryTheStatusBits) {
  TSimulatorOptions options;
  options.ErrorStatus = StatusValveError | StatusBatteryLow;
  options.ErrorRate = 1;
  TMeterSimulator sim = Make(options);
  const auto frames = Ask(sim, Request(0x10, WaterAddress, 0x901F, 7));
  ASSERT_EQ(frames.size(), 1u);
  const TFrameView view = ViewFrame(frames[0]);
  EXPECT_EQ(view.Control, 0xC1);
  EXPECT_TRUE(view.IsError());
  ASSERT_EQ(view.Data.size(), 3u);
  EXPECT_EQ(frames[0][12], 0x06);
  EXPECT_EQ(sim.Stats().ErrorAnswers, 1u);
}

TEST_F(MeterSimulatorTest, EchoDelayAndPreamble) {
  TSimulatorOptions options;
  options.Echo = true;
  options.DelayMs = 300;
  options.PreambleBytes = 2;
  TMeterSimulator sim = Make(options);
  EXPECT_EQ(sim.MillisecondsToNextOutput(), -1);
  const TBytes request = Request(0x20, HeatAddress, 0x901F, 1);
  sim.Receive(request);
  // The line returns the request at once; the answer waits for the delay.
  EXPECT_EQ(sim.TakeOutput(), request);
  EXPECT_EQ(sim.MillisecondsToNextOutput(), 300);
  NowMs += 299;
  EXPECT_TRUE(sim.TakeOutput().empty());
  NowMs += 1;
  EXPECT_EQ(sim.MillisecondsToNextOutput(), 0);
  const TBytes answer = sim.TakeOutput();
  ASSERT_EQ(answer.size(), 2 + 13 + 46u);
  EXPECT_EQ(answer[0], 0xFE);
  EXPECT_EQ(answer[1], 0xFE);
  EXPECT_EQ(CheckFrame(std::span(answer).subspan(2)), TFrameCheck::Valid);
  EXPECT_EQ(sim.MillisecondsToNextOutput(), -1);
}

TEST_F(MeterSimulatorTest, DropsAndNoiseFollowTheSeed) {
  TSimulatorOptions options;
  options.DropRate = 0.5;
  options.NoiseRate = 0.5;
  options.MaxNoiseBytes = 20;
  options.Seed = 42;
  const auto run = [&] {
    TMeterSimulator sim = Make(options);
    TBytes all;
    for (int i = 0; i < 200; ++i) {
      sim.Receive(Request(0x20, HeatAddress, 0x901F, static_cast<uint8_t>(i)));
      const TBytes out = sim.TakeOutput();
      all.insert(all.end(), out.begin(), out.end());
    }
    EXPECT_EQ(sim.Stats().Answers + sim.Stats().Dropped, 200u);
    EXPECT_GT(sim.Stats().Dropped, 50u);
    EXPECT_LT(sim.Stats().Dropped, 150u);
    EXPECT_EQ(Frames(all).size(), sim.Stats().Answers);
    return all;
  };
  const TBytes first = run();
  EXPECT_EQ(run(), first);
  // There was noise, but no start byte in it: every 0x68 outside the answers would hold up
  // a receiver until more bytes came.
  EXPECT_GT(first.size(), Frames(first).size() * (13 + 46));
  for (size_t i = 0; i < first.size();) {
    const auto rest = std::span(first).subspan(i);
    if (CheckFrame(rest) == TFrameCheck::Valid) {
      i += FrameLengthAt(rest);
      continue;
    }
    ASSERT_NE(first[i], FrameStart) << i;
    ++i;
  }
}

TEST_F(MeterSimulatorTest, SurvivesArbitraryBytes) {
  TSimulatorOptions options;
  options.Echo = true;
  TMeterSimulator sim = Make(options);
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    TBytes block(random() % 40);
    for (auto& b : block) b = static_cast<uint8_t>(random() % 4 == 0 ? FrameStart : random());
    if (round % 50 == 0) {
      const TBytes request = Request(0xAA, AddressBytes("AAAAAAAAAAAAAA"), 0x911F, 1);
      block.insert(block.end(), request.begin(), request.end());
    }
    sim.Receive(block);
    sim.TakeOutput();
  }
  EXPECT_GE(sim.Stats().Answers, 60u * 3);
}

}  // namespace
}  // namespace cjt::meter
