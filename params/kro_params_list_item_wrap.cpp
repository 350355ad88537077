#include "params/kro_params_list_item_wrap.h"

#include <utility>

#include "params/intf_guard.h"
#include "platform/text_encoding.h"

namespace cjt {

namespace {

const char* TextOrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

TkroParamsListItemWrap::TkroParamsListItemWrap(TkroParamsListItem* item) : Item(item) { RefreshNames(); }

IkroParamsListItemW* TkroParamsListItemWrap::NewReference(TkroParamsListItem* item) {
  if (item == nullptr) return nullptr;
  auto* wrap = new TkroParamsListItemWrap(item);
  wrap->AddRef();
  return wrap;
}

// An ASCII name is its own UTF-8 and widens unit by unit, without a conversion.
void TkroParamsListItemWrap::RefreshNames() {
  NameA = Item->Name;
  if (platform::IsAscii(NameA)) {
    NameW.assign(NameA.begin(), NameA.end());
    KeyText = platform::AsciiLowerCase(NameA);
    return;
  }
  NameW = platform::AnsiToWide(NameA);
  KeyText = platform::AsciiLowerCase(platform::WideToUtf8(NameW));
}

void TkroParamsListItemWrap::Rename(std::string name) {
  Item->Name = std::move(name);
  RefreshNames();
}

THResult TkroParamsListItemWrap::QueryInterface(const TGuid& iid, void** object) {
  if (object == nullptr) return HrUnexpected;
  *object = nullptr;
  if (iid == IID_IkroParamsListItemW || iid == IID_IkroParamsListItemA || iid == IID_IUnknown) {
    *object = static_cast<IkroParamsListItemW*>(this);
    AddRef();
    return 0;
  }
  return HrNoInterface;
}

uint32_t TkroParamsListItemWrap::AddRef() { return static_cast<uint32_t>(++RefCount); }

uint32_t TkroParamsListItemWrap::Release() {
  const int32_t count = --RefCount;
  if (count == 0) delete this;
  return static_cast<uint32_t>(count);
}

void TkroParamsListItemWrap::SetKey(const char* key) {
  Guarded([&] { KeyText = key ? key : ""; });
}

void TkroParamsListItemWrap::SetDataType(int32_t dataType) { Item->DataType = dataType; }

void TkroParamsListItemWrap::SetState(uint8_t state) { Item->State = state; }

const char* TkroParamsListItemWrap::GetKey() { return TextOrNull(KeyText); }

int32_t TkroParamsListItemWrap::GetDataType() { return Item->DataType; }

uint8_t TkroParamsListItemWrap::GetState() { return Item->State; }

THResult TkroParamsListItemWrap::SetValue(TOleVariant value) {
  return StatusOf([&] { Item->SetValue(TVariant::FromIncoming(value, TTextConvention::Ansi)); });
}

THResult TkroParamsListItemWrap::GetValue(TOleVariant* value) {
  return StatusOf([&] { Item->Value().CopyTo(&OutParam(value)); });
}

void TkroParamsListItemWrap::SetName(const char* name) {
  Guarded([&] { Rename(name ? name : ""); });
}

const char* TkroParamsListItemWrap::GetName() { return TextOrNull(NameA); }

bool TkroParamsListItemWrap::IsNewRow() { return Item->IsNewRow(); }

void TkroParamsListItemWrap::SetNameW(const char16_t* name) {
  Guarded([&] { Rename(name ? platform::WideToAnsi(name) : std::string()); });
}

const char16_t* TkroParamsListItemWrap::GetNameW() { return NameW.empty() ? nullptr : NameW.c_str(); }

THResult TkroParamsListItemWrap::SetValueW(TOleVariant value) {
  return StatusOf([&] { Item->SetValue(TVariant::FromIncoming(value, TTextConvention::Wide)); });
}

THResult TkroParamsListItemWrap::GetValueW(TOleVariant* value) { return GetValue(value); }

}  // namespace cjt
