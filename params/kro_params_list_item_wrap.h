// TkroParamsListItemWrap: one item of a list seen through IkroParamsListItemW (which is also
// an IkroParamsListItemA). It lives while references to it exist and never frees the item;
// a reference must not be used after its item left the list.
#pragma once

#include <atomic>
#include <string>

#include "params/kro_params_list_item.h"
#include "params/params_list_intf.h"

namespace cjt {

class TkroParamsListItemWrap final : public IkroParamsListItemW {
 public:
  explicit TkroParamsListItemWrap(TkroParamsListItem* item);

  // A new wrapper on item holding one reference for the caller, or null for no item.
  static IkroParamsListItemW* NewReference(TkroParamsListItem* item);

  THResult CJT_COMCALL QueryInterface(const TGuid& iid, void** object) override;
  uint32_t CJT_COMCALL AddRef() override;
  uint32_t CJT_COMCALL Release() override;

  void CJT_COMCALL SetKey(const char* key) override;
  void CJT_COMCALL SetDataType(int32_t dataType) override;
  void CJT_COMCALL SetState(uint8_t state) override;
  const char* CJT_COMCALL GetKey() override;
  int32_t CJT_COMCALL GetDataType() override;
  uint8_t CJT_COMCALL GetState() override;
  THResult CJT_COMCALL SetValue(TOleVariant value) override;
  THResult CJT_COMCALL GetValue(TOleVariant* value) override;
  void CJT_COMCALL SetName(const char* name) override;
  const char* CJT_COMCALL GetName() override;
  bool CJT_COMCALL IsNewRow() override;

  void CJT_COMCALL SetNameW(const char16_t* name) override;
  const char16_t* CJT_COMCALL GetNameW() override;
  THResult CJT_COMCALL SetValueW(TOleVariant value) override;
  THResult CJT_COMCALL GetValueW(TOleVariant* value) override;

 private:
  // Fills the three name texts from the item's name.
  void RefreshNames();
  void Rename(std::string name);

  std::u16string NameW;
  std::string NameA;
  // UTF-8 of the name with only A-Z lowercased.
  std::string KeyText;
  TkroParamsListItem* Item;
  std::atomic<int32_t> RefCount{0};
};

}  // namespace cjt
