#include <gtest/gtest.h>

#include <string>

#include "params/kro_params_list.h"
#include "support/assertion.h"

namespace cjt {
namespace {

using platform::VtBStr;
using platform::VtSmallint;

// The message of the error that work raises, or "" when it raises none.
template <class TWork>
std::string ErrorOf(TWork&& work) {
  try {
    work();
  } catch (const std::exception& error) {
    return error.what();
  }
  return "";
}

// A list of A, row marker, B.
void FillTwoRows(TkroParamsList& list) {
  list.Add("A", 1);
  list.AddNewRow();
  list.Add("B", 2);
}

TEST(ParamsList, NewListHasSignatureAndAFreshRegistryFormId) {
  TkroParamsList first, second;
  EXPECT_EQ(first.Signature(), 0x0FDE2E4Bu);
  ASSERT_EQ(first.ID().size(), 38u);
  EXPECT_EQ(first.ID().front(), '{');
  EXPECT_EQ(first.ID().back(), '}');
  EXPECT_EQ(first.ID()[9], '-');
  EXPECT_NE(first.ID(), second.ID());
  const std::string id = first.ID();
  EXPECT_EQ(first.ID(), id);  // made once
  EXPECT_EQ(first.Tag(), 0);
}

TEST(ParamsList, AddKeepsTheUntrimmedNameAndRefusesBlankNames) {
  TkroParamsList list;
  EXPECT_EQ(list.Add("  \t", 1), nullptr);
  EXPECT_EQ(list.Add("", 1), nullptr);
  EXPECT_EQ(list.Count(), 0);

  TkroParamsListItem* rate = list.Add(" Rate ", 5);
  ASSERT_NE(rate, nullptr);
  EXPECT_EQ(rate->Name, " Rate ");
  EXPECT_EQ(rate->State, 2);
  EXPECT_EQ(list.FindItem(" rATE "), rate);
  EXPECT_EQ(list.FindItem("Rate"), nullptr);
}

TEST(ParamsList, DuplicatesAreFoundInOrderFromTheStart) {
  TkroParamsList list;
  list.Add("X", 1);
  list.Add("X", 2);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.IndexOf("x", 0, -1), 0);
  EXPECT_EQ(list.IndexOf("x", 1, -1), 1);
  EXPECT_EQ(list.IndexOf("x", 2, -1), -1);
  EXPECT_EQ(list.IndexOf("x", -5, 0), 0);
  EXPECT_EQ(list.IndexOf("x", 1, 0), -1);
}

TEST(ParamsList, RangeEndMinusTwoStopsAtTheRowMarker) {
  TkroParamsList list;
  FillTwoRows(list);
  EXPECT_EQ(list.IndexOf("b", 0, -2), -1);
  EXPECT_EQ(list.IndexOf("b", 0, -1), 2);
  EXPECT_EQ(list.IndexOf("b", 2, -2), 2);
  EXPECT_EQ(list.IndexOf("$new_row$", 0, -2), 1);  // a marker that matches is found
  EXPECT_EQ(list.GetValue("b", 0, -2).Type(), platform::VtEmpty);
  EXPECT_EQ(list.GetValueDef("b", 9, 0, -2).AsInteger(), 9);
  EXPECT_EQ(list.GetValueDef("b", 9).AsInteger(), 2);
}

TEST(ParamsList, RowEndWalksTheTable) {
  TkroParamsList list;
  FillTwoRows(list);
  int32_t end = -7;
  bool marker = false;
  EXPECT_TRUE(list.GetRowEnd(0, end, marker));
  EXPECT_EQ(end, 1);
  EXPECT_TRUE(marker);
  EXPECT_TRUE(list.GetRowEnd(2, end, marker));
  EXPECT_EQ(end, 2);
  EXPECT_FALSE(marker);
  EXPECT_FALSE(list.GetRowEnd(3, end, marker));
  EXPECT_TRUE(list.GetRowEnd(-4, end, marker));
  EXPECT_EQ(end, 1);

  TkroParamsList empty;
  EXPECT_FALSE(empty.GetRowEnd(0, end, marker));
}

TEST(ParamsList, RowMarkersAreAddedOnlyWhereARowIsOpen) {
  TkroParamsList list;
  list.AddNewRow();
  list.AddNewRow();
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items(0)->Name, "$NEW_ROW$");
  EXPECT_EQ(list.Items(0)->DataType, 0xFF01);
  EXPECT_TRUE(list.Items(0)->IsNewRow());
  EXPECT_TRUE(list.Items(0)->Value().IsNull());

  TkroParamsList empty;
  list.AppendRows(&empty);
  EXPECT_EQ(list.Count(), 1);

