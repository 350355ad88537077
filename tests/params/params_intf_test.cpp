// The list and item interfaces seen from a host: every call goes through the plain method
// tables of c_vtable_view.h.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "params/copy_to_intf.h"
#include "params/kro_params_list_wrap.h"
#include "platform/text_encoding.h"
#include "support/application_error.h"
#include "tests/common/foreign_list.h"
#include "tests/params/c_vtable_view.h"

namespace cjt {
namespace {

using namespace platform;

constexpr int32_t Unexpected = static_cast<int32_t>(0x8000FFFF);

HostVariant Int(int32_t value) {
  HostVariant v{};
  v.Vt = VtInteger;
  v.IntegerVal = value;
  return v;
}

HostVariant AnsiText(const char* text) {
  HostVariant v{};
  v.Vt = VtString;
  v.StringVal = text;
  return v;
}

HostVariant WideText(const char16_t* text, uint16_t type = VtUString) {
  HostVariant v{};
  v.Vt = type;
  v.UStringVal = text;
  return v;
}

std::u16string WideOf(const HostVariant& v) {
  return v.Vt == VtBStr ? std::u16string(v.BStrVal, SysStringLen(v.BStrVal)) : u"<not text>";
}

HostList* AsHost(IkroParamsListA* list) { return reinterpret_cast<HostList*>(list); }

// A host's view of one counted wrapper: its A and W references, each holding one count.
struct THostLists {
  explicit THostLists(TkroParamsListWrap* wrap) {
    Wrap = wrap;
    A = AsHost(static_cast<IkroParamsListA*>(wrap));
    ListA(A)->AddRef(A);
    void* w = nullptr;
    EXPECT_EQ(ListA(A)->QueryInterface(A, &IID_IkroParamsListW, &w), 0);
    W = static_cast<HostList*>(w);
  }
  ~THostLists() {
    ListW(W)->Release(W);
    ListA(A)->Release(A);
  }
  TkroParamsList& List() const { return Wrap->List(); }

