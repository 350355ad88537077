#include "cjt188/cjt188_types.h"

#include <algorithm>
#include <string>
#include <utility>

#include "cjt188/frame.h"
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
    {0x810A, "Meter address"},
    {0x907F, "Meter clock"},
    {0xD120, "Settlement 1 month back"},
    {0xD121, "Settlement 2 months back"},
    {0xD122, "Settlement 3 months back"},
    {0xD123, "Settlement 4 months back"},
    {0xD124, "Settlement 5 months back"},
    {0xD125, "Settlement 6 months back"},
    {0xD126, "Settlement 7 months back"},
    {0xD127, "Settlement 8 months back"},
    {0xD128, "Settlement 9 months back"},
    {0xD129, "Settlement 10 months back"},
    {0xD12A, "Settlement 11 months back"},
    {0xD12B, "Settlement 12 months back"},
    {0x8102, "Price table"},
    {0x8103, "Settlement day"},
    {0x8104, "Meter-reading day"},
    {0x8105, "Purchase record"},
};

// Water and gas meters: 0x10-0x19 and 0x30-0x49; heat meters: 0x00 and 0x20-0x29.
constexpr std::array<uint8_t, 4> WaterGas{0x49, 0x30, 0x19, 0x10};
constexpr std::array<uint8_t, 4> Heat{0x29, 0x20, 0x00, 0x00};
// Every meter: 0x00-0xFF.
constexpr std::array<uint8_t, 4> AnyMeter{0x00, 0x00, 0xFF, 0x00};

