#include "cjt188/cjt188_types.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

namespace cjt {
namespace {

size_t IndexOf(const TRequestFuncType& row) { return &row - RequestFuncTypes().data(); }

size_t ValueBytes(std::span<const TRequestFuncType> rows) {
  return std::accumulate(rows.begin(), rows.end(), size_t{0},
                         [](size_t sum, const auto& row) { return sum + row.Width + (row.HasUnitByte() ? 1 : 0); });
}

TEST(MeterTypes, ElevenTypesInTableOrder) {
  const auto units = CjtUnits();
  ASSERT_EQ(units.size(), 11u);
  EXPECT_EQ(units[0].Code, 0x10u);
  EXPECT_EQ(units[0].Name, "Cold water meter");
  EXPECT_EQ(units[6].Code, 0x22u);
  EXPECT_EQ(units[6].Name, "Heat meter (heat and cooling)");
  EXPECT_EQ(units[10].Name, "Gas 3");
  ASSERT_EQ(CjtFunctions().size(), 2u);
  EXPECT_EQ(CjtFunctions()[1].DI, 0x911F);
  EXPECT_EQ(CjtFunctions()[1].Caption, "Meter data 2");
}

TEST(ValueItems, TypeRangesAreStoredAsTheWireTablesHaveThem) {
  const auto rows = RequestFuncTypes();
  ASSERT_EQ(rows.size(), 40u);
  EXPECT_EQ(rows[0].TypeRanges, (std::array<uint8_t, 4>{0x49, 0x30, 0x19, 0x10}));
  EXPECT_EQ(rows[5].TypeRanges, (std::array<uint8_t, 4>{0x29, 0x20, 0x00, 0x00}));
  for (const auto& row : rows) {
    EXPECT_EQ(row.RepeatCounts, (std::array<uint8_t, 2>{0, 0}));
    EXPECT_EQ(row.Sign, 0);
  }
  EXPECT_EQ(rows[8].Flags, 0x84);   // FLOW
  EXPECT_EQ(rows[10].Flags, 0x02);  // TEMP_INLET
  EXPECT_EQ(rows[12].Flags, 0x00);  // WORK_TIME
  EXPECT_EQ(rows[13].Flags, 0x20);  // METER_TIMESTAMP
  EXPECT_EQ(rows[14].Flags, 0x40);  // STATUS1
  EXPECT_EQ(rows[5].Flags, 0x82);
}

TEST(ValueItems, MeterTypesSelectTheirRuns) {
  const auto heat901F = FindRowsFor(0x901F, 0x22);
  ASSERT_EQ(heat901F.size(), 11u);
  EXPECT_EQ(IndexOf(heat901F.front()), 5u);  // rows 6 to 16
  EXPECT_EQ(heat901F.back().Name, "STATUS2");
  EXPECT_EQ(FindRowsFor(0x901F, 0x00).data(), heat901F.data());
  EXPECT_EQ(FindRowsFor(0x901F, 0x29).data(), heat901F.data());

  const auto water901F = FindRowsFor(0x901F, 0x10);
  ASSERT_EQ(water901F.size(), 5u);
  EXPECT_EQ(IndexOf(water901F.front()), 0u);
  for (uint8_t gas = 0x30; gas <= 0x33; ++gas) EXPECT_EQ(FindRowsFor(0x901F, gas).data(), water901F.data());
  EXPECT_EQ(FindRowsFor(0x901F, 0x19).data(), water901F.data());
  EXPECT_EQ(FindRowsFor(0x901F, 0x49).data(), water901F.data());

  for (uint8_t none : {0x01, 0x0F, 0x1A, 0x1F, 0x2A, 0x2F, 0x4A, 0xFF}) EXPECT_TRUE(FindRowsFor(0x901F, none).empty());
  EXPECT_TRUE(FindRowsFor(0x902F, 0x10).empty());

  const auto heat911F = FindRowsFor(0x911F, 0x20);
  ASSERT_EQ(heat911F.size(), 15u);
  EXPECT_EQ(IndexOf(heat911F.front()), 25u);
  EXPECT_EQ(IndexOf(FindRowsFor(0x911F, 0x13).front()), 16u);
}

TEST(ValueItems, AnswerLengthsOfTheKnownLayouts) {
  // A heat meter's 901F answer carries 43 value bytes (L = 46).
  EXPECT_EQ(ValueBytes(FindRowsFor(0x901F, 0x20)), 43u);
  // A water meter's ends after the 2-byte STATUS1: 19 bytes (L = 22), the table's STATUS2
  // row included gives 21.
  EXPECT_EQ(ValueBytes(FindRowsFor(0x901F, 0x10).first(4)), 19u);
  EXPECT_EQ(ValueBytes(FindRowsFor(0x901F, 0x10)), 21u);
}

TEST(ValueItems, FindFunctionIgnoresTheMeterType) {
  ASSERT_NE(FindFunction(0x901F), nullptr);
  EXPECT_EQ(IndexOf(*FindFunction(0x901F)), 0u);
  EXPECT_EQ(IndexOf(*FindFunction(0x911F)), 16u);
  EXPECT_EQ(FindFunction(0), nullptr);
  EXPECT_EQ(FindFunction(0x1F90), nullptr);
  EXPECT_EQ(FindFunction(0x1901F), nullptr);
}

TEST(Units, SeventyFiveCodesWithGaps) {
  EXPECT_EQ(UnitText(0x01), "J");
  EXPECT_EQ(UnitText(0x02), "Wh");
  EXPECT_EQ(UnitText(0x05), "kWh");
  EXPECT_EQ(UnitText(0x07), "kWh*100");
  EXPECT_EQ(UnitText(0x1C), "MW*100");
  EXPECT_EQ(UnitText(0x29), "L");
  EXPECT_EQ(UnitText(0x2C), "m3");
  EXPECT_EQ(UnitText(0x35), "m3/h");
  EXPECT_EQ(UnitText(0x37), "m3/h*100");
  EXPECT_EQ(UnitText(0x40), "J/h");
  EXPECT_EQ(UnitText(0x42), "J*100/h");
  EXPECT_EQ(UnitText(0x4B), "GJ*100/h");
  for (uint32_t none : {0x00u, 0x1Du, 0x28u, 0x2Fu, 0x31u, 0x38u, 0x3Fu, 0x4Cu, 0xFFu, 0x12Cu})
    EXPECT_EQ(UnitText(none), "") << none;
  int withText = 0;
  for (uint32_t code = 0; code < 256; ++code) withText += UnitText(code).empty() ? 0 : 1;
  EXPECT_EQ(withText, 75 - 12 - 3 - 8);
}

TEST(ParserItems, OnePerNameWithTheFirstRowsCaption) {
  const auto items = ProtocolParserItems();
  const auto find = [&](std::string_view name) {
    for (const auto& item : items)
      if (item.Name == name) return item;
    ADD_FAILURE() << "no item " << name;
    return TParserItemDecl{};
  };
  EXPECT_EQ(items.size(), 18u);
  EXPECT_EQ(items.front().Name, "CUMULATIVE_FLOW");
  EXPECT_EQ(find("ENERGY_HEAT").Caption, "Current energy");
  EXPECT_EQ(find("SETTLEMENT_DAY_ENERGY_HEAT").Caption, "Settlement day energy");
  EXPECT_EQ(find("ENERGY_COOL").Caption, "Current energy (cooling)");
  EXPECT_EQ(find("METER_TIMESTAMP").Type, ParserItemDateTime);
  EXPECT_EQ(find("STATUS1").Type, ParserItemInteger);
  EXPECT_EQ(find("WORK_TIME").Type, ParserItemInteger);
  EXPECT_EQ(find("FLOW").Type, ParserItemFloat);
  EXPECT_EQ(find("TEMP").Type, ParserItemFloat);
  for (const auto& item : items) {
    EXPECT_EQ(item.Extra, "0");
    EXPECT_EQ(std::string(item.Name).find("_UNIT"), std::string::npos);
  }
}

}  // namespace
}  // namespace cjt
