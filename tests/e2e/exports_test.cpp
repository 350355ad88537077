// The life cycle, the guards and the data path of the exported functions, driven like a
// host drives them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "params/borrowed_list_intf.h"
#include "platform/thread.h"
#include "tests/e2e/plugin_fixture.h"

namespace cjt {
namespace {

using host::TArguments;
using test_support::PluginExportsTest;

TVariant Int(int32_t value) { return TVariant(value); }

TEST_F(PluginExportsTest, CreateRefusesARecordThatNamesAnInstance) {
  TPluginCallRecord record = Session.NewRecord();
  EXPECT_EQ(Lib().CreatePluginInstance(&record), -1);
  EXPECT_EQ(+record.Instance, Session.Instance());
  EXPECT_EQ(Lib().CreatePluginInstance(nullptr), -1);
}

TEST_F(PluginExportsTest, OptionsExportsAnswerTheirFailureResults) {
  TPluginCallRecord record = Session.NewRecord();
  Lib().GetOptionsDialog(&record);
  EXPECT_EQ(+record.Output.Kind, DataKindNumber);
  EXPECT_NE(+record.Output.Data, 0u);
  // The module's options handler lets the host show the dialog from the form description.
  Lib().ShowOptionsDialog(&record);
  EXPECT_EQ(+record.Output.Kind, DataKindNumber);
  EXPECT_EQ(+record.Output.Size, 4u);
  EXPECT_EQ(+record.Output.Data, 1u);
  // No instance.
  record.Instance = 12345;
  Lib().ShowOptionsDialog(&record);
  EXPECT_EQ(+record.Output.Data, 2u);
  uint32_t needed = 99;
  EXPECT_EQ(Lib().GetModuleInfo(&record, nullptr, &needed), 0);
  EXPECT_EQ(needed, 0u);
}

// The module-information header: 33 bytes on 32-bit targets, wider with 64-bit addresses.
constexpr uint32_t InfoHeader = sizeof(void*) == 4 ? 33 : 41;

std::vector<uint8_t> InfoBlock(uint32_t size) {
  std::vector<uint8_t> block(size, 0xAA);
  std::memcpy(block.data(), &size, 4);
  return block;
}

uint32_t U32At(const std::vector<uint8_t>& block, size_t offset) {
  uint32_t value;
  std::memcpy(&value, block.data() + offset, 4);
  return value;
}

TEST_F(PluginExportsTest, ModuleInformationBlocks) {
  ASSERT_EQ(Session
                .Command("SET-MODULE-PARAMETER",
                         {{"PARAM", TVariant("Description")}, {"VALUE", TVariant("CJ/T 188 meters\r\nsecond")}})
                .Result,
            0);
  TPluginCallRecord record = Session.NewRecord();
  uint32_t needed = 0;
  EXPECT_EQ(Lib().GetModuleInfo(&record, nullptr, &needed), 0);
  const uint32_t description = static_cast<uint32_t>(std::strlen("CJ/T 188 meters\r\nsecond"));
  EXPECT_EQ(needed, InfoHeader + description);

  // One byte short of the header: nothing is filled.
  std::vector<uint8_t> short32 = InfoBlock(InfoHeader - 1);
  EXPECT_EQ(Lib().GetModuleInfo(&record, short32.data(), &needed), 0);
  EXPECT_EQ(short32[4], 0xAA);
  EXPECT_EQ(needed, InfoHeader + description);

  // The header only: filled, but the texts do not fit.
  std::vector<uint8_t> header = InfoBlock(InfoHeader);
  EXPECT_EQ(Lib().GetModuleInfo(&record, header.data(), &needed), 0);
  EXPECT_EQ(U32At(header, 0), InfoHeader);
  EXPECT_EQ(U32At(header, 8), 4u);  // interface version
  float version;
  std::memcpy(&version, header.data() + 12, 4);
  EXPECT_EQ(version, 5.0f);  // the CJ/T 188 module
  EXPECT_EQ(header[16], 1);          // info flag
  EXPECT_EQ(U32At(header, 17), 0u);  // no description length
  for (size_t i = 17; i < InfoHeader; ++i) EXPECT_EQ(header[i], 0) << i;

  // The full block.
  std::vector<uint8_t> full = InfoBlock(needed + 10);
  EXPECT_EQ(Lib().GetModuleInfo(&record, full.data(), &needed), 1);
  EXPECT_EQ(U32At(full, 0), needed + 10);  // the host's size is kept
  EXPECT_EQ(U32At(full, 17), description);
  uintptr_t text = 0;
  std::memcpy(&text, full.data() + 21, sizeof(text));
  EXPECT_EQ(text, reinterpret_cast<uintptr_t>(full.data() + InfoHeader));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(full.data()) + InfoHeader, description),
            "CJ/T 188 meters\r\nsecond");
  EXPECT_EQ(U32At(full, 21 + sizeof(uintptr_t)), 0u);  // no custom commands
}

