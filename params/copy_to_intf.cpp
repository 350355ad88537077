#include "params/copy_to_intf.h"

#include "params/intf_ref.h"
#include "params/kro_params_list_wrap.h"
#include "params/ole_check.h"
#include "params/variant.h"

namespace cjt {

namespace {

// The copy through the interfaces, item by item: every maker's lists.
void CopyThroughIntf(IkroParamsListA* source, IkroParamsListA* destination, int32_t start, int32_t end) {
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

// The same copy between two lists of ours, without an item wrapper, a name conversion or a
// value copy in between. It gives what the interfaces give: the name up to its first zero
// (as GetName hands it out), the key made from that name by Add (an item reference's key
// never reaches its item), the value, data type and state.
void CopyBetweenLists(const TkroParamsList& source, TkroParamsList& destination, int32_t start, int32_t end) {
  for (int32_t i = start; i <= end; ++i) {
    const TkroParamsListItem* from = source.Items(i);
    if (from == nullptr) continue;
    TkroParamsListItem* to = destination.Add(std::string_view(from->Name.c_str()), from->Value());
    if (to == nullptr) continue;
    to->DataType = from->DataType;
    to->State = from->State;
  }
}

}  // namespace

void CopyToIntf(IkroParamsListA* source, IkroParamsListA* destination, int32_t start, int32_t end) {
  if (source == nullptr || destination == nullptr) return;
  if (end < 0) end = source->Count() - 1;
  const TkroParamsListWrap* ownSource = TkroParamsListWrap::OwnWrapperOf(source);
  const TkroParamsListWrap* ownDestination = TkroParamsListWrap::OwnWrapperOf(destination);
  if (ownSource != nullptr && ownDestination != nullptr)
    CopyBetweenLists(ownSource->List(), ownDestination->List(), start, end);
  else
    CopyThroughIntf(source, destination, start, end);
}

TkroParamsList* AsParamsListObject(void* list) {
  return list != nullptr && TkroParamsList::CarriesSignature(list) ? static_cast<TkroParamsList*>(list) : nullptr;
}

}  // namespace cjt
