// The settings store: entries and addresses, and round trips of the options form's proxy
// object through an INI file, through callbacks and through the registry.
#include "plugin/wreg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "options/proxy_code_object.h"
#include "support/ini_file.h"
#include "tests/common/registry_sandbox.h"
#include "tests/common/temp_files.h"

namespace cjt {
namespace {

using platform::TRegistryKey;
using platform::TRegistryValue;
using test_support::TRegistrySandbox;
using test_support::TTempFolder;

// A proxy object with every persisted value changed from its initial value.
void Change(TProxyCodeObject& proxy) {
  proxy.Left = 10;
  proxy.Top = -20;
  proxy.Height = 300;
  proxy.Width = 640;
  proxy.lblParams_Caption = "<QUERY><Request caption=\"a b\"/></QUERY>";
  proxy.OpenDialog_FileName = "  C:\\in dir\\  ";
  proxy.SaveDialog_FileName = "\"quoted\"";
  proxy.spMinInt_Value = 2.5;
  proxy.chkBlockIp_Checked = true;  // not in the list
}

void ExpectChanged(const TProxyCodeObject& proxy) {
  EXPECT_EQ(proxy.Left, 10);
  EXPECT_EQ(proxy.Top, -20);
  EXPECT_EQ(proxy.Height, 300);
  EXPECT_EQ(proxy.Width, 640);
  EXPECT_EQ(proxy.lblParams_Caption, "<QUERY><Request caption=\"a b\"/></QUERY>");
  EXPECT_EQ(proxy.OpenDialog_FileName, "  C:\\in dir\\  ");
  EXPECT_EQ(proxy.SaveDialog_FileName, "\"quoted\"");
  EXPECT_EQ(proxy.spMinInt_Value, 2.5);
  EXPECT_FALSE(proxy.chkBlockIp_Checked);
}

TWreg Store(const std::string& iniFile, const std::string& prefix = {}) {
  TWreg store;
  store.INIFile = iniFile;
  store.INIFileSectionPrefix = prefix;
  store.Components = OptionsPersistedProperties();
  return store;
}

// The persisted-property list in the registry at path, under root first.
TWreg RegistryStore(const std::string& path, uint8_t root) {
  TWreg store = Store("");
  store.RegistryRoot = root;
  store.RegistryPath = path;
  return store;
}

TEST(Wreg, Entries) {
  auto entry = TWreg::ParseEntry(" Left,Left ");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->Property, "Left");
  EXPECT_EQ(entry->KeyPath, "");
  EXPECT_EQ(entry->ValueName, "Left");
  entry = TWreg::ParseEntry("a.b ; x\\\\y\\z ;comment");  // ";" as separator, then a comment
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->Property, "a.b");
  EXPECT_EQ(entry->KeyPath, "x\\y");
  EXPECT_EQ(entry->ValueName, "z");
  entry = TWreg::ParseEntry("p,\\\\Deep\\\\Name");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->KeyPath, "Deep");
  EXPECT_EQ(entry->ValueName, "Name");
  EXPECT_FALSE(TWreg::ParseEntry(";---short---"));
  EXPECT_FALSE(TWreg::ParseEntry("Left,"));
  EXPECT_FALSE(TWreg::ParseEntry("Left"));
  EXPECT_FALSE(TWreg::ParseEntry(""));
}

TEST(Wreg, IniSections) {
  TWreg store;
  EXPECT_EQ(store.SectionFor(""), "Common");
  EXPECT_EQ(store.SectionFor("a\\b"), "a.b");
  store.INIFileSectionPrefix = "Modules\\{7}\\";
  EXPECT_EQ(store.SectionFor(""), "Modules.{7}");
  EXPECT_EQ(store.SectionFor("Sub"), "Modules.{7}.Sub");
  store.INIFileSectionPrefix = "Parser/";
  EXPECT_EQ(store.SectionFor(""), "Parser");
  store.INIFileSectionPrefix = "Parser";
  EXPECT_EQ(store.SectionFor(""), "Parser.Common");
  EXPECT_EQ(store.SectionFor("", false), "Parser");
  EXPECT_EQ(TWreg::LockName("C:\\Data\\My-Settings.INI"), "c__data_my_settings_ini");
}

TEST(Wreg, FindsPropertiesByFormPath) {
  TProxyCodeObject proxy;
  EXPECT_EQ(TWreg::FindProperty(proxy, "lblParams.Caption")->Name, "lblParams_Caption");
  EXPECT_EQ(TWreg::FindProperty(proxy, "Left")->Name, "Left");
  EXPECT_EQ(TWreg::FindProperty(proxy, "Nothing.Here"), nullptr);
}