TEST_F(PluginExportsTest, TemporaryLoadFromCreationAndFromEveryCommand) {
  auto temporary = [&](const host::TArguments& arguments) {
    host::TArguments all = arguments;
    all.emplace_back("PARAM", TVariant("IsTemporaryLoad"));
    return Session.Command("GET-MODULE-PARAMETER", all).Value.AsBoolean();
  };
  EXPECT_FALSE(temporary({}));
  EXPECT_TRUE(temporary({{"TEMPORARY-LOAD", TVariant(true)}}));
  EXPECT_TRUE(temporary({}));  // kept until a command says otherwise
  EXPECT_FALSE(temporary({{"TEMPORARY-LOAD", TVariant(false)}}));
  host::THostSession withoutParams(Lib());
  TPluginCallRecord record = withoutParams.NewRecord();
  ASSERT_EQ(Lib().CreatePluginInstance(&record), 0);  // no parameter list: a temporary load
  TkroParamsList params;
  params.Add("COMMAND", TVariant("GET-MODULE-PARAMETER"));
  params.Add("PARAM", TVariant("IsTemporaryLoad"));
  params.Add("RESULT", TVariant());
  record.Params = reinterpret_cast<uintptr_t>(&params);
  EXPECT_EQ(Lib().ExecutePluginCommand(&record), 0);
  EXPECT_TRUE(params.GetValue("RESULT").AsBoolean());
  EXPECT_EQ(Lib().FreePluginInstance(&record), 0);
}

TEST_F(PluginExportsTest, RecordSizeAndParamsGuards) {
  TkroParamsList params;
  params.Add("COMMAND", TVariant("EVENTS-SUPPORT"));
  TPluginCallRecord record = Session.NewRecord();
  record.Params = reinterpret_cast<uintptr_t>(&params);
  record.Size = CallRecordSize - 1;
  EXPECT_EQ(Lib().ExecutePluginCommand(&record), -1);
  EXPECT_EQ(Lib().ProcessData(&record), -1);
  EXPECT_EQ(Lib().GetLogEx(&record), 0);
  EXPECT_EQ(+record.Output.Kind, DataKindNumber);  // GetLogEx accepted it
  record.Size = CallRecordSize;
  record.Params = 0;
  EXPECT_EQ(Lib().ExecutePluginCommand(&record), -1);
  EXPECT_EQ(Lib().ProcessData(&record), -1);
  EXPECT_EQ(Session.Command("EVENTS-SUPPORT").Result, 0);
  EXPECT_EQ(Session.Command("").Result, -2);  // an empty command is still a command
}

TEST_F(PluginExportsTest, UnknownAndStaleHandlesAreRefused) {
  uint64_t notAnInstance[8] = {};
  for (uintptr_t handle : {uintptr_t{1}, reinterpret_cast<uintptr_t>(notAnInstance), Session.Instance() + 8}) {
    TkroParamsList params;
    params.Add("COMMAND", TVariant("ITEMS"));
    TPluginCallRecord record{};
    record.Size = CallRecordSize;
    record.Instance = handle;
    record.Params = reinterpret_cast<uintptr_t>(&params);
    EXPECT_EQ(Lib().ExecutePluginCommand(&record), -1);
    EXPECT_EQ(Lib().ProcessData(&record), -1);
    EXPECT_EQ(Lib().GetLogEx(&record), 0);
    EXPECT_EQ(Lib().FreePluginInstance(&record), -1);
  }
  const uintptr_t freed = Session.Instance();
  EXPECT_EQ(Session.Free(), 0);
  TPluginCallRecord stale{};
  stale.Size = CallRecordSize;
  stale.Instance = freed;
  EXPECT_EQ(Lib().FreePluginInstance(&stale), -1);
  EXPECT_EQ(Lib().GetLogEx(&stale), 0);
  EXPECT_EQ(Session.ReleaseRequest(), 0);  // with or without callbacks
}