constexpr uint8_t Money = 0x82;    // BCD, 2 decimals, unit byte
constexpr uint8_t Flow = 0x84;     // BCD, 4 decimals, unit byte
constexpr uint8_t Measure = 0x02;  // BCD, 2 decimals
constexpr uint8_t Count = 0x00;    // BCD, whole number
constexpr uint8_t Stamp = FlagDateTime;
constexpr uint8_t Status = FlagInteger;
constexpr uint8_t Price = 0x02;  // BCD, 2 decimals, no unit byte
constexpr uint8_t FrameType = FlagMeterType;

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
    // The read-address answer carries no values: the address and type are the frame's own.
    Row(0x810A, AnyMeter, "METER_TYPE", "Meter type", 0, FrameType),
    Row(0x907F, AnyMeter, "METER_TIMESTAMP", "Timestamp", 7, Stamp),
    // Monthly settlement: the cumulative flow (water, gas) or heat at the end of the month.
    Row(0xD120, WaterGas, "SETTLED_FLOW_M01", "Settled cumulative flow, 1 month back", 4, Money),
    Row(0xD120, Heat, "SETTLED_HEAT_M01", "Settled heat, 1 month back", 4, Money),
    Row(0xD121, WaterGas, "SETTLED_FLOW_M02", "Settled cumulative flow, 2 months back", 4, Money),
    Row(0xD121, Heat, "SETTLED_HEAT_M02", "Settled heat, 2 months back", 4, Money),
    Row(0xD122, WaterGas, "SETTLED_FLOW_M03", "Settled cumulative flow, 3 months back", 4, Money),
    Row(0xD122, Heat, "SETTLED_HEAT_M03", "Settled heat, 3 months back", 4, Money),
    Row(0xD123, WaterGas, "SETTLED_FLOW_M04", "Settled cumulative flow, 4 months back", 4, Money),
    Row(0xD123, Heat, "SETTLED_HEAT_M04", "Settled heat, 4 months back", 4, Money),
    Row(0xD124, WaterGas, "SETTLED_FLOW_M05", "Settled cumulative flow, 5 months back", 4, Money),
    Row(0xD124, Heat, "SETTLED_HEAT_M05", "Settled heat, 5 months back", 4, Money),
    Row(0xD125, WaterGas, "SETTLED_FLOW_M06", "Settled cumulative flow, 6 months back", 4, Money),
    Row(0xD125, Heat, "SETTLED_HEAT_M06", "Settled heat, 6 months back", 4, Money),
    Row(0xD126, WaterGas, "SETTLED_FLOW_M07", "Settled cumulative flow, 7 months back", 4, Money),
    Row(0xD126, Heat, "SETTLED_HEAT_M07", "Settled heat, 7 months back", 4, Money),
    Row(0xD127, WaterGas, "SETTLED_FLOW_M08", "Settled cumulative flow, 8 months back", 4, Money),
    Row(0xD127, Heat, "SETTLED_HEAT_M08", "Settled heat, 8 months back", 4, Money),
    Row(0xD128, WaterGas, "SETTLED_FLOW_M09", "Settled cumulative flow, 9 months back", 4, Money),
    Row(0xD128, Heat, "SETTLED_HEAT_M09", "Settled heat, 9 months back", 4, Money),
    Row(0xD129, WaterGas, "SETTLED_FLOW_M10", "Settled cumulative flow, 10 months back", 4, Money),
    Row(0xD129, Heat, "SETTLED_HEAT_M10", "Settled heat, 10 months back", 4, Money),
    Row(0xD12A, WaterGas, "SETTLED_FLOW_M11", "Settled cumulative flow, 11 months back", 4, Money),
    Row(0xD12A, Heat, "SETTLED_HEAT_M11", "Settled heat, 11 months back", 4, Money),
    Row(0xD12B, WaterGas, "SETTLED_FLOW_M12", "Settled cumulative flow, 12 months back", 4, Money),
    Row(0xD12B, Heat, "SETTLED_HEAT_M12", "Settled heat, 12 months back", 4, Money),
    // Prepaid meters: prices per step of consumption, and the last purchase.
    Row(0x8102, AnyMeter, "PRICE_1", "Price 1", 3, Price),
    Row(0x8102, AnyMeter, "VOLUME_1", "Volume limit of price 1", 3, Count),
    Row(0x8102, AnyMeter, "PRICE_2", "Price 2", 3, Price),
    Row(0x8102, AnyMeter, "VOLUME_2", "Volume limit of price 2", 3, Count),
    Row(0x8102, AnyMeter, "PRICE_3", "Price 3", 3, Price),
    Row(0x8103, AnyMeter, "SETTLEMENT_DAY", "Settlement day of the month", 1, Count),
    Row(0x8104, AnyMeter, "READING_DAY", "Meter-reading day of the month", 1, Count),
    Row(0x8105, AnyMeter, "PURCHASE_NUMBER", "Purchase sequence number", 1, Count),
    Row(0x8105, AnyMeter, "PURCHASE_AMOUNT", "This purchase", 4, Price),
    Row(0x8105, AnyMeter, "PURCHASE_TOTAL", "Total purchased", 4, Price),
    Row(0x8105, AnyMeter, "PURCHASE_REMAINING", "Remaining", 4, Price),
    Row(0x8105, AnyMeter, "PURCHASE_STATUS", "Purchase status", 2, Status),
};
static_assert(std::size(Rows) == 40 + 2 + 24 + 5 + 2 + 5);

// The short heat 901F layout: power and flow 3 bytes, temperatures 2, working hours 4, each
// field keeping the decimals of the standard layout (it only loses its top digits).
constexpr TRequestFuncType ShortHeatRows[] = {
    Row(0x901F, Heat, "SETTLEMENT_DAY_ENERGY_HEAT", "Settlement day energy", 4, Money),
    Row(0x901F, Heat, "ENERGY_HEAT", "Current energy", 4, Money),
    Row(0x901F, Heat, "POWER", "Current power", 3, Money),
    Row(0x901F, Heat, "FLOW", "Instantaneous flow", 3, Flow),
    Row(0x901F, Heat, "CUMULATIVE_FLOW", "Current cumulative flow", 4, Money),
    Row(0x901F, Heat, "TEMP_INLET", "Water supply temperature", 2, Measure),
    Row(0x901F, Heat, "TEMP_OUTLET", "Water return temperature", 2, Measure),
    Row(0x901F, Heat, "WORK_TIME", WorkTimeCaption, 4, Count),
    Row(0x901F, Heat, "METER_TIMESTAMP", "Timestamp", 7, Stamp),
    Row(0x901F, Heat, "STATUS1", "Status 1", 1, Status),
    Row(0x901F, Heat, "STATUS2", "Status 2", 1, Status),
};

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

