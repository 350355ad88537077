// The host's events for the CJ/T 188 module: the two choice lists of the options dialog,
// the port events passed to the data sources, and the parser items the module declares.
#include <cstdio>

#include "cjt188/cjt188_types.h"
#include "cjt188/data_module.h"
#include "params/borrowed_list_intf.h"
#include "params/copy_to_intf.h"
#include "plugin/call_context.h"
#include "plugin/call_params.h"
#include "support/text_values.h"

namespace cjt {

namespace {

constexpr char PortOpen[] = "PORT-OPEN";

std::string UpperHex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// The choice lists of the options dialog: caption "==" value, entries joined by "||".
std::string JoinChoices(const std::vector<std::pair<std::string, std::string>>& choices) {
  std::string list;
  for (const auto& [caption, value] : choices) list += (list.empty() ? "" : "||") + caption + "==" + value;
  return list;
}

std::string FunctionChoices() {
  std::vector<std::pair<std::string, std::string>> choices;
  for (const TCjtFunction& function : CjtFunctions())
    choices.emplace_back(std::string(function.Caption), UpperHex(function.DI, 4));
  return JoinChoices(choices);
}

std::string DeviceTypeChoices() {
  std::vector<std::pair<std::string, std::string>> choices;
  for (const TCjtUnit& unit : CjtUnits()) {
    const std::string code = UpperHex(unit.Code & 0xFF, 2);
    choices.emplace_back(std::string(unit.Name) + " (0x" + code + ")", code);
  }
  return JoinChoices(choices);
}

// A list of the event's parameters of its own, for the data sources.
std::unique_ptr<TkroParamsList> CopyOfParams(IkroParamsListA* params) {
  auto copy = std::make_unique<TkroParamsList>();
  if (params != nullptr) {
    TBorrowedListIntf destination(*copy);
    CopyToIntf(params, destination.Get(), 0, -1);
  }
  return copy;
}

}  // namespace

void TaPlugin::HandleEvent(const std::string& eventType, int32_t& result, TPluginCallRecord& record) {
  IkroParamsListA* params = ParamsOf(record);
  if (eventType == "GetFuncTypeList") {
    result = 0;
    SetResult(params, TVariant(FunctionChoices()), true);
  } else if (eventType == "GetDevTypeList") {
    result = 0;
    SetResult(params, TVariant(DeviceTypeChoices()), true);
  } else if (EnabledTypes[0]) {
    result = 0;
    PassEventToDataSources(eventType, params);
  }
}

void TaPlugin::PassEventToDataSources(const std::string& eventType, IkroParamsListA* params) {
  const bool open = eventType == PortOpen;
  const std::string port = open ? GivenText(params, "PORTSTR").value_or("") : std::string();
  TReadLocked<TDataSourceList> sources(DataSources);
  for (size_t i = sources->Count(); i-- > 0;) {
    auto* source = dynamic_cast<TSerialPortDM*>((*sources)[i]);
    if (source == nullptr || !(port.empty() || SameText(port, source->ConfiguredName))) continue;
    try {
      if (open && source->PortFailed.exchange(false)) source->RefreshClients(true, false);
      const std::unique_ptr<TkroParamsList> eventParams = CopyOfParams(params);
      source->FireEvent(eventType, open, eventParams.get());
      if (open) source->RefreshClients(true, false);
    } catch (...) {
      // One data source's failure leaves the others their event.
    }
  }
  if (!open) return;
  for (size_t i = sources->Count(); i-- > 0;) {
    if (auto* source = dynamic_cast<TSerialPortDM*>((*sources)[i])) {
      source->Queue->RequestReload(2);
      source->RefreshClients(false, false);
    }
  }
}

void TaPlugin::DeclareParserItems() {
  ParserItems.clear();
  AddGenericParserItems(ParserItems, false);
  AddParserItem(ParserItems, "DEVICE_ID", "Device ID", "", ItemString);
  AddParserItem(ParserItems, "DATA_TYPE_ID_STR", "Data type (string)", "", ItemString);
  AddParserItem(ParserItems, "DATA_TYPE_ID", "Data type", "", ItemInteger);
  AddParserItem(ParserItems, "DATA_TYPE_NAME", "Data type name", "", ItemString);
  for (const TParserItemDecl& item : ProtocolParserItems())
    AddParserItem(ParserItems, std::string(item.Name), std::string(item.Caption), std::string(item.Extra),
                  static_cast<uint8_t>(item.Type));
}

}  // namespace cjt