TEST_F(PluginExportsTest, LoadAndUnloadNestByCount) {
  auto count = [&] {
    return Session.Command("GET-MODULE-PARAMETER", {{"PARAM", TVariant("ModuleLoadCount")}}).Value.AsInteger();
  };
  auto terminating = [&] {
    return Session.Command("GET-MODULE-PARAMETER", {{"PARAM", TVariant("TerminateNow")}}).Value.AsBoolean();
  };
  EXPECT_EQ(Session.Load().Result, 0);
  EXPECT_EQ(Session.Load().Result, 0);
  EXPECT_EQ(count(), 2);
  EXPECT_EQ(Session.Command("UNLOAD").Result, 0);
  EXPECT_FALSE(terminating());
  EXPECT_EQ(Session.Command("UNLOAD").Result, 0);
  EXPECT_TRUE(terminating());
  EXPECT_EQ(Session.ProcessBytes(1, 1, "\x68", 0x01, nullptr), -1);  // unloaded: refused
  EXPECT_EQ(Session.Command("UNLOAD").Result, 0);
  EXPECT_EQ(count(), 0);
  EXPECT_EQ(Session.Load().Result, 0);  // loaded again
  EXPECT_EQ(Session.ProcessBytes(1, 1, "\x68", 0x01, nullptr), 0);
}

TEST_F(PluginExportsTest, ProcessDataModes) {
  ASSERT_EQ(Session.Load().Result, 0);
  TkroParamsList params, input;
  TPluginCallRecord record = Session.NewRecord();
  record.Params = reinterpret_cast<uintptr_t>(&params);
  record.Input = {0, 3, DataKindSendBytes, reinterpret_cast<uintptr_t>("abc")};
  record.Output = {5, 6, 7, 8};
  EXPECT_EQ(Lib().ProcessData(&record), 0);  // mode 0
  EXPECT_EQ(+record.Input.Data, 0u);
  EXPECT_EQ(+record.Output.Count, 5u);
  EXPECT_EQ(+record.Output.Data, 8u);

  record.Mode = 0x04;  // an empty input list is no input
  record.Input = {0, 0, DataKindListObject, reinterpret_cast<uintptr_t>(&input)};
  EXPECT_EQ(Lib().ProcessData(&record), 0);
  EXPECT_EQ(Session.TakeLog(), "\x02" "CJ/T 188-2004. No data for processing\r\n");
  EXPECT_EQ(+record.Input.Data, 0u);

  input.Add("A", Int(1));  // an open last row is closed
  record.Input = {0, 0, DataKindListObject, reinterpret_cast<uintptr_t>(&input)};
  EXPECT_EQ(Lib().ProcessData(&record), 0);
  ASSERT_EQ(input.Count(), 2);
  EXPECT_TRUE(input.Items(1)->IsNewRow());

  // Received bytes before the module has data sources reach none and change no block.
  record.Mode = 0x02;
  std::strcpy(record.DataSourceName, "COM1");
  record.Input = {1, 2, DataKindSendBytes, reinterpret_cast<uintptr_t>("xy")};
  EXPECT_EQ(Lib().ProcessData(&record), 0);
  EXPECT_EQ(+record.Output.Size, 6u);
  EXPECT_STREQ(+record.DataSourceName, "COM1");
}

