// TkroParamsListWrap: a parameter list seen through IkroParamsListA and IkroParamsListW, so
// that it can cross the library boundary to a host built separately.
//
// Two lifetimes: counted (the Release that brings the count to 0 frees the wrapper), or
// owned by plug-in code once GetSelfIntf has been called (the stored self reference keeps
// it alive; the owner deletes it). The wrapper object is addressed by its IkroParamsListA
// reference, which is what the interfaces take as "a TkroParamsListWrap object".
#pragma once

#include <atomic>
#include <optional>

#include "params/kro_params_list.h"
#include "params/list_intf_impl.h"
#include "params/params_list_intf.h"

namespace cjt {

class TkroParamsListWrap final : public TListIntfImpl<TkroParamsListWrap, IkroParamsListA>,
                                 public TListIntfImpl<TkroParamsListWrap, IkroParamsListW> {
 public:
  // Makes and owns its own list.
  TkroParamsListWrap();
  // Wraps list, freeing it with the wrapper unless notOwned; a null list makes and owns its
  // own list whatever notOwned says.
  TkroParamsListWrap(TkroParamsList* list, bool notOwned);
  ~TkroParamsListWrap();
  TkroParamsListWrap(const TkroParamsListWrap&) = delete;
  TkroParamsListWrap& operator=(const TkroParamsListWrap&) = delete;

  TkroParamsList& List() const { return *FList; }

  // The wrapper behind a list interface of this class, or null for a null reference and for
  // any other maker's object.
  static TkroParamsListWrap* OwnWrapperOf(IkroParamsListA* intf);

  // Stores a reference to the wrapper in the wrapper (counting one) the first time, and
  // returns the address of that stored reference.
  IkroParamsListA** GetSelfIntf();

  // Where the warning goes when an owned wrapper is freed while references remain (a
  // message box by default). Tests replace it; null restores the default.
  using TWarningHandler = void (*)(const char* text);
  static void SetReferenceWarningHandler(TWarningHandler handler);

  // IUnknown, shared by both list interfaces.
  THResult CJT_COMCALL QueryInterface(const TGuid& iid, void** object) override;
  uint32_t CJT_COMCALL AddRef() override;
  uint32_t CJT_COMCALL Release() override;

  // Slots 3-11, shared by both list interfaces.
  int32_t CJT_COMCALL Count() override;
  uint32_t CJT_COMCALL GetSignature() override;
  int32_t CJT_COMCALL GetTag() override;
  void CJT_COMCALL SetTag(int32_t tag) override;
  void CJT_COMCALL Clear() override;
  void CJT_COMCALL Delete(int32_t index) override;
  bool CJT_COMCALL GetRowEnd(int32_t start, int32_t* endIndex, bool* isMarker) override;
  void CJT_COMCALL AddNewRow() override;
  void CJT_COMCALL AppendRows(TkroParamsListWrap* source) override;

 private:
  template <class, class>
  friend class TListIntfImpl;

  // The operations behind slots 12-22 of both interfaces.
  THResult GetItemAt(int32_t index, IkroParamsListItemW** item);
  // The 8-bit interface takes a list object, the UTF-16 one a list reference (see
  // AddFromSource).
  THResult AddListRangeOf(TkroParamsList* source, int32_t start, int32_t end, bool whole, bool* done);
  THResult AddListRangeOf(TkroParamsListWrap* source, int32_t start, int32_t end, bool whole, bool* done);
  THResult FindItemAs(TNameArg name, int32_t start, int32_t end, IkroParamsListItemW** item);
  THResult IndexOfAs(TNameArg name, int32_t start, int32_t end, int32_t* index);
  THResult GetValueAs(TNameArg name, int32_t start, int32_t end, const TOleVariant* defaultValue, TOleVariant* value);
  // No index appends.
  THResult InsertAs(std::optional<int32_t> index, TNameArg name, const TOleVariant& value, TTextConvention convention,
                    IkroParamsListItemW** item);
  THResult SetValueAs(TNameArg name, const TOleVariant& value, TTextConvention convention, bool addIfMissing,
                      IkroParamsListItemW** item);
  THResult AddItemAs(IkroParamsListItemA* source, TTextConvention convention, IkroParamsListItemW** item);

  // What the interfaces take as "a wrapper object" is a list reference that the caller made,
  // a wrapper of ours or a list of its own; it is asked for its 8-bit list interface and never
  // read as our object unless that interface is one of our wrappers'. Items start..end as
  // AddListRange counts them; false for a null or empty source. A reference that answers no
  // list interface raises.
  bool AddFromSource(TkroParamsListWrap* source, int32_t start, int32_t end);

  // The first words after the two method-table pointers. A host tells a list object from an
  // interface reference by the word where a list object keeps its Signature; these zero
  // words sit there for both interface references of the wrapper, so that it is never
  // taken for a list object.
  std::atomic<int32_t> RefCount{0};
  bool NotOwned;
  const uint32_t NotAListObject[4] = {};

  IkroParamsListA* SelfRef = nullptr;
  std::atomic<IkroParamsListA**> SelfRefPtr{nullptr};
  TkroParamsList* FList;
};

}  // namespace cjt
