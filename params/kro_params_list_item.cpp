#include "params/kro_params_list_item.h"

#include <utility>

#include "platform/text_encoding.h"

namespace cjt {

TkroParamsListItem::TkroParamsListItem(std::string_view name, TVariant value) { Renew(name, std::move(value)); }

void TkroParamsListItem::Renew(std::string_view name, TVariant&& value) {
  FValue = std::move(value);
  RenewName(name);
}

void TkroParamsListItem::Renew(std::string_view name, const TVariant& value) {
  FValue = value;
  RenewName(name);
}

void TkroParamsListItem::RenewName(std::string_view name) {
  // A list refilled with the same names finds each name already in place.
  if (Name != name) Name.assign(name);
  platform::AnsiLowerCaseInto(Key, name);
  DataType = 0;
  State = FValue.IsEmpty() || FValue.IsNull() ? 0 : ItemStateAssigned;
}

}  // namespace cjt
