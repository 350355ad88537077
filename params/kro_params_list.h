// TkroParamsList: the ordered list of named values that crosses the library boundary in
// every call. Names match case-insensitively through their keys; duplicates are allowed.
// The same list holds tables as rows closed by row-marker items.
//
// Ranges: Start below 0 is 0; End -1 (or any value below 0 or at or beyond Count) means to
// the end of the list, and End -2 means to the end of the current row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cjt188/host_abi.h"
#include "params/kro_params_list_item.h"
#include "params/variant.h"

namespace cjt {

class IkroParamsListA;
class IkroParamsListItemA;

inline constexpr uint32_t ParamsListSignature = CJT_PARAMS_LIST_SIGNATURE;

// Where a list object keeps its Signature word: after its class reference, item array,
// Count and capacity. Hosts tell a list object from an interface reference by this word.
inline constexpr size_t ParamsListSignatureOffset = CJT_PARAMS_LIST_SIGNATURE_OFFSET;

class TkroParamsList {
 public:
  TkroParamsList();
  virtual ~TkroParamsList();
  TkroParamsList(const TkroParamsList&) = delete;
  TkroParamsList& operator=(const TkroParamsList&) = delete;

  int32_t Count() const { return FCount; }
  // The item at index, or null outside 0..Count-1.
  TkroParamsListItem* Items(int32_t index) const;

  int32_t IndexOf(std::string_view name, int32_t start = 0, int32_t end = -1) const;
  TkroParamsListItem* FindItem(std::string_view name, int32_t start = 0, int32_t end = -1) const;
  // The found item's value, or empty.
  TVariant GetValue(std::string_view name, int32_t start = 0, int32_t end = -1) const;
  TVariant GetValueDef(std::string_view name, const TVariant& defaultValue, int32_t start = 0, int32_t end = -1) const;

  // Appends an item, or returns null when the name is empty after trimming codes 0-32. A
  // value passed as a temporary moves into the item instead of being copied.
  TkroParamsListItem* Add(std::string_view name, const TVariant& value);
  TkroParamsListItem* Add(std::string_view name, TVariant&& value);
  // As Add, at index 0..Count; raises "List index out of bounds (%d)" outside.
  TkroParamsListItem* Insert(int32_t index, std::string_view name, const TVariant& value);
  TkroParamsListItem* Insert(int32_t index, std::string_view name, TVariant&& value);
  // Stores value into the item of that name, adding it first when missing and asked to;
  // null when still missing.
  TkroParamsListItem* SetValue(std::string_view name, const TVariant& value, bool addIfMissing);
  // Value of / store into the item of that name; raises "Parameter is not defined" when
  // missing.
  TVariant ValueByName(std::string_view name) const;
  TkroParamsListItem* SetValueByName(std::string_view name, const TVariant& value);

  void Delete(int32_t index);
  // Removes count items from start on (as far as the list reaches), keeping them for the next
  // items added as Clear does.
  void DeleteItems(int32_t start, int32_t count);
  virtual void Clear();

  // Appends a copy of item (name, key, data type, state and value); null for an empty name.
  virtual TkroParamsListItem* AddCopy(const TkroParamsListItem& item);
  // Appends an item read from an item interface, without trimming or an empty-name test.
  virtual TkroParamsListItem* AddFromItemIntf(IkroParamsListItemA* item);

  bool AddList(const TkroParamsList* source);
  // Appends the items of source, which is left without items: the same as AddList followed by
  // clearing source, but when both lists make the same class of item the items themselves
  // move over instead of being copied. A list keeps its own items.
  void TakeItems(TkroParamsList& source);
  bool AddListRange(const TkroParamsList* source, int32_t start, int32_t end);
  // Appends items start..end of a list interface (end below 0: to its end); false when the
  // interface is null.
  bool AddFromIntf(IkroParamsListA* source, int32_t start, int32_t end);

  // From start, the index of the first row marker or else of the last item; false when
  // start is beyond the last item.
  bool GetRowEnd(int32_t start, int32_t& endIndex, bool& isMarker) const;
  void AddNewRow();
  void AppendRows(const TkroParamsList* source);

  uint32_t Signature() const { return FSignature; }
  // Whether the word where a list object keeps its Signature holds 0x0FDE2E4B; object must
  // be readable that far.
  static bool CarriesSignature(const void* object);
  // A GUID text of the list's own, made when first asked for.
  const std::string& ID() const;
  int32_t Tag() const { return FTag; }
  void SetTag(int32_t tag) { FTag = tag; }
  TkroParamsListItemClass ItemClass() const { return FItemClass; }
  void SetItemClass(TkroParamsListItemClass itemClass);
  // Whether Clear keeps the items for the next ones added (it does unless told otherwise), for
  // a list filled and cleared again and again; a list that is long idle between uses gives
  // them back instead.
  void SetKeepsClearedItems(bool keep);

 protected:
  TkroParamsListItem* InsertItem(int32_t index, std::unique_ptr<TkroParamsListItem> item);

 private:
  // An item of the list's class for name and value: a cleared one made new, or a new one.
  // The value is copied or moved as it is passed.
  template <class TValue>
  std::unique_ptr<TkroParamsListItem> NewItem(std::string_view name, TValue&& value);
  template <class TValue>
  TkroParamsListItem* InsertNew(int32_t index, std::string_view name, TValue&& value);
  // Keeps an item that left the list for the next one added, or frees it.
  void Retire(TkroParamsListItem* item) noexcept;
  void Grow();
  // Grows as adding count items one by one would.
  void GrowFor(int32_t count);
  void CheckSignature() const;
  // The index of the last item a range reaches.
  int32_t RangeEnd(int32_t end) const;

  // These four words come first, in this order (see ParamsListSignatureOffset).
  std::unique_ptr<TkroParamsListItem*[]> FItems;
  int32_t FCount = 0;
  int32_t FCapacity = 0;
  uint32_t FSignature = ParamsListSignature;
  mutable std::string FID;
  mutable std::once_flag FIDMade;
  int32_t FTag = 0;
  TkroParamsListItemClass FItemClass;
  // Cleared items of the standard class, kept so that a list filled and cleared again and
  // again (the host's output list, a data source's packet list) makes no item anew.
  std::vector<std::unique_ptr<TkroParamsListItem>> FSpares;
  bool FKeepsItems = true;
  // Whether every item the list holds is of the standard class: a flag, not a look at
  // FItemClass, so that it holds also when another module, whose standard class is its own,
  // clears the list.
  bool FStandardItems = true;
};

// The standard list error of an index outside the list.
class EListError : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};

}  // namespace cjt
