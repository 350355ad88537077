#include "tools/cjt188-meter/meter_simulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>

#include "cjt188/date_encoding.h"
#include "cjt188/value_decoding.h"
#include "tools/cjt188-meter/value_encoding.h"

namespace cjt::meter {
namespace {

using TBytes = std::vector<uint8_t>;

const TAddressBytes HeatAddress = AddressBytes("00000001234567");
const TAddressBytes WaterAddress = AddressBytes("00000000000042");
const TAddressBytes GasAddress = AddressBytes("11223344556677");
constexpr double Start = 45658.0;  // 2025-01-01 00:00

// The values of an answer as the plug-in walks the value-item table: the rows for the
// answer's DI and meter type, a row skipped when fewer bytes are left than its width, a
// unit item after values with a unit byte.
struct TAnswer {
  uint8_t Serial = 0;
  std::vector<std::string> Names;
  std::map<std::string, double> Values;  // date-times as days
  std::map<std::string, std::string> Units;
  std::set<const TRequestFuncType*> Rows;
  size_t Left = 0;
};

// The unit byte of a value, when there is one and it has a text.
void TakeUnit(TAnswer& answer, const std::string& name, std::span<const uint8_t>& rest) {
  if (rest.empty()) return;
  if (!UnitText(rest[0]).empty()) answer.Units[name] = std::string(UnitText(rest[0]));
  rest = rest.subspan(1);
}

TAnswer Decode(std::span<const uint8_t> frame, TLayoutVariant variant = TLayoutVariant::Standard) {
  TAnswer answer;
  const TFrameView view = ViewFrame(frame);
  const uint16_t di = static_cast<uint16_t>(view.Data[0] << 8 | view.Data[1]);
  answer.Serial = view.Data[2];
  std::span<const uint8_t> rest = view.Data.subspan(3);
  const bool unitFirst = variant == TLayoutVariant::UnitFirst;
  for (const TRequestFuncType& row : FindRowsFor(di, view.MeterType, variant, rest.size())) {
    if (rest.size() < row.Width) continue;
    if (unitFirst && row.HasUnitByte()) TakeUnit(answer, std::string(row.Name), rest);
    const TDecodedValue value = DecodeValue(row, rest);
    rest = rest.subspan(value.Consumed);
    const std::string name(row.Name);
    answer.Names.push_back(name);
    answer.Rows.insert(&row);
    std::visit(
        [&](const auto& v) {
          if constexpr (std::is_same_v<std::decay_t<decltype(v)>, TDateTimeValue>)
            answer.Values[name] = v.Value;
          else
            answer.Values[name] = v;
        },
        value.Value);
    if (row.HasUnitByte() && !unitFirst) TakeUnit(answer, name, rest);
  }
  answer.Left = rest.size();
  return answer;
}

// Read data, or read address for its identifier.
TBytes Request(uint8_t type, const TAddressBytes& address, uint16_t di, uint8_t serial) {
  const auto frame = BuildRequest(type, address, RequestFunctionOf(di), di, serial);
  return {frame.begin(), frame.end()};
}

// The frames in simulator output, past preamble and noise.
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
  TAnswer AskOne(TMeterSimulator& sim, const TBytes& request) {
    const auto frames = Ask(sim, request);
    EXPECT_EQ(frames.size(), 1u);
    return frames.empty() ? TAnswer{} : Decode(frames[0]);
  }

