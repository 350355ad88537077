// Configured requests expanded into CJ/T 188 request items, and their copies.
#include "cjt188/request_item.h"

#include <gtest/gtest.h>

namespace cjt {
namespace {

std::vector<std::pair<std::string, std::string>> Expanded(const std::vector<std::string>& devices,
                                                          const std::vector<std::string>& functions) {
  TBasicRequestItem base;
  TRequestParameters parameters;
  parameters.OriginId = 7;
  TObjectList<TBasicRequestItem> items;
  ExpandRequest(base, devices, functions, parameters, items);
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const TBasicRequestItem* item : items) {
    const auto& request = dynamic_cast<const TRequestItem&>(*item);
    EXPECT_EQ(request.Params.OriginId, 7u);
    pairs.emplace_back(request.Params.Device, request.Params.Function);
  }
  return pairs;
}

TEST(RequestItems, EachDeviceGetsAllItsFunctionsInTurn) {
  const std::vector<std::pair<std::string, std::string>> expected{
      {"1", "901F"}, {"1", "911F"}, {"2", "901F"}, {"2", "911F"}};
  EXPECT_EQ(Expanded({"1", "2"}, {"901F", "911F"}), expected);
}

TEST(RequestItems, FunctionsTheTablesDoNotKnowMakeNoItem) {
  EXPECT_TRUE(Expanded({"1"}, {"9O1F", "0000", "1234", ""}).empty());
  EXPECT_EQ(Expanded({"1"}, {"901f"}).size(), 1u);
}

TEST(RequestItems, ItemCarriesAddressDataIdentifierAndFirstRow) {
  TBasicRequestItem base;
  base.Name = "Heat";
  TRequestParameters parameters;
  parameters.Timeout = 900;
  TObjectList<TBasicRequestItem> items;
  ExpandRequest(base, {" 1234567"}, {"901F"}, parameters, items);
  ASSERT_EQ(items.Count(), 1u);
  const auto& item = dynamic_cast<const TRequestItem&>(*items[0]);
  EXPECT_EQ(item.Name, "Heat");
  EXPECT_EQ(item.MaxAttempts, RequestMaxAttempts);
  EXPECT_EQ(item.Params.Device, " 1234567");
  EXPECT_EQ(item.Params.AddressText, "00000001234567");
  EXPECT_EQ(item.Params.FunctionHex, "0x901F");
  EXPECT_EQ(item.Params.DI, 0x901F);
  EXPECT_EQ(item.Params.Timeout, 900);
  ASSERT_NE(item.Params.Row, nullptr);
  EXPECT_EQ(item.Params.Row->DI, 0x901Fu);

  TRequestItem copy;
  copy.Assign(item);
  EXPECT_EQ(copy.Params.AddressText, item.Params.AddressText);
  EXPECT_EQ(copy.Name, "Heat");
}

}  // namespace
}  // namespace cjt
