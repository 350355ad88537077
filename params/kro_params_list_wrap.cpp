#include "params/kro_params_list_wrap.h"

#include <type_traits>
#include <utility>

#include "params/intf_guard.h"
#include "params/intf_ref.h"
#include "params/kro_params_list_item_wrap.h"
#include "params/ole_check.h"
#include "platform/message_box.h"
#include "platform/text_encoding.h"

namespace cjt {

namespace {

std::atomic<TkroParamsListWrap::TWarningHandler> WarningHandler{nullptr};

std::string AnsiName(const char* name) { return name ? name : ""; }
std::string AnsiName(const char16_t* name) { return name ? platform::WideToAnsi(name) : std::string(); }

// Incoming text in variants: the 8-bit interface reads 0x0100 as 8-bit text, the UTF-16
// interface reads it as UTF-16 text.
template <class TChar>
constexpr TTextConvention ConventionOf = std::is_same_v<TChar, char> ? TTextConvention::Ansi : TTextConvention::Wide;

IkroParamsListItemW*& ClearedItemOut(IkroParamsListItemW** item) { return OutParam(item) = nullptr; }

// Name and value of an item interface, read through its 8-bit or its UTF-16 methods.
std::pair<std::string, TVariant> NameAndValue(IkroParamsListItemA* source) {
  TVariant raw;
  OleCheck(OutParam(source).GetValue(raw.Receive()));
  return {AnsiName(source->GetName()), TVariant::FromIncoming(raw.Raw(), TTextConvention::Ansi)};
}

std::pair<std::string, TVariant> NameAndValue(IkroParamsListItemW* source) {
  TVariant raw;
  OleCheck(OutParam(source).GetValueW(raw.Receive()));
  return {AnsiName(source->GetNameW()), TVariant::FromIncoming(raw.Raw(), TTextConvention::Wide)};
}

}  // namespace

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

void TkroParamsListWrap::AppendRows(TkroParamsListWrap* source) {
  Guarded([&] { FList->AppendRows(source ? source->FList : nullptr); });
}

THResult TkroParamsListWrap::GetItem(int32_t index, IkroParamsListItemW** item) {
  return StatusOf([&] { ClearedItemOut(item) = TkroParamsListItemWrap::NewReference(FList->Items(index)); });
}

THResult TkroParamsListWrap::AddListRangeOf(TkroParamsList* source, int32_t start, int32_t end, bool whole,
                                            bool* done) {
  return StatusOf([&] {
    bool& result = OutParam(done) = false;
    result = whole ? FList->AddList(source) : FList->AddListRange(source, start, end);
  });
}

template <class TChar>
THResult TkroParamsListWrap::FindItemAs(const TChar* name, int32_t start, int32_t end, IkroParamsListItemW** item) {
  return StatusOf([&] {
    ClearedItemOut(item) = TkroParamsListItemWrap::NewReference(FList->FindItem(AnsiName(name), start, end));
  });
}

template <class TChar>
THResult TkroParamsListWrap::IndexOfAs(const TChar* name, int32_t start, int32_t end, int32_t* index) {
  return StatusOf([&] { OutParam(index) = FList->IndexOf(AnsiName(name), start, end); });
}

// GetValue without a default gives empty for a missing name.
template <class TChar>
THResult TkroParamsListWrap::GetValueAs(const TChar* name, int32_t start, int32_t end,
                                        const TOleVariant* defaultValue, TOleVariant* value) {
  return StatusOf([&] {
    platform::VariantInit(&OutParam(value));
    const TVariant fallback = defaultValue ? TVariant::CopyOf(*defaultValue) : TVariant();
    FList->GetValueDef(AnsiName(name), fallback, start, end).CopyTo(value);
  });
}

template <class TChar>
THResult TkroParamsListWrap::InsertAs(int32_t index, const TChar* name, const TOleVariant& value,
                                      IkroParamsListItemW** item) {
  return StatusOf([&] {
    ClearedItemOut(item);
    TkroParamsListItem* added = FList->Insert(index, AnsiName(name), TVariant::FromIncoming(value, ConventionOf<TChar>));
    *item = TkroParamsListItemWrap::NewReference(added);
  });
}

template <class TChar>
THResult TkroParamsListWrap::SetValueAs(const TChar* name, const TOleVariant& value, bool addIfMissing,
                                        IkroParamsListItemW** item) {
  return StatusOf([&] {
    ClearedItemOut(item);
    const TVariant stored = TVariant::FromIncoming(value, ConventionOf<TChar>);
    *item = TkroParamsListItemWrap::NewReference(FList->SetValue(AnsiName(name), stored, addIfMissing));
  });
}

template <class TItemIntf>
THResult TkroParamsListWrap::AddItemAs(TItemIntf* source, IkroParamsListItemW** item) {
  return StatusOf([&] {
    ClearedItemOut(item);
    auto [name, value] = NameAndValue(source);
    *item = TkroParamsListItemWrap::NewReference(FList->Add(name, value));
  });
}

THResult TkroParamsListWrap::AddList(TkroParamsList* source, bool* done) {
  return AddListRangeOf(source, 0, -1, true, done);
}

THResult TkroParamsListWrap::AddListRange(TkroParamsList* source, int32_t start, int32_t end, bool* done) {
  return AddListRangeOf(source, start, end, false, done);
}

THResult TkroParamsListWrap::AddList(TkroParamsListWrap* source, bool* done) {
  return AddListRangeOf(source ? source->FList : nullptr, 0, -1, true, done);
}

THResult TkroParamsListWrap::AddListRange(TkroParamsListWrap* source, int32_t start, int32_t end, bool* done) {
  return AddListRangeOf(source ? source->FList : nullptr, start, end, false, done);
}

THResult TkroParamsListWrap::FindItem(const char* name, int32_t start, int32_t end, IkroParamsListItemW** item) {
  return FindItemAs(name, start, end, item);
}

THResult TkroParamsListWrap::IndexOf(const char* name, int32_t start, int32_t end, int32_t* index) {
  return IndexOfAs(name, start, end, index);
}

THResult TkroParamsListWrap::GetValue(const char* name, int32_t start, int32_t end, TOleVariant* value) {
  return GetValueAs(name, start, end, nullptr, value);
}

THResult TkroParamsListWrap::GetValueDef(const char* name, TOleVariant defaultValue, int32_t start, int32_t end,
                                         TOleVariant* value) {
  return GetValueAs(name, start, end, &defaultValue, value);
}

THResult TkroParamsListWrap::Add(const char* name, TOleVariant value, IkroParamsListItemW** item) {
  return InsertAs(FList->Count(), name, value, item);
}

THResult TkroParamsListWrap::Insert(int32_t index, const char* name, TOleVariant value, IkroParamsListItemW** item) {
  return InsertAs(index, name, value, item);
}

THResult TkroParamsListWrap::SetValue(const char* name, TOleVariant value, bool addIfMissing,
                                      IkroParamsListItemW** item) {
  return SetValueAs(name, value, addIfMissing, item);
}

THResult TkroParamsListWrap::FindItem(const char16_t* name, int32_t start, int32_t end, IkroParamsListItemW** item) {
  return FindItemAs(name, start, end, item);
}

THResult TkroParamsListWrap::IndexOf(const char16_t* name, int32_t start, int32_t end, int32_t* index) {
  return IndexOfAs(name, start, end, index);
}

THResult TkroParamsListWrap::GetValue(const char16_t* name, int32_t start, int32_t end, TOleVariant* value) {
  return GetValueAs(name, start, end, nullptr, value);
}

THResult TkroParamsListWrap::GetValueDef(const char16_t* name, TOleVariant defaultValue, int32_t start, int32_t end,
                                         TOleVariant* value) {
  return GetValueAs(name, start, end, &defaultValue, value);
}

THResult TkroParamsListWrap::Add(const char16_t* name, TOleVariant value, IkroParamsListItemW** item) {
  return InsertAs(FList->Count(), name, value, item);
}

THResult TkroParamsListWrap::Insert(int32_t index, const char16_t* name, TOleVariant value, IkroParamsListItemW** item) {
  return InsertAs(index, name, value, item);
}

THResult TkroParamsListWrap::SetValue(const char16_t* name, TOleVariant value, bool addIfMissing,
                                      IkroParamsListItemW** item) {
  return SetValueAs(name, value, addIfMissing, item);
}

THResult TkroParamsListWrap::AddItem(IkroParamsListItemA* source, IkroParamsListItemW** item) {
  return AddItemAs(source, item);
}

THResult TkroParamsListWrap::AddItem(IkroParamsListItemW* source, IkroParamsListItemW** item) {
  return AddItemAs(source, item);
}

}  // namespace cjt