  TkroParamsListWrap* Wrap;
  HostList* A;
  HostList* W;
};

// Item references the host holds; released at the end of the test.
struct THostItems {
  ~THostItems() {
    for (HostItem* item : Held)
      if (item) item->lpVtbl->Release(item);
  }
  HostItem** Next() { return &Held.emplace_back(nullptr); }
  HostItem* Last() const { return Held.back(); }
  std::vector<HostItem*> Held;
};

TEST(ParamsListIntf, AnswersItsInterfacesAndTheCommonSlots) {
  THostLists host(new TkroParamsListWrap);
  void* object = nullptr;
  EXPECT_EQ(ListW(host.W)->QueryInterface(host.W, &IID_IkroParamsListA, &object), 0);
  EXPECT_EQ(object, host.A);
  ListA(host.A)->Release(host.A);
  EXPECT_EQ(ListA(host.A)->QueryInterface(host.A, &IID_IkroParamsListItemA, &object), static_cast<int32_t>(0x80004002));
  EXPECT_EQ(object, nullptr);

  EXPECT_EQ(ListA(host.A)->GetSignature(host.A), 0x0FDE2E4Bu);
  EXPECT_EQ(ListW(host.W)->GetSignature(host.W), 0x0FDE2E4Bu);
  ListW(host.W)->SetTag(host.W, -17);
  EXPECT_EQ(ListA(host.A)->GetTag(host.A), -17);
  EXPECT_EQ(host.List().Tag(), -17);

  THostItems items;
  EXPECT_EQ(ListA(host.A)->Add(host.A, "A", Int(1), items.Next()), 0);
  ListW(host.W)->AddNewRow(host.W);
  EXPECT_EQ(ListW(host.W)->Add(host.W, u"B", Int(2), items.Next()), 0);
  EXPECT_EQ(ListA(host.A)->Count(host.A), 3);
  int32_t end = -1;
  uint8_t marker = 9;
  EXPECT_EQ(ListW(host.W)->GetRowEnd(host.W, 0, &end, &marker), 1);
  EXPECT_EQ(end, 1);
  EXPECT_EQ(marker, 1);
  EXPECT_EQ(ListA(host.A)->GetRowEnd(host.A, 3, &end, &marker), 0);
  int32_t index = 0;
  EXPECT_EQ(ListA(host.A)->IndexOf(host.A, "b", 0, -2, &index), 0);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(ListW(host.W)->IndexOf(host.W, u"b", 0, -1, &index), 0);
  EXPECT_EQ(index, 2);

  ListA(host.A)->Delete(host.A, 0);
  EXPECT_EQ(ListA(host.A)->Count(host.A), 2);
  ListA(host.A)->Clear(host.A);
  EXPECT_EQ(ListA(host.A)->Count(host.A), 0);
}

TEST(ParamsListIntf, TextInVariantsFollowsEachInterfacesConvention) {
  THostLists host(new TkroParamsListWrap);
  THostItems items;
  EXPECT_EQ(ListA(host.A)->Add(host.A, "Unit", AnsiText("m3/h"), items.Next()), 0);
  EXPECT_EQ(ListA(host.A)->Add(host.A, "Caption", WideText(u"Durchfluss"), items.Next()), 0);
  EXPECT_EQ(ListW(host.W)->Add(host.W, u"Wide", WideText(u"kWh", VtString), items.Next()), 0);
  EXPECT_EQ(ListW(host.W)->SetValue(host.W, u"unit", WideText(u"GJ", VtString), 0, items.Next()), 0);

  HostVariant value{};
  EXPECT_EQ(ListW(host.W)->GetValue(host.W, u"UNIT", 0, -1, &value), 0);
  EXPECT_EQ(WideOf(value), u"GJ");
  VariantClear(&value);
  EXPECT_EQ(ListA(host.A)->GetValue(host.A, "caption", 0, -1, &value), 0);
  EXPECT_EQ(WideOf(value), u"Durchfluss");
  VariantClear(&value);
  EXPECT_EQ(ListA(host.A)->GetValue(host.A, "wide", 0, -1, &value), 0);
  EXPECT_EQ(WideOf(value), u"kWh");
  VariantClear(&value);

  // The default of GetValueDef is an ordinary variant: no text convention applies.
  EXPECT_EQ(ListA(host.A)->GetValueDef(host.A, "missing", Int(5), 0, -1, &value), 0);
  EXPECT_EQ(value.IntegerVal, 5);
  EXPECT_EQ(ListA(host.A)->GetValueDef(host.A, "missing", AnsiText("x"), 0, -1, &value), Unexpected);
  EXPECT_EQ(ListA(host.A)->GetValue(host.A, "missing", 0, -1, &value), 0);
  EXPECT_EQ(value.Vt, VtEmpty);
}

TEST(ParamsListIntf, FailuresBecomeStatusesAndNeverCrossTheInterface) {
  THostLists host(new TkroParamsListWrap);
  THostItems items;
  EXPECT_EQ(ListA(host.A)->Insert(host.A, 1, "A", Int(1), items.Next()), Unexpected);
  EXPECT_EQ(items.Last(), nullptr);
  EXPECT_EQ(ListA(host.A)->Add(host.A, "  ", Int(1), items.Next()), 0);
  EXPECT_EQ(items.Last(), nullptr);
  EXPECT_EQ(ListA(host.A)->Add(host.A, nullptr, Int(1), items.Next()), 0);
  EXPECT_EQ(ListA(host.A)->Count(host.A), 0);
  EXPECT_EQ(ListA(host.A)->GetItem(host.A, 0, nullptr), Unexpected);
  EXPECT_EQ(ListA(host.A)->IndexOf(host.A, "a", 0, -1, nullptr), Unexpected);
  EXPECT_EQ(ListA(host.A)->GetValue(host.A, "a", 0, -1, nullptr), Unexpected);
  EXPECT_EQ(ListA(host.A)->AddItem(host.A, nullptr, items.Next()), Unexpected);

  // A pointer that is no list object fails the list's check.
  uint8_t done = 7;
  EXPECT_EQ(ListA(host.A)->AddList(host.A, host.A, &done), Unexpected);
  EXPECT_EQ(done, 0);

  // Procedures cannot return a status: their errors go to the application error handler.
  std::vector<std::string> reports;
  SetApplicationErrorHandler([&](const std::string& report) { reports.push_back(report); });
  ListA(host.A)->Delete(host.A, -1);
  SetApplicationErrorHandler(nullptr);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("Assertion failure (kroParamLst, line "), std::string::npos) << reports[0];
}

TEST(ParamsListIntf, ListsMoveBetweenWrappersByObject) {
  THostLists source(new TkroParamsListWrap);
  THostLists target(new TkroParamsListWrap);
  THostItems items;
  ListA(source.A)->Add(source.A, "V", Int(1), items.Next());
  ListA(source.A)->Add(source.A, "W", Int(2), items.Next());

  uint8_t done = 0;
  EXPECT_EQ(ListA(target.A)->AddList(target.A, &source.List(), &done), 0);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(ListW(target.W)->AddListRange(target.W, source.A, 1, -1, &done), 0);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(ListA(target.A)->Count(target.A), 3);
  ListW(target.W)->AppendRows(target.W, source.A);
  EXPECT_EQ(ListA(target.A)->Count(target.A), 6);
  EXPECT_TRUE(target.List().Items(5)->IsNewRow());

  TkroParamsList empty;
  EXPECT_EQ(ListA(target.A)->AddList(target.A, &empty, &done), 0);
  EXPECT_EQ(done, 0);
}

// A wrapper object argument is any list reference: a host's own list is read through its
// interface, never as our object, and a reference to one of our wrappers may be either.
TEST(ParamsListIntf, ListReferencesOfAnyMakerAreReadThroughTheirInterface) {
  test_support::TForeignList foreign;
  foreign.Add("Flow", TVariant(1.5));
  foreign.Add("Unit", TVariant("m3/h"));
  THostLists target(new TkroParamsListWrap);
  uint8_t done = 0;
  EXPECT_EQ(ListW(target.W)->AddList(target.W, foreign.RefW(), &done), 0);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(ListW(target.W)->AddListRange(target.W, foreign.RefA(), 1, 99, &done), 0);
  ListA(target.A)->AppendRows(target.A, foreign.RefW());
  ListW(target.W)->AppendRows(target.W, foreign.RefA());
  const TkroParamsList& list = target.List();
  ASSERT_EQ(list.Count(), 9);
  EXPECT_EQ(list.Items(0)->Value().AsDouble(), 1.5);
  EXPECT_EQ(list.Items(2)->Value().AsString(), "m3/h");
  EXPECT_TRUE(list.Items(5)->IsNewRow());
  EXPECT_TRUE(list.Items(8)->IsNewRow());
  EXPECT_EQ(list.IndexOf("unit", 0, -1), 1);  // copies are found by name

  THostLists own(new TkroParamsListWrap);
  own.List().Add("Mine", TVariant(int32_t{3}));
  EXPECT_EQ(ListW(target.W)->AddList(target.W, own.W, &done), 0);
  ListW(target.W)->AppendRows(target.W, own.W);
  EXPECT_EQ(list.Count(), 12);
  EXPECT_EQ(list.Items(10)->Name, "Mine");

  // An object that is no list is refused, with the status where there is one.
  foreign.AnswersLists = false;
  EXPECT_EQ(ListW(target.W)->AddListRange(target.W, foreign.RefW(), 0, -1, &done), Unexpected);
  EXPECT_EQ(done, 0);
  std::vector<std::string> reports;
  SetApplicationErrorHandler([&](const std::string& report) { reports.push_back(report); });
  ListA(target.A)->AppendRows(target.A, foreign.RefA());
  SetApplicationErrorHandler(nullptr);
  EXPECT_EQ(reports.size(), 1u);
  EXPECT_EQ(list.Count(), 12);
}

TEST(ParamsListItemIntf, ReadsAndWritesTheItem) {
  THostLists host(new TkroParamsListWrap);
  THostItems items;
  ASSERT_EQ(ListA(host.A)->Add(host.A, "Energy", Int(10), items.Next()), 0);
  HostItem* item = items.Last();
  ASSERT_NE(item, nullptr);

  void* object = nullptr;
  EXPECT_EQ(item->lpVtbl->QueryInterface(item, &IID_IkroParamsListItemA, &object), 0);
  EXPECT_EQ(object, item);
  item->lpVtbl->Release(item);
  EXPECT_EQ(item->lpVtbl->QueryInterface(item, &IID_IkroParamsListA, &object), static_cast<int32_t>(0x80004002));

  EXPECT_STREQ(item->lpVtbl->GetName(item), "Energy");
  EXPECT_EQ(std::u16string(item->lpVtbl->GetNameW(item)), u"Energy");
  EXPECT_STREQ(item->lpVtbl->GetKey(item), "energy");
  EXPECT_EQ(item->lpVtbl->GetState(item), 2);
  item->lpVtbl->SetDataType(item, 5);
  item->lpVtbl->SetState(item, 9);
  EXPECT_EQ(host.List().Items(0)->DataType, 5);
  EXPECT_EQ(item->lpVtbl->GetDataType(item), 5);
  EXPECT_EQ(item->lpVtbl->GetState(item), 9);
  EXPECT_EQ(item->lpVtbl->IsNewRow(item), 0);

  EXPECT_EQ(item->lpVtbl->SetValue(item, AnsiText("12.5")), 0);
  HostVariant value{};
  EXPECT_EQ(item->lpVtbl->GetValueW(item, &value), 0);
  EXPECT_EQ(WideOf(value), u"12.5");
  VariantClear(&value);
  EXPECT_EQ(item->lpVtbl->SetValueW(item, WideText(u"kWh", VtString)), 0);
  EXPECT_EQ(item->lpVtbl->GetValue(item, &value), 0);
  EXPECT_EQ(WideOf(value), u"kWh");
  VariantClear(&value);
  EXPECT_EQ(item->lpVtbl->GetValue(item, nullptr), Unexpected);

  item->lpVtbl->SetKey(item, nullptr);
  EXPECT_EQ(item->lpVtbl->GetKey(item), nullptr);
  item->lpVtbl->SetKey(item, "own");
  EXPECT_STREQ(item->lpVtbl->GetKey(item), "own");
  EXPECT_EQ(host.List().Items(0)->Key, "energy");  // the item's own key stays
}

// The key an item reference hands out is the name's UTF-8 with only A-Z lowered, whatever the
// system's 8-bit text; the UTF-16 name is the 8-bit name read as the system's text.
TEST(ParamsListItemIntf, KeyIsTheUtf8NameWithAsciiLettersLowered) {
  THostLists host(new TkroParamsListWrap);
  THostItems items;
  ListA(host.A)->Add(host.A, "Flow_RATE m3/h", Int(1), items.Next());
  HostItem* ascii = items.Last();
  EXPECT_EQ(std::u16string(ascii->lpVtbl->GetNameW(ascii)), u"Flow_RATE m3/h");
  EXPECT_STREQ(ascii->lpVtbl->GetKey(ascii), "flow_rate m3/h");

  const std::string accented = platform::WideToAnsi(u"\u00C9NERGIE \u00C4");
  ListA(host.A)->Add(host.A, accented.c_str(), Int(2), items.Next());
  HostItem* other = items.Last();
  EXPECT_EQ(std::u16string(other->lpVtbl->GetNameW(other)), u"\u00C9NERGIE \u00C4");
  EXPECT_STREQ(other->lpVtbl->GetKey(other), "\xC3\x89nergie \xC3\x84");
}

TEST(ParamsListItemIntf, RenamingChangesTheNameButNotTheLookupKey) {
  THostLists host(new TkroParamsListWrap);
  THostItems items;
  ListA(host.A)->Add(host.A, "Old", Int(1), items.Next());
  HostItem* first = items.Last();
  ASSERT_EQ(ListA(host.A)->GetItem(host.A, 0, items.Next()), 0);
  HostItem* second = items.Last();
  ASSERT_NE(second, nullptr);

  second->lpVtbl->SetName(second, "New");
  EXPECT_STREQ(second->lpVtbl->GetName(second), "New");
  EXPECT_STREQ(second->lpVtbl->GetKey(second), "new");
  EXPECT_STREQ(first->lpVtbl->GetName(first), "Old");  // its own copy of the name
  EXPECT_EQ(host.List().Items(0)->Name, "New");
  EXPECT_EQ(host.List().IndexOf("old"), 0);
  EXPECT_EQ(host.List().IndexOf("new"), -1);

  second->lpVtbl->SetNameW(second, u"Wide");
  EXPECT_STREQ(second->lpVtbl->GetName(second), "Wide");
  second->lpVtbl->SetName(second, nullptr);
  EXPECT_EQ(second->lpVtbl->GetName(second), nullptr);
  EXPECT_EQ(second->lpVtbl->GetNameW(second), nullptr);
  EXPECT_EQ(ListA(host.A)->GetItem(host.A, 1, items.Next()), 0);
  EXPECT_EQ(items.Last(), nullptr);
}

TEST(ParamsListItemIntf, AddItemTakesNameAndValueOfAnotherListsItem) {
  THostLists source(new TkroParamsListWrap);
  THostLists target(new TkroParamsListWrap);
  THostItems items;
  ListA(source.A)->Add(source.A, "Flow", AnsiText("3.5"), items.Next());
  HostItem* flow = items.Last();
  flow->lpVtbl->SetDataType(flow, 5);

  EXPECT_EQ(ListA(target.A)->AddItem(target.A, flow, items.Next()), 0);
  EXPECT_EQ(ListW(target.W)->AddItem(target.W, flow, items.Next()), 0);
  ASSERT_EQ(target.List().Count(), 2);
  EXPECT_EQ(target.List().Items(1)->Name, "Flow");
  EXPECT_EQ(target.List().Items(1)->Value().AsString(), "3.5");
  EXPECT_EQ(target.List().Items(1)->DataType, 0);  // only name and value are taken

  // Read into a list object, the item brings its key, data type and state too.
  flow->lpVtbl->SetKey(flow, "flow-key");
  TkroParamsListItem* copied = target.List().AddFromItemIntf(reinterpret_cast<IkroParamsListItemA*>(flow));
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->Name, "Flow");
  EXPECT_EQ(copied->Key, "flow-key");
  EXPECT_EQ(copied->DataType, 5);
  EXPECT_EQ(copied->State, 2);
  EXPECT_EQ(copied->Value().AsString(), "3.5");
}

