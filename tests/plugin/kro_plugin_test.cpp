// The instance's commands, handlers and data path, driven in-process with a call context.
#include "plugin/kro_plugin.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "plugin/call_context.h"
#include "plugin/data_delivery.h"
#include "plugin/plugin_class.h"

namespace cjt {
namespace {

class PluginTest : public testing::Test {
 protected:
  // Runs a command with arguments and a RESULT entry; the answer stays in Args.
  int32_t Run(const std::string& command, std::initializer_list<std::pair<const char*, TVariant>> arguments = {},
              uint8_t mode = 0, bool withResult = true) {
    Args.Clear();
    for (const auto& [name, value] : arguments) Args.Add(name, value);
    if (withResult) Args.Add("RESULT", TVariant());
    TPluginCallRecord record = Record(mode);
    TCallContext context(record);
    return Plugin.ExecuteCommand(command, record);
  }
  TPluginCallRecord Record(uint8_t mode) {
    TPluginCallRecord record{};
    record.Size = CallRecordSize;
    record.Mode = mode;
    record.Params = reinterpret_cast<uintptr_t>(&Args);
    return record;
  }
  TVariant Result() const { return Args.GetValue("RESULT"); }
  std::string Log() {
    std::string buffer(4096, '\0');
    return buffer.substr(0, Plugin.Log.Take(buffer.data(), 4096).Copied);
  }