TEST(Wreg, IniRoundTripWithPrefixEndingInBackslash) {
  TTempFolder folder;
  const std::string file = folder.File("settings.ini");
  TProxyCodeObject saved;
  Change(saved);
  TWreg store = Store(file, "Modules\\{7}\\");
  ASSERT_TRUE(store.Save(saved));
  EXPECT_EQ(store.OpenedRoot, platform::RootNone);  // no registry
  TIniFile ini(file);
  EXPECT_EQ(ini.Sections(), std::vector<std::string>{"Modules.{7}"});
  EXPECT_EQ(ini.Read("Modules.{7}", "Left"), "10");
  EXPECT_EQ(ini.Read("Modules.{7}", "Min interval"), "2.5");
  TProxyCodeObject loaded;
  ASSERT_TRUE(Store(file, "Modules\\{7}\\").Load(loaded));
  ExpectChanged(loaded);
}

TEST(Wreg, IniRoundTripWithEmptyPrefixUsesCommon) {
  TTempFolder folder;
  const std::string file = folder.File("settings.ini");
  TProxyCodeObject saved;
  Change(saved);
  ASSERT_TRUE(Store(file).Save(saved));
  EXPECT_FALSE(Store(folder.File("missing/settings.ini")).Save(saved));  // cannot be written
  EXPECT_EQ(TIniFile(file).Sections(), std::vector<std::string>{"Common"});
  TProxyCodeObject loaded;
  ASSERT_TRUE(Store(file).Load(loaded));
  ExpectChanged(loaded);
  // A value that does not read as the property's kind leaves the property unchanged.
  TIniFile ini(file);
  ini.Write("Common", "Top", "not a number");
  ini.DeleteKey("Common", "Width");
  ASSERT_TRUE(ini.Save());
  TProxyCodeObject partly;
  ASSERT_TRUE(Store(file).Load(partly));
  EXPECT_EQ(partly.Top, 144);
  EXPECT_EQ(partly.Width, 481);
  EXPECT_EQ(partly.Left, 10);
  // Listing and deleting use no "Common".
  std::vector<std::string> names;
  TWreg lister = Store(file, "Common");
  ASSERT_TRUE(lister.ListValues(names));
  EXPECT_EQ(names.size(), 7u);
  ASSERT_TRUE(lister.Delete({"Left,Left", "Height"}));
  lister.ListValues(names);
  EXPECT_EQ(names.size(), 5u);
  TWreg root = Store(file);
  ASSERT_TRUE(root.ListKeys(names));
  EXPECT_EQ(names, std::vector<std::string>{"Common"});
}

TEST(Wreg, CustomStorageTouchesNoFileAndNoRegistry) {
  std::map<std::string, TPropValue> stored;
  TWreg store = Store(TWreg::CustomStorage);
  store.RegistryRoot = platform::RootNone;  // a registry access would fail
  store.SecondRegistryRoot = platform::RootNone;
  store.SetValue = [&](TWreg&, const TWreg::TEntry& entry, TPropKind, TPropValue& value) {
    stored[entry.ValueName] = value;
  };
  store.GetValue = [&](TWreg&, const TWreg::TEntry& entry, TPropKind, TPropValue& value) {
    if (auto found = stored.find(entry.ValueName); found != stored.end()) value = found->second;
  };
  TProxyCodeObject saved;
  Change(saved);
  ASSERT_TRUE(store.Save(saved));
  EXPECT_EQ(stored.size(), 8u);
  EXPECT_EQ(std::get<int64_t>(stored["Left"]), 10);
  TProxyCodeObject loaded;
  ASSERT_TRUE(store.Load(loaded));
  ExpectChanged(loaded);
  EXPECT_FALSE(std::ifstream("$CUSTOM$").good());
}

// Values handed over for an integer property that no integer holds read as the nearest
// one (not a number as 0), never as an unrelated wrapped number.
TEST(Wreg, OutOfRangeValuesHoldToTheIntegerRange) {
  const std::pair<TPropValue, int32_t> cases[] = {
      {TPropValue(1e300), INT32_MAX},         {TPropValue(-1e300), INT32_MIN},
      {TPropValue(std::nan("")), 0},          {TPropValue(int64_t{5000000000}), INT32_MAX},
      {TPropValue(std::string("-99999999999")), INT32_MIN}, {TPropValue(-12.9), -12}};
  for (const auto& [given, expected] : cases) {
    TWreg store = Store(TWreg::CustomStorage);
    store.GetValue = [&](TWreg&, const TWreg::TEntry& entry, TPropKind, TPropValue& value) {
      if (entry.ValueName == "Left") value = given;
    };
    TProxyCodeObject loaded;
    ASSERT_TRUE(store.Load(loaded));
    EXPECT_EQ(loaded.Left, expected) << PropValueText(given);
  }
}