TEST(ParamsListWrap, CountedWrapperFreesOnlyAListItOwns) {
  TkroParamsList kept;
  kept.Add("A", 1);
  auto* notOwned = new TkroParamsListWrap(&kept, true);
  HostList* a = AsHost(static_cast<IkroParamsListA*>(notOwned));
  ListA(a)->AddRef(a);
  EXPECT_EQ(ListA(a)->Release(a), 0u);  // frees the wrapper
  EXPECT_EQ(kept.Count(), 1);

  // No list: the wrapper makes one and owns it, whatever notOwned says (LeakSanitizer).
  auto* own = new TkroParamsListWrap(nullptr, true);
  own->List().Add("B", 2);
  own->AddRef();
  own->Release();
}

TEST(ParamsListWrap, OwnedWrapperOutlivesHostReferencesAndWarnsWhenFreedEarly) {
  static std::vector<std::string> warnings;
  warnings.clear();
  TkroParamsListWrap::SetReferenceWarningHandler([](const char* text) { warnings.emplace_back(text); });

  auto* wrap = new TkroParamsListWrap;
  IkroParamsListA** self = wrap->GetSelfIntf();
  EXPECT_EQ(wrap->GetSelfIntf(), self);
  HostList* a = AsHost(*self);
  ListA(a)->AddRef(a);
  EXPECT_EQ(ListA(a)->Release(a), 1u);  // the self reference keeps it
  ListA(a)->AddRef(a);                  // the host keeps this one
  delete wrap;
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], "TkroParamsListWrap.Destroy. Reference counter should be zero!");

  auto* tidy = new TkroParamsListWrap;
  tidy->GetSelfIntf();
  delete tidy;
  EXPECT_EQ(warnings.size(), 1u);
  TkroParamsListWrap::SetReferenceWarningHandler(nullptr);
}

