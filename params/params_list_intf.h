// The COM-style interfaces through which a parameter list crosses the library boundary to
// a host built separately, as C++ classes laid out on the method tables of the public header
// (CjtParamsListItemVtbl, CjtParamsListAVtbl, CjtParamsListWVtbl): the order of the methods
// is the order of the slots there and must never change, and each method takes what the slot
// takes, with the object as the hidden first argument. The tests call these classes through
// those tables only.
#pragma once

#include <cstdint>

#include "cjt188/host_abi.h"
#include "platform/guid.h"
#include "platform/ole_variant.h"

#define CJT_COMCALL CJT_STDCALL

namespace cjt {

using platform::TGuid;
using platform::THResult;
using platform::TOleVariant;

class TkroParamsList;
class TkroParamsListWrap;

inline constexpr THResult HrUnexpected = static_cast<THResult>(0x8000FFFF);
inline constexpr THResult HrNoInterface = static_cast<THResult>(0x80004002);

inline constexpr TGuid IID_IUnknown = CJT_IID_IUNKNOWN;
inline constexpr TGuid IID_IkroParamsListA = CJT_IID_PARAMS_LIST_A;
inline constexpr TGuid IID_IkroParamsListW = CJT_IID_PARAMS_LIST_W;
inline constexpr TGuid IID_IkroParamsListItemA = CJT_IID_PARAMS_LIST_ITEM_A;
inline constexpr TGuid IID_IkroParamsListItemW = CJT_IID_PARAMS_LIST_ITEM_W;

// Slots 0-2.
class IUnknownIntf {
 public:
  virtual THResult CJT_COMCALL QueryInterface(const TGuid& iid, void** object) = 0;
  virtual uint32_t CJT_COMCALL AddRef() = 0;
  virtual uint32_t CJT_COMCALL Release() = 0;
};

// Slots 3-13.
class IkroParamsListItemA : public IUnknownIntf {
 public:
  virtual void CJT_COMCALL SetKey(const char* key) = 0;
  virtual void CJT_COMCALL SetDataType(int32_t dataType) = 0;
  virtual void CJT_COMCALL SetState(uint8_t state) = 0;
  virtual const char* CJT_COMCALL GetKey() = 0;
  virtual int32_t CJT_COMCALL GetDataType() = 0;
  virtual uint8_t CJT_COMCALL GetState() = 0;
  virtual THResult CJT_COMCALL SetValue(TOleVariant value) = 0;
  virtual THResult CJT_COMCALL GetValue(TOleVariant* value) = 0;
  virtual void CJT_COMCALL SetName(const char* name) = 0;
  virtual const char* CJT_COMCALL GetName() = 0;
  virtual bool CJT_COMCALL IsNewRow() = 0;
};

// Slots 14-17.
class IkroParamsListItemW : public IkroParamsListItemA {
 public:
  virtual void CJT_COMCALL SetNameW(const char16_t* name) = 0;
  virtual const char16_t* CJT_COMCALL GetNameW() = 0;
  virtual THResult CJT_COMCALL SetValueW(TOleVariant value) = 0;
  virtual THResult CJT_COMCALL GetValueW(TOleVariant* value) = 0;
};

// Slots 3-11, common to both list interfaces.
class IkroParamsList_ : public IUnknownIntf {
 public:
  virtual int32_t CJT_COMCALL Count() = 0;
  virtual uint32_t CJT_COMCALL GetSignature() = 0;
  virtual int32_t CJT_COMCALL GetTag() = 0;
  virtual void CJT_COMCALL SetTag(int32_t tag) = 0;
  virtual void CJT_COMCALL Clear() = 0;
  virtual void CJT_COMCALL Delete(int32_t index) = 0;
  virtual bool CJT_COMCALL GetRowEnd(int32_t start, int32_t* endIndex, bool* isMarker) = 0;
  virtual void CJT_COMCALL AddNewRow() = 0;
  virtual void CJT_COMCALL AppendRows(TkroParamsListWrap* source) = 0;
};

// Slots 12-22, the same in both list interfaces but for the type of the names (TChar) and
// of the sources that AddList, AddListRange and AddItem take.
template <class TChar, class TListSource, class TItemSource>
class IkroParamsListT : public IkroParamsList_ {
 public:
  using TNameChar = TChar;
  using TListSourceType = TListSource;
  using TItemSourceType = TItemSource;

  virtual THResult CJT_COMCALL GetItem(int32_t index, IkroParamsListItemW** item) = 0;
  virtual THResult CJT_COMCALL AddList(TListSource* source, bool* done) = 0;
  virtual THResult CJT_COMCALL AddListRange(TListSource* source, int32_t start, int32_t end, bool* done) = 0;
  virtual THResult CJT_COMCALL FindItem(const TChar* name, int32_t start, int32_t end, IkroParamsListItemW** item) = 0;
  virtual THResult CJT_COMCALL IndexOf(const TChar* name, int32_t start, int32_t end, int32_t* index) = 0;
  virtual THResult CJT_COMCALL GetValue(const TChar* name, int32_t start, int32_t end, TOleVariant* value) = 0;
  virtual THResult CJT_COMCALL GetValueDef(const TChar* name, TOleVariant defaultValue, int32_t start, int32_t end,
                                           TOleVariant* value) = 0;
  virtual THResult CJT_COMCALL Add(const TChar* name, TOleVariant value, IkroParamsListItemW** item) = 0;
  virtual THResult CJT_COMCALL Insert(int32_t index, const TChar* name, TOleVariant value,
                                      IkroParamsListItemW** item) = 0;
  virtual THResult CJT_COMCALL SetValue(const TChar* name, TOleVariant value, bool addIfMissing,
                                        IkroParamsListItemW** item) = 0;
  virtual THResult CJT_COMCALL AddItem(TItemSource* source, IkroParamsListItemW** item) = 0;
};

// Zero-terminated 8-bit names; AddList takes a list object, AddItem reads its source with
// GetName and GetValue.
class IkroParamsListA : public IkroParamsListT<char, TkroParamsList, IkroParamsListItemA> {};

// Zero-terminated UTF-16 names; AddList takes a list wrapper object (addressed by its
// IkroParamsListA reference), AddItem reads its source with GetNameW and GetValueW.
class IkroParamsListW : public IkroParamsListT<char16_t, TkroParamsListWrap, IkroParamsListItemW> {};

}  // namespace cjt
