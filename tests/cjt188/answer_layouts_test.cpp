// Every answer layout of the value-item table, decoded from answers written out byte by byte:
// the meter simulator answers from the same table, so only bytes written by hand show a
// wrong width, order, kind, decimal count or unit code in it. Every field holds other
// digits, so that a field read from the wrong place gives a wrong value.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/cjt188/answer_decoding.h"

namespace cjt::test_support {
namespace {

// The units may be given: by default kWh, MWh and kW.
std::string HeatAnswer901F(uint8_t type, uint8_t dayEnergyUnit = 0x05, uint8_t energyUnit = 0x08,
                           uint8_t powerUnit = 0x17) {
  return Frame(type, {
                         0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00,  // address 00000001234567, lowest digits first
                         0x81,                                      // C: answer to a read
                         0x2E,                                      // L = 46
                         0x90, 0x1F,                                // DI
                         0x01,                                      // SER
                         0x78, 0x56, 0x34, 0x12, dayEnergyUnit,     // settlement day energy 123456.78
                         0x89, 0x67, 0x45, 0x23, energyUnit,        // current energy 234567.89
                         0x21, 0x43, 0x65, 0x00, powerUnit,         // power 6543.21
                         0x32, 0x54, 0x76, 0x09, 0x35,              // flow 976.5432, m3/h
                         0x43, 0x65, 0x87, 0x19, 0x2C,              // cumulative flow 198765.43, m3
                         0x67, 0x45, 0x00,                          // supply temperature 45.67
                         0x98, 0x32, 0x00,                          // return temperature 32.98
                         0x21, 0x87, 0x04,                          // working time 48721 h
                         0x59, 0x52, 0x14, 0x17, 0x08, 0x31, 0x20,  // 2031-08-17 14:52:59
                         0x5A,                                      // status 1
                         0xC3,                                      // status 2
                     });
}

std::string HeatAnswer911F(uint8_t type) {
  return Frame(type, {
                         0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00,  // address 00000001234567
                         0x81,                                      // C
                         0x3E,                                      // L = 62
                         0x91, 0x1F,                                // DI
                         0x02,                                      // SER
                         0x12, 0x34, 0x56, 0x07, 0x11,              // settlement day heat 75634.12, GJ
                         0x98, 0x76, 0x54, 0x03, 0x0E,              // settlement day cooling 35476.98, MJ
                         0x23, 0x45, 0x67, 0x08, 0x12,              // heat 86745.23, GJ*10
                         0x87, 0x65, 0x43, 0x02, 0x0B,              // cooling 24365.87, kJ
                         0x34, 0x12, 0x09, 0x00, 0x43,              // power 912.34, kJ/h
                         0x76, 0x98, 0x12, 0x00, 0x32,              // flow 12.9876, L/h
                         0x45, 0x23, 0x01, 0x06, 0x2E,              // cumulative flow 60123.45, m3*100
                         0x83, 0x71, 0x00,                          // supply temperature 71.83
                         0x29, 0x46, 0x00,                          // return temperature 46.29
                         0x56, 0x01, 0x00,                          // supply pressure 1.56
                         0x94, 0x00, 0x00,                          // return pressure 0.94
                         0x37, 0x15, 0x01,                          // working time 11537 h
                         0x48, 0x36, 0x07, 0x23, 0x11, 0x29, 0x20,  // 2029-11-23 07:36:48
                         0x0F,                                      // status 1
                         0xA4,                                      // status 2
                     });
}

// Water and gas meters' 901F answer ends with the 2-byte status 1: there is no status 2.
std::string WaterAnswer901F(uint8_t type) {
  return Frame(type, {
                         0x34, 0x12, 0x90, 0x78, 0x56, 0x34, 0x12,  // address 12345678901234
                         0x81,                                      // C
                         0x16,                                      // L = 22
                         0x90, 0x1F,                                // DI
                         0x03,                                      // SER
                         0x56, 0x34, 0x12, 0x00, 0x2C,              // cumulative flow 1234.56, m3
                         0x89, 0x07, 0x12, 0x00, 0x2D,              // settlement day flow 1207.89, m3*10
                         0x03, 0x09, 0x21, 0x14, 0x02, 0x27, 0x20,  // 2027-02-14 21:09:03
                         0x84, 0x21,                                // status 1: 0x8421, high byte first
                     });
}

std::string WaterGasAnswer911F(uint8_t type) {
  return Frame(type, {
                         0x34, 0x12, 0x90, 0x78, 0x56, 0x34, 0x12,  // address 12345678901234
                         0x81,                                      // C
                         0x26,                                      // L = 38
                         0x91, 0x1F,                                // DI
                         0x04,                                      // SER
                         0x67, 0x45, 0x23, 0x01, 0x2C,              // cumulative flow 12345.67, m3
                         0x98, 0x89, 0x10, 0x00, 0x2E,              // settlement day flow 1089.98, m3*100
                         0x45, 0x23, 0x01, 0x00, 0x35,              // flow 1.2345, m3/h
                         0x52, 0x18, 0x00,                          // temperature 18.52
                         0x37, 0x02, 0x00,                          // pressure 2.37
                         0x96, 0x78, 0x00,                          // working time 7896 h
                         0x27, 0x43, 0x18, 0x05, 0x12, 0x26, 0x20,  // 2026-12-05 18:43:27
                         0x12, 0x34,                                // status 1: 0x1234
                         0xAB, 0xCD,                                // status 2: 0xABCD
                     });
}

using AnswerLayouts = AnswerDecoding;

TEST_F(AnswerLayouts, HeatMeter901FOfEveryHeatTypeAndNoneBeyond) {
  Listen("1234567", "901F");
  const TRows expected{
      {"SETTLEMENT_DAY_ENERGY_HEAT", TVariant(123456.78)},
      {"SETTLEMENT_DAY_ENERGY_HEAT_UNIT", TVariant("kWh")},
      {"ENERGY_HEAT", TVariant(234567.89)},
      {"ENERGY_HEAT_UNIT", TVariant("MWh")},
      {"POWER", TVariant(6543.21)},
      {"POWER_UNIT", TVariant("kW")},
      {"FLOW", TVariant(976.5432)},
      {"FLOW_UNIT", TVariant("m3/h")},
      {"CUMULATIVE_FLOW", TVariant(198765.43)},
      {"CUMULATIVE_FLOW_UNIT", TVariant("m3")},
      {"TEMP_INLET", TVariant(45.67)},
      {"TEMP_OUTLET", TVariant(32.98)},
      {"WORK_TIME", TVariant(int32_t{48721})},
      {"METER_TIMESTAMP", DateTime(48077, 14, 52)},  // 2031-08-17 14:52
      {"STATUS1", TVariant(uint32_t{0x5A})},
      {"STATUS2", TVariant(uint32_t{0xC3})},
  };
  for (const uint8_t type : {0x20, 0x00, 0x29}) {
    SCOPED_TRACE(testing::Message() << "meter type 0x" << std::hex << int{type});
    ExpectRows(Decode(HeatAnswer901F(type)), expected);
  }
  // Next to the heat types: no rows apply, the header comes alone.
  for (const uint8_t type : {0x01, 0x1F, 0x2A}) {
    SCOPED_TRACE(testing::Message() << "meter type 0x" << std::hex << int{type});
    EXPECT_TRUE(Decode(HeatAnswer901F(type)).empty());
  }
}

// Each packet's items are refilled from the one before: a unit text of the same length as the
// one before it must still be the new answer's.
TEST_F(AnswerLayouts, EveryAnswerCarriesItsOwnUnitsAfterOthers) {
  Listen("1234567", "901F");
  const auto units = [](const TRows& rows) {
    std::string found;
    for (const auto& [name, value] : rows)
      if (name.ends_with("_UNIT")) found += value.AsString() + " ";
    return found;
  };
  EXPECT_EQ(units(Decode(HeatAnswer901F(0x20))), "kWh MWh kW m3/h m3 ");
  EXPECT_EQ(units(Decode(HeatAnswer901F(0x20, 0x08, 0x05, 0x1A))), "MWh kWh MW m3/h m3 ");
  EXPECT_EQ(units(Decode(HeatAnswer901F(0x20, 0x0E, 0x11, 0x14))), "MJ GJ W m3/h m3 ");
  // A byte that names no unit leaves its unit item out.
  EXPECT_EQ(units(Decode(HeatAnswer901F(0x20, 0x00, 0x1D, 0xFF))), "m3/h m3 ");
  EXPECT_EQ(units(Decode(HeatAnswer901F(0x20))), "kWh MWh kW m3/h m3 ");
}

TEST_F(AnswerLayouts, HeatMeter911F) {
  Listen("1234567", "911F");
  const TRows expected{
      {"SETTLEMENT_DAY_ENERGY_HEAT", TVariant(75634.12)},
      {"SETTLEMENT_DAY_ENERGY_HEAT_UNIT", TVariant("GJ")},
      {"SETTLEMENT_DAY_ENERGY_COOL", TVariant(35476.98)},
      {"SETTLEMENT_DAY_ENERGY_COOL_UNIT", TVariant("MJ")},
      {"ENERGY_HEAT", TVariant(86745.23)},
      {"ENERGY_HEAT_UNIT", TVariant("GJ*10")},
      {"ENERGY_COOL", TVariant(24365.87)},
      {"ENERGY_COOL_UNIT", TVariant("kJ")},
      {"POWER", TVariant(912.34)},
      {"POWER_UNIT", TVariant("kJ/h")},
      {"FLOW", TVariant(12.9876)},
      {"FLOW_UNIT", TVariant("L/h")},
      {"CUMULATIVE_FLOW", TVariant(60123.45)},
      {"CUMULATIVE_FLOW_UNIT", TVariant("m3*100")},
      {"TEMP_INLET", TVariant(71.83)},
      {"TEMP_OUTLET", TVariant(46.29)},
      {"PRESSURE_INLET", TVariant(1.56)},
      {"PRESSURE_OUTLET", TVariant(0.94)},
      {"WORK_TIME", TVariant(int32_t{11537})},
      {"METER_TIMESTAMP", DateTime(47445, 7, 36)},  // 2029-11-23 07:36
      {"STATUS1", TVariant(uint32_t{0x0F})},
      {"STATUS2", TVariant(uint32_t{0xA4})},
  };
  ExpectRows(Decode(HeatAnswer911F(0x22)), expected);
}

TEST_F(AnswerLayouts, WaterMeter901FEndsWithOneSixteenBitStatus) {
  Listen("12345678901234", "901F");
  const TRows expected{
      {"CUMULATIVE_FLOW", TVariant(1234.56)},       {"CUMULATIVE_FLOW_UNIT", TVariant("m3")},
      {"SETTLEMENT_TOTAL_FLOW", TVariant(1207.89)}, {"SETTLEMENT_TOTAL_FLOW_UNIT", TVariant("m3*10")},
      {"METER_TIMESTAMP", DateTime(46432, 21, 9)},  // 2027-02-14 21:09
      {"STATUS1", TVariant(uint32_t{0x8421})},
  };
  for (const uint8_t type : {0x10, 0x19, 0x30}) {
    SCOPED_TRACE(testing::Message() << "meter type 0x" << std::hex << int{type});
    ExpectRows(Decode(WaterAnswer901F(type)), expected);
  }
  EXPECT_TRUE(Decode(WaterAnswer901F(0x1A)).empty());
}

TEST_F(AnswerLayouts, WaterAndGasMeter911F) {
  Listen("12345678901234", "911F");
  const TRows expected{
      {"CUMULATIVE_FLOW", TVariant(12345.67)},
      {"CUMULATIVE_FLOW_UNIT", TVariant("m3")},
      {"SETTLEMENT_TOTAL_FLOW", TVariant(1089.98)},
      {"SETTLEMENT_TOTAL_FLOW_UNIT", TVariant("m3*100")},
      {"FLOW", TVariant(1.2345)},
      {"FLOW_UNIT", TVariant("m3/h")},
      {"TEMP", TVariant(18.52)},
      {"PRESSURE", TVariant(2.37)},
      {"WORK_TIME", TVariant(int32_t{7896})},
      {"METER_TIMESTAMP", DateTime(46361, 18, 43)},  // 2026-12-05 18:43
      {"STATUS1", TVariant(uint32_t{0x1234})},
      {"STATUS2", TVariant(uint32_t{0xABCD})},
  };
  // Water meters, then gas meters from the first to the last type of their range.
  for (const uint8_t type : {0x11, 0x30, 0x33, 0x49}) {
    SCOPED_TRACE(testing::Message() << "meter type 0x" << std::hex << int{type});
    ExpectRows(Decode(WaterGasAnswer911F(type)), expected);
  }
  EXPECT_TRUE(Decode(WaterGasAnswer911F(0x4A)).empty());
}

}  // namespace
}  // namespace cjt::test_support