  TkroPlugin Plugin{0, nullptr};
  TkroParamsList Args;
};

TEST_F(PluginTest, DefaultsOfANewInstance) {
  EXPECT_EQ(Plugin.MsgNoData, "No data for processing");
  EXPECT_EQ(Plugin.ParserItems.size(), 1u);
  EXPECT_EQ(Plugin.InfoFlag, 1);
  EXPECT_FALSE(Plugin.ModuleName.empty());
  EXPECT_EQ(Plugin.ModulePath.back() == '/' || Plugin.ModulePath.back() == '\\', true);
}

TEST_F(PluginTest, HandlersGetTheirResultsAndExceptionsBecomeMinusThree) {
  EXPECT_EQ(Run("MY-COMMAND"), -2);  // no handler
  Plugin.OnCommand = [](TkroPlugin&, const std::string& text, int32_t& result, TPluginCallRecord&) {
    if (text == "FAIL") throw std::runtime_error("handler broke");
    result = 5;
  };
  EXPECT_EQ(Run("MY-COMMAND"), 5);
  EXPECT_EQ(Run("FAIL"), -3);
  EXPECT_EQ(Log(), "\x01{FAIL} handler broke\r\n");

  EXPECT_EQ(Run("EVENT"), -1);  // no EVENT-TYPE
  EXPECT_EQ(Run("EVENT", {{"EVENT-TYPE", TVariant("PORT-OPEN")}}), 0);
  std::string seen;
  Plugin.OnEvent = [&](TkroPlugin&, const std::string& type, int32_t&, TPluginCallRecord&) { seen = type; };
  EXPECT_EQ(Run("EVENT", {{"EVENT-TYPE", TVariant("PORT-OPEN")}}), -1);  // the handler left the result
  EXPECT_EQ(seen, "PORT-OPEN");
}

TEST_F(PluginTest, NestedCommandIsRefusedAndTheOuterGoesOn) {
  int32_t inner = 0;
  Plugin.OnCommand = [&](TkroPlugin& sender, const std::string& text, int32_t& result, TPluginCallRecord& record) {
    inner = sender.ExecuteCommand("EVENTS-SUPPORT", record);
    result = 1;
  };
  EXPECT_EQ(Run("OUTER"), 1);
  EXPECT_EQ(inner, -3);
  // The report names the exception's class and message.
  EXPECT_NE(Log().find("cjt::EAssertionFailed: Nested plugin commands are not allowed (kroPluginModule, line "),
            std::string::npos);
  EXPECT_EQ(Plugin.CommandDepth, 0);
}

TEST_F(PluginTest, SetStateReadsDataSourcesAndEnablesTypes) {
  int changes = 0;
  Plugin.OnChangeState = [&](TkroPlugin&, uint8_t mode) { changes += mode; };
  EXPECT_EQ(Run("SET-STATE",
                {{"DATA-SOURCES-IN-CFG", TVariant("3;COM3;Serial port 3\r\nx;bad\r\n")},
                 {"DATA-SOURCE-LOAD", TVariant("COM3")}},
                0x03, false),
            -1);
  ASSERT_EQ(Plugin.ConfigDataSources.size(), 1u);
  EXPECT_EQ(Plugin.ConfigDataSources[0].Id, 3);
  EXPECT_EQ(Plugin.DataSourceLoadFor, "COM3");
  EXPECT_EQ(changes, 0);

  Plugin.ModuleType = 0x07;
  Args.Clear();
  EXPECT_EQ(Run("SET-STATE", {{"RESULT", TVariant(int32_t{1})}}, 0x03, false), 0);
  EXPECT_EQ(Plugin.EnabledModuleTypes(), 0x03);
  EXPECT_EQ(Run("SET-STATE", {{"RESULT", TVariant(int32_t{2})}}, 0x01, false), 0);
  EXPECT_EQ(Plugin.EnabledModuleTypes(), 0x02);
  EXPECT_EQ(changes, 4);
}

TEST_F(PluginTest, SettingsCommandsSwapTheIniFileAndHonourNoSave) {
  int loads = 0, saves = 0;
  std::string seenIni;
  Plugin.INIFile = "host.ini";
  Plugin.OnLoadSettingsNow = [&](TkroPlugin& p) { ++loads, seenIni = p.INIFile; };
  Plugin.OnSaveSettingsNow = [&](TkroPlugin&) { ++saves; };
  EXPECT_EQ(Run("LOAD-SETTINGS-NOW", {{"INI-FILE", TVariant("other.ini")}, {"NO-SAVE", TVariant(int32_t{1})}}), -2);
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(saves, 0);
  EXPECT_EQ(seenIni, "other.ini");
  EXPECT_EQ(Plugin.INIFile, "host.ini");
  EXPECT_EQ(Run("SAVE-SETTINGS-NOW"), -2);
  EXPECT_EQ(saves, 1);
}

TEST_F(PluginTest, UnloadSavesWhenTheHostNamesAnotherIniFile) {
  int saves = 0, unloads = 0;
  Plugin.OnSaveSettingsNow = [&](TkroPlugin&) { ++saves; };
  Plugin.OnUnload = [&](TkroPlugin&, TPluginCallRecord&, int32_t&) { ++unloads; };
  EXPECT_EQ(Run("LOAD", {{"INI-FILE", TVariant("a.ini")}, {"MSG-PROC-HANDLE", TVariant(int32_t{0})}}), 0);
  EXPECT_EQ(Run("UNLOAD", {{"INI-FILE", TVariant("a.ini")}}), 0);
  EXPECT_EQ(saves, 0);
  EXPECT_EQ(Run("LOAD"), 0);
  EXPECT_EQ(Run("UNLOAD", {{"INI-FILE", TVariant("b.ini")}}), 0);
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(unloads, 2);
  EXPECT_EQ(Run("UNLOAD"), 0);  // below zero: nothing more
  EXPECT_EQ(unloads, 2);
  EXPECT_EQ(Plugin.ModuleLoadCount, 0);
}

TEST_F(PluginTest, ProcessDataHandlerOutcomeIsLogged) {
  Plugin.OnProcessData = [](TkroPlugin&, TPluginCallRecord& record, int32_t& result) {
    result = static_cast<int32_t>(record.DataSourceId) - 1;
  };
  const std::string bytes = "\x68\x10";
  TPluginCallRecord record = Record(0x08);
  record.Input = {0, 2, DataKindByteBuffer, reinterpret_cast<uintptr_t>(bytes.data())};
  record.DataSourceId = 3;
  EXPECT_EQ(Plugin.ProcessData(record), 2);
  EXPECT_EQ(+record.Input.Data, 0u);  // consumed
  record.Input.Data = reinterpret_cast<uintptr_t>(bytes.data());
  record.DataSourceId = 0;
  EXPECT_EQ(Plugin.ProcessData(record), -1);
  EXPECT_EQ(Log(),
            "\x03"
            "Data have been processed successfully\r\n\x02"
            "Data have been processed with errors\r\n");

  Plugin.OnProcessData = [](TkroPlugin&, TPluginCallRecord&, int32_t&) { throw std::runtime_error("bad frame"); };
  record.Input.Data = reinterpret_cast<uintptr_t>(bytes.data());
  EXPECT_EQ(Plugin.ProcessData(record), -3);
  EXPECT_EQ(Log(),
            "\x02"
            "Data have been processed with errors: bad frame\r\n");
}

TEST_F(PluginTest, ValuesReturnedInTheCallGatherPacketTexts) {
  TkroParamsList output;
  output.Add("OLD", TVariant(int32_t{0}));
  TPluginCallRecord record = Record(0x01);
  record.Output.Kind = DataKindListObject;
  record.Output.Data = reinterpret_cast<uintptr_t>(&output);
  Plugin.OnProcessData = [](TkroPlugin& sender, TPluginCallRecord& call, int32_t& result) {
    TParsedDataList values;
    values.Add("FLOW", TVariant(1.5));
    ReturnValuesInCall(sender, call, values, "68 10 first packet", false);
    values.Clear();
    values.Add("FLOW", TVariant(2.5));
    ReturnValuesInCall(sender, call, values, "68 10 second", true);
    result = 1;
  };
  record.Input = {0, 1, DataKindByteBuffer, reinterpret_cast<uintptr_t>("x")};
  EXPECT_EQ(Plugin.ProcessData(record), 1);
  EXPECT_EQ(+record.Output.Kind, DataKindListObject);  // the host's list is back in its block
  EXPECT_EQ(+record.Output.Count, 2u);
  ASSERT_EQ(output.Count(), 2);
  EXPECT_EQ(output.Items(1)->Value().AsDouble(), 2.5);
  ASSERT_EQ(+record.Input.Kind, DataKindTextBuffer);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.Input.Data), record.Input.Size),
            "68 10 first packet<{[::]}>68 10 second");
}