  TkroParamsList row;
  row.Add("V", 1);
  list.AppendRows(&row);  // the row gets its marker
  EXPECT_EQ(list.Count(), 3);
  EXPECT_TRUE(list.Items(2)->IsNewRow());
  list.AppendRows(&list);  // a closed table keeps its markers, adds none
  EXPECT_EQ(list.Count(), 6);
  EXPECT_TRUE(list.Items(5)->IsNewRow());

  TkroParamsList fresh;
  fresh.AppendRows(nullptr);
  EXPECT_EQ(fresh.Count(), 1);
}

TEST(ParamsList, NumbersKeepTheirTypeAndTextBecomesWideStrings) {
  TkroParamsList list;
  list.Add("small", int16_t{7});
  list.Add("byte", uint8_t{200});
  list.Add("big", int64_t{-5000000000});
  list.Add("text", std::string("Heat \xC3\xA4"));
  EXPECT_EQ(list.GetValue("small").Type(), VtSmallint);
  EXPECT_EQ(list.GetValue("small").AsInteger(), 7);
  EXPECT_EQ(list.GetValue("byte").Type(), platform::VtByte);
  EXPECT_EQ(list.GetValue("big").AsInt64(), -5000000000);
  EXPECT_EQ(list.GetValue("text").Type(), VtBStr);
  EXPECT_EQ(list.GetValue("text").AsString(), "Heat \xC3\xA4");
  EXPECT_EQ(list.SetValue("text", int16_t{3}, false)->Value().Type(), VtSmallint);
}

TEST(ParamsList, SetValueAddsOnlyWhenAsked) {
  TkroParamsList list;
  EXPECT_EQ(list.SetValue("A", 1, false), nullptr);
  EXPECT_EQ(list.Count(), 0);
  TkroParamsListItem* item = list.SetValue("A", 1, true);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Value().AsInteger(), 1);
  EXPECT_EQ(list.SetValue("a", 2, true), item);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.SetValue(" ", 2, true), nullptr);
}

TEST(ParamsList, ByNameAccessOfAMissingNameFailsAndChangesNothing) {
  TkroParamsList list;
  list.Add("A", 1);
  EXPECT_EQ(list.ValueByName("a").AsInteger(), 1);
  EXPECT_EQ(list.SetValueByName("A", 5)->Value().AsInteger(), 5);
  const std::string error = ErrorOf([&] { list.ValueByName("B"); });
  EXPECT_EQ(error.rfind("Parameter is not defined (kroParamLst, line ", 0), 0u) << error;
  EXPECT_THROW(list.SetValueByName("B", 1), EAssertionFailed);
  EXPECT_EQ(list.Count(), 1);
}

TEST(ParamsList, InsertAndDeleteRespectTheBounds) {
  TkroParamsList list;
  list.Add("B", 2);
  list.Insert(0, "A", 1);
  list.Insert(2, "C", 3);
  EXPECT_EQ(list.Items(0)->Name, "A");
  EXPECT_EQ(list.Items(2)->Name, "C");
  EXPECT_EQ(ErrorOf([&] { list.Insert(4, "D", 4); }), "List index out of bounds (4)");
  EXPECT_EQ(ErrorOf([&] { list.Insert(-1, "D", 4); }), "List index out of bounds (-1)");

  list.Delete(3);  // at Count: nothing
  EXPECT_EQ(list.Count(), 3);
  const std::string error = ErrorOf([&] { list.Delete(-1); });
  EXPECT_EQ(error.rfind("Assertion failure (kroParamLst, line ", 0), 0u) << error;
  list.Delete(1);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Items(1)->Name, "C");
  EXPECT_EQ(list.Items(2), nullptr);
  EXPECT_EQ(list.Items(-1), nullptr);
}

// A range is cut to the list: what lies outside is no error and deletes nothing.
TEST(ParamsList, DeletingARangeKeepsTheRestInOrderAndItsItemsForTheNextAdded) {
  TkroParamsList list;
  for (const char* name : {"A", "B", "C", "D", "E", "F"}) list.Add(name, 1);
  const auto names = [&] {
    std::string joined;
    for (int32_t i = 0; i < list.Count(); ++i) joined += list.Items(i)->Name;
    return joined;
  };
  list.DeleteItems(1, 2);
  EXPECT_EQ(names(), "ADEF");
  list.DeleteItems(-3, 1);
  EXPECT_EQ(names(), "DEF");
  list.DeleteItems(3, 1);
  list.DeleteItems(0, -1);
  EXPECT_EQ(names(), "DEF");
  list.DeleteItems(1, 10);
  EXPECT_EQ(names(), "D");

  // Deleted items come back first to last, each to the name it held.
  const TkroParamsListItem* x = list.Add("X", 2);
  const TkroParamsListItem* y = list.Add("Y", 3);
  list.DeleteItems(1, 2);
  EXPECT_EQ(list.Add("X", 4), x);
  EXPECT_EQ(list.Add("Y", 5), y);
  EXPECT_EQ(y->Key, "y");
  EXPECT_EQ(y->Value().AsInteger(), 5);
}

