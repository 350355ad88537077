#include "cjt188/cjt188_types.h"

#include <algorithm>
#include <string>

#include "support/assertion.h"

namespace cjt {

namespace {

constexpr TCjtUnit Units[] = {
    {0x10, "Cold water meter"},
    {0x11, "Hot water meter"},
    {0x12, "Drink water meter"},
    {0x13, "Recycled water meter"},
    {0x20, "Heat meter"},
    {0x21, "Heat meter (cooling)"},
    {0x22, "Heat meter (heat and cooling)"},
    {0x30, "Gas 0"},
    {0x31, "Gas 1"},
    {0x32, "Gas 2"},
    {0x33, "Gas 3"},
};

constexpr TCjtFunction Functions[] = {
    {0x901F, "Meter data 1"},
    {0x911F, "Meter data 2"},
};

// Water and gas meters: 0x10-0x19 and 0x30-0x49; heat meters: 0x00 and 0x20-0x29.
constexpr std::array<uint8_t, 4> WaterGas{0x49, 0x30, 0x19, 0x10};
constexpr std::array<uint8_t, 4> Heat{0x29, 0x20, 0x00, 0x00};

constexpr uint8_t Money = 0x82;    // BCD, 2 decimals, unit byte
constexpr uint8_t Flow = 0x84;     // BCD, 4 decimals, unit byte
constexpr uint8_t Measure = 0x02;  // BCD, 2 decimals
constexpr uint8_t Count = 0x00;    // BCD, whole number
constexpr uint8_t Stamp = FlagDateTime;
constexpr uint8_t Status = FlagInteger;

constexpr TRequestFuncType Row(uint32_t di, std::array<uint8_t, 4> types, std::string_view name,
                               std::string_view description, uint8_t width, uint8_t flags) {
  return {di, types, name, description, {0, 0}, width, flags, 0, {0, 0, 0}};
}

constexpr std::string_view WorkTimeCaption = "Accumulated working time (operating hours)";

constexpr TRequestFuncType Rows[] = {
    Row(0x901F, WaterGas, "CUMULATIVE_FLOW", "Current cumulative flow", 4, Money),
    Row(0x901F, WaterGas, "SETTLEMENT_TOTAL_FLOW", "Settlement daily cumulative flow", 4, Money),
    Row(0x901F, WaterGas, "METER_TIMESTAMP", "Timestamp", 7, Stamp),
    Row(0x901F, WaterGas, "STATUS1", "Status 1", 2, Status),
    Row(0x901F, WaterGas, "STATUS2", "Status 2", 2, Status),
    Row(0x901F, Heat, "SETTLEMENT_DAY_ENERGY_HEAT", "Settlement day energy", 4, Money),
    Row(0x901F, Heat, "ENERGY_HEAT", "Current energy", 4, Money),
    Row(0x901F, Heat, "POWER", "Current power", 4, Money),
    Row(0x901F, Heat, "FLOW", "Instantaneous flow", 4, Flow),
    Row(0x901F, Heat, "CUMULATIVE_FLOW", "Current cumulative flow", 4, Money),
    Row(0x901F, Heat, "TEMP_INLET", "Water supply temperature", 3, Measure),
    Row(0x901F, Heat, "TEMP_OUTLET", "Water return temperature", 3, Measure),
    Row(0x901F, Heat, "WORK_TIME", WorkTimeCaption, 3, Count),
    Row(0x901F, Heat, "METER_TIMESTAMP", "Timestamp", 7, Stamp),
    Row(0x901F, Heat, "STATUS1", "Status 1", 1, Status),
    Row(0x901F, Heat, "STATUS2", "Status 2", 1, Status),
    Row(0x911F, WaterGas, "CUMULATIVE_FLOW", "Current cumulative flow", 4, Money),
    Row(0x911F, WaterGas, "SETTLEMENT_TOTAL_FLOW", "Settlement daily cumulative flow", 4, Money),
    Row(0x911F, WaterGas, "FLOW", "Instantaneous flow", 4, Flow),
    Row(0x911F, WaterGas, "TEMP", "Temperature", 3, Measure),
    Row(0x911F, WaterGas, "PRESSURE", "Pressure", 3, Measure),
    Row(0x911F, WaterGas, "WORK_TIME", WorkTimeCaption, 3, Count),
    Row(0x911F, WaterGas, "METER_TIMESTAMP", "Timestamp", 7, Stamp),
    Row(0x911F, WaterGas, "STATUS1", "Status 1", 2, Status),
    Row(0x911F, WaterGas, "STATUS2", "Status 2", 2, Status),
    Row(0x911F, Heat, "SETTLEMENT_DAY_ENERGY_HEAT", "Settlement day energy (heat)", 4, Money),
    Row(0x911F, Heat, "SETTLEMENT_DAY_ENERGY_COOL", "Settlement day energy (cooling)", 4, Money),
    Row(0x911F, Heat, "ENERGY_HEAT", "Current energy (heat)", 4, Money),
    Row(0x911F, Heat, "ENERGY_COOL", "Current energy (cooling)", 4, Money),
    Row(0x911F, Heat, "POWER", "Current power", 4, Money),
    Row(0x911F, Heat, "FLOW", "Instantaneous flow", 4, Flow),
    Row(0x911F, Heat, "CUMULATIVE_FLOW", "Current cumulative flow", 4, Money),
    Row(0x911F, Heat, "TEMP_INLET", "Water supply temperature", 3, Measure),
    Row(0x911F, Heat, "TEMP_OUTLET", "Water return temperature", 3, Measure),
    Row(0x911F, Heat, "PRESSURE_INLET", "Supply pressure", 3, Measure),
    Row(0x911F, Heat, "PRESSURE_OUTLET", "Return pressure", 3, Measure),
    Row(0x911F, Heat, "WORK_TIME", WorkTimeCaption, 3, Count),
    Row(0x911F, Heat, "METER_TIMESTAMP", "Timestamp", 7, Stamp),
    Row(0x911F, Heat, "STATUS1", "Status 1", 1, Status),
    Row(0x911F, Heat, "STATUS2", "Status 2", 1, Status),
};
static_assert(std::size(Rows) == 40);

// Codes 1 to 75; empty texts are the gaps.
constexpr std::string_view UnitTexts[MaxUnitCode] = {
    "J",                                                                   // 0x01
    "Wh",   "Wh*10",   "Wh*100",   "kWh",  "kWh*10",  "kWh*100",           // 0x02-0x07
    "MWh",  "MWh*10",  "MWh*100",  "kJ",   "kJ*10",   "kJ*100",            // 0x08-0x0D
    "MJ",   "MJ*10",   "MJ*100",   "GJ",   "GJ*10",   "GJ*100",            // 0x0E-0x13
    "W",    "W*10",    "W*100",    "kW",   "kW*10",   "kW*100",            // 0x14-0x19
    "MW",   "MW*10",   "MW*100",                                           // 0x1A-0x1C
    "",     "",        "",         "",     "",        "",                  // 0x1D-0x22
    "",     "",        "",         "",     "",        "",                  // 0x23-0x28
    "L",    "L*10",    "L*100",    "m3",   "m3*10",   "m3*100",            // 0x29-0x2E
    "",     "",        "",                                                 // 0x2F-0x31
    "L/h",  "L/h*10",  "L/h*100",  "m3/h", "m3/h*10", "m3/h*100",          // 0x32-0x37
    "",     "",        "",         "",     "",        "",         "", "",  // 0x38-0x3F
    "J/h",  "J*10/h",  "J*100/h",  "kJ/h", "kJ*10/h", "kJ*100/h",          // 0x40-0x45
    "MJ/h", "MJ*10/h", "MJ*100/h", "GJ/h", "GJ*10/h", "GJ*100/h",          // 0x46-0x4B
};

bool InRange(uint8_t type, uint8_t lower, uint8_t upper) {
  return upper == 0 ? type == lower : (type >= lower && type <= upper);
}

}  // namespace

std::span<const TCjtUnit> CjtUnits() { return Units; }
std::span<const TCjtFunction> CjtFunctions() { return Functions; }
std::span<const TRequestFuncType> RequestFuncTypes() { return Rows; }

std::string_view UnitItemName(const TRequestFuncType& row) {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> made;
    for (const TRequestFuncType& r : Rows) made.push_back(std::string(r.Name) + "_UNIT");
    return made;
  }();
  // Below the table the unsigned offset wraps round to a large one.
  const uintptr_t offset = reinterpret_cast<uintptr_t>(&row) - reinterpret_cast<uintptr_t>(std::begin(Rows));
  const size_t index = offset / sizeof(TRequestFuncType);
  CJT_ASSERT(offset % sizeof(TRequestFuncType) == 0 && index < names.size(), "cjt188_types");
  return names[index];
}