TEST(ParamsListHandover, CopyToIntfCopiesEveryPropertyOfEachItem) {
  THostLists source(new TkroParamsListWrap);
  THostLists target(new TkroParamsListWrap);
  TkroParamsListItem* flow = source.List().Add("Flow", 1.5);
  flow->DataType = 5;
  flow->State = 4;
  source.List().Add("Unit", "m3/h");
  source.List().AddNewRow();

  CopyToIntf(reinterpret_cast<IkroParamsListA*>(source.A), reinterpret_cast<IkroParamsListA*>(target.A), 0, -1);
  const TkroParamsList& copied = target.List();
  ASSERT_EQ(copied.Count(), 3);
  EXPECT_EQ(copied.Items(0)->Name, "Flow");
  EXPECT_EQ(copied.Items(0)->Value().AsDouble(), 1.5);
  EXPECT_EQ(copied.Items(0)->DataType, 5);
  EXPECT_EQ(copied.Items(0)->State, 4);
  EXPECT_EQ(copied.Items(1)->Value().AsString(), "m3/h");
  EXPECT_TRUE(copied.Items(2)->IsNewRow());

  CopyToIntf(nullptr, reinterpret_cast<IkroParamsListA*>(target.A), 0, -1);
  CopyToIntf(reinterpret_cast<IkroParamsListA*>(source.A), reinterpret_cast<IkroParamsListA*>(target.A), 5, 7);
  EXPECT_EQ(copied.Count(), 3);

  TkroParamsList viaIntf;
  EXPECT_TRUE(viaIntf.AddFromIntf(reinterpret_cast<IkroParamsListA*>(source.A), 0, -1));
  EXPECT_EQ(viaIntf.Count(), 3);
  EXPECT_EQ(viaIntf.Items(0)->State, 4);
  EXPECT_FALSE(viaIntf.AddFromIntf(nullptr, 0, -1));
}

