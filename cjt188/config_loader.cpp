// Reading the request configuration XML into a data source's master request list: one
// configured request becomes one CJ/T 188 request item per meter and function.
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>

#include "cjt188/data_module.h"
#include "cjt188/device_list.h"
#include "cjt188/request_item.h"
#include "plugin/log_data_list.h"
#include "support/text_values.h"
#include "support/xml_readers.h"

namespace cjt {

namespace {

constexpr char RootName[] = "QUERY";
constexpr int32_t DefaultTimeout = 300;

class ERequestConfig : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::vector<std::string> FunctionTexts(const TqimXMLNode& response) {
  std::vector<std::string> functions;
  for (size_t i = 0; i < response.ChildCount(); ++i)
    functions.push_back(XmlNodeText(&response.Child(i), "Function", "0000"));
  return functions;
}

// The stored minimal interval in whole ms; what no interval can be (negative, not a number,
// beyond the 32-bit range) is cut to the nearest one that can.
int32_t RequestDelayOf(double ms) {
  if (!(ms > 0)) return 0;
  if (ms >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::lround(ms));
}

}  // namespace

// Absent: the standard layout, as for configurations stored before makers' layouts were
// known. A layout this build does not know is read with the standard one, and said so.
TLayoutVariant TaPlugin::VariantOf(const TqimXMLNode& element) {
  const std::string text = XmlNodeText(&element, "Variant", "");
  if (const std::optional<TLayoutVariant> variant = ParseLayoutVariant(text)) return *variant;
  AddLog(LogLevelWarning, "Unknown answer layout \"" + text + "\": the standard layout is used");
  return TLayoutVariant::Standard;
}

void TaPlugin::LoadMasterRequests(const TDataSourceCfg* cfg, TBasicRequestList& list, TSerialPortDM* dataSource) {
  if (dataSource != nullptr) {
    dataSource->Queue->SetTimerEnabled(false);
    // Before the list is locked: a time event firing now waits for the list, and stopping
    // the events waits for that firing.
    dataSource->Queue->StopEvents();
  }
  TWriteLocked<TBasicRequestList> items(list);
  items->Clear();
  if (cfg == nullptr) return;
  if (dataSource != nullptr && (Unloaded || !(EnabledTypes[0] || EnabledTypes[1]))) return;
  if (dataSource != nullptr) dataSource->Queue->RequestDelay = RequestDelayOf(cfg->spMinInt_Value);
  ListenOnlyCount = 0;
  TqimXMLTree tree;
  tree.Parse(cfg->lblParams_Caption);
  // A text cut short (a hand-edited file, a value cut at a line break) would otherwise
  // apply a part of the requests, or none, without a word.
  if (const TqimXMLNode* unclosed = tree.UnclosedElement())
    throw ERequestConfig("the request configuration ends inside the element \"" + unclosed->Name() + "\"");
  if (const TqimXMLNode* query = XmlFindNode(&tree, RootName)) {
    for (size_t k = 0; k < query->ChildCount(); ++k)
      LoadRequestElement(query->Child(k), static_cast<int32_t>(k + 1), *items, dataSource);
  }
  if (dataSource != nullptr) dataSource->Queue->ResetSchedule();
}

void TaPlugin::LoadRequestElement(const TqimXMLNode& element, int32_t number, TObjectList<TBasicRequestItem>& items,
                                  TSerialPortDM* dataSource) {
  const TqimXMLNode* response = XmlFindNode(&element, "Response");
  if (response == nullptr) return;
  TRequestItem base;
  base.LoadFromXml(element, number);
  TRequestParameters parameters;
  parameters.Timeout = XmlNodeInt(&element, "Timeout", DefaultTimeout);
  if (!base.Enabled) ++ListenOnlyCount;
  parameters.DeviceType = static_cast<uint8_t>(TryHexToUInt(XmlNodeText(&element, "DeviceType", "00")).value_or(0));
  parameters.ExportFailed = XmlNodeBool(&element, "ExportFailed", false);
  parameters.Variant = VariantOf(element);
  const std::vector<std::string> devices = ParseDeviceList(XmlNodeText(&element, "Device", "*"));
  if (dataSource != nullptr && (base.Method == rmAtTime || base.Method == rmCron))
    dataSource->Queue->ScheduleItem(base);
  parameters.OriginId = ++NextOriginId;
  ExpandRequest(base, devices, FunctionTexts(*response), parameters, items);
}

}  // namespace cjt