bool TRequestFuncType::AppliesTo(uint32_t di, uint8_t meterType) const {
  return DI == di &&
         (InRange(meterType, TypeRanges[3], TypeRanges[2]) || InRange(meterType, TypeRanges[1], TypeRanges[0]));
}

TValueKind TRequestFuncType::Kind() const {
  if (Flags & FlagInteger) return TValueKind::Integer;
  if (Flags & FlagDateTime) return TValueKind::DateTime;
  return TValueKind::Bcd;
}

std::span<const TRequestFuncType> FindRowsFor(uint32_t di, uint8_t meterType) {
  const auto applies = [&](const TRequestFuncType& row) { return row.AppliesTo(di, meterType); };
  const auto first = std::find_if(std::begin(Rows), std::end(Rows), applies);
  const auto last = std::find_if_not(first, std::end(Rows), applies);
  return {first, last};
}

const TRequestFuncType* FindFunction(uint32_t di) {
  const auto row = std::find_if(std::begin(Rows), std::end(Rows), [&](const auto& r) { return r.DI == di; });
  return row == std::end(Rows) ? nullptr : &*row;
}

std::string_view UnitText(uint32_t code) { return code >= 1 && code <= MaxUnitCode ? UnitTexts[code - 1] : ""; }

std::vector<TParserItemDecl> ProtocolParserItems() {
  std::vector<TParserItemDecl> items;
  for (const TRequestFuncType& row : Rows) {
    if (std::any_of(items.begin(), items.end(), [&](const auto& item) { return item.Name == row.Name; })) continue;
    int32_t type = ParserItemFloat;
    if (row.Kind() == TValueKind::DateTime)
      type = ParserItemDateTime;
    else if (row.Kind() == TValueKind::Integer || row.Decimals() == 0)
      type = ParserItemInteger;
    items.push_back({row.Name, row.Description, type, "0"});
  }
  return items;
}

}  // namespace cjt