TEST(ParamsList, ManyItemsStayInOrderAsTheArrayGrows) {
  TkroParamsList list;
  for (int i = 0; i < 1000; ++i) list.Insert(i / 2, "N" + std::to_string(i), i);
  ASSERT_EQ(list.Count(), 1000);
  EXPECT_EQ(list.IndexOf("n999"), 499);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.IndexOf("n1"), -1);
}

// An item whose key, data type and state differ from what Add gives.
TkroParamsListItem* AddMarkedFlow(TkroParamsList& list) {
  TkroParamsListItem* flow = list.Add("Flow", 1.5);
  flow->Key = "special";
  flow->DataType = 5;
  flow->State = 7;
  return flow;
}

TEST(ParamsList, CopiesTakeKeyDataTypeAndStateAlong) {
  TkroParamsList source;
  AddMarkedFlow(source);
  source.Add("Temp", 20);
  source.Add("Power", 3);

  TkroParamsList target;
  EXPECT_TRUE(target.AddList(&source));
  ASSERT_EQ(target.Count(), 3);
  EXPECT_EQ(target.Items(0)->Key, "special");
  EXPECT_EQ(target.Items(0)->DataType, 5);
  EXPECT_EQ(target.Items(0)->State, 7);
  EXPECT_EQ(target.IndexOf("special"), 0);

  TkroParamsList range;
  EXPECT_TRUE(range.AddListRange(&source, 1, 99));
  EXPECT_EQ(range.Count(), 2);
  EXPECT_TRUE(range.AddListRange(&source, 2, 1));
  EXPECT_EQ(range.Count(), 2);
  EXPECT_TRUE(range.AddListRange(&source, -3, 0));
  EXPECT_EQ(range.Count(), 3);

  TkroParamsList empty;
  EXPECT_FALSE(range.AddList(&empty));
  EXPECT_FALSE(range.AddList(nullptr));
  EXPECT_FALSE(range.AddListRange(nullptr, 0, -1));

  EXPECT_TRUE(source.AddList(&source));  // each item copied once
  EXPECT_EQ(source.Count(), 6);
}

TEST(ParamsList, AnAddedValueIsTheItemsOwn) {
  TkroParamsList list;
  TVariant kept("m3");
  list.Add("Unit", kept)->SetValue(TVariant("kWh"));
  EXPECT_EQ(kept.AsString(), "m3");
  list.Insert(0, "Flow", TVariant("m3/h"));
  EXPECT_EQ(list.Items(0)->Value().AsString(), "m3/h");
  EXPECT_EQ(list.Items(1)->Value().AsString(), "kWh");
  EXPECT_EQ(list.Add(" ", TVariant("dropped")), nullptr);
  EXPECT_EQ(list.Count(), 2);
}

struct TTaggedItem : TkroParamsListItem {
  using TkroParamsListItem::TkroParamsListItem;
  int Extra = 42;
};

TEST(ParamsList, ItemsAreMadeOfTheListsItemClass) {
  TkroParamsList list;
  list.SetItemClass(&CreateParamsListItem<TTaggedItem>);
  auto* item = dynamic_cast<TTaggedItem*>(list.Add("A", 1));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Extra, 42);
}

// Taking items ends as AddList and clearing the source would: the same items in the same
// order with key, data type and state, none with a blank name, each list still usable.
TEST(ParamsList, TakenItemsLeaveTheirListAsCopiesWould) {
  TkroParamsList source;
  const TkroParamsListItem* flow = AddMarkedFlow(source);
  source.Add("Blank later", 1)->Name = "  ";
  source.Add("Unit", TVariant("m3"));
  TkroParamsList target;
  target.Add("First", 0);

  target.TakeItems(source);
  EXPECT_EQ(source.Count(), 0);
  ASSERT_EQ(target.Count(), 3);
  EXPECT_EQ(target.Items(1), flow);
  EXPECT_EQ(target.IndexOf("special"), 1);
  EXPECT_EQ(target.Items(1)->DataType, 5);
  EXPECT_EQ(target.Items(1)->State, 7);
  EXPECT_EQ(target.Items(2)->Value().AsString(), "m3");
  source.Add("Again", 2);
  EXPECT_EQ(source.Count(), 1);

  // Past the first growth steps of the item array.
  TkroParamsList many;
  for (int i = 0; i < 40; ++i) many.Add("V" + std::to_string(i), i);
  target.TakeItems(many);
  ASSERT_EQ(target.Count(), 43);
  EXPECT_EQ(target.Items(42)->Value().AsInteger(), 39);

  // Items of another class are copied into the list's own class.
  TkroParamsList tagged;
  tagged.SetItemClass(&CreateParamsListItem<TTaggedItem>);
  tagged.TakeItems(target);
  EXPECT_EQ(target.Count(), 0);
  ASSERT_EQ(tagged.Count(), 43);
  EXPECT_NE(dynamic_cast<TTaggedItem*>(tagged.Items(0)), nullptr);
  EXPECT_EQ(tagged.Items(1)->Key, "special");

  tagged.TakeItems(tagged);
  EXPECT_EQ(tagged.Count(), 43);
}

