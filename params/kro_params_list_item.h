// One named value of a parameter list. Items are made and owned by their list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "params/variant.h"

namespace cjt {

// The row marker closes a row of a list that holds a table.
inline constexpr char RowMarkerName[] = "$NEW_ROW$";
inline constexpr int32_t RowMarkerDataType = 0xFF01;

// Item states: the list sets 2 for an item that carries a value; otherwise it has no meaning
// to the list and travels with the item.
inline constexpr uint8_t ItemStateAssigned = 2;

class TkroParamsListItem {
 public:
  // Key is the 8-bit locale lowercasing of name; State is 2 when value is neither empty nor
  // null.
  TkroParamsListItem(std::string_view name, TVariant value);
  virtual ~TkroParamsListItem() = default;
  TkroParamsListItem(const TkroParamsListItem&) = delete;
  TkroParamsListItem& operator=(const TkroParamsListItem&) = delete;

  // Makes a cleared item new again, as the constructor makes it, keeping its storage.
  void Renew(std::string_view name, TVariant&& value);
  void Renew(std::string_view name, const TVariant& value);

  const TVariant& Value() const { return FValue; }
  // Stores the OLE-compatible form of value: text becomes an OLE wide string, numbers keep
  // their type.
  void SetValue(const TVariant& value) { FValue = value; }

  bool IsNewRow() const { return DataType == RowMarkerDataType; }

  std::string Name;
  std::string Key;
  int32_t DataType = 0;
  uint8_t State = 0;

 private:
  // The name and key of a renewed item, and its data type and state as new.
  void RenewName(std::string_view name);

  TVariant FValue;
};

// The class a list makes its items of: a virtual constructor, so that a derived list can
// keep its own kind of item. The value moves into the item.
using TkroParamsListItemClass = std::unique_ptr<TkroParamsListItem> (*)(std::string_view name, TVariant&& value);

template <class TItem>
std::unique_ptr<TkroParamsListItem> CreateParamsListItem(std::string_view name, TVariant&& value) {
  return std::make_unique<TItem>(name, std::move(value));
}

}  // namespace cjt
