#include "params/kro_params_list_item.h"

#include <utility>

#include "platform/text_encoding.h"

namespace cjt {

TkroParamsListItem::TkroParamsListItem(std::string_view name, TVariant value)
    : Name(name), Key(platform::AnsiLowerCase(name)), FValue(std::move(value)) {
  State = FValue.IsEmpty() || FValue.IsNull() ? 0 : ItemStateAssigned;
}

}  // namespace cjt
