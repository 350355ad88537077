#include "plugin/call_params.h"

#include "params/intf_ref.h"
#include "params/ole_check.h"

namespace cjt {

bool HasParam(IkroParamsListA* params, const char* name) {
  if (params == nullptr) return false;
  int32_t index = -1;
  OleCheck(params->IndexOf(name, 0, -1, &index));
  return index >= 0;
}

std::optional<TVariant> GivenParam(IkroParamsListA* params, const char* name) {
  if (params == nullptr) return std::nullopt;
  TVariant value;
  OleCheck(params->GetValue(name, 0, -1, value.Receive()));
  if (value.IsEmpty() || value.IsNull()) return std::nullopt;
  return value;
}

std::optional<std::string> GivenText(IkroParamsListA* params, const char* name) {
  std::optional<TVariant> value = GivenParam(params, name);
  if (!value) return std::nullopt;
  return value->AsString();
}

std::optional<int64_t> GivenInteger(IkroParamsListA* params, const char* name) {
  std::optional<TVariant> value = GivenParam(params, name);
  if (!value) return std::nullopt;
  return value->AsInt64();
}

void SetParamValue(IkroParamsListA* params, const char* name, const TVariant& value, bool addIfMissing) {
  if (params == nullptr) return;
  TIntfRef<IkroParamsListItemW> item;
  OleCheck(params->SetValue(name, value.Raw(), addIfMissing, item.Receive()));
}

}  // namespace cjt
