#include "cjt188/cjt188_types.h"

#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <string>
#include <utility>

#include "support/assertion.h"

namespace cjt {
namespace {

size_t IndexOf(const TRequestFuncType& row) { return &row - RequestFuncTypes().data(); }

size_t ValueBytes(std::span<const TRequestFuncType> rows) {
  return std::accumulate(rows.begin(), rows.end(), size_t{0},
                         [](size_t sum, const auto& row) { return sum + row.Width + (row.HasUnitByte() ? 1 : 0); });
}

TEST(ValueItems, MeterTypesSelectTheirConsecutiveRows) {
  ASSERT_GE(RequestFuncTypes().size(), 40u);
  const auto heat901F = FindRowsFor(0x901F, 0x22);
  ASSERT_EQ(heat901F.size(), 11u);
  EXPECT_EQ(IndexOf(heat901F.front()), 5u);  // rows 6 to 16
  for (uint8_t heat : {0x00, 0x20, 0x29}) EXPECT_EQ(FindRowsFor(0x901F, heat).data(), heat901F.data());

  const auto water901F = FindRowsFor(0x901F, 0x10);
  ASSERT_EQ(water901F.size(), 5u);
  EXPECT_EQ(IndexOf(water901F.front()), 0u);
  for (uint8_t same : {0x19, 0x30, 0x33, 0x49}) EXPECT_EQ(FindRowsFor(0x901F, same).data(), water901F.data());

  for (uint8_t none : {0x01, 0x0F, 0x1A, 0x2A, 0x4A, 0xFF}) EXPECT_TRUE(FindRowsFor(0x901F, none).empty());
  EXPECT_TRUE(FindRowsFor(0x902F, 0x10).empty());
  EXPECT_EQ(IndexOf(FindRowsFor(0x911F, 0x20).front()), 25u);
  EXPECT_EQ(FindRowsFor(0x911F, 0x20).size(), 15u);
  EXPECT_EQ(IndexOf(FindRowsFor(0x911F, 0x13).front()), 16u);

  // The answer lengths of the known layouts: a heat meter's 901F answer carries 43 value
  // bytes; a water meter's 19, ending with the 2-byte STATUS1 (21 with the STATUS2 row).
  EXPECT_EQ(ValueBytes(heat901F), 43u);
  EXPECT_EQ(ValueBytes(water901F.first(4)), 19u);
  EXPECT_EQ(ValueBytes(water901F), 21u);
}

// The read functions beyond 901F and 911F, for every meter type their rows name: the bytes
// their answers carry after DI and serial number.
TEST(ValueItems, AnswerLengthsOfTheFurtherFunctions) {
  const std::pair<uint32_t, size_t> lengths[] = {{0x810A, 0}, {0x907F, 7}, {0x8102, 15},
                                                 {0x8103, 1}, {0x8104, 1}, {0x8105, 15}};
  for (const auto& [di, bytes] : lengths)
    for (uint8_t type : {0x00, 0x10, 0x20, 0x33, 0x40, 0xAA}) {
      SCOPED_TRACE(testing::Message() << std::hex << di << " type " << int{type});
      EXPECT_EQ(ValueBytes(FindRowsFor(di, type)), bytes);
    }
  for (uint32_t di = 0xD120; di <= 0xD12B; ++di) {
    EXPECT_EQ(FindRowsFor(di, 0x10).size(), 1u);
    EXPECT_EQ(ValueBytes(FindRowsFor(di, 0x30)), 5u);
    EXPECT_EQ(ValueBytes(FindRowsFor(di, 0x20)), 5u);
    EXPECT_NE(FindRowsFor(di, 0x10).data(), FindRowsFor(di, 0x20).data());
    EXPECT_TRUE(FindRowsFor(di, 0x4A).empty());  // neither water, gas nor heat
  }
  EXPECT_TRUE(FindRowsFor(0xD12C, 0x10).empty());
}

// The short heat layout only for a heat meter's 901F answer of its own length.
TEST(ValueItems, ShortHeatLayoutByLength) {
  const auto standard = FindRowsFor(0x901F, 0x20);
  const auto shortHeat = FindRowsFor(0x901F, 0x20, TLayoutVariant::ShortHeat, ShortHeatValueBytes);
  EXPECT_EQ(ValueBytes(shortHeat), ShortHeatValueBytes);
  EXPECT_EQ(shortHeat.size(), standard.size());
  for (size_t i = 0; i < standard.size(); ++i) EXPECT_EQ(shortHeat[i].Name, standard[i].Name);
  EXPECT_EQ(FindRowsFor(0x901F, 0x20, TLayoutVariant::ShortHeat, 43).data(), standard.data());
  EXPECT_EQ(FindRowsFor(0x901F, 0x20, TLayoutVariant::UnitFirst, 40).data(), standard.data());
  EXPECT_EQ(FindRowsFor(0x901F, 0x10, TLayoutVariant::ShortHeat, 40).data(), FindRowsFor(0x901F, 0x10).data());
  for (const TRequestFuncType& row : shortHeat) {
    if (row.HasUnitByte()) {
      EXPECT_EQ(UnitItemName(row), std::string(row.Name) + "_UNIT");
    }
  }
}

TEST(ValueItems, LayoutNames) {
  for (auto variant : {TLayoutVariant::Standard, TLayoutVariant::UnitFirst, TLayoutVariant::ShortHeat})
    EXPECT_EQ(ParseLayoutVariant(LayoutVariantName(variant)), variant);
  EXPECT_EQ(ParseLayoutVariant(""), TLayoutVariant::Standard);
  EXPECT_EQ(ParseLayoutVariant("Unit-First"), std::nullopt);
}

TEST(ValueItems, FindFunctionIgnoresTheMeterType) {
  EXPECT_EQ(IndexOf(*FindFunction(0x901F)), 0u);
  EXPECT_EQ(IndexOf(*FindFunction(0x911F)), 16u);
  EXPECT_EQ(FindFunction(0), nullptr);
  EXPECT_EQ(FindFunction(0x1F90), nullptr);
  EXPECT_EQ(FindFunction(0x1901F), nullptr);
}

TEST(Units, EveryRowHasItsOwnUnitItemName) {
  for (const TRequestFuncType& row : RequestFuncTypes()) EXPECT_EQ(UnitItemName(row), std::string(row.Name) + "_UNIT");
  const auto heat911F = FindRowsFor(0x911F, 0x20);
  EXPECT_EQ(UnitItemName(heat911F[1]), "SETTLEMENT_DAY_ENERGY_COOL_UNIT");
  const TRequestFuncType stranger = heat911F[1];
  EXPECT_THROW(UnitItemName(stranger), EAssertionFailed);  // no row of the tables
}

TEST(Units, SeventyFiveCodesWithGaps) {
  EXPECT_EQ(UnitText(0x01), "J");
  EXPECT_EQ(UnitText(0x02), "Wh");
  EXPECT_EQ(UnitText(0x05), "kWh");
  EXPECT_EQ(UnitText(0x07), "kWh*100");
  EXPECT_EQ(UnitText(0x2C), "m3");
  EXPECT_EQ(UnitText(0x37), "m3/h*100");
  EXPECT_EQ(UnitText(0x42), "J*100/h");
  EXPECT_EQ(UnitText(0x4B), "GJ*100/h");
  for (uint32_t none : {0x00u, 0x1Du, 0x28u, 0x2Fu, 0x38u, 0x3Fu, 0x4Cu, 0x12Cu}) EXPECT_EQ(UnitText(none), "");
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
  // 18 names of 901F and 911F, the meter type, 24 monthly values, 5 prices, 2 days and 5 of
  // the purchase.
  EXPECT_EQ(items.size(), 18u + 1 + 24 + 5 + 2 + 5);
  EXPECT_EQ(find("METER_TYPE").Type, ParserItemInteger);
  EXPECT_EQ(find("SETTLED_HEAT_M12").Type, ParserItemFloat);
  EXPECT_EQ(find("VOLUME_1").Type, ParserItemInteger);
  EXPECT_EQ(find("ENERGY_HEAT").Caption, "Current energy");
  EXPECT_EQ(find("SETTLEMENT_DAY_ENERGY_HEAT").Caption, "Settlement day energy");
  EXPECT_EQ(find("ENERGY_COOL").Caption, "Current energy (cooling)");
  EXPECT_EQ(find("METER_TIMESTAMP").Type, ParserItemDateTime);
  EXPECT_EQ(find("STATUS1").Type, ParserItemInteger);
  EXPECT_EQ(find("WORK_TIME").Type, ParserItemInteger);
  EXPECT_EQ(find("FLOW").Type, ParserItemFloat);
  for (const auto& item : items) EXPECT_EQ(item.Extra, "0");
}

}  // namespace
}  // namespace cjt
