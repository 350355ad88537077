#include "cjt188/request_item.h"

#include "cjt188/device_list.h"
#include "support/text_values.h"

namespace cjt {

void TRequestItem::Assign(const TBasicRequestItem& source) {
  TBasicRequestItem::Assign(source);
  Responses.Clear();
  for (const TRequestResponse* response : source.Responses) {
    auto copy = std::make_unique<TResponseItem>(this);
    if (const auto* text = dynamic_cast<const TResponseItem*>(response)) copy->Text = text->Text;
    Responses.Add(std::move(copy));
  }
  if (const auto* request = dynamic_cast<const TRequestItem*>(&source)) Params = request->Params;
}

void ExpandRequest(const TBasicRequestItem& base, const std::vector<std::string>& devices,
                   const std::vector<std::string>& functions, const TRequestParameters& parameters,
                   TObjectList<TBasicRequestItem>& items) {
  for (const std::string& device : devices) {
    for (const std::string& function : functions) {
      const uint32_t di = TryHexToUInt(function).value_or(0);
      const TRequestFuncType* row = di != 0 ? FindFunction(di) : nullptr;
      if (row == nullptr) continue;
      auto item = std::make_unique<TRequestItem>();
      item->Assign(base);
      item->Params = parameters;
      item->Params.Function = function;
      item->Params.FunctionHex = "0x" + function;
      item->Params.DI = static_cast<int32_t>(di);
      item->Params.Row = row;
      item->Params.Device = device;
      item->Params.AddressText = DeviceAddressText(device);
      items.Add(std::move(item));
    }
  }
}

}  // namespace cjt
