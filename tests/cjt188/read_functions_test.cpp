// The data identifiers beyond the two meter data sets (clock, monthly settlement, prices,
// days, purchase) and the makers' layouts, decoded from answers written out byte by byte
// from the layouts meters document. Every field holds other digits, so that a field read
// from the wrong place gives a wrong value.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/cjt188/answer_decoding.h"

namespace cjt::test_support {
namespace {

using ReadFunctions = AnswerDecoding;

TEST_F(ReadFunctions, MeterClockOfAnyMeter) {
  Listen("1234567", "907F");
  for (const uint8_t type : {0x20, 0x10, 0x33, 0x40}) {
    SCOPED_TRACE(testing::Message() << "meter type 0x" << std::hex << int{type});
    const std::string answer = Frame(type, {
                                               0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00,  // address 00000001234567
                                               0x81,                                      // C: answer to a read
                                               0x0A,                                      // L = 10
                                               0x90, 0x7F,                                // DI
                                               0x05,                                      // SER
                                               0x12, 0x34, 0x09, 0x28, 0x02, 0x26, 0x20,  // 2026-02-28 09:34:12
                                           });
    ExpectRows(Decode(answer), {{"METER_TIMESTAMP", DateTime(46081, 9, 34)}});
  }
}

TEST_F(ReadFunctions, MonthlySettlementOfWaterAndGasMeters) {
  Listen("12345678901234", "D120");
  const std::string water = Frame(0x10, {
                                            0x34, 0x12, 0x90, 0x78, 0x56, 0x34, 0x12,  // address 12345678901234
                                            0x81,                                      // C
                                            0x08,                                      // L = 8
                                            0xD1, 0x20,                                // DI: 1 month back
                                            0x06,                                      // SER
                                            0x21, 0x43, 0x65, 0x07, 0x2C,              // 76543.21 m3
                                        });
  ExpectRows(Decode(water), {{"SETTLED_FLOW_M01", TVariant(76543.21)}, {"SETTLED_FLOW_M01_UNIT", TVariant("m3")}});
}

TEST_F(ReadFunctions, MonthlySettlementOfHeatMeters) {
  Listen("12345678901234", "D12B");
  const std::string heat = Frame(0x20, {
                                           0x34, 0x12, 0x90, 0x78, 0x56, 0x34, 0x12,  // address 12345678901234
                                           0x81,                                      // C
                                           0x08,                                      // L = 8
                                           0xD1, 0x2B,                                // DI: 12 months back
                                           0x07,                                      // SER
                                           0x98, 0x76, 0x54, 0x00, 0x08,              // 5476.98 MWh
                                       });
  ExpectRows(Decode(heat), {{"SETTLED_HEAT_M12", TVariant(5476.98)}, {"SETTLED_HEAT_M12_UNIT", TVariant("MWh")}});
}

TEST_F(ReadFunctions, PriceTable) {
  Listen("12345678901234", "8102");
  const std::string answer = Frame(0x10, {
                                             0x34, 0x12, 0x90, 0x78, 0x56, 0x34, 0x12,  // address 12345678901234
                                             0x81,                                      // C
                                             0x12,                                      // L = 18
                                             0x81, 0x02,                                // DI
                                             0x07,                                      // SER
                                             0x45, 0x03, 0x00,                          // price 1: 3.45
                                             0x80, 0x01, 0x00,                          // volume 1: 180
                                             0x83, 0x04, 0x00,                          // price 2: 4.83
                                             0x60, 0x02, 0x00,                          // volume 2: 260
                                             0x90, 0x16, 0x00,                          // price 3: 16.90
                                         });
  ExpectRows(Decode(answer), {{"PRICE_1", TVariant(3.45)},
                              {"VOLUME_1", TVariant(int32_t{180})},
                              {"PRICE_2", TVariant(4.83)},
                              {"VOLUME_2", TVariant(int32_t{260})},
                              {"PRICE_3", TVariant(16.90)}});
}

// Address 00000001234567, C 81, L 4, DI, SER and the day.
TEST_F(ReadFunctions, SettlementDay) {
  Listen("1234567", "8103");
  ExpectRows(Decode(Frame(0x20, {0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00, 0x81, 0x04, 0x81, 0x03, 0x08, 0x15})),
             {{"SETTLEMENT_DAY", TVariant(int32_t{15})}});
}

TEST_F(ReadFunctions, ReadingDay) {
  Listen("1234567", "8104");
  ExpectRows(Decode(Frame(0x10, {0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00, 0x81, 0x04, 0x81, 0x04, 0x09, 0x28})),
             {{"READING_DAY", TVariant(int32_t{28})}});
}

TEST_F(ReadFunctions, PurchaseRecord) {
  Listen("12345678901234", "8105");
  const std::string answer = Frame(0x10, {
                                             0x34, 0x12, 0x90, 0x78, 0x56, 0x34, 0x12,  // address 12345678901234
                                             0x81,                                      // C
                                             0x12,                                      // L = 18
                                             0x81, 0x05,                                // DI
                                             0x0A,                                      // SER
                                             0x07,                                      // purchase number 7
                                             0x00, 0x50, 0x01, 0x00,                    // this purchase 150.00
                                             0x25, 0x61, 0x12, 0x00,                    // total 1261.25
                                             0x75, 0x43, 0x00, 0x00,                    // remaining 43.75
                                             0x01, 0x80,                                // status 0x0180
                                         });
  ExpectRows(Decode(answer), {{"PURCHASE_NUMBER", TVariant(int32_t{7})},
                              {"PURCHASE_AMOUNT", TVariant(150.00)},
                              {"PURCHASE_TOTAL", TVariant(1261.25)},
                              {"PURCHASE_REMAINING", TVariant(43.75)},
                              {"PURCHASE_STATUS", TVariant(uint32_t{0x0180})}});
}

// The unit byte before each value that has one: the standard layout would read the unit as
// the value's lowest digits.
TEST_F(ReadFunctions, UnitFirstLayout) {
  Listen("12345678901234", "901F", "<Variant>unit-first</Variant>");
  const std::string answer = Frame(0x10, {
                                             0x34, 0x12, 0x90, 0x78, 0x56, 0x34, 0x12,  // address 12345678901234
                                             0x81,                                      // C
                                             0x16,                                      // L = 22
                                             0x90, 0x1F,                                // DI
                                             0x0B,                                      // SER
                                             0x2C, 0x56, 0x34, 0x12, 0x00,              // m3, cumulative flow 1234.56
                                             0x2D, 0x89, 0x07, 0x12, 0x00,              // m3*10, settlement 1207.89
                                             0x03, 0x09, 0x21, 0x14, 0x02, 0x27, 0x20,  // 2027-02-14 21:09:03
                                             0x84, 0x21,                                // status 1: 0x8421
                                         });
  ExpectRows(Decode(answer), {
                                 {"CUMULATIVE_FLOW", TVariant(1234.56)},
                                 {"CUMULATIVE_FLOW_UNIT", TVariant("m3")},
                                 {"SETTLEMENT_TOTAL_FLOW", TVariant(1207.89)},
                                 {"SETTLEMENT_TOTAL_FLOW_UNIT", TVariant("m3*10")},
                                 {"METER_TIMESTAMP", DateTime(46432, 21, 9)},  // 2027-02-14 21:09
                                 {"STATUS1", TVariant(uint32_t{0x8421})},
                             });
}

TEST_F(ReadFunctions, UnitFirstLayoutOfMonthlyValues) {
  Listen("12345678901234", "D121", "<Variant>unit-first</Variant>");
  ExpectRows(Decode(Frame(0x10, {0x34, 0x12, 0x90, 0x78, 0x56, 0x34, 0x12, 0x81, 0x08, 0xD1, 0x21, 0x0C,  //
                                 0x2E, 0x11, 0x22, 0x33, 0x00})),  // m3*100, then 3322.11
             {{"SETTLED_FLOW_M02", TVariant(3322.11)}, {"SETTLED_FLOW_M02_UNIT", TVariant("m3*100")}});
}

// The short heat layout: 40 value bytes (L = 43).
std::string ShortHeatAnswer() {
  return Frame(0x20, {
                         0x67, 0x45, 0x23, 0x01, 0x00, 0x00, 0x00,  // address 00000001234567
                         0x81,                                      // C
                         0x2B,                                      // L = 43
                         0x90, 0x1F,                                // DI
                         0x0D,                                      // SER
                         0x78, 0x56, 0x34, 0x12, 0x05,              // settlement day energy 123456.78, kWh
                         0x89, 0x67, 0x45, 0x23, 0x08,              // current energy 234567.89, MWh
                         0x21, 0x43, 0x05, 0x17,                    // power 543.21 (3 bytes), kW
                         0x32, 0x54, 0x06, 0x35,                    // flow 6.5432 (3 bytes), m3/h
                         0x43, 0x65, 0x87, 0x19, 0x2C,              // cumulative flow 198765.43, m3
                         0x67, 0x45,                                // supply temperature 45.67 (2 bytes)
                         0x98, 0x32,                                // return temperature 32.98 (2 bytes)
                         0x21, 0x87, 0x04, 0x01,                    // working time 1048721 h (4 bytes)
                         0x59, 0x52, 0x14, 0x17, 0x08, 0x31, 0x20,  // 2031-08-17 14:52:59
                         0x5A,                                      // status 1
                         0xC3,                                      // status 2
                     });
}

TEST_F(ReadFunctions, ShortHeatLayout) {
  Listen("1234567", "901F", "<Variant>short-heat</Variant>");
  ExpectRows(Decode(ShortHeatAnswer()), {
                                            {"SETTLEMENT_DAY_ENERGY_HEAT", TVariant(123456.78)},
                                            {"SETTLEMENT_DAY_ENERGY_HEAT_UNIT", TVariant("kWh")},
                                            {"ENERGY_HEAT", TVariant(234567.89)},
                                            {"ENERGY_HEAT_UNIT", TVariant("MWh")},
                                            {"POWER", TVariant(543.21)},
                                            {"POWER_UNIT", TVariant("kW")},
                                            {"FLOW", TVariant(6.5432)},
                                            {"FLOW_UNIT", TVariant("m3/h")},
                                            {"CUMULATIVE_FLOW", TVariant(198765.43)},
                                            {"CUMULATIVE_FLOW_UNIT", TVariant("m3")},
                                            {"TEMP_INLET", TVariant(45.67)},
                                            {"TEMP_OUTLET", TVariant(32.98)},
                                            {"WORK_TIME", TVariant(int32_t{1048721})},
                                            {"METER_TIMESTAMP", DateTime(48077, 14, 52)},  // 2031-08-17 14:52
                                            {"STATUS1", TVariant(uint32_t{0x5A})},
                                            {"STATUS2", TVariant(uint32_t{0xC3})},
                                        });
}

// Without the element (stored configurations) the short answer is read by the standard
// layout; so it is with a layout this build does not know, which the log names.
TEST_F(ReadFunctions, UnknownLayoutReadsAsStandard) {
  Listen("1234567", "901F", "<Variant>bogus</Variant>");
  EXPECT_NE(Log().find("Unknown answer layout \"bogus\""), std::string::npos);
  const TRows rows = Decode(ShortHeatAnswer());
  ASSERT_GT(rows.size(), 4u);
  EXPECT_EQ(rows[4].first, "POWER");
  // The 3-byte power and the unit byte behind it read as one 4-byte value: 21 43 05 17.
  EXPECT_DOUBLE_EQ(rows[4].second.AsDouble(), 170543.21);
}

}  // namespace
}  // namespace cjt::test_support
