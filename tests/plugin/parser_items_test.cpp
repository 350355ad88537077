#include "plugin/parser_items.h"

#include <gtest/gtest.h>

#include "plugin/parsed_data_list.h"

namespace cjt {
namespace {

TEST(ParserItems, TextFormOfOneEntry) {
  TParserItems items;
  AddParserItem(items, "DATA_PACKET", "Data packet", "", ItemString);
  EXPECT_EQ(ParserItemsText(items), "Data packet|DATA_PACKET|String|");
}

TEST(ParserItems, ParsingRulesAndRoundTrip) {
  TParserItems items;
  SetParserItemsFromText(
      items, "Flow|FLOW|float|m3\r\n\r\nTwo fields|TWO\nBad type|BAD|Quantum\r\nshort\r\nAfter|AFTER|String", true);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].Type, ItemFloat);  // type names without regard to case
  EXPECT_EQ(items[0].Extra, "m3");
  EXPECT_EQ(items[1].Type, ItemNoType);
  EXPECT_EQ(items[1].Extra, "");
  EXPECT_EQ(items[2].Type, ItemNoType);
  EXPECT_EQ(ParserItemsText(items), "Flow|FLOW|Float|m3\r\nTwo fields|TWO||\r\nBad type|BAD||");

  SetParserItemsFromText(items, "More|MORE|Int64", false);
  EXPECT_EQ(items.size(), 4u);
  SetParserItemsFromText(items, "More|MORE|Int64", true);
  EXPECT_EQ(items.size(), 1u);
}

TEST(ParserItems, GenericItemsAndTableGrowth) {
  TParserItems items;
  AddGenericParserItems(items, false);
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[2].Name, "DATE_TIME_STAMP");
  EXPECT_EQ(items[2].Type, ItemDateTime);
  AddGenericParserItems(items, true);
  EXPECT_EQ(items.back().Name, "CLIENTID");
  SetParserItem(items, 20, TParserItem{"X", "x", ItemByte, ""});
  EXPECT_EQ(items.size(), 21u);
  EXPECT_EQ(ItemTypeName(17), "");
  EXPECT_EQ(ItemTypeName(200), "");
}

TEST(ParsedDataList, PacketTextsAndClearing) {
  TParsedDataList list;
  list.AppendPacketText("68 10");
  list.AppendPacketText("68 20");
  EXPECT_EQ(list.PacketText(), "68 10<{[::]}>68 20");
  list.Add("A", TVariant(int32_t{1}));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.PacketText(), "");
}

TEST(ParsedDataList, GenericValuesWithAndWithoutClient) {
  TParsedDataList list;
  TGenericValues values;
  values.DataSourceId = 7;
  values.DataSourceName = "COM1";
  EXPECT_EQ(FillGenericValues(list, values), 4);
  EXPECT_EQ(list.IndexOf("CLIENTID"), -1);
  EXPECT_EQ(list.GetValue("DATA_SOURCE_NAME").AsString(), "COM1");

  TParsedDataList withClient;
  values.FullPacket = values.DataPacket = "68 10 AA";
  values.ClientId = 12;
  values.ClientName = "meter 12";
  EXPECT_EQ(FillGenericValues(withClient, values), 7);
  EXPECT_EQ(withClient.GetValue("CLIENTID").AsInteger(), 12);
  EXPECT_EQ(withClient.GetValue("DATA_SOURCE_NAME").AsString(), "meter 12");
  // A name already present gets a second entry.
  FillGenericValues(withClient, values);
  EXPECT_EQ(withClient.IndexOf("CLIENTID", 6), 12);
}

}  // namespace
}  // namespace cjt
