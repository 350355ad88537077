#include "tools/cjt188-host/query_builder.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "cjt188/cjt188_types.h"
#include "cjt188/device_list.h"
#include "cjt188/frame.h"
#include "support/text_values.h"
#include "tools/cjt188-host/host_options.h"
#include "tools/cjt188-meter/command_line.h"

namespace cjt::host {

namespace {

std::string Hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
  return text;
}

std::string PollElements(uint32_t pollMs) {
  // Whole seconds as seconds keep the configuration readable; the rest stays in ms.
  if (pollMs % 1000 == 0)
    return "<PollInterval>" + std::to_string(pollMs / 1000) + "</PollInterval><PollUnits>S</PollUnits>";
  return "<PollInterval>" + std::to_string(pollMs) + "</PollInterval><PollUnits>MS</PollUnits>";
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

meter::TMeterSetup ParseMeterOption(std::string_view text) {
  const size_t colon = text.find(':');
  const std::string_view address = text.substr(0, colon);
  const std::string_view type = colon == std::string_view::npos ? "heat" : text.substr(colon + 1);
  try {
    return meter::ParseMeterSetup(std::string(type) + ":" + std::string(address));
  } catch (const meter::ECommandLine& error) {
    throw EOptions("--meter \"" + std::string(text) + "\": ADDRESS[:TYPE] expected (" + error.what() + ")");
  }
}

uint16_t ParseFunctionOption(std::string_view text) {
  std::string_view digits = text;
  if (digits.starts_with("0x") || digits.starts_with("0X")) digits.remove_prefix(2);
  const std::optional<uint32_t> di = digits.size() == 4 ? TryHexToUInt(digits) : std::nullopt;
  const auto functions = CjtFunctions();
  if (di && std::any_of(functions.begin(), functions.end(), [&](const TCjtFunction& f) { return f.DI == *di; }))
    return static_cast<uint16_t>(*di);
  throw EOptions("--function: a data identifier such as 901F, 911F, 907F or D120 expected, not \"" + std::string(text) +
                 "\"");
}

std::vector<meter::TMeterSetup> DefaultSimulatedMeters() {
  return {{0x20, AddressBytes("00000001234567")},
          {0x10, AddressBytes("00000000000042")},
          {0x30, AddressBytes("00000000778899")}};
}

std::string BuildQueryXml(const TQuickQuery& query) {
  std::vector<uint16_t> functions = query.Functions;
  if (functions.empty()) functions.push_back(0x901F);
  std::string items;
  for (uint16_t di : functions) items += "<Item><Function>" + Hex(di, 4) + "</Function></Item>";
  const std::string variant = query.Variant.empty() ? "" : "<Variant>" + query.Variant + "</Variant>";
  std::string xml = "<QUERY>";
  for (const meter::TMeterSetup& meter : query.Meters) {
    xml += "<Request><Enabled>1</Enabled><MethodPoll>1</MethodPoll>" + PollElements(query.PollMs) + "<Device>" +
           AddressText(meter.Address) + "</Device><DeviceType>" + Hex(meter.MeterType, 2) + "</DeviceType><Timeout>" +
           std::to_string(query.TimeoutMs) + "</Timeout><ExportFailed>1</ExportFailed>" + variant + "<Response>" +
           items + "</Response></Request>";
  }
  return xml + "</QUERY>";
}

std::string BuildScanXml(uint32_t timeoutMs) {
  return "<QUERY><Request><Enabled>1</Enabled><MethodOnce>1</MethodOnce><Device>" + std::string(BroadcastDeviceText) +
         "</Device><DeviceType>AA</DeviceType><Timeout>" + std::to_string(timeoutMs) +
         "</Timeout><Response><Item><Function>" + Hex(DIReadAddress, 4) +
         "</Function></Item></Response></Request></QUERY>";
}

std::string OneLineXml(std::string_view xml) {
  std::string line;
  for (size_t i = 0; i < xml.size(); ++i) {
    if (xml[i] != '\r' && xml[i] != '\n') {
      line += xml[i];
      continue;
    }
    // The run of line breaks and blanks from here.
    size_t end = i;
    while (end < xml.size() && (xml[end] == '\r' || xml[end] == '\n' || IsBlank(xml[end]))) ++end;
    while (!line.empty() && IsBlank(line.back())) line.pop_back();
    const bool betweenTags = (line.empty() || line.back() == '>') && (end == xml.size() || xml[end] == '<');
    if (!betweenTags) line += ' ';
    i = end - 1;
  }
  return line;
}

}  // namespace cjt::host