TEST(Wreg, MissingIniFileIsNotCreatedByLoading) {
  TTempFolder folder;
  TWreg store = Store(folder.File("missing.ini"));
  store.RegistryRoot = platform::RootNone;
  store.SecondRegistryRoot = platform::RootNone;
  TProxyCodeObject proxy;
  EXPECT_FALSE(store.Load(proxy));  // the registry, and no root opens
  EXPECT_FALSE(std::ifstream(folder.File("missing.ini")).good());
  EXPECT_EQ(proxy.Left, 326);
}

TEST(Wreg, RegistryRoundTrip) {
  TRegistrySandbox sandbox;
  TWreg store = Store("");
  store.RegistryRoot = platform::RootCurrentUser;
  store.RegistryPath = sandbox.Path + "\\";
  store.Components.push_back("Left,Sub\\\\Left copy");
  TProxyCodeObject saved;
  Change(saved);
  ASSERT_TRUE(store.Save(saved));
  EXPECT_EQ(store.OpenedRoot, platform::RootCurrentUser);
  auto key = TRegistryKey::Open(platform::RootCurrentUser, sandbox.Path, false);
  ASSERT_TRUE(key);
  auto left = key->Read("Left");
  ASSERT_TRUE(left);
  EXPECT_EQ(left->Type, TRegistryValue::Integer);
  EXPECT_EQ(left->IntegerValue, 10);
  auto interval = key->Read("Min interval");
  ASSERT_TRUE(interval);
  EXPECT_EQ(interval->Type, TRegistryValue::Binary);
  EXPECT_EQ(interval->Bytes.size(), 8u);
  EXPECT_EQ(key->Read("Parser config")->TextValue, saved.lblParams_Caption);
  auto sub = TRegistryKey::Open(platform::RootCurrentUser, sandbox.Path + "\\Sub", false);
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->Read("Left copy")->IntegerValue, 10);

  TProxyCodeObject loaded;
  ASSERT_TRUE(store.Load(loaded));
  ExpectChanged(loaded);

  // Numbers stored as text and text stored as a number read by the property's kind.
  key->WriteText("Top", " 77 ");
  key->WriteInteger("Save files dir", 5);
  ASSERT_TRUE(store.Load(loaded));
  EXPECT_EQ(loaded.Top, 77);
  EXPECT_EQ(loaded.SaveDialog_FileName, "5");

  std::vector<std::string> names;
  ASSERT_TRUE(store.ListKeys(names));
  EXPECT_EQ(names, std::vector<std::string>{"Sub"});
  ASSERT_TRUE(store.ListValues(names));
  EXPECT_EQ(names.size(), 8u);
}

#ifndef _WIN32
// A damaged line in the file of the registry store (a field that is no hexadecimal) is left
// out: the rest of the store still reads, and the next change writes the file without it.
TEST(Wreg, DamagedLinesOfTheRegistryFileAreLeftOut) {
  TRegistrySandbox sandbox;
  const auto key = TRegistryKey::Open(platform::RootCurrentUser, sandbox.Path, true);
  ASSERT_TRUE(key && key->WriteInteger("Left", 10));
  const std::string file = sandbox.Folder.File("registry");
  std::ofstream(file, std::ios::app) << "V 1 zz 4c656674 T 3130\n";

  TProxyCodeObject loaded;
  ASSERT_TRUE(RegistryStore(sandbox.Path, platform::RootCurrentUser).Load(loaded));
  EXPECT_EQ(loaded.Left, 10);
  ASSERT_TRUE(key->WriteInteger("Top", 5));
  EXPECT_EQ(TTempFolder::Read(file).find(" zz "), std::string::npos);
}
#endif