TEST_F(PluginExportsTest, LogIsFoldedNotifiedAndHandedOut) {
  ASSERT_EQ(Session.Load().Result, 0);
  ASSERT_TRUE(Session.Command("SET-MODULE-PARAMETER", {{"PARAM", TVariant("LogTitle")}, {"VALUE", TVariant("M1")}})
                  .Value.AsBoolean());
  for (int i = 0; i < 3; ++i) Session.ProcessBytes(1, 1, "", 0x04, nullptr);
  platform::PumpMessagesFor(20);
  EXPECT_GE(Session.LogNotifications(), 1);

  const std::string text = "\x02M1. No data for processing x3\r\n";
  TPluginCallRecord record = Session.NewRecord();
  std::string buffer(text.size() - 1, '\0');
  record.Input.Size = static_cast<uint32_t>(buffer.size());
  record.Input.Data = reinterpret_cast<uintptr_t>(buffer.data());
  EXPECT_EQ(Lib().GetLogEx(&record), 0);  // one byte short: kept
  EXPECT_EQ(+record.Output.Data, text.size());
  EXPECT_EQ(Session.TakeLog(), text);

  Session.ProcessBytes(1, 1, "", 0x04, nullptr);
  record = Session.NewRecord();  // a zero-size buffer discards the log
  EXPECT_EQ(Lib().GetLogEx(&record), 0);
  EXPECT_GT(+record.Output.Data, 0u);
  EXPECT_EQ(Session.TakeLog(), "");
}

TEST_F(PluginExportsTest, CommandAnswersAndMissingArguments) {
  EXPECT_EQ(Session.Command("items").Result, -2);  // names are case-sensitive
  EXPECT_EQ(Session.Command("EVENT").Result, -1);
  // Port events wait for SET-STATE to enable the module; the list queries do not.
  EXPECT_EQ(Session.Command("EVENT", {{"EVENT-TYPE", TVariant("PORT-OPEN")}}).Result, -1);
  EXPECT_EQ(Session.Command("EVENT", {{"EVENT-TYPE", TVariant("GetFuncTypeList")}}).Result, 0);
  EXPECT_EQ(Session.Command("SET-ITEMS", {{"ITEMS", Int(5)}}).Result, -1);
  EXPECT_EQ(Session.Command("SET-STATE").Result, -1);  // RESULT is there but not given
  EXPECT_EQ(Session.Command("GET-MODULE-PARAMETER").Result, -2);
  EXPECT_EQ(Session.Command("SET-MODULE-PARAMETER").Result, -2);
  EXPECT_EQ(Session.Command("SAVE-SETTINGS-NOW").Result, -2);
  EXPECT_EQ(Session.Command("LOAD-SETTINGS-NOW", {{"NO-SAVE", Int(1)}}).Result, -2);

  // Without a RESULT entry the answer is dropped; ITEMS alone refuses.
  TkroParamsList params;
  params.Add("COMMAND", TVariant("EVENTS-SUPPORT"));
  TPluginCallRecord record = Session.NewRecord();
  record.Params = reinterpret_cast<uintptr_t>(&params);
  EXPECT_EQ(Lib().ExecutePluginCommand(&record), 0);
  EXPECT_EQ(params.Count(), 1);
  params.SetValue("COMMAND", TVariant("ITEMS"), false);
  EXPECT_EQ(Lib().ExecutePluginCommand(&record), -1);
  params.Clear();
  EXPECT_EQ(Lib().ExecutePluginCommand(&record), -1);  // no COMMAND
}

TEST_F(PluginExportsTest, ParserItemsTravelAsText) {
  const std::string items = "Data packet|DATA_PACKET|String|\r\nFlow|FLOW|Float|m3\r\nHours|HOURS|Integer|h";
  EXPECT_EQ(Session.Command("SET-ITEMS", {{"ITEMS", TVariant(items)}}).Result, 0);
  auto get = [&](const char* name) {
    return Session.Command("GET-MODULE-PARAMETER", {{"PARAM", TVariant(name)}}).Value;
  };
  EXPECT_EQ(get("ParserItemsCount").AsInteger(), 3);
  EXPECT_EQ(get("ParserItemName2").AsString(), "HOURS");
  EXPECT_EQ(get("ParserItemDesc1").AsString(), "Flow");
  EXPECT_EQ(get("ParserItemType1").AsInteger(), 5);
  EXPECT_TRUE(get("ParserItemNameX").IsEmpty());
  EXPECT_TRUE(get("ParserItemName3").IsEmpty());
  EXPECT_TRUE(get("parseritemname1").IsEmpty());  // the item prefixes are case-sensitive
  EXPECT_EQ(get("parseritems").AsString(), items);
  // ITEMS declares the module's own table anew.
  const std::string declared = Session.Command("ITEMS").Value.AsString();
  EXPECT_EQ(declared.rfind("Full data packet|FULL_DATA_PACKET|String|\r\n", 0), 0u);
  EXPECT_NE(declared.find("\r\nDevice ID|DEVICE_ID|String|\r\n"), std::string::npos);
}

