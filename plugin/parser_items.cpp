#include "plugin/parser_items.h"

#include <array>

#include "platform/text_encoding.h"
#include "support/text_lines.h"

namespace cjt {

namespace {

constexpr std::array<std::string_view, ItemNoType> TypeNames = {
    "String", "Memo", "Bytes",    "Blob",  "Boolean", "Float",    "Smallint", "Word",    "Integer",
    "Date",   "Time", "DateTime", "DWord", "Byte",    "Shortint", "Int64",    "Currency"};

}  // namespace

std::string_view ItemTypeName(uint8_t type) { return type < TypeNames.size() ? TypeNames[type] : std::string_view(); }

uint8_t ItemTypeCode(std::string_view name) {
  const std::string lower = platform::AsciiLowerCase(name);
  for (size_t i = 0; i < TypeNames.size(); ++i)
    if (platform::AsciiLowerCase(TypeNames[i]) == lower) return static_cast<uint8_t>(i);
  return ItemNoType;
}

size_t AddParserItem(TParserItems& items, std::string name, std::string description, std::string extra, uint8_t type) {
  items.push_back(TParserItem{std::move(name), std::move(description), type, std::move(extra)});
  return items.size() - 1;
}

void SetParserItem(TParserItems& items, size_t index, TParserItem item) {
  if (index >= items.size()) items.resize(index + 1);
  items[index] = std::move(item);
}

void AddGenericParserItems(TParserItems& items, bool withClientId) {
  AddParserItem(items, ItemFullDataPacket, "Full data packet", "", ItemString);
  AddParserItem(items, ItemDataPacket, "Data packet", "", ItemString);
  AddParserItem(items, ItemDateTimeStamp, "Datetime stamp", "", ItemDateTime);
  AddParserItem(items, ItemDataSourceId, "Data source ID", "", ItemInteger);
  AddParserItem(items, ItemDataSourceName, "Data source name", "", ItemString);
  AddParserItem(items, ItemDataSourceFullName, "Data source long name", "", ItemString);
  if (withClientId) AddParserItem(items, ItemClientId, "Client ID", "", ItemInteger);
}

std::string ParserItemsText(const TParserItems& items) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    const TParserItem& item = items[i];
    if (i > 0) text += "\r\n";
    text += item.Description + "|" + item.Name + "|" + std::string(ItemTypeName(item.Type)) + "|" + item.Extra;
  }
  return text;
}

void SetParserItemsFromText(TParserItems& items, std::string_view text, bool replace) {
  TParserItems parsed;
  for (std::string_view line : SplitLines(text)) {
    if (line.empty()) continue;
    const std::vector<std::string_view> fields = SplitFields(line, "|");
    if (fields.size() < 2) break;
    TParserItem item;
    item.Description = fields[0];
    item.Name = fields[1];
    item.Type = fields.size() > 2 ? ItemTypeCode(fields[2]) : uint8_t{ItemNoType};
    if (fields.size() > 3) item.Extra = fields[3];
    parsed.push_back(std::move(item));
  }
  if (replace) items.clear();
  items.insert(items.end(), parsed.begin(), parsed.end());
}

}  // namespace cjt
