// A CJ/T 188 read request: one meter and one data identifier of a configured request, with
// what the frame needs (meter type, address, DI), how long to wait, and which configured
// request it came from. ExpandRequest turns a configured request into these items.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cjt188/cjt188_types.h"
#include "parser/basic_request_item.h"

namespace cjt {

struct TRequestParameters {
  std::string Device;       // the device entry as configured, untrimmed
  std::string AddressText;  // its 14-character address text
  int32_t Timeout = 0;      // ms to wait for the answer
  uint8_t DeviceType = 0;   // meter type T sent in the frame
  std::string Function;     // as configured, for example "901F"
  std::string FunctionHex;  // "0x" and Function
  int32_t DI = 0;
  const TRequestFuncType* Row = nullptr;  // the first value row of DI
  bool ExportFailed = false;
  TLayoutVariant Variant = TLayoutVariant::Standard;  // how the meter lays out its answers
  uintptr_t OriginId = 0;                             // the same for all items of one configured request
};

class TRequestItem;

// A response sub-item of a request: one text.
class TResponseItem : public TRequestResponse {
 public:
  explicit TResponseItem(TRequestItem* owner) : Owner(owner) {}
  TRequestItem* Owner;
  std::string Text;
};

inline constexpr uint8_t RequestMaxAttempts = 3;

class TRequestItem : public TBasicRequestItem {
 public:
  TRequestItem() { MaxAttempts = RequestMaxAttempts; }
  // The base copy, copies of the source's responses, and its protocol record.
  void Assign(const TBasicRequestItem& source) override;

  TRequestParameters Params;
};

// The items of one configured request: for each device entry in order, one item per
// function text whose data identifier the value tables know; base gives the generic fields
// and parameters the protocol fields. Appended to items.
void ExpandRequest(const TBasicRequestItem& base, const std::vector<std::string>& devices,
                   const std::vector<std::string>& functions, const TRequestParameters& parameters,
                   TObjectList<TBasicRequestItem>& items);

}  // namespace cjt