TEST_F(PluginExportsTest, ModuleParametersReadAndWritten) {
  auto set = [&](const char* name, TVariant value) {
    return Session.Command("SET-MODULE-PARAMETER", {{"PARAM", TVariant(name)}, {"VALUE", value}}).Value;
  };
  auto get = [&](const char* name) {
    return Session.Command("GET-MODULE-PARAMETER", {{"PARAM", TVariant(name)}}).Value;
  };
  EXPECT_TRUE(set("LogTitle", TVariant("Heat meters")).AsBoolean());
  EXPECT_EQ(get("logtitle").AsString(), "Heat meters");
  EXPECT_TRUE(set("ModuleType", Int(0x103)).AsBoolean());
  EXPECT_EQ(get("ModuleType").AsInteger(), 3);
  EXPECT_FALSE(set("ModuleType", TVariant("three")).AsBoolean());
  EXPECT_FALSE(set("NoSuchParameter", Int(1)).AsBoolean());
  EXPECT_TRUE(get("NoSuchParameter").IsEmpty());
  EXPECT_EQ(static_cast<uintptr_t>(get("ModulePluginHandle").AsInt64()), Session.Instance());
  EXPECT_FALSE(get("ModuleName").AsString().empty());
  EXPECT_FALSE(get("TESTTRANSL").AsBoolean());
  EXPECT_TRUE(set("CustomCommands", TVariant("a|b|c|1|0")).AsBoolean());
  EXPECT_EQ(get("CustomCommands").AsString(), "a|b|c|1|0\r\n");

  EXPECT_TRUE(set("Custom5", Int(1)).AsBoolean());  // out of range: nothing
  EXPECT_EQ(get("Custom_COUNT").AsInteger(), 0);
  EXPECT_TRUE(set("Custom:Port", TVariant("COM4")).AsBoolean());
  EXPECT_EQ(get("CustomPort").AsString(), "COM4");
  EXPECT_EQ(get("Custom 0").AsString(), "COM4");
  EXPECT_TRUE(set("Custom0", TVariant("COM5")).AsBoolean());
  EXPECT_EQ(get("Custom_Port").AsString(), "COM5");
  EXPECT_TRUE(get("CustomMissing").IsNull());
  EXPECT_TRUE(get("Custom7").IsNull());
  EXPECT_TRUE(set("Custom_COUNT", TVariant("ignored")).AsBoolean());
  EXPECT_EQ(get("Custom_COUNT").AsInteger(), 0);
  EXPECT_FALSE(set("Custom", Int(1)).AsBoolean());  // an empty key is no parameter
}

TEST_F(PluginExportsTest, ParamsAsAnInterfaceVariable) {
  TkroParamsList params;
  params.Add("COMMAND", TVariant("EVENTS-SUPPORT"));
  params.Add("RESULT", TVariant());
  EXPECT_EQ(Session
                .Command("SET-MODULE-PARAMETER",
                         {{"PARAM", TVariant("EventsSupported")}, {"VALUE", TVariant("PORT-OPEN;PORT-CLOSE")}})
                .Result,
            0);
  // The host's variable sits at the start of zeroed memory, where a list object would keep
  // its signature.
  struct {
    IkroParamsListA* Intf;
    uint32_t Zero[8];
  } variable{};
  TBorrowedListIntf intf(params);
  variable.Intf = intf.Get();
  TPluginCallRecord record = Session.NewRecord();
  record.Params = reinterpret_cast<uintptr_t>(&variable);
  EXPECT_EQ(Lib().ExecutePluginCommand(&record), 0);
  EXPECT_EQ(+record.Flags, 0);  // restored after the call
  EXPECT_EQ(+record.Params, reinterpret_cast<uintptr_t>(&variable));
  EXPECT_EQ(params.GetValue("RESULT").AsString(), "PORT-OPEN;PORT-CLOSE");
}

}  // namespace
}  // namespace cjt
