// Decodes the values of an answer frame the way the plug-in walks the value-item table:
// the rows that apply to the answer's DI and meter type, a row skipped when fewer bytes are
// left than its width, a unit item after values with a unit byte.
#pragma once

#include <map>
#include <span>
#include <string>
#include <vector>

#include "cjt188/cjt188_types.h"
#include "cjt188/frame.h"
#include "cjt188/value_decoding.h"

namespace cjt::meter {

struct TDecodedAnswer {
  uint16_t DI = 0;
  uint8_t Serial = 0;
  std::vector<std::string> Names;  // in answer order
  std::map<std::string, TValue> Values;
  std::map<std::string, std::string> Units;
  std::vector<const TRequestFuncType*> Rows;  // the rows decoded
  long Left = 0;                              // bytes after the last value; -1 when a unit byte was missing
};

inline double Number(const TValue& value) {
  if (const auto* d = std::get_if<double>(&value)) return *d;
  if (const auto* i = std::get_if<int32_t>(&value)) return *i;
  if (const auto* u = std::get_if<uint32_t>(&value)) return *u;
  return std::get<TDateTimeValue>(value).Value;
}

inline TDecodedAnswer DecodeAnswer(std::span<const uint8_t> frame) {
  TDecodedAnswer answer;
  const TFrameView view = ViewFrame(frame);
  if (view.Data.size() < 3) return answer;
  answer.DI = static_cast<uint16_t>(view.Data[0] << 8 | view.Data[1]);
  answer.Serial = view.Data[2];
  std::span<const uint8_t> rest = view.Data.subspan(3);
  for (const TRequestFuncType& row : FindRowsFor(answer.DI, view.MeterType)) {
    if (rest.size() < row.Width) continue;
    const TDecodedValue value = DecodeValue(row, rest);
    rest = rest.subspan(value.Consumed);
    const std::string name(row.Name);
    answer.Names.push_back(name);
    answer.Values[name] = value.Value;
    answer.Rows.push_back(&row);
    if (!row.HasUnitByte()) continue;
    if (rest.empty()) {
      answer.Left = -1;
      return answer;
    }
    const std::string_view unit = UnitText(rest[0]);
    rest = rest.subspan(1);
    if (!unit.empty()) answer.Units[name + "_UNIT"] = std::string(unit);
  }
  answer.Left = static_cast<long>(rest.size());
  return answer;
}

}  // namespace cjt::meter