namespace {

// The unit item names of one table's rows, by the row's place in the table.
class TUnitNames {
 public:
  explicit TUnitNames(std::span<const TRequestFuncType> table) : Table(table) {
    for (const TRequestFuncType& r : table) Names.push_back(std::string(r.Name) + "_UNIT");
  }
  // Empty when the row is not one of the table's.
  std::string_view Of(const TRequestFuncType& row) const {
    // Below the table the unsigned offset wraps round to a large one.
    const uintptr_t offset = reinterpret_cast<uintptr_t>(&row) - reinterpret_cast<uintptr_t>(Table.data());
    const size_t index = offset / sizeof(TRequestFuncType);
    if (offset % sizeof(TRequestFuncType) != 0 || index >= Names.size()) return {};
    return Names[index];
  }

 private:
  std::span<const TRequestFuncType> Table;
  std::vector<std::string> Names;
};

}  // namespace

std::string_view UnitItemName(const TRequestFuncType& row) {
  static const TUnitNames standard(Rows), shortHeat(ShortHeatRows);
  std::string_view name = standard.Of(row);
  if (name.empty()) name = shortHeat.Of(row);
  CJT_ASSERT(!name.empty(), "cjt188_types");
  return name;
}

uint8_t RequestFunctionOf(uint32_t di) { return di == DIReadAddress ? FunctionReadAddress : FunctionReadData; }

namespace {
constexpr std::pair<std::string_view, TLayoutVariant> VariantNames[] = {
    {"standard", TLayoutVariant::Standard},
    {"unit-first", TLayoutVariant::UnitFirst},
    {"short-heat", TLayoutVariant::ShortHeat},
};
}  // namespace

std::optional<TLayoutVariant> ParseLayoutVariant(std::string_view text) {
  if (text.empty()) return TLayoutVariant::Standard;
  for (const auto& [name, variant] : VariantNames)
    if (name == text) return variant;
  return std::nullopt;
}

std::string_view LayoutVariantName(TLayoutVariant variant) {
  for (const auto& [name, value] : VariantNames)
    if (value == variant) return name;
  return {};
}

bool TRequestFuncType::AppliesTo(uint32_t di, uint8_t meterType) const {
  return DI == di &&
         (InRange(meterType, TypeRanges[3], TypeRanges[2]) || InRange(meterType, TypeRanges[1], TypeRanges[0]));
}

TValueKind TRequestFuncType::Kind() const {
  if (Flags & FlagMeterType) return TValueKind::MeterType;
  if (Flags & FlagInteger) return TValueKind::Integer;
  if (Flags & FlagDateTime) return TValueKind::DateTime;
  return TValueKind::Bcd;
}

namespace {
std::span<const TRequestFuncType> RowsIn(std::span<const TRequestFuncType> table, uint32_t di, uint8_t meterType) {
  const auto applies = [&](const TRequestFuncType& row) { return row.AppliesTo(di, meterType); };
  const auto first = std::find_if(table.begin(), table.end(), applies);
  const auto last = std::find_if_not(first, table.end(), applies);
  return {first, last};
}
}  // namespace

std::span<const TRequestFuncType> FindRowsFor(uint32_t di, uint8_t meterType) { return RowsIn(Rows, di, meterType); }

std::span<const TRequestFuncType> FindRowsFor(uint32_t di, uint8_t meterType, TLayoutVariant variant,
                                              size_t valueBytes) {
  if (variant == TLayoutVariant::ShortHeat && valueBytes == ShortHeatValueBytes) {
    const auto rows = RowsIn(ShortHeatRows, di, meterType);
    if (!rows.empty()) return rows;
  }
  return FindRowsFor(di, meterType);
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
    else if (row.Kind() == TValueKind::Integer || row.Kind() == TValueKind::MeterType || row.Decimals() == 0)
      type = ParserItemInteger;
    items.push_back({row.Name, row.Description, type, "0"});
  }
  return items;
}

}  // namespace cjt