// A cleared list makes its next items out of the old ones: each must read as new, whatever
// the old one held (another name, a key or data type set by hand, a state, a longer or
// shorter text, another type of value).
TEST(ParamsList, ItemsAddedAfterClearingReadAsNew) {
  TkroParamsList list;
  for (int round = 0; round < 3; ++round) {
    AddMarkedFlow(list);
    list.Add("Unit", TVariant(round == 0 ? "m3" : "kWh"));
    list.AddNewRow();
    list.Add("Empty", TVariant());
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Items(0), nullptr);

    // The same names on other values, then names the old items never had.
    TkroParamsListItem* flow = list.Add("Flow", TVariant("text now"));
    EXPECT_EQ(flow->Key, "flow");
    EXPECT_EQ(flow->DataType, 0);
    EXPECT_EQ(flow->State, ItemStateAssigned);
    EXPECT_EQ(flow->Value().AsString(), "text now");
    TkroParamsListItem* unit = list.Add("UNIT", TVariant("GJ/h"));
    EXPECT_EQ(unit->Name, "UNIT");
    EXPECT_EQ(unit->Key, "unit");
    EXPECT_EQ(unit->Value().AsString(), "GJ/h");
    TkroParamsListItem* marker = list.Add("A much longer name than any before", 7);
    EXPECT_FALSE(marker->IsNewRow());
    EXPECT_EQ(marker->Key, "a much longer name than any before");
    EXPECT_EQ(list.Add("E", TVariant())->Value().Type(), platform::VtEmpty);
    EXPECT_EQ(list.IndexOf("special"), -1);
    EXPECT_EQ(list.IndexOf("unit"), 1);
    list.Clear();
  }
  // Copies of the items of a list that renews its own stay untouched by its renewals.
  TkroParamsList source;
  source.Add("Unit", TVariant("m3"));
  TkroParamsList copy;
  copy.AddList(&source);
  source.Clear();
  source.Add("Unit", TVariant("GJ"));
  EXPECT_EQ(copy.Items(0)->Value().AsString(), "m3");
}

TEST(ParamsList, AListOfAnotherItemClassMakesNoItemOfTheOldClass) {
  TkroParamsList list;
  list.Add("A", 1);
  list.Clear();
  list.SetItemClass(&CreateParamsListItem<TTaggedItem>);
  EXPECT_NE(dynamic_cast<TTaggedItem*>(list.Add("A", 1)), nullptr);
  list.Clear();
  EXPECT_NE(dynamic_cast<TTaggedItem*>(list.Add("B", 2)), nullptr);
  // Back to the standard class while an item of the other is held: that item is not made
  // into a standard one.
  list.SetItemClass(&CreateParamsListItem<TkroParamsListItem>);
  list.Clear();
  EXPECT_EQ(dynamic_cast<TTaggedItem*>(list.Add("C", 3)), nullptr);
}

TEST(ParamsList, AListToldSoKeepsNoClearedItem) {
  TkroParamsList list;
  const TkroParamsListItem* first = list.Add("A", 1);
  list.Clear();
  EXPECT_EQ(list.Add("B", 2), first);  // kept and made new
  list.SetKeepsClearedItems(false);
  list.Clear();
  const TkroParamsListItem* other = list.Add("C", 3);
  EXPECT_EQ(other->Key, "c");
  list.SetKeepsClearedItems(true);
  list.Clear();
  EXPECT_EQ(list.Add("D", 4), other);
}

TEST(ParamsListItem, StateTellsWhetherAValueWasGivenAtCreation) {
  EXPECT_EQ(TkroParamsListItem("A", TVariant()).State, 0);
  EXPECT_EQ(TkroParamsListItem("A", TVariant::Null()).State, 0);
  EXPECT_EQ(TkroParamsListItem("A", 0).State, 2);
  EXPECT_EQ(TkroParamsListItem("MiXed", 0).Key, "mixed");
}

}  // namespace
}  // namespace cjt
