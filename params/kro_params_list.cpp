#include "params/kro_params_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "params/intf_ref.h"
#include "params/ole_check.h"
#include "params/params_list_intf.h"
#include "platform/guid.h"
#include "platform/text_encoding.h"
#include "support/assertion.h"

namespace cjt {

namespace {

constexpr char Unit[] = "kroParamLst";

// What a cleared list keeps for its next items: enough for the values of a few packets, little
// beside the values themselves.
constexpr size_t MaxSpareItems = 64;
constexpr int32_t MaxKeptCapacity = 256;

const TkroParamsListItemClass StandardItemClass = &CreateParamsListItem<TkroParamsListItem>;

bool IsBlankName(std::string_view name) {
  return std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

TVariant ValueOf(IkroParamsListItemA* item) {
  TVariant raw;
  OleCheck(item->GetValue(raw.Receive()));
  return TVariant::FromIncoming(raw.Raw(), TTextConvention::Ansi);
}

std::string TextOf(const char* text) { return text ? text : ""; }

[[noreturn, gnu::noinline, gnu::cold]] void ThrowIndexError(int32_t index) {
  char text[64];
  std::snprintf(text, sizeof text, "List index out of bounds (%d)", index);
  throw EListError(text);
}

}  // namespace

TkroParamsList::TkroParamsList() : FItemClass(StandardItemClass) {}

void TkroParamsList::SetItemClass(TkroParamsListItemClass itemClass) {
  FStandardItems = itemClass == StandardItemClass && (FStandardItems || FCount == 0);
  FItemClass = itemClass;
  FSpares.clear();
}

void TkroParamsList::SetKeepsClearedItems(bool keep) {
  FKeepsItems = keep;
  if (!keep) FSpares.clear();
}

const std::string& TkroParamsList::ID() const {
  std::call_once(FIDMade, [this] { FID = platform::GuidToString(platform::NewGuid()); });
  return FID;
}

TkroParamsList::~TkroParamsList() {
  FSignature = 0;
  for (int32_t i = 0; i < FCount; ++i) delete FItems[i];
}

TkroParamsListItem* TkroParamsList::Items(int32_t index) const {
  return index >= 0 && index < FCount ? FItems[index] : nullptr;
}

void TkroParamsList::CheckSignature() const { CJT_ASSERT(FSignature == ParamsListSignature, Unit); }

bool TkroParamsList::CarriesSignature(const void* object) {
  uint32_t signature;
  std::memcpy(&signature, static_cast<const unsigned char*>(object) + ParamsListSignatureOffset, sizeof signature);
  return signature == ParamsListSignature;
}

int32_t TkroParamsList::RangeEnd(int32_t end) const { return end < 0 || end >= FCount ? FCount - 1 : end; }

int32_t TkroParamsList::IndexOf(std::string_view name, int32_t start, int32_t end) const {
  CheckSignature();
  if (FCount == 0) return -1;
  const std::string key = platform::AnsiLowerCase(name);
  const int32_t last = RangeEnd(end);
  for (int32_t i = std::max(start, 0); i <= last; ++i) {
    if (FItems[i]->Key == key) return i;
    if (end == -2 && FItems[i]->IsNewRow()) return -1;
  }
  return -1;
}

TkroParamsListItem* TkroParamsList::FindItem(std::string_view name, int32_t start, int32_t end) const {
  if (FCount == 0) return nullptr;
  return Items(IndexOf(name, start, end));
}

TVariant TkroParamsList::GetValue(std::string_view name, int32_t start, int32_t end) const {
  const TkroParamsListItem* item = FindItem(name, start, end);
  return item ? item->Value() : TVariant();
}

TVariant TkroParamsList::GetValueDef(std::string_view name, const TVariant& defaultValue, int32_t start,
                                     int32_t end) const {
  const TkroParamsListItem* item = FindItem(name, start, end);
  return item ? item->Value() : defaultValue;
}

void TkroParamsList::Grow() {
  const int32_t delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
  auto grown = std::make_unique<TkroParamsListItem*[]>(static_cast<size_t>(FCapacity + delta));
  std::copy(FItems.get(), FItems.get() + FCount, grown.get());
  FItems = std::move(grown);
  FCapacity += delta;
}

void TkroParamsList::GrowFor(int32_t count) {
  while (FCapacity < FCount + count) Grow();
}

TkroParamsListItem* TkroParamsList::InsertItem(int32_t index, std::unique_ptr<TkroParamsListItem> item) {
  if (index < 0 || index > FCount) ThrowIndexError(index);
  if (FCount == FCapacity) Grow();
  std::copy_backward(FItems.get() + index, FItems.get() + FCount, FItems.get() + FCount + 1);
  FItems[index] = item.release();
  ++FCount;
  return FItems[index];
}

template <class TValue>
std::unique_ptr<TkroParamsListItem> TkroParamsList::NewItem(std::string_view name, TValue&& value) {
  if (FSpares.empty()) return FItemClass(name, TVariant(std::forward<TValue>(value)));
  std::unique_ptr<TkroParamsListItem> item = std::move(FSpares.back());
  FSpares.pop_back();
  item->Renew(name, std::forward<TValue>(value));
  return item;
}

void TkroParamsList::Retire(TkroParamsListItem* item) noexcept {
  // Only items of the standard class: the spares are renewed as such.
  if (FKeepsItems && FStandardItems && FSpares.size() < MaxSpareItems) {
    try {
      FSpares.emplace_back(item);
      return;
    } catch (...) {
      // No room to keep it: it is freed like any other.
    }
  }
  delete item;
}

template <class TValue>
TkroParamsListItem* TkroParamsList::InsertNew(int32_t index, std::string_view name, TValue&& value) {
  if (IsBlankName(name)) return nullptr;
  TkroParamsListItem* item = InsertItem(index, NewItem(name, std::forward<TValue>(value)));
  item->State = ItemStateAssigned;
  return item;
}

TkroParamsListItem* TkroParamsList::Insert(int32_t index, std::string_view name, const TVariant& value) {
  return InsertNew(index, name, value);
}

TkroParamsListItem* TkroParamsList::Insert(int32_t index, std::string_view name, TVariant&& value) {
  return InsertNew(index, name, std::move(value));
}

TkroParamsListItem* TkroParamsList::Add(std::string_view name, const TVariant& value) {
  return Insert(FCount, name, value);
}

TkroParamsListItem* TkroParamsList::Add(std::string_view name, TVariant&& value) {
  return Insert(FCount, name, std::move(value));
}

TkroParamsListItem* TkroParamsList::SetValue(std::string_view name, const TVariant& value, bool addIfMissing) {
  TkroParamsListItem* item = FindItem(name);
  if (item == nullptr && addIfMissing) item = Add(name, TVariant::Null());
  if (item != nullptr) item->SetValue(value);
  return item;
}

TVariant TkroParamsList::ValueByName(std::string_view name) const {
  const TkroParamsListItem* item = FindItem(name);
  CJT_ASSERT_MSG(item != nullptr, "Parameter is not defined", Unit);
  return item->Value();
}

TkroParamsListItem* TkroParamsList::SetValueByName(std::string_view name, const TVariant& value) {
  TkroParamsListItem* item = FindItem(name);
  CJT_ASSERT_MSG(item != nullptr, "Parameter is not defined", Unit);
  item->SetValue(value);
  return item;
}

void TkroParamsList::Delete(int32_t index) {
  if (index >= FCount) return;
  CJT_ASSERT(index >= 0, Unit);
  std::unique_ptr<TkroParamsListItem> item(FItems[index]);
  std::copy(FItems.get() + index + 1, FItems.get() + FCount, FItems.get() + index);
  --FCount;
}

void TkroParamsList::DeleteItems(int32_t start, int32_t count) {
  start = std::clamp(start, 0, FCount);
  const int32_t end = start + std::clamp(count, 0, FCount - start);
  // Kept last to first, as Clear keeps them.
  for (int32_t i = end - 1; i >= start; --i) Retire(FItems[i]);
  std::copy(FItems.get() + end, FItems.get() + FCount, FItems.get() + start);
  FCount -= end - start;
}

void TkroParamsList::Clear() {
  // Kept last to first, so that the next items added take them first to last: a list
  // refilled with the same names gets each name back on the item that held it.
  for (int32_t i = FCount - 1; i >= 0; --i) Retire(FItems[i]);
  FCount = 0;
  if (FCapacity > MaxKeptCapacity) {
    FItems.reset();
    FCapacity = 0;
  }
}

TkroParamsListItem* TkroParamsList::AddCopy(const TkroParamsListItem& source) {
  TkroParamsListItem* item = Add(source.Name, source.Value());
  if (item != nullptr) {
    item->Name = source.Name;
    item->Key = source.Key;
    item->DataType = source.DataType;
    item->State = source.State;
  }
  return item;
}

TkroParamsListItem* TkroParamsList::AddFromItemIntf(IkroParamsListItemA* source) {
  if (source == nullptr) return nullptr;
  TkroParamsListItem* item = InsertItem(FCount, NewItem(TextOf(source->GetName()), ValueOf(source)));
  item->Key = TextOf(source->GetKey());
  item->DataType = source->GetDataType();
  item->State = source->GetState();
  return item;
}

bool TkroParamsList::AddList(const TkroParamsList* source) { return source != nullptr && AddListRange(source, 0, -1); }

void TkroParamsList::TakeItems(TkroParamsList& source) {
  if (&source == this || source.FCount == 0) return;
  if (source.FItemClass != FItemClass) {
    AddList(&source);
    source.TkroParamsList::Clear();
    return;
  }
  GrowFor(source.FCount);
  for (int32_t i = 0; i < source.FCount; ++i) {
    std::unique_ptr<TkroParamsListItem> item(source.FItems[i]);
    // AddList copies no item with a blank name.
    if (!IsBlankName(item->Name)) FItems[FCount++] = item.release();
  }
  source.FItems.reset();
  source.FCount = 0;
  source.FCapacity = 0;
}

bool TkroParamsList::AddListRange(const TkroParamsList* source, int32_t start, int32_t end) {
  if (source == nullptr) return false;
  // Read as a plain word: the caller may have passed something that is no list at all.
  CJT_ASSERT(CarriesSignature(source), Unit);
  if (source->FCount == 0) return false;
  // Counted before copying, so that a list appended to itself copies each item once.
  const int32_t last = source->RangeEnd(end);
  for (int32_t i = std::max(start, 0); i <= last; ++i) AddCopy(*source->FItems[i]);
  return true;
}

bool TkroParamsList::AddFromIntf(IkroParamsListA* source, int32_t start, int32_t end) {
  if (source == nullptr) return false;
  if (end < 0) end = source->Count() - 1;
  for (int32_t i = start; i <= end; ++i) {
    TIntfRef<IkroParamsListItemW> sourceItem;
    OleCheck(source->GetItem(i, sourceItem.Receive()));
    if (!sourceItem) continue;  // an index without an item copies nothing
    TkroParamsListItem* item = Add(TextOf(sourceItem->GetName()), ValueOf(sourceItem.Get()));
    if (item == nullptr) continue;
    item->Key = TextOf(sourceItem->GetKey());
    item->DataType = sourceItem->GetDataType();
    item->State = sourceItem->GetState();
  }
  return true;
}

bool TkroParamsList::GetRowEnd(int32_t start, int32_t& endIndex, bool& isMarker) const {
  start = std::max(start, 0);
  for (int32_t i = start; i < FCount; ++i) {
    isMarker = FItems[i]->IsNewRow();
    if (isMarker || i == FCount - 1) {
      endIndex = i;
      return true;
    }
  }
  return false;
}

void TkroParamsList::AddNewRow() {
  if (FCount > 0 && FItems[FCount - 1]->IsNewRow()) return;
  Add(RowMarkerName, TVariant::Null())->DataType = RowMarkerDataType;
}

void TkroParamsList::AppendRows(const TkroParamsList* source) {
  AddList(source);
  if (source == nullptr || source->FCount == 0 || !source->FItems[source->FCount - 1]->IsNewRow()) AddNewRow();
}

}  // namespace cjt
