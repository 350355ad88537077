#include "tools/cjt188-host/packet.h"

#include <charconv>
#include <cstdio>
#include <string_view>

#include "platform/clock.h"
#include "support/text_lines.h"

namespace cjt::host {

bool IsHeaderItem(std::string_view name) {
  constexpr std::string_view names[] = {"FULL_DATA_PACKET", "DATA_PACKET",      "DATE_TIME_STAMP",
                                        "DATA_SOURCE_ID",   "DATA_SOURCE_NAME", "DATA_SOURCE_FULL_NAME",
                                        "CLIENTID",         "DEVICE_ID",        "DATA_TYPE_ID_STR",
                                        "DATA_TYPE_ID",     "DATA_TYPE_NAME"};
  for (std::string_view header : names)
    if (name == header) return true;
  return false;
}

std::vector<std::string> ValueItemNames(std::string_view itemsText) {
  std::vector<std::string> names;
  for (std::string_view line : SplitLines(itemsText)) {
    const std::vector<std::string_view> fields = SplitFields(line, "|");
    if (fields.size() >= 2 && !fields[1].empty() && !IsHeaderItem(fields[1])) names.emplace_back(fields[1]);
  }
  return names;
}

namespace {

std::optional<double> NumberOf(std::string_view text) {
  double number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

std::string StatusOf(const TNamedTexts& items, bool failedRequest) {
  if (!failedRequest) return "ok";
  for (const auto& [name, text] : items) {
    if (name != "STATUS1") continue;
    if (text == "128") return "timeout";
    if (text == "64") return "invalid answer";
  }
  return "incomplete";
}

}  // namespace

std::string DateTimeText(double dateTime) {
  const platform::TCalendarTime time = platform::DecodeCalendarTime(dateTime);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.Year, time.Month, time.Day, time.Hour,
                time.Minute, time.Second);
  return text;
}

std::string VariantText(const TVariant& value) {
  if (value.IsNull() || value.IsEmpty()) return {};
  try {
    if (value.Type() == platform::VtDate) return DateTimeText(value.AsDouble());
    return value.AsString();
  } catch (const std::exception&) {
    return {};
  }
}

std::vector<TNamedTexts> SplitPackets(const TkroParamsList& list) {
  std::vector<TNamedTexts> packets;
  std::string first;
  for (int32_t i = 0; i < list.Count(); ++i) {
    const TkroParamsListItem* item = list.Items(i);
    if (item == nullptr) continue;
    if (packets.empty() || item->Name == first) {
      if (packets.empty()) first = item->Name;
      packets.emplace_back();
    }
    packets.back().emplace_back(item->Name, VariantText(item->Value()));
  }
  return packets;
}

TPacket MakePacket(const TNamedTexts& items, std::string time, std::string source, bool failedRequest) {
  TPacket packet{std::move(time), std::move(source), {}, {}, StatusOf(items, failedRequest), {}};
  for (const auto& [name, text] : items) {
    if (name == "DEVICE_ID") packet.Device = text;
    // A meter's group of requests comes as one packet: its functions joined with "+".
    if (name == "DATA_TYPE_ID_STR" && !text.empty() && ("+" + packet.Function + "+").find("+" + text + "+") == std::string::npos)
      packet.Function += (packet.Function.empty() ? "" : "+") + text;
    if (IsHeaderItem(name) || name.starts_with('$')) continue;  // $NEW_ROW$ closes a row
    const bool isUnit = name.size() > 5 && name.ends_with("_UNIT") && !packet.Values.empty() &&
                        packet.Values.back().Name == name.substr(0, name.size() - 5);
    if (isUnit)
      packet.Values.back().Unit = text;
    else
      packet.Values.push_back({name, text, NumberOf(text), {}});
  }
  return packet;
}

}  // namespace cjt::host