// Between two lists of ours the copy takes a shorter way; what arrives is what the interfaces
// deliver: the name as GetName hands it out (up to a zero), a key that Add makes from it, no
// item for a blank name, and data type and state as they were.
TEST(ParamsListHandover, CopyToIntfBetweenOwnListsGivesWhatTheInterfacesGive) {
  THostLists source(new TkroParamsListWrap);
  THostLists target(new TkroParamsListWrap);
  TkroParamsListItem* keyed = source.List().Add("Energy_HEAT", 12.5);
  keyed->Key = "custom key";
  keyed->State = 0;
  source.List().Add(std::string_view("Ab\0cd", 5), TVariant("text"));
  source.List().Add("Blank later", 1)->Name = " ";
  TkroParamsListItem* last = source.List().Add("Last", TVariant::Null());
  last->DataType = 7;
  last->State = 5;

  CopyToIntf(reinterpret_cast<IkroParamsListA*>(source.A), reinterpret_cast<IkroParamsListA*>(target.A), 0, -1);
  const TkroParamsList& copied = target.List();
  ASSERT_EQ(copied.Count(), 3);
  EXPECT_EQ(copied.Items(0)->Name, "Energy_HEAT");
  EXPECT_EQ(copied.Items(0)->Key, "energy_heat");
  EXPECT_EQ(copied.Items(0)->State, 0);
  EXPECT_EQ(copied.Items(0)->Value().AsDouble(), 12.5);
  EXPECT_EQ(copied.Items(1)->Name, "Ab");
  EXPECT_EQ(copied.Items(1)->Key, "ab");
  EXPECT_EQ(copied.Items(1)->Value().AsString(), "text");
  EXPECT_EQ(copied.Items(1)->State, ItemStateAssigned);
  EXPECT_EQ(copied.Items(2)->Name, "Last");
  EXPECT_TRUE(copied.Items(2)->Value().IsNull());
  EXPECT_EQ(copied.Items(2)->DataType, 7);
  EXPECT_EQ(copied.Items(2)->State, 5);

  // A list copied onto itself gains each item once.
  CopyToIntf(reinterpret_cast<IkroParamsListA*>(target.A), reinterpret_cast<IkroParamsListA*>(target.A), 0, -1);
  ASSERT_EQ(copied.Count(), 6);
  EXPECT_EQ(copied.Items(5)->Name, "Last");
}

TEST(ParamsListHandover, ListObjectsAreToldFromInterfacesBySignature) {
  TkroParamsList list;
  EXPECT_EQ(AsParamsListObject(&list), &list);
  THostLists host(new TkroParamsListWrap);
  EXPECT_EQ(AsParamsListObject(host.A), nullptr);
  EXPECT_EQ(AsParamsListObject(host.W), nullptr);
  EXPECT_EQ(AsParamsListObject(nullptr), nullptr);
}

}  // namespace
}  // namespace cjt