TEST(Wreg, SecondRootWhenTheFirstCannotBeOpened) {
  TRegistrySandbox sandbox;
  TWreg store = RegistryStore(sandbox.Path, platform::RootNone);
  TProxyCodeObject saved;
  Change(saved);
  ASSERT_TRUE(store.Save(saved));
  EXPECT_EQ(store.OpenedRoot, platform::RootCurrentUser);
  // Loading: the path is not under the local machine, so the current user's is read.
  TWreg reader = Store("");
  reader.RegistryPath = sandbox.Path;
  TProxyCodeObject loaded;
  ASSERT_TRUE(reader.Load(loaded));
  EXPECT_EQ(reader.OpenedRoot, platform::RootCurrentUser);
  ExpectChanged(loaded);
  // Neither root: false, nothing changes.
  reader.SecondRegistryRoot = platform::RootNone;
  reader.RegistryRoot = platform::RootNone;
  TProxyCodeObject untouched;
  EXPECT_FALSE(reader.Load(untouched));
  EXPECT_EQ(untouched.Left, 326);
}

TEST(Wreg, RegistryDeleteKeepsTopLevelKeys) {
  TRegistrySandbox sandbox;
  ASSERT_TRUE(TRegistryKey::Open(platform::RootCurrentUser, sandbox.Path + "\\Deep\\Er", true));
  TWreg store;
  store.RegistryRoot = platform::RootCurrentUser;
  store.RegistryPath = "\\Software";
  EXPECT_TRUE(store.Delete({"cjt188-tests"}));  // "\Software\cjt188-tests": two separators only
  EXPECT_TRUE(TRegistryKey::Open(platform::RootCurrentUser, sandbox.Path, false));
  store.RegistryPath = sandbox.Path;
  EXPECT_TRUE(store.Delete({"x,Deep"}));
  EXPECT_FALSE(TRegistryKey::Open(platform::RootCurrentUser, sandbox.Path + "\\Deep", false));
  EXPECT_TRUE(TRegistryKey::Open(platform::RootCurrentUser, sandbox.Path, false));
}

// A component with a string list and a variant that may be null.
class TListHolder : public TComponent {
 public:
  TListHolder() : TComponent("TListHolder") {
    BindString("Lines", Lines, TPropKind::Strings);
    AddProperty({"Value", TPropKind::Variant, [this] { return Value; }, [this](const TPropValue& v) { Value = v; }});
  }
  std::string Lines;
  TPropValue Value;
};

TEST(Wreg, StringListsAndNullValues) {
  TTempFolder folder;
  TWreg store;
  store.INIFile = folder.File("lists.ini");
  store.Components = {"Lines,Lines", "Value,Value"};
  TListHolder saved;
  saved.Lines = "one\r\ntwo words\r\n\"q\",x\r\n";
  saved.Value = std::string("v");
  ASSERT_TRUE(store.Save(saved));
  TListHolder loaded;
  ASSERT_TRUE(store.Load(loaded));
  EXPECT_EQ(loaded.Lines, "one\r\ntwo words\r\n\"q\",x");
  EXPECT_EQ(std::get<std::string>(loaded.Value), "v");
  saved.Value = TPropValue();  // deletes the stored value
  ASSERT_TRUE(store.Save(saved));
  EXPECT_EQ(TIniFile(store.INIFile).Read("Common", "Value"), std::nullopt);
  EXPECT_EQ(TextToStrings(StringsToText("a\r\n\r\nb")), "a\r\n\r\nb");
}

}  // namespace
}  // namespace cjt

namespace cjt {
namespace {

TEST(OptionsProxy, InitialValuesAndThePropertiesHolder) {
  TProxyCodeObject proxy;
  EXPECT_EQ(proxy.Left, 326);
  EXPECT_EQ(proxy.Top, 144);
  EXPECT_EQ(proxy.Height, 435);
  EXPECT_EQ(proxy.Width, 481);
  EXPECT_EQ(proxy.lblParams_Caption, "");
  EXPECT_EQ(proxy.spMinInt_Value, 0.0);
  EXPECT_FALSE(proxy.chkBlockIp_Checked);
  EXPECT_EQ(proxy.Properties().size(), 9u);
  EXPECT_TRUE(proxy.InheritsFrom("TProxyCodeCustomObject"));

  const auto holder = MakeOptionsPropertiesHolder();
  EXPECT_EQ(holder->Name, "Properties");
  EXPECT_EQ(holder->Tag, 9999);
  EXPECT_EQ(holder->Capacity, 12);
  EXPECT_EQ(holder->KeyString, "");
  ASSERT_EQ(holder->Strings().size(), 10u);
  EXPECT_EQ(holder->Strings().back(), "");
  const std::vector<std::string> data = holder->StrData();
  EXPECT_EQ(data[0], "");                    // the key
  EXPECT_EQ(data[1], "4c6566742c4c656674");  // Left,Left
  EXPECT_EQ(data.back(), "");
}

}  // namespace
}  // namespace cjt