TEST_F(PluginTest, PassThroughCopiesOnlyTheInputBlock) {
  TPluginCallRecord record = Record(0x21);
  record.Input = {4, 9, DataKindByteBuffer, 0x1234};
  record.DataSourceName[0] = 'C';
  EXPECT_EQ(Plugin.ProcessData(record), 0);
  EXPECT_EQ(+record.Output.Kind, DataKindByteBuffer);
  EXPECT_EQ(+record.Output.Size, 9u);
  EXPECT_EQ(+record.Output.Data, 0x1234u);
  EXPECT_EQ(record.DataSourceName[0], 'C');
}

TEST_F(PluginTest, ACallInsideTheInstanceIsKnownToItsThreadOnly) {
  Plugin.Handle = reinterpret_cast<uintptr_t>(&Plugin);
  EXPECT_FALSE(IsInsideInstance(Plugin.Handle));
  Plugin.EnterCall();
  EXPECT_TRUE(IsInsideInstance(Plugin.Handle));
  bool elsewhere = true;
  std::thread([&] { elsewhere = IsInsideInstance(Plugin.Handle); }).join();
  EXPECT_FALSE(elsewhere);
  Plugin.LeaveCall();
  EXPECT_FALSE(IsInsideInstance(Plugin.Handle));
  Plugin.WaitUntilNoCalls();  // returns at once
}

TEST(ReleaseCallbacks, RunOnceInOrderDespiteFailures) {
  std::string order;
  RegisterReleaseCallback([&] { order += "a"; });
  RegisterReleaseCallback([] { throw std::runtime_error("ignored"); });
  RegisterReleaseCallback([&] { order += "b"; });
  RunReleaseCallbacks();
  RunReleaseCallbacks();
  EXPECT_EQ(order, "ab");
}

}  // namespace
}  // namespace cjt
