// Parser items: the named, typed values a parser module can hand the host. The table has a
// text form (one line per item: description, name, type name, extra, joined by "|") that
// crosses to the host and back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cjt {

// Item type codes: the index into the type-name list; 17 is no type.
enum TParserItemType : uint8_t {
  ItemString = 0,
  ItemMemo = 1,
  ItemBytes = 2,
  ItemBlob = 3,
  ItemBoolean = 4,
  ItemFloat = 5,
  ItemSmallint = 6,
  ItemWord = 7,
  ItemInteger = 8,
  ItemDate = 9,
  ItemTime = 10,
  ItemDateTime = 11,
  ItemDWord = 12,
  ItemByte = 13,
  ItemShortint = 14,
  ItemInt64 = 15,
  ItemCurrency = 16,
  ItemNoType = 17,
};

// The name of a type code; empty for 17 and anything beyond.
std::string_view ItemTypeName(uint8_t type);
// The code of a type name, without regard to case; 17 when it is none.
uint8_t ItemTypeCode(std::string_view name);

struct TParserItem {
  std::string Name;
  std::string Description;
  uint8_t Type = ItemNoType;
  std::string Extra;
};

using TParserItems = std::vector<TParserItem>;

// Appends an item and returns its index.
size_t AddParserItem(TParserItems& items, std::string name, std::string description, std::string extra, uint8_t type);
// Stores the item at index, growing the table to index + 1 when needed.
void SetParserItem(TParserItems& items, size_t index, TParserItem item);

// The generic items every parser module offers before its own; CLIENTID only on request.
void AddGenericParserItems(TParserItems& items, bool withClientId);

// The text form: lines joined by CR LF, none after the last.
std::string ParserItemsText(const TParserItems& items);
// Reads the text form; empty lines are skipped, and a line of fewer than two fields ends
// the reading, keeping what came before. Replace substitutes the table, else appends.
void SetParserItemsFromText(TParserItems& items, std::string_view text, bool replace);

// Names of the generic items.
inline constexpr char ItemFullDataPacket[] = "FULL_DATA_PACKET";
inline constexpr char ItemDataPacket[] = "DATA_PACKET";
inline constexpr char ItemDateTimeStamp[] = "DATE_TIME_STAMP";
inline constexpr char ItemDataSourceId[] = "DATA_SOURCE_ID";
inline constexpr char ItemDataSourceName[] = "DATA_SOURCE_NAME";
inline constexpr char ItemDataSourceFullName[] = "DATA_SOURCE_FULL_NAME";
inline constexpr char ItemClientId[] = "CLIENTID";

}  // namespace cjt
