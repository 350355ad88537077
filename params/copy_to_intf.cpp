#include "params/copy_to_intf.h"

#include "params/intf_ref.h"
#include "params/ole_check.h"
#include "params/variant.h"

namespace cjt {

void CopyToIntf(IkroParamsListA* source, IkroParamsListA* destination, int32_t start, int32_t end) {
  if (source == nullptr || destination == nullptr) return;
  if (end < 0) end = source->Count() - 1;
  for (int32_t i = start; i <= end; ++i) {
    TIntfRef<IkroParamsListItemW> from;
    OleCheck(source->GetItem(i, from.Receive()));
    if (!from) continue;  // an index without an item copies nothing
    TVariant value;
    OleCheck(from->GetValue(value.Receive()));
    TIntfRef<IkroParamsListItemW> to;
    OleCheck(destination->Add(from->GetName(), value.Raw(), to.Receive()));
    if (!to) continue;
    to->SetKey(from->GetKey());
    to->SetDataType(from->GetDataType());
    to->SetState(from->GetState());
  }
}

TkroParamsList* AsParamsListObject(void* list) {
  return list != nullptr && TkroParamsList::CarriesSignature(list) ? static_cast<TkroParamsList*>(list) : nullptr;
}

}  // namespace cjt
