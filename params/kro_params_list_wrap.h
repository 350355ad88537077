// TkroParamsListWrap: a parameter list seen through IkroParamsListA and IkroParamsListW, so
// that it can cross the library boundary to a host built separately.
//
// Two lifetimes: counted (the Release that brings the count to 0 frees the wrapper), or
// owned by plug-in code once GetSelfIntf has been called (the stored self reference keeps
// it alive; the owner deletes it). The wrapper object is addressed by its IkroParamsListA
// reference, which is what the interfaces take as "a TkroParamsListWrap object".
#pragma once

#include <atomic>

#include "params/kro_params_list.h"
#include "params/params_list_intf.h"

namespace cjt {

class TkroParamsListWrap final : public IkroParamsListA, public IkroParamsListW {
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

  // Common slots 3-11.
  int32_t CJT_COMCALL Count() override;
  uint32_t CJT_COMCALL GetSignature() override;
  int32_t CJT_COMCALL GetTag() override;
  void CJT_COMCALL SetTag(int32_t tag) override;
  void CJT_COMCALL Clear() override;
  void CJT_COMCALL Delete(int32_t index) override;
  bool CJT_COMCALL GetRowEnd(int32_t start, int32_t* endIndex, bool* isMarker) override;
  void CJT_COMCALL AddNewRow() override;
  void CJT_COMCALL AppendRows(TkroParamsListWrap* source) override;

  // GetItem is the same in both.
  THResult CJT_COMCALL GetItem(int32_t index, IkroParamsListItemW** item) override;

  // IkroParamsListA slots 13-22.
  THResult CJT_COMCALL AddList(TkroParamsList* source, bool* done) override;
  THResult CJT_COMCALL AddListRange(TkroParamsList* source, int32_t start, int32_t end, bool* done) override;
  THResult CJT_COMCALL FindItem(const char* name, int32_t start, int32_t end, IkroParamsListItemW** item) override;
  THResult CJT_COMCALL IndexOf(const char* name, int32_t start, int32_t end, int32_t* index) override;
  THResult CJT_COMCALL GetValue(const char* name, int32_t start, int32_t end, TOleVariant* value) override;
  THResult CJT_COMCALL GetValueDef(const char* name, TOleVariant defaultValue, int32_t start, int32_t end,
                                   TOleVariant* value) override;
  THResult CJT_COMCALL Add(const char* name, TOleVariant value, IkroParamsListItemW** item) override;
  THResult CJT_COMCALL Insert(int32_t index, const char* name, TOleVariant value, IkroParamsListItemW** item) override;
  THResult CJT_COMCALL SetValue(const char* name, TOleVariant value, bool addIfMissing,
                                IkroParamsListItemW** item) override;
  THResult CJT_COMCALL AddItem(IkroParamsListItemA* source, IkroParamsListItemW** item) override;

  // IkroParamsListW slots 13-22.
  THResult CJT_COMCALL AddList(TkroParamsListWrap* source, bool* done) override;
  THResult CJT_COMCALL AddListRange(TkroParamsListWrap* source, int32_t start, int32_t end, bool* done) override;
  THResult CJT_COMCALL FindItem(const char16_t* name, int32_t start, int32_t end, IkroParamsListItemW** item) override;
  THResult CJT_COMCALL IndexOf(const char16_t* name, int32_t start, int32_t end, int32_t* index) override;
  THResult CJT_COMCALL GetValue(const char16_t* name, int32_t start, int32_t end, TOleVariant* value) override;
  THResult CJT_COMCALL GetValueDef(const char16_t* name, TOleVariant defaultValue, int32_t start, int32_t end,
                                   TOleVariant* value) override;
  THResult CJT_COMCALL Add(const char16_t* name, TOleVariant value, IkroParamsListItemW** item) override;
  THResult CJT_COMCALL Insert(int32_t index, const char16_t* name, TOleVariant value,
                              IkroParamsListItemW** item) override;
  THResult CJT_COMCALL SetValue(const char16_t* name, TOleVariant value, bool addIfMissing,
                                IkroParamsListItemW** item) override;
  THResult CJT_COMCALL AddItem(IkroParamsListItemW* source, IkroParamsListItemW** item) override;

 private:
  // The operations behind both list interfaces; TChar is char for 8-bit names and
  // char16_t for UTF-16 names.
  template <class TChar>
  THResult FindItemAs(const TChar* name, int32_t start, int32_t end, IkroParamsListItemW** item);
  template <class TChar>
  THResult IndexOfAs(const TChar* name, int32_t start, int32_t end, int32_t* index);
  template <class TChar>
  THResult GetValueAs(const TChar* name, int32_t start, int32_t end, const TOleVariant* defaultValue,
                      TOleVariant* value);
  template <class TChar>
  THResult InsertAs(int32_t index, const TChar* name, const TOleVariant& value, IkroParamsListItemW** item);
  template <class TChar>
  THResult SetValueAs(const TChar* name, const TOleVariant& value, bool addIfMissing, IkroParamsListItemW** item);
  template <class TItemIntf>
  THResult AddItemAs(TItemIntf* source, IkroParamsListItemW** item);
  THResult AddListRangeOf(TkroParamsList* source, int32_t start, int32_t end, bool whole, bool* done);

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
