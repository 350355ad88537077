// The slots 12-22 of one list interface, forwarded to the wrapper that implements both:
// IkroParamsListA with 8-bit names and IkroParamsListW with UTF-16 names share every
// operation and differ only in how names, text in variants and their sources are read.
#pragma once

#include <optional>
#include <string>
#include <type_traits>

#include "params/params_list_intf.h"
#include "params/variant.h"

namespace cjt {

// A name as either interface passes it; read (and converted to 8-bit text) only inside the
// operation, so that a failing conversion becomes its status.
struct TNameArg {
  TNameArg(const char* name) : Ansi(name) {}
  TNameArg(const char16_t* name) : Wide(name) {}
  std::string Text() const;

  const char* Ansi = nullptr;
  const char16_t* Wide = nullptr;
};

// TOwner is the wrapper (CRTP), TIntf one of the two list interfaces.
template <class TOwner, class TIntf>
class TListIntfImpl : public TIntf {
  using TChar = typename TIntf::TNameChar;
  using TListSource = typename TIntf::TListSourceType;
  using TItemSource = typename TIntf::TItemSourceType;
  static constexpr TTextConvention Convention =
      std::is_same_v<TChar, char> ? TTextConvention::Ansi : TTextConvention::Wide;

 public:
  THResult CJT_COMCALL GetItem(int32_t index, IkroParamsListItemW** item) override {
    return Owner().GetItemAt(index, item);
  }
  THResult CJT_COMCALL AddList(TListSource* source, bool* done) override {
    return Owner().AddListRangeOf(source, 0, -1, true, done);
  }
  THResult CJT_COMCALL AddListRange(TListSource* source, int32_t start, int32_t end, bool* done) override {
    return Owner().AddListRangeOf(source, start, end, false, done);
  }
  THResult CJT_COMCALL FindItem(const TChar* name, int32_t start, int32_t end, IkroParamsListItemW** item) override {
    return Owner().FindItemAs(name, start, end, item);
  }
  THResult CJT_COMCALL IndexOf(const TChar* name, int32_t start, int32_t end, int32_t* index) override {
    return Owner().IndexOfAs(name, start, end, index);
  }
  THResult CJT_COMCALL GetValue(const TChar* name, int32_t start, int32_t end, TOleVariant* value) override {
    return Owner().GetValueAs(name, start, end, nullptr, value);
  }
  THResult CJT_COMCALL GetValueDef(const TChar* name, TOleVariant defaultValue, int32_t start, int32_t end,
                                   TOleVariant* value) override {
    return Owner().GetValueAs(name, start, end, &defaultValue, value);
  }
  THResult CJT_COMCALL Add(const TChar* name, TOleVariant value, IkroParamsListItemW** item) override {
    return Owner().InsertAs(std::nullopt, name, value, Convention, item);
  }
  THResult CJT_COMCALL Insert(int32_t index, const TChar* name, TOleVariant value,
                              IkroParamsListItemW** item) override {
    return Owner().InsertAs(index, name, value, Convention, item);
  }
  THResult CJT_COMCALL SetValue(const TChar* name, TOleVariant value, bool addIfMissing,
                                IkroParamsListItemW** item) override {
    return Owner().SetValueAs(name, value, Convention, addIfMissing, item);
  }
  THResult CJT_COMCALL AddItem(TItemSource* source, IkroParamsListItemW** item) override {
    return Owner().AddItemAs(source, Convention, item);
  }

 private:
  TOwner& Owner() { return static_cast<TOwner&>(*this); }
};

}  // namespace cjt