  uint64_t NowMs = 5000;
};

TEST_F(MeterSimulatorTest, HeatMeter901FAnswerDecodesToTheMeterValues) {
  TMeterSimulator sim = Make();
  NowMs += (2 * 3600 + 30 * 60 + 17) * 1000;  // 02:30:17 on the meter clock
  const auto frames = Ask(sim, Request(0x20, HeatAddress, 0x901F, 1));
  ASSERT_EQ(frames.size(), 1u);
  const TFrameView view = ViewFrame(frames[0]);
  EXPECT_EQ(view.Control, 0x81);
  EXPECT_EQ(view.Address, HeatAddress);
  ASSERT_EQ(view.Data.size(), 46u);

  const TAnswer answer = Decode(frames[0]);
  EXPECT_EQ(answer.Serial, 1);
  EXPECT_EQ(answer.Left, 0u);
  EXPECT_EQ(answer.Names, (std::vector<std::string>{"SETTLEMENT_DAY_ENERGY_HEAT", "ENERGY_HEAT", "POWER", "FLOW",
                                                    "CUMULATIVE_FLOW", "TEMP_INLET", "TEMP_OUTLET", "WORK_TIME",
                                                    "METER_TIMESTAMP", "STATUS1", "STATUS2"}));
  EXPECT_EQ(answer.Units, (std::map<std::string, std::string>{{"SETTLEMENT_DAY_ENERGY_HEAT", "kWh"},
                                                              {"ENERGY_HEAT", "kWh"},
                                                              {"POWER", "kW"},
                                                              {"FLOW", "m3/h"},
                                                              {"CUMULATIVE_FLOW", "m3"}}));
  const double elapsed = (NowMs - 5000) / 1000.0;
  for (const TRequestFuncType* row : answer.Rows) {
    if (row->Kind() != TValueKind::Bcd) continue;
    EXPECT_NEAR(answer.Values.at(std::string(row->Name)), sim.Meters()[0].ValueOf(row->Name, elapsed, Start),
                std::pow(10.0, -row->Decimals()) / 2 + 1e-9)
        << row->Name;
  }
  EXPECT_GT(answer.Values.at("TEMP_INLET"), answer.Values.at("TEMP_OUTLET"));
  EXPECT_DOUBLE_EQ(answer.Values.at("METER_TIMESTAMP"), EncodeDateTime(2025, 1, 1, 2, 30, 0, 0));
  EXPECT_EQ(answer.Values.at("STATUS1"), 0);
}

TEST_F(MeterSimulatorTest, WaterMeter901FAnswerEndsWithOneSixteenBitStatus) {
  TMeterSimulator sim = Make();
  const auto frames = Ask(sim, Request(0x10, WaterAddress, 0x901F, 9));
  ASSERT_EQ(frames.size(), 1u);
  ASSERT_EQ(ViewFrame(frames[0]).Data.size(), 22u);
  const TAnswer answer = Decode(frames[0]);
  EXPECT_EQ(answer.Names,
            (std::vector<std::string>{"CUMULATIVE_FLOW", "SETTLEMENT_TOTAL_FLOW", "METER_TIMESTAMP", "STATUS1"}));
  EXPECT_EQ(answer.Units.at("CUMULATIVE_FLOW"), "m3");
  EXPECT_NEAR(answer.Values.at("CUMULATIVE_FLOW"), sim.Meters()[1].ValueOf("CUMULATIVE_FLOW", 0, Start), 0.005);
  EXPECT_DOUBLE_EQ(answer.Values.at("METER_TIMESTAMP"), Start);

  // The worked example: 0x78 0x56 0x34 0x12 with 2 decimals and the unit byte 0x2C.
  TBytes bytes;
  AppendBcd(bytes, 123456.78, 4, 2);
  EXPECT_EQ(bytes, (TBytes{0x78, 0x56, 0x34, 0x12}));
  EXPECT_DOUBLE_EQ(std::get<double>(DecodeValue(RequestFuncTypes()[0], bytes).Value), 123456.78);
  EXPECT_EQ(UnitText(TMeterModel::UnitCodeOf("CUMULATIVE_FLOW")), "m3");
}

TEST_F(MeterSimulatorTest, EveryRowOfTheTableIsAnswered) {
  TSimulatorOptions options;
  options.FullWaterStatus = true;
  TMeterSimulator sim = Make(options);
  std::set<const TRequestFuncType*> decoded;
  uint8_t serial = 0;
  for (const TMeterModel& meter : sim.Meters())
    for (const TCjtFunction& function : CjtFunctions()) {
      const TAnswer answer = AskOne(sim, Request(meter.MeterType(), meter.Address(), function.DI, ++serial));
      EXPECT_EQ(answer.Left, 0u);
      EXPECT_EQ(answer.Serial, serial);
      decoded.insert(answer.Rows.begin(), answer.Rows.end());
    }
  EXPECT_EQ(decoded.size(), RequestFuncTypes().size());
}

// The meter answers a broadcast read-address request with its own address and type, under
// the read-address control code, and a read-data request for 810A not at all.
TEST_F(MeterSimulatorTest, ReadAddressFindsTheOneMeterOnTheLine) {
  TMeterSimulator sim = Make({.Meters = {{0x22, GasAddress}}});
  const auto frames = Ask(sim, Request(0xAA, AddressBytes("AAAAAAAAAAAAAA"), 0x810A, 9));
  ASSERT_EQ(frames.size(), 1u);
  const TFrameView view = ViewFrame(frames[0]);
  EXPECT_EQ(view.Control, 0x83);
  EXPECT_EQ(view.MeterType, 0x22);
  EXPECT_EQ(view.Address, GasAddress);
  EXPECT_EQ(TBytes(view.Data.begin(), view.Data.end()), (TBytes{0x81, 0x0A, 9}));
  const auto readData = BuildReadRequest(0xAA, AddressBytes("AAAAAAAAAAAAAA"), 0x810A, 10);
  EXPECT_TRUE(Ask(sim, TBytes(readData.begin(), readData.end())).empty());
}

// In a maker's layout the meters' answers carry the same values: units in front of their
// values, or the short heat fields.
TEST_F(MeterSimulatorTest, MakersLayoutsCarryTheSameValues) {
  for (const TLayoutVariant variant : {TLayoutVariant::UnitFirst, TLayoutVariant::ShortHeat}) {
    SCOPED_TRACE(std::string(LayoutVariantName(variant)));
    TMeterSimulator standard = Make();
    TMeterSimulator maker = Make({.Variant = variant});
    for (const TMeterModel& meter : standard.Meters())
      for (uint16_t di : {0x901F, 0x911F, 0xD120}) {
        const TBytes request = Request(meter.MeterType(), meter.Address(), di, 1);
        const TAnswer expected = AskOne(standard, request);
        const TAnswer got = [&] {
          const auto frames = Ask(maker, request);
          EXPECT_EQ(frames.size(), 1u);
          return frames.empty() ? TAnswer{} : Decode(frames[0], variant);
        }();
        EXPECT_EQ(got.Left, 0u);
        EXPECT_EQ(got.Names, expected.Names);
        EXPECT_EQ(got.Units, expected.Units);
        for (const auto& [name, value] : expected.Values) EXPECT_NEAR(got.Values.at(name), value, 0.01) << name;
      }
  }
}

TEST_F(MeterSimulatorTest, ValuesChangePlausiblyOverTime) {
  TMeterSimulator sim = Make();
  NowMs += 3600 * 1000;  // 01:00
  const TAnswer heat1 = AskOne(sim, Request(0x20, HeatAddress, 0x911F, 1));
  const TAnswer water1 = AskOne(sim, Request(0x10, WaterAddress, 0x911F, 1));
  NowMs += 24 * 3600 * 1000;  // 01:00 the next day
  const TAnswer heat2 = AskOne(sim, Request(0x20, HeatAddress, 0x911F, 2));
  const TAnswer water2 = AskOne(sim, Request(0x10, WaterAddress, 0x911F, 2));
  const auto grew = [](const TAnswer& a, const TAnswer& b, const char* name) {
    return b.Values.at(name) - a.Values.at(name);
  };
  // Energy grows by about a day at the mean power; volume and operating hours grow.
  EXPECT_NEAR(grew(heat1, heat2, "ENERGY_HEAT"), 24 * heat1.Values.at("POWER"), 0.15 * 24 * heat1.Values.at("POWER"));
  EXPECT_GT(grew(heat1, heat2, "CUMULATIVE_FLOW"), 0);
  EXPECT_GT(grew(water1, water2, "CUMULATIVE_FLOW"), 0);
  EXPECT_EQ(grew(heat1, heat2, "WORK_TIME"), 24);
  // Settlement values are those of the last midnight; a heat-only meter counts no cooling.
  EXPECT_GT(heat2.Values.at("SETTLEMENT_DAY_ENERGY_HEAT"), heat1.Values.at("ENERGY_HEAT"));
  EXPECT_LT(heat2.Values.at("SETTLEMENT_DAY_ENERGY_HEAT"), heat2.Values.at("ENERGY_HEAT"));
  EXPECT_EQ(heat2.Values.at("ENERGY_COOL"), 0);
  for (const TAnswer* a : {&heat1, &heat2}) {
    EXPECT_GT(a->Values.at("TEMP_INLET") - a->Values.at("TEMP_OUTLET"), 8);
    EXPECT_GT(a->Values.at("PRESSURE_INLET"), a->Values.at("PRESSURE_OUTLET"));
  }
  EXPECT_GT(water2.Values.at("TEMP"), 5);
  EXPECT_LT(water2.Values.at("TEMP"), 25);
}

TEST_F(MeterSimulatorTest, FindsRequestsAmongPreambleNoiseAndSplitReads) {
  TMeterSimulator sim = Make();
  TBytes stream{0xFE, 0xFE, 0xFE, 0xFE};
  const TBytes heat = Request(0x20, HeatAddress, 0x901F, 3);
  stream.insert(stream.end(), heat.begin(), heat.end());
  // A stray start byte asking for 240 data bytes, a request with a bad checksum, a good one.
  stream.insert(stream.end(), {0x00, 0x68, 0x20, 1, 2, 3, 4, 5, 6, 7, 0x01, 0xF0});
  TBytes bad = Request(0x10, WaterAddress, 0x901F, 4);
  bad[14] ^= 0xFF;
  stream.insert(stream.end(), bad.begin(), bad.end());
  const TBytes water = Request(0x10, WaterAddress, 0x911F, 5);
  stream.insert(stream.end(), water.begin(), water.end());
  // The answer of another meter on the line, and a request with another function.
  const TBytes answer = sim.BuildAnswer(sim.Meters()[0], 0x901F, 1);
  stream.insert(stream.end(), answer.begin(), answer.end());
  TBytes write = Request(0x20, HeatAddress, 0x901F, 6);
  write[FrameControlOffset] = 0x04;
  Checksum(write.data(), 16, true);
  stream.insert(stream.end(), write.begin(), write.end());

  std::vector<uint8_t> serials;
  for (uint8_t byte : stream) {
    sim.Receive(TBytes{byte});
    for (const auto& frame : Frames(sim.TakeOutput())) serials.push_back(frame[13]);
  }
  EXPECT_EQ(serials, (std::vector<uint8_t>{3, 5}));
  EXPECT_EQ(sim.Stats().Requests, 2u);
  EXPECT_EQ(sim.Stats().ChecksumErrors, 1u);
  EXPECT_EQ(sim.Stats().OtherFrames, 2u);
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
  // AA bytes match any byte: here the low bytes still tell the two heat meters apart.
  const auto one = Ask(sim, Request(0x20, AddressBytes("AAAAAAAA234567"), 0x901F, 1));
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(ViewFrame(one[0]).Address, HeatAddress);
  EXPECT_TRUE(Ask(sim, Request(0x20, AddressBytes("00000001234568"), 0x901F, 1)).empty());
  EXPECT_TRUE(Ask(sim, Request(0x10, HeatAddress, 0x901F, 1)).empty());
  EXPECT_TRUE(Ask(sim, Request(0x20, HeatAddress, 0x902F, 1)).empty());
  EXPECT_EQ(sim.Stats().Unanswered, 3u);
}

TEST_F(MeterSimulatorTest, ErrorAnswersEchoDelayAndPreamble) {
  TSimulatorOptions options;
  options.ErrorStatus = StatusValveError | StatusBatteryLow;
  options.ErrorRate = 1;
  options.Echo = true;
  options.DelayMs = 300;
  options.PreambleBytes = 2;
  TMeterSimulator sim = Make(options);
  const TBytes request = Request(0x10, WaterAddress, 0x901F, 7);
  sim.Receive(request);
  // The line returns the request at once; the answer waits for the delay.
  EXPECT_EQ(sim.TakeOutput(), request);
  EXPECT_EQ(sim.MillisecondsToNextOutput(), 300);
  NowMs += 299;
  EXPECT_TRUE(sim.TakeOutput().empty());
  NowMs += 1;
  const TBytes answer = sim.TakeOutput();
  ASSERT_EQ(answer.size(), 2 + 13 + 3u);
  EXPECT_EQ(answer[0], PreambleByte);
  EXPECT_EQ(answer[1], PreambleByte);
  const auto frame = std::span(answer).subspan(2);
  EXPECT_EQ(CheckFrame(frame), TFrameCheck::Valid);
  EXPECT_EQ(frame[FrameControlOffset], 0xC1);
  EXPECT_EQ(frame[12], 0x06);
  EXPECT_EQ(sim.MillisecondsToNextOutput(), -1);

  // A cut line loses what was on its way: the echo, the answer and half a request.
  sim.Receive(request);
  sim.Receive(TBytes(request.begin(), request.begin() + 5));
  sim.DropPending();
  sim.Receive(TBytes(request.begin() + 5, request.end()));
  NowMs += 1000;
  EXPECT_EQ(sim.TakeOutput(), TBytes(request.begin() + 5, request.end()));  // the echo of the tail alone
  EXPECT_TRUE(sim.AnswersSent().empty());
}

TEST_F(MeterSimulatorTest, DropsAndNoiseFollowTheSeedAndNoiseHoldsNoStartByte) {
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
  EXPECT_GT(first.size(), Frames(first).size() * (13 + 46));
  for (size_t i = 0; i < first.size();) {
    const auto rest = std::span(first).subspan(i);
    if (CheckFrame(rest) == TFrameCheck::Valid) {
      i += FrameLengthAt(rest);
      continue;
    }
    ASSERT_NE(first[i++], FrameStart);
  }
}

// Short answers are valid frames whose values are the full answer's, cut 1 to 4 bytes short;
// the record of each answer holds the frame that went out.
TEST_F(MeterSimulatorTest, ShortAnswersAreValidFramesCutFromTheFullAnswer) {
  TSimulatorOptions options;
  options.Meters = {{0x20, HeatAddress}, {0x10, WaterAddress}};
  options.ShortRate = 0.5;
  options.Seed = 9;
  TMeterSimulator sim(options, [] { return uint64_t{1000}; });
  std::set<size_t> cuts;
  for (int i = 0; i < 100; ++i) {
    sim.Receive(Request(0xAA, AddressBytes("AAAAAAAAAAAAAA"), 0x901F, static_cast<uint8_t>(i)));
    const TBytes out = sim.TakeOutput();
    const std::vector<TAnswerRecord> records = sim.TakeAnswersSent();
    ASSERT_EQ(records.size(), 2u);
    ASSERT_EQ(Frames(out).size(), 2u);
    for (size_t k = 0; k < 2; ++k) {
      const TAnswerRecord& record = records[k];
      EXPECT_EQ(Frames(out)[k], record.Frame);
      EXPECT_EQ(record.Serial, i);
      EXPECT_EQ(record.DI, 0x901F);
      const TMeterModel& meter = sim.Meters()[record.MeterType == 0x20 ? 0 : 1];
      EXPECT_EQ(record.Address, meter.Address());
      const TBytes full = sim.BuildAnswer(meter, 0x901F, record.Serial);
      const size_t cut = full.size() - record.Frame.size();
      if (!record.Short) {
        EXPECT_EQ(record.Frame, full);
        continue;
      }
      cuts.insert(cut);
      const std::span<const uint8_t> data = ViewFrame(record.Frame).Data;
      const std::span<const uint8_t> fullData = ViewFrame(full).Data;
      ASSERT_EQ(data.size() + cut, fullData.size());
      EXPECT_TRUE(std::equal(data.begin(), data.end(), fullData.begin()));
    }
  }
  EXPECT_EQ(cuts, (std::set<size_t>{1, 2, 3, 4}));
  EXPECT_GT(sim.Stats().ShortAnswers, 60u);
  EXPECT_LT(sim.Stats().ShortAnswers, 140u);
}

// Noise with start bytes: every other answer has a stray start whose length byte claims a
// frame running past the end of the answer behind it.
TEST_F(MeterSimulatorTest, NoiseWithStartBytesHoldsStrayStartsClaimingMoreThanFollows) {
  TSimulatorOptions options;
  options.NoiseRate = 1;
  options.NoiseStartBytes = true;
  options.PreambleBytes = 2;
  options.Seed = 5;
  TMeterSimulator sim = Make(options);
  size_t stray = 0;
  for (int i = 0; i < 100; ++i) {
    sim.Receive(Request(0x20, HeatAddress, 0x901F, static_cast<uint8_t>(i)));
    const TBytes out = sim.TakeOutput();
    const std::vector<TAnswerRecord> records = sim.TakeAnswersSent();
    ASSERT_EQ(records.size(), 1u);
    const TBytes& frame = records[0].Frame;
    ASSERT_GE(out.size(), frame.size() + 3);
    ASSERT_TRUE(std::equal(frame.begin(), frame.end(), out.end() - static_cast<long>(frame.size())));
    bool claimsPastTheEnd = false;
    for (size_t p = 0; p + FrameLengthOffset < out.size() - frame.size(); ++p)
      if (out[p] == FrameStart && p + FrameOverhead + out[p + FrameLengthOffset] > out.size()) claimsPastTheEnd = true;
    stray += claimsPastTheEnd;
  }
  EXPECT_GT(stray, 30u);
  EXPECT_LT(stray, 90u);
}

TEST_F(MeterSimulatorTest, SurvivesArbitraryBytes) {
  TMeterSimulator sim = Make();
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
