#include "params/kro_params_list_wrap.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "params/copy_to_intf.h"
#include "params/intf_guard.h"
#include "params/intf_ref.h"
#include "params/kro_params_list_item_wrap.h"
#include "params/ole_check.h"
#include "platform/message_box.h"
#include "platform/text_encoding.h"

namespace cjt {

namespace {

std::atomic<TkroParamsListWrap::TWarningHandler> WarningHandler{nullptr};

IkroParamsListItemW*& ClearedItemOut(IkroParamsListItemW** item) { return OutParam(item) = nullptr; }

// Name and value of an item interface, read through its 8-bit or its UTF-16 methods.
std::pair<std::string, TVariant> NameAndValue(IkroParamsListItemA* source, TTextConvention convention) {
  TVariant raw;
  if (convention == TTextConvention::Wide) {
    auto* wide = static_cast<IkroParamsListItemW*>(&OutParam(source));
    OleCheck(wide->GetValueW(raw.Receive()));
    return {TNameArg(wide->GetNameW()).Text(), TVariant::FromIncoming(raw.Raw(), convention)};
  }
  OleCheck(OutParam(source).GetValue(raw.Receive()));
  return {TNameArg(source->GetName()).Text(), TVariant::FromIncoming(raw.Raw(), convention)};
}

// The done flag of AddList and AddListRange: false until the work says otherwise.
template <class TWork>
THResult DoneStatus(bool* done, TWork&& work) {
  return StatusOf([&] {
    bool& result = OutParam(done) = false;
    result = work();
  });
}

const void* MethodTableOf(const IkroParamsListA* intf) {
  const void* table = nullptr;
  std::memcpy(&table, static_cast<const void*>(intf), sizeof table);
  return table;
}

// The 8-bit list interface of a list reference, counted; none for a null reference.
TIntfRef<IkroParamsListA> ListIntfOf(TkroParamsListWrap* source) {
  TIntfRef<IkroParamsListA> intf;
  if (source == nullptr) return intf;
  // A wrapper object is addressed by its first interface reference.
  auto* given = reinterpret_cast<IUnknownIntf*>(source);
  if (given->QueryInterface(IID_IkroParamsListA, reinterpret_cast<void**>(intf.Receive())) != 0 || !intf)
    throw std::invalid_argument("The source list answers no list interface");
  return intf;
}

}  // namespace

std::string TNameArg::Text() const {
  if (Ansi != nullptr) return Ansi;
  return Wide != nullptr ? platform::WideToAnsi(Wide) : std::string();
}

TkroParamsListWrap::TkroParamsListWrap() : TkroParamsListWrap(nullptr, false) {}

TkroParamsListWrap::TkroParamsListWrap(TkroParamsList* list, bool notOwned)
    : NotOwned(list != nullptr && notOwned), FList(list ? list : new TkroParamsList) {}

TkroParamsListWrap::~TkroParamsListWrap() {
  if (!NotOwned) delete FList;
  FList = nullptr;
  if (SelfRefPtr.load() != nullptr) {
    SelfRef = nullptr;
    --RefCount;  // the stored self reference; the wrapper is going anyway
  }
  SelfRefPtr = nullptr;
  if (RefCount.load() > 0) {
    const TWarningHandler handler = WarningHandler.load();
    const char* text = "TkroParamsListWrap.Destroy. Reference counter should be zero!";
    handler ? handler(text) : platform::ShowErrorMessage(text);
  }
}

void TkroParamsListWrap::SetReferenceWarningHandler(TWarningHandler handler) { WarningHandler = handler; }

IkroParamsListA** TkroParamsListWrap::GetSelfIntf() {
  if (SelfRefPtr.load() == nullptr) {
    SelfRef = static_cast<IkroParamsListA*>(this);
    AddRef();
    SelfRefPtr = &SelfRef;
  }
  return SelfRefPtr.load();
}

THResult TkroParamsListWrap::QueryInterface(const TGuid& iid, void** object) {
  if (object == nullptr) return HrUnexpected;
  *object = nullptr;
  if (iid == IID_IkroParamsListA || iid == IID_IUnknown)
    *object = static_cast<IkroParamsListA*>(this);
  else if (iid == IID_IkroParamsListW)
    *object = static_cast<IkroParamsListW*>(this);
  else
    return HrNoInterface;
  AddRef();
  return 0;
}

uint32_t TkroParamsListWrap::AddRef() { return static_cast<uint32_t>(++RefCount); }

uint32_t TkroParamsListWrap::Release() {
  const int32_t count = --RefCount;
  // An owned wrapper (self reference set) is freed only by its owner.
  if (count == 0 && SelfRefPtr.load() == nullptr) delete this;
  return static_cast<uint32_t>(count);
}

int32_t TkroParamsListWrap::Count() { return FList->Count(); }

uint32_t TkroParamsListWrap::GetSignature() { return FList->Signature(); }

int32_t TkroParamsListWrap::GetTag() { return FList->Tag(); }

void TkroParamsListWrap::SetTag(int32_t tag) { FList->SetTag(tag); }

void TkroParamsListWrap::Clear() {
  Guarded([&] { FList->Clear(); });
}

void TkroParamsListWrap::Delete(int32_t index) {
  Guarded([&] { FList->Delete(index); });
}

bool TkroParamsListWrap::GetRowEnd(int32_t start, int32_t* endIndex, bool* isMarker) {
  return ValueOr(false, [&] { return FList->GetRowEnd(start, OutParam(endIndex), OutParam(isMarker)); });
}

void TkroParamsListWrap::AddNewRow() {
  Guarded([&] { FList->AddNewRow(); });
}

// The source's items, then a row marker unless the last item copied is one already.
void TkroParamsListWrap::AppendRows(TkroParamsListWrap* source) {
  Guarded([&] {
    AddFromSource(source, 0, -1);
    FList->AddNewRow();
  });
}

THResult TkroParamsListWrap::GetItemAt(int32_t index, IkroParamsListItemW** item) {
  return StatusOf([&] { ClearedItemOut(item) = TkroParamsListItemWrap::NewReference(FList->Items(index)); });
}

THResult TkroParamsListWrap::AddListRangeOf(TkroParamsList* source, int32_t start, int32_t end, bool whole,
                                            bool* done) {
  return DoneStatus(done, [&] { return whole ? FList->AddList(source) : FList->AddListRange(source, start, end); });
}

// AddList passes the whole range, which is all that whole means here.
THResult TkroParamsListWrap::AddListRangeOf(TkroParamsListWrap* source, int32_t start, int32_t end, bool, bool* done) {
  return DoneStatus(done, [&] { return AddFromSource(source, start, end); });
}

bool TkroParamsListWrap::AddFromSource(TkroParamsListWrap* source, int32_t start, int32_t end) {
  const TIntfRef<IkroParamsListA> intf = ListIntfOf(source);
  if (!intf) return false;
  if (TkroParamsListWrap* own = OwnWrapperOf(intf.Get())) return FList->AddListRange(own->FList, start, end);
  // Another maker's list is read through its interface, with the range rules of a list.
  const int32_t count = intf->Count();
  if (count <= 0) return false;
  if (end < 0 || end >= count) end = count - 1;
  CopyToIntf(intf.Get(), static_cast<IkroParamsListA*>(this), std::max(start, 0), end);
  return true;
}

// Every interface reference starts with the address of its method table, whoever made it;
// only this class's objects have this class's table.
TkroParamsListWrap* TkroParamsListWrap::OwnWrapperOf(IkroParamsListA* intf) {
  if (intf == nullptr) return nullptr;
  static const void* const ownTable = [] {
    TkroParamsListWrap probe;
    return MethodTableOf(static_cast<IkroParamsListA*>(&probe));
  }();
  return MethodTableOf(intf) == ownTable ? static_cast<TkroParamsListWrap*>(intf) : nullptr;
}

THResult TkroParamsListWrap::FindItemAs(TNameArg name, int32_t start, int32_t end, IkroParamsListItemW** item) {
  return StatusOf(
      [&] { ClearedItemOut(item) = TkroParamsListItemWrap::NewReference(FList->FindItem(name.Text(), start, end)); });
}

THResult TkroParamsListWrap::IndexOfAs(TNameArg name, int32_t start, int32_t end, int32_t* index) {
  return StatusOf([&] { OutParam(index) = FList->IndexOf(name.Text(), start, end); });
}

// Without a default, a missing name gives empty.
THResult TkroParamsListWrap::GetValueAs(TNameArg name, int32_t start, int32_t end, const TOleVariant* defaultValue,
                                        TOleVariant* value) {
  return StatusOf([&] {
    platform::VariantInit(&OutParam(value));
    const TVariant fallback = defaultValue ? TVariant::CopyOf(*defaultValue) : TVariant();
    FList->GetValueDef(name.Text(), fallback, start, end).CopyTo(value);
  });
}

THResult TkroParamsListWrap::InsertAs(std::optional<int32_t> index, TNameArg name, const TOleVariant& value,
                                      TTextConvention convention, IkroParamsListItemW** item) {
  return StatusOf([&] {
    ClearedItemOut(item);
    const TVariant stored = TVariant::FromIncoming(value, convention);
    TkroParamsListItem* added = FList->Insert(index.value_or(FList->Count()), name.Text(), stored);
    *item = TkroParamsListItemWrap::NewReference(added);
  });
}

THResult TkroParamsListWrap::SetValueAs(TNameArg name, const TOleVariant& value, TTextConvention convention,
                                        bool addIfMissing, IkroParamsListItemW** item) {
  return StatusOf([&] {
    ClearedItemOut(item);
    const TVariant stored = TVariant::FromIncoming(value, convention);
    *item = TkroParamsListItemWrap::NewReference(FList->SetValue(name.Text(), stored, addIfMissing));
  });
}

THResult TkroParamsListWrap::AddItemAs(IkroParamsListItemA* source, TTextConvention convention,
                                       IkroParamsListItemW** item) {
  return StatusOf([&] {
    ClearedItemOut(item);
    auto [name, value] = NameAndValue(source, convention);
    *item = TkroParamsListItemWrap::NewReference(FList->Add(name, value));
  });
}

}  // namespace cjt
