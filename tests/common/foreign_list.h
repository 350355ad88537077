// A parameter list as a host would make its own: a plain object with its own method tables
// for the 8-bit and the UTF-16 list interface and for its items, nothing of ours behind them.
// Its UTF-16 reference answers only slots 0-2 and its items no UTF-16 slot: the tables leave
// those null, so code that uses the wrong interface crashes the test instead of reading
// names of the wrong width.
#pragma once

#include <deque>
#include <string>

#include "params/kro_params_list_item.h"
#include "params/params_list_intf.h"
#include "params/variant.h"
#include "tests/params/c_vtable_view.h"

namespace cjt::test_support {

class TForeignList {
 public:
  TForeignList() = default;
  TForeignList(const TForeignList&) = delete;
  TForeignList& operator=(const TForeignList&) = delete;

  // The references a host hands over, as the plug-in's interfaces see them.
  HostList* RefA() { return reinterpret_cast<HostList*>(&A); }
  HostList* RefW() { return reinterpret_cast<HostList*>(&W); }

  void Add(const std::string& name, const TVariant& value, int32_t dataType = 0) {
    Items.push_back({{&ItemTable, nullptr}, name, value, dataType});
    Items.back().Ref.Item = &Items.back();
  }
  size_t Count() const { return Items.size(); }
  const std::string& Name(size_t i) const { return Items[i].Name; }
  const TVariant& Value(size_t i) const { return Items[i].Value; }
  bool IsNewRow(size_t i) const { return Items[i].DataType == RowMarkerDataType; }

  // False: answers no list interface at all, like an object that is no list.
  bool AnswersLists = true;

 private:
  struct TItem;
  struct TItemRef {
    const HostItemVtbl* Table;
    TItem* Item;
  };
  struct TItem {
    TItemRef Ref;
    std::string Name;
    TVariant Value;
    int32_t DataType = 0;
  };
  struct TListRef {
    const void* Table;
    TForeignList* Owner;
  };

  static TForeignList& Of(HostList* self) { return *reinterpret_cast<TListRef*>(self)->Owner; }
  static TItem& ItemOf(HostItem* self) { return *reinterpret_cast<TItemRef*>(self)->Item; }
  static uint32_t HOST_CALL Counted(HostList*) { return 1; }
  static uint32_t HOST_CALL ItemCounted(HostItem*) { return 1; }

  static int32_t HOST_CALL QueryInterface(HostList* self, const HostGuid* iid, void** object) {
    TForeignList& list = Of(self);
    *object = nullptr;
    if (!list.AnswersLists) return HrNoInterface;
    if (*iid == IID_IkroParamsListA || *iid == IID_IUnknown) *object = &list.A;
    if (*iid == IID_IkroParamsListW) *object = &list.W;
    return *object != nullptr ? 0 : HrNoInterface;
  }
  static int32_t HOST_CALL ListCount(HostList* self) { return static_cast<int32_t>(Of(self).Items.size()); }
  static void HOST_CALL Clear(HostList* self) { Of(self).Items.clear(); }
  static void HOST_CALL AddNewRow(HostList* self) {
    TForeignList& list = Of(self);
    if (list.Items.empty() || list.Items.back().DataType != RowMarkerDataType)
      list.Add(RowMarkerName, TVariant::Null(), RowMarkerDataType);
  }
  static int32_t HOST_CALL GetItem(HostList* self, int32_t index, HostItem** item) {
    TForeignList& list = Of(self);
    const bool inRange = index >= 0 && static_cast<size_t>(index) < list.Items.size();
    *item = inRange ? reinterpret_cast<HostItem*>(&list.Items[static_cast<size_t>(index)].Ref) : nullptr;
    return 0;
  }
  static int32_t HOST_CALL Add(HostList* self, const char* name, HostVariant value, HostItem** item) {
    TForeignList& list = Of(self);
    list.Add(name, TVariant::FromIncoming(value, TTextConvention::Ansi));
    *item = reinterpret_cast<HostItem*>(&list.Items.back().Ref);
    return 0;
  }

  static void HOST_CALL SetDataType(HostItem* self, int32_t dataType) { ItemOf(self).DataType = dataType; }
  static void HOST_CALL Ignore(HostItem*, const char*) {}
  static void HOST_CALL IgnoreState(HostItem*, uint8_t) {}
  static const char* HOST_CALL NoKey(HostItem*) { return nullptr; }
  static int32_t HOST_CALL GetDataType(HostItem* self) { return ItemOf(self).DataType; }
  static uint8_t HOST_CALL GetState(HostItem*) { return 2; }
  static int32_t HOST_CALL GetValue(HostItem* self, HostVariant* value) {
    ItemOf(self).Value.CopyTo(value);
    return 0;
  }
  static const char* HOST_CALL GetName(HostItem* self) { return ItemOf(self).Name.c_str(); }
  static uint8_t HOST_CALL IsNewRowOf(HostItem* self) { return ItemOf(self).DataType == RowMarkerDataType; }

  // The slots left out are null on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
  static inline const HostListAVtbl TableA = {.QueryInterface = QueryInterface,
                                              .AddRef = Counted,
                                              .Release = Counted,
                                              .Count = ListCount,
                                              .Clear = Clear,
                                              .AddNewRow = AddNewRow,
                                              .GetItem = GetItem,
                                              .Add = Add};
  static inline const HostListWVtbl TableW = {.QueryInterface = QueryInterface, .AddRef = Counted, .Release = Counted};
  static inline const HostItemVtbl ItemTable = {.AddRef = ItemCounted,
                                                .Release = ItemCounted,
                                                .SetKey = Ignore,
                                                .SetDataType = SetDataType,
                                                .SetState = IgnoreState,
                                                .GetKey = NoKey,
                                                .GetDataType = GetDataType,
                                                .GetState = GetState,
                                                .GetValue = GetValue,
                                                .GetName = GetName,
                                                .IsNewRow = IsNewRowOf};
#pragma GCC diagnostic pop

  TListRef A{&TableA, this};
  TListRef W{&TableW, this};
  std::deque<TItem> Items;
};

}  // namespace cjt::test_support
