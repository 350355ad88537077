// The CJ/T 188 module as the host sees it apart from the data path: the choice lists of the
// options dialog, the port events, the declared parser items, configuration errors, data
// outside LOAD and UNLOAD, and the translation of its message texts.
#include <gtest/gtest.h>

#include <set>

#include "plugin/call_context.h"
#include "support/crc32.h"
#include "tests/cjt188/module_harness.h"
#include "tests/common/temp_files.h"

namespace cjt::test_support {
namespace {

class DataModule : public ModuleHarness {
 protected:
  // EVENT through the module's command path; RESULT is added by the module when missing.
  int32_t Event(const std::string& type, TkroParamsList& params) {
    params.Add("EVENT-TYPE", TVariant(type));
    TPluginCallRecord record{};
    record.Size = CallRecordSize;
    record.Params = reinterpret_cast<uintptr_t>(&params);
    TCallContext context(record);
    return Module->ExecuteCommand("EVENT", record);
  }

  int32_t Event(const std::string& type) {
    TkroParamsList params;
    return Event(type, params);
  }

  static size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
  }
};

TEST_F(DataModule, ChoiceListsOfTheOptionsDialog) {
  TkroParamsList functions;
  EXPECT_EQ(Event("GetFuncTypeList", functions), 0);
  const std::string functionList = functions.GetValue("RESULT").AsString();
  EXPECT_EQ(functionList.rfind("Meter data 1==901F||Meter data 2==911F||Meter address==810A||Meter clock==907F||", 0),
            0u);
  EXPECT_EQ(Count(functionList, "=="), 20u);
  EXPECT_EQ(functionList.substr(functionList.rfind("||") + 2), "Purchase record==8105");

  TkroParamsList types;
  EXPECT_EQ(Event("GetDevTypeList", types), 0);
  const std::string list = types.GetValue("RESULT").AsString();
  EXPECT_EQ(Count(list, "=="), 11u);
  EXPECT_EQ(list.rfind("Cold water meter (0x10)==10||", 0), 0u);
  EXPECT_EQ(list.substr(list.rfind("||") + 2), "Gas 3 (0x33)==33");
  // Compared exactly: another spelling is a port event, refused before SET-STATE.
  EXPECT_EQ(Event("getdevtypelist"), -1);
}

TEST_F(DataModule, PortOpenNamingOneDataSourceRefreshesItAndReloadsAll) {
  Start(QueryXml({RequestXml("1234567", "20", {"901F"})}), {"1;COM1;Port 1", "2;COM2;Port 2"});
  Port(1).PortFailed = Port(2).PortFailed = true;
  TkroParamsList params;
  params.Add("PORTSTR", TVariant("com2"));
  EXPECT_EQ(Event("PORT-OPEN", params), 0);
  EXPECT_TRUE(Port(1).PortFailed);
  EXPECT_FALSE(Port(2).PortFailed);
  EXPECT_EQ(Port(1).Queue->ReloadRequested, 2);
  EXPECT_EQ(Port(2).Queue->ReloadRequested, 2);
}

TEST_F(DataModule, OtherEventsReachEveryDataSourceAndChangeNoFlag) {
  const std::string onClose = "<MethodEvent>1</MethodEvent><EventId>PORT-CLOSE</EventId>";
  Start(QueryXml({RequestXml("1234567", "20", {"901F"}, onClose)}), {"1;COM1;Port 1", "2;COM2;Port 2"});
  Feed("\x01", 0, 1, "COM1");
  Feed("\x01", 0, 2, "COM2");
  Port(2).PortFailed = true;
  Run(1000);
  ASSERT_TRUE(RequestsSent().empty());
  EXPECT_EQ(Event("PORT-CLOSE"), 0);
  EXPECT_TRUE(Port(2).PortFailed);
  EXPECT_EQ(Port(1).Queue->ReloadRequested, 0);
  Run(500);
  std::set<uint32_t> sources;
  for (const host::TSentData& sent : Sent)
    if (sent.Kind == DataKindSendBytes) sources.insert(sent.DataSourceId);
  EXPECT_EQ(sources, (std::set<uint32_t>{1, 2}));
}

TEST_F(DataModule, ParserItemsAreTheGenericHeaderAndValueItems) {
  Module->OnBeforeGetParserItems(*Module);
  const TParserItems& items = Module->ParserItems;
  ASSERT_GT(items.size(), 10u);
  EXPECT_EQ(items[0].Name, "FULL_DATA_PACKET");
  EXPECT_EQ(items[5].Name, "DATA_SOURCE_FULL_NAME");
  EXPECT_EQ(items[6].Name, "DEVICE_ID");
  EXPECT_EQ(items[8].Name, "DATA_TYPE_ID");
  EXPECT_EQ(items[8].Type, ItemInteger);
  EXPECT_EQ(items[9].Description, "Data type name");
  EXPECT_EQ(items[10].Name, "CUMULATIVE_FLOW");
  for (size_t i = 0; i < items.size(); ++i)
    for (size_t j = i + 1; j < items.size(); ++j) EXPECT_NE(items[i].Name, items[j].Name);
  // Asked twice, the table is declared anew, not appended to.
  const size_t count = items.size();
  Module->OnBeforeGetParserItems(*Module);
  EXPECT_EQ(Module->ParserItems.size(), count);
}

// A configuration cut short, as a multi-line text cut at its first line break would be.
TEST_F(DataModule, BrokenConfigurationGivesOneLineAndAppliesNothing) {
  Start("<QUERY><Request><Device>1234567</Device><Response><Item>");
  Run(2000);
  EXPECT_TRUE(RequestsSent().empty());
  const std::string log = Log();
  EXPECT_EQ(Count(log, "Error on items formation ("), 1u);
  EXPECT_NE(log.find("ends inside the element \"Item\""), std::string::npos);
}

TEST_F(DataModule, DataBeforeLoadAndAfterUnloadIsNotProcessed) {
  TPluginCallRecord record = DataRecord(1, 0, "COM1");
  int32_t result = 5;
  Module->OnProcessData(*Module, record, result);
  EXPECT_EQ(result, -1);
  Start(QueryXml({RequestXml("1234567", "20", {"901F"})}));
  Module->OnUnload(*Module, record, result);
  result = 5;
  Module->OnProcessData(*Module, record, result);
  EXPECT_EQ(result, -1);  // the configuration went with UNLOAD
}

// The options go to the host's INI file by the module's property list and come back from it.
TEST_F(DataModule, SettingsAreSavedAndReloadedByThePropertyList) {
  TTempFolder folder;
  const std::string ini = folder.Write("host.ini", "");
  Module->INIFile = ini;
  const std::string query = QueryXml({RequestXml("1234567", "20", {"901F"})});
  Start(query);
  Module->Config->spMinInt_Value = 250;
  Module->OnSaveSettingsNow(*Module);
  const std::string saved = TTempFolder::Read(ini);
  EXPECT_NE(saved.find("[Common]"), std::string::npos);
  EXPECT_NE(saved.find("Parser config=" + query), std::string::npos);
  EXPECT_NE(saved.find("Min interval=250"), std::string::npos);

  folder.Write("host.ini", "[Common]\r\nParser config=" + QueryXml({RequestXml("7654321", "20", {"901F"})}) +
                               "\r\nMin interval=0\r\n");
  Module->OnLoadSettingsNow(*Module);
  Run(1500);
  ASSERT_FALSE(RequestsSent().empty());
  EXPECT_NE(RequestsSent().back().find(std::string("\x21\x43\x65\x07", 4)), std::string::npos);
}

TEST_F(DataModule, IdentityAndConfigurationList) {
  EXPECT_EQ(Module->Description, "CJ/T 188-2004");
  EXPECT_EQ(Module->EventsSupported, "PORT-OPEN;PORT-CLOSE");
  EXPECT_EQ(Module->Features & 0x04, 0x04);
  const auto id = static_cast<int32_t>(StringChecksum(std::string_view("CJ/T 188-2004")));
  EXPECT_EQ(Module->ModuleConfigName(id), "CJ/T 188-2004");
  EXPECT_EQ(Module->ModuleConfigName(id + 1), "");
  ASSERT_NE(Module->Properties, nullptr);
  EXPECT_EQ(Module->Properties->Tag, 9999);
}

TEST_F(DataModule, MessageTextsAreTranslatedWithTheModule) {
  TTempFolder folder;
  Module->Translator()->LanguageFile =
      folder.Write("cjt188.lng",
                   "EN:>Device address\r\nDE:>Geraeteadresse\r\n\r\nEN:>Request timeout (ms)\r\n"
                   "DE:>Zeitueberschreitung (ms)\r\n\r\n");
  Module->Translator()->Translate("DE", Module.get(), nullptr, "EN");
  EXPECT_EQ(Module->TextResources.Get(TTextId::DeviceAddress), "Geraeteadresse");
  EXPECT_EQ(Module->TextResources.Get(TTextId::RequestTimeout), "Zeitueberschreitung (ms)");
  EXPECT_EQ(Module->TextResources.Get(TTextId::UnallowableAddress), "Unallowable address: %s");
}

}  // namespace
}  // namespace cjt::test_support
