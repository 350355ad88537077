// The protocol tables: meter types, the data identifiers that can be requested, the layout
// of the values in each answer (one row a value, in answer order) and the unit codes. They
// are fixed at build time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace cjt {

// A meter type: the type byte T of a frame (only the low byte of Code is used) and its name.
struct TCjtUnit {
  uint32_t Code;
  std::string_view Name;
};
std::span<const TCjtUnit> CjtUnits();

struct TCjtFunction {
  uint16_t DI;
  std::string_view Caption;
};
std::span<const TCjtFunction> CjtFunctions();

// The data identifier of the read-address request, which goes out with its own control
// code; every other identifier is read with read data.
constexpr uint32_t DIReadAddress = 0x810A;
// The function bits of the request for a data identifier, and of its answer.
uint8_t RequestFunctionOf(uint32_t di);

// How a maker lays out an answer's values. Standard: as the value-item table says.
// UnitFirst: the unit byte comes before each value that has one. ShortHeat: a heat meter's
// 901F answer with shorter power, flow, temperature and working-hour fields (40 value bytes
// instead of 43); an answer of the standard length still decodes by the standard layout.
enum class TLayoutVariant { Standard, UnitFirst, ShortHeat };
constexpr size_t ShortHeatValueBytes = 40;  // the short heat 901F answer's values
// "" and "standard", "unit-first", "short-heat"; nothing for any other text.
std::optional<TLayoutVariant> ParseLayoutVariant(std::string_view text);
std::string_view LayoutVariantName(TLayoutVariant variant);

// Flags of a value-item row.
constexpr uint8_t FlagUnitByte = 0x80;     // a unit byte follows the value
constexpr uint8_t FlagInteger = 0x40;      // unsigned integer, most significant byte first
constexpr uint8_t FlagDateTime = 0x20;     // seven BCD bytes from seconds to the century
constexpr uint8_t FlagMeterType = 0x08;    // no data bytes: the meter-type byte of the frame
constexpr uint8_t FlagDecimalMask = 0x07;  // decimal places of a BCD value

enum class TValueKind { Integer, DateTime, Bcd, MeterType };

// One value of an answer. TypeRanges holds, in memory order, b0 b1 b2 b3: the meter types
// from b3 to b2 and from b1 to b0, an upper bound of 0 meaning the lower bound alone.
struct TRequestFuncType {
  uint32_t DI;
  std::array<uint8_t, 4> TypeRanges;
  std::string_view Name;
  std::string_view Description;
  std::array<uint8_t, 2> RepeatCounts;
  uint8_t Width;
  uint8_t Flags;
  uint8_t Sign;
  std::array<uint8_t, 3> Spare;

  bool AppliesTo(uint32_t di, uint8_t meterType) const;
  TValueKind Kind() const;
  int Decimals() const { return Flags & FlagDecimalMask; }
  bool HasUnitByte() const { return (Flags & FlagUnitByte) != 0; }
};
std::span<const TRequestFuncType> RequestFuncTypes();
// The name of the item that carries a row's unit: the row's name and "_UNIT". Made once for
// every row of RequestFuncTypes, which row must be one of.
std::string_view UnitItemName(const TRequestFuncType& row);

// The consecutive rows that apply to an answer, empty when none does.
std::span<const TRequestFuncType> FindRowsFor(uint32_t di, uint8_t meterType);
// The same for an answer of a maker's layout with valueBytes bytes after DI and serial
// number: the short heat layout's rows when they fit the answer, the standard rows otherwise.
std::span<const TRequestFuncType> FindRowsFor(uint32_t di, uint8_t meterType, TLayoutVariant variant,
                                              size_t valueBytes);
// The first row of a data identifier whatever the meter type, or nullptr.
const TRequestFuncType* FindFunction(uint32_t di);

constexpr uint8_t MaxUnitCode = 75;
// The unit of a code from 1 to 75; empty for codes without a text.
std::string_view UnitText(uint32_t code);

// Parser-item type codes of the host.
constexpr int32_t ParserItemFloat = 5;
constexpr int32_t ParserItemInteger = 8;
constexpr int32_t ParserItemDateTime = 11;

struct TParserItemDecl {
  std::string_view Name;
  std::string_view Caption;
  int32_t Type;
  std::string_view Extra;
};
// One item per distinct row name, at its first row, with that row's caption: date-time
// rows are DateTime, rows without decimal places Integer, the others Float.
std::vector<TParserItemDecl> ProtocolParserItems();

}  // namespace cjt
