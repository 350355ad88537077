// The instance's translation setup and LANGUAGE, its settings wrappers, the module
// information and the options dialog with its reload of the instances sharing the settings.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "options/proxy_code_object.h"
#include "platform/folders.h"
#include "platform/module.h"
#include "platform/thread.h"
#include "platform/window_message.h"
#include "plugin/call_context.h"
#include "plugin/instance_list.h"
#include "plugin/kro_plugin.h"
#include "plugin/module_info.h"
#include "plugin/module_paths.h"
#include "support/ini_file.h"
#include "support/text_resources.h"
#include "tests/common/pump_until.h"
#include "tests/common/temp_files.h"

namespace cjt {
namespace {

using test_support::TTempFolder;

std::string Log(TkroPlugin& plugin) {
  std::string buffer(4096, '\0');
  return buffer.substr(0, plugin.Log.Take(buffer.data(), 4096).Copied);
}

// LOAD with the arguments, as the command protocol runs it.
void RunCommand(TkroPlugin& plugin, const std::string& command,
                std::initializer_list<std::pair<const char*, TVariant>> arguments) {
  TkroParamsList args;
  for (const auto& [name, value] : arguments) args.Add(name, value);
  TPluginCallRecord record{};
  record.Size = CallRecordSize;
  record.Params = reinterpret_cast<uintptr_t>(&args);
  TCallContext context(record);
  plugin.ExecuteCommand(command, record);
}

// The plug-in's own language file is the test program's name with ".lng".
std::string OwnLanguageFile() {
  std::filesystem::path own = platform::OwnModuleFileName();
  return own.replace_extension(".lng").string();
}

TEST(PluginLanguage, WithoutALanguageFileNothingChanges) {
  std::filesystem::remove(OwnLanguageFile());
  TkroPlugin plugin(0, nullptr);
  EXPECT_EQ(plugin.Language, "EN");
  EXPECT_EQ(plugin.Translator()->LanguageFile, "");
  EXPECT_NE(plugin.TranslatedProperties().find("MsgWriteCompleteError\r\n"), std::string::npos);
  int changes = 0;
  plugin.OnLanguageChange = [&](TkroPlugin& sender) {
    ++changes;
    EXPECT_EQ(sender.Language, "DE");
  };
  RunCommand(plugin, "LOAD", {{"LANGUAGE", TVariant("DE")}});
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(plugin.Language, "DE");
  EXPECT_EQ(plugin.MsgNoData, "No data for processing");
  RunCommand(plugin, "LOAD", {{"LANGUAGE", TVariant("de")}});  // the same, ignoring case
  RunCommand(plugin, "LOAD", {{"LANGUAGE", TVariant("")}});    // empty
  RunCommand(plugin, "LOAD", {});                              // not given
  EXPECT_EQ(changes, 1);
  plugin.OnLanguageChange = [](TkroPlugin&) { throw std::runtime_error("no fonts"); };
  RunCommand(plugin, "LOAD", {{"LANGUAGE", TVariant("FR")}});
  EXPECT_EQ(plugin.Language, "FR");
  EXPECT_NE(Log(plugin).find("{TRANSL} no fonts"), std::string::npos);
}

class TMessages : public TCustomTextResources {
 public:
  TMessages() : TCustomTextResources("TMessages", "Messages") { AddText(Text); }
  std::string Text = "No data for processing";
};

TEST(PluginLanguage, OwnLanguageFileTranslatesAndLanguageSwitches) {
  const std::string file = OwnLanguageFile();
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      << "// Encoding=utf-8\n[Languages]\n$EN=English\n$DE=Deutsch\n"
         "$FR=Francais\nDefault=DE\n\n"
         "EN:>No data for processing\nDE:>Keine Daten\n"
         "FR:>Pas de donnees\n\n";
  {
    TkroPlugin plugin(0, nullptr);
    EXPECT_EQ(plugin.Language, "DE");  // the default language of the files
    plugin.ApplyTranslation();
    EXPECT_TRUE(plugin.TranslationApplied);
    EXPECT_EQ(plugin.MsgNoData, "Keine Daten");
    // Text resources passed directly translate themselves.
    TMessages messages;
    plugin.TranslateComponent(messages);
    EXPECT_EQ(messages.Text, "Keine Daten");
    // Another language: translated from the built-in English texts.
    RunCommand(plugin, "LOAD", {{"LANGUAGE", TVariant("FR")}});
    EXPECT_EQ(plugin.MsgNoData, "Pas de donnees");
    RunCommand(plugin, "LOAD", {{"LANGUAGE", TVariant("EN")}});
    EXPECT_EQ(plugin.MsgNoData, "No data for processing");
    EXPECT_EQ(plugin.Language, "EN");
  }
  std::filesystem::remove(file);
}

TEST(PluginSettings, WrappersUseTheInstancesAddressing) {
  TTempFolder folder;
  TkroPlugin plugin(0, nullptr);
  plugin.INIFile = folder.File("host.ini");
  plugin.INISectionPrefix = "Modules\\Parser\\";
  TProxyCodeObject proxy;
  proxy.Left = 5;
  ASSERT_TRUE(plugin.SaveSettings(proxy, OptionsPersistedProperties()));
  EXPECT_EQ(TIniFile(plugin.INIFile).Read("Modules.Parser", "Left"), "5");
  // An INI file given to the operation stands in for the instance's.
  ASSERT_TRUE(plugin.SaveSettings(proxy, OptionsPersistedProperties(), folder.File("other.ini")));
  EXPECT_EQ(TIniFile(folder.File("other.ini")).Read("Modules.Parser", "Left"), "5");
  TProxyCodeObject loaded;
  ASSERT_TRUE(plugin.LoadSettings(loaded, OptionsPersistedProperties()));
  EXPECT_EQ(loaded.Left, 5);
  EXPECT_FALSE(plugin.SettingsInProgress);
}

TEST(PluginSettings, SaveAndLoadSettingsNowCommandsRunTheModulesHandlers) {
  TTempFolder folder;
  TkroPlugin plugin(0, nullptr);
  TProxyCodeObject proxy;
  plugin.OnSaveSettingsNow = [&](TkroPlugin& sender) {
    EXPECT_TRUE(sender.SaveSettings(proxy, OptionsPersistedProperties()));
  };
  plugin.OnLoadSettingsNow = [&](TkroPlugin& sender) {
    EXPECT_TRUE(sender.LoadSettings(proxy, OptionsPersistedProperties()));
  };
  proxy.Width = 999;
  RunCommand(plugin, "SAVE-SETTINGS-NOW", {{"INI-FILE", TVariant(folder.File("now.ini"))}});
  EXPECT_EQ(TIniFile(folder.File("now.ini")).Read("Common", "Width"), "999");
  EXPECT_EQ(plugin.INIFile, "");  // the command's file only for the command
  proxy.Width = 1;
  RunCommand(plugin, "LOAD-SETTINGS-NOW", {{"INI-FILE", TVariant(folder.File("now.ini"))}, {"NO-SAVE", TVariant(1)}});
  EXPECT_EQ(proxy.Width, 999);
}

TEST(PluginSettings, ModuleDataPathNamesTheFirstDescriptionLine) {
  TkroPlugin plugin(0, nullptr);
  plugin.Description = "Heat meters\r\nsecond line";
  plugin.ModuleRegistryPath = "\\Software\\Maker\\Logger\\Modules";
  plugin.INISectionPrefix = "{cfg:12}";
  const char d = platform::PathDelimiter();
  EXPECT_EQ(ModuleDataPath(plugin), AppDataPath(plugin.ModuleRegistryPath) + "12" + d + "Heat meters" + d);
}

// --- Module information ---

TEST(ModuleInfo, BlocksTooSmallAndFull) {
  TkroPlugin plugin(0, nullptr);
  plugin.Description = "Meter";
  plugin.ModuleType = 0x05;
  plugin.Features = 0x06;
  plugin.ModuleVersion = 5.0f;
  plugin.CustomCommands.AddFromText("a|b|c|1|0\r\n");
  const uint32_t texts = 5 + 11;
  uint32_t needed = 0;
  EXPECT_FALSE(plugin.FillModuleInfo(nullptr, needed));
  EXPECT_EQ(needed, ModuleInfoHeaderSize + texts);

  std::vector<uint8_t> small(ModuleInfoHeaderSize - 1, 0xAA);
  uint32_t size = ModuleInfoHeaderSize - 1;
  std::memcpy(small.data(), &size, 4);
  EXPECT_FALSE(plugin.FillModuleInfo(small.data(), needed));
  EXPECT_EQ(small[4], 0xAA);  // nothing filled

  std::vector<uint8_t> header(ModuleInfoHeaderSize, 0xAA);
  size = ModuleInfoHeaderSize;
  std::memcpy(header.data(), &size, 4);
  EXPECT_FALSE(plugin.FillModuleInfo(header.data(), needed));
  TPluginModuleInfo info;
  std::memcpy(&info, header.data(), sizeof(info));
  EXPECT_EQ(+info.Size, ModuleInfoHeaderSize);
  EXPECT_EQ(+info.TypeBits, 0x05u | (0x06u << 16));
  EXPECT_EQ(+info.InterfaceVersion, 4u);
  EXPECT_EQ(+info.ModuleVersion, 5.0f);
  EXPECT_EQ(+info.InfoFlag, 1);
  EXPECT_EQ(+info.DescriptionLength, 0u);
  EXPECT_EQ(+info.DescriptionText, 0u);

  std::vector<uint8_t> full(200, 0xAA);
  size = 200;
  std::memcpy(full.data(), &size, 4);
  EXPECT_TRUE(plugin.FillModuleInfo(full.data(), needed));
  std::memcpy(&info, full.data(), sizeof(info));
  EXPECT_EQ(+info.Size, 200u);
  EXPECT_EQ(+info.DescriptionLength, 5u);
  EXPECT_EQ(+info.DescriptionText, reinterpret_cast<uintptr_t>(full.data() + ModuleInfoHeaderSize));
  EXPECT_EQ(+info.CommandsLength, 11u);
  EXPECT_EQ(+info.CommandsText, info.DescriptionText + 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(full.data()) + ModuleInfoHeaderSize, texts), "Metera|b|c|1|0\r\n");
}

// --- Options dialog ---

TPluginCallRecord OptionsRecord(uintptr_t params = 0) {
  TPluginCallRecord record{};
  record.Size = CallRecordSize;
  record.Params = params;
  record.Output.Kind = DataKindNumber;
  record.Output.Size = 4;
  record.Output.Data = 2;
  return record;
}

TEST(ShowOptions, StatusesOfTheHandler) {
  TkroPlugin plugin(0, nullptr);
  TPluginCallRecord record = OptionsRecord();
  plugin.ShowOptions(record);
  EXPECT_EQ(+record.Output.Data, 3u);  // no handler

  plugin.OnShowOptionsDialog = [](TkroPlugin& sender, TPluginCallRecord&, uint8_t&) {
    EXPECT_TRUE(sender.OptionsShown);
    throw std::runtime_error("no window");
  };
  record = OptionsRecord();
  plugin.ShowOptions(record);
  EXPECT_EQ(+record.Output.Data, 4u);
  EXPECT_NE(Log(plugin).find("no window {SHOWOPTIONS}"), std::string::npos);
  EXPECT_FALSE(plugin.OptionsShown);

  TkroParamsList args;
  args.Add("INI-FILE", TVariant("options.ini"));
  args.Add("LANGUAGE", TVariant("DE"));
  args.Add("OWNER-FORM", TVariant(77));
  plugin.OnShowOptionsDialog = [](TkroPlugin& sender, TPluginCallRecord& call, uint8_t& result) {
    EXPECT_EQ(sender.OptionsMode, 3);
    result = 0;
  };
  record = OptionsRecord(reinterpret_cast<uintptr_t>(&args));
  record.Mode = 3;
  plugin.ShowOptions(record);
  EXPECT_EQ(+record.Output.Data, 0u);
  EXPECT_EQ(plugin.INIFile, "options.ini");
  EXPECT_EQ(plugin.Language, "DE");
  EXPECT_EQ(plugin.OwnerForm, 77u);
  EXPECT_EQ(plugin.OptionsMode, 0);
}

int32_t CJT_STDCALL PostToWindow(uint32_t window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return platform::TMessageWindow::Deliver(window, message, wparam, lparam) ? 1 : 0;
}

TEST(ShowOptions, ChangedSettingsReloadEveryInstanceSharingThem) {
  TInstanceList* list = TInstanceList::Get();
  ASSERT_NE(list, nullptr);
  std::vector<std::pair<uint32_t, uintptr_t>> messages;
  platform::TMessageWindow window(
      [&](uint32_t message, uintptr_t wparam, intptr_t) { messages.emplace_back(message, wparam); });
  auto make = [&](const std::string& path) {
    auto plugin = std::make_unique<TkroPlugin>(0, nullptr);
    plugin->Handle = reinterpret_cast<uintptr_t>(plugin.get());
    plugin->ModuleRegistryPath = path;
    TkroPlugin* raw = plugin.get();
    list->Add(std::move(plugin));
    return raw;
  };
  TkroPlugin* self = make("\\Software\\A\\B");
  TkroPlugin* sameThread = make("\\Software\\A\\B");
  TkroPlugin* otherThread = make("\\Software\\A\\B");
  TkroPlugin* otherPath = make("\\Software\\A\\C");
  TkroPlugin* noHandler = make("\\Software\\A\\B");
  int selfReloads = 0, directReloads = 0, otherReloads = 0;
  self->OnLoadSettingsNow = [&](TkroPlugin&) { ++selfReloads; };
  self->LoaderThreadId = platform::CurrentThreadId();
  sameThread->OnLoadSettingsNow = [&](TkroPlugin&) { ++directReloads; };
  sameThread->LoaderThreadId = platform::CurrentThreadId();
  otherThread->OnLoadSettingsNow = [&](TkroPlugin&) { ++otherReloads; };
  otherThread->LoaderThreadId = platform::CurrentThreadId() + 1;
  otherThread->HostWindow = window.Handle();
  otherThread->ModuleIndex = 42;
  otherThread->HostFunctions.PostHostMessage = &PostToWindow;
  otherPath->OnLoadSettingsNow = [&](TkroPlugin&) { ++otherReloads; };
  otherPath->LoaderThreadId = platform::CurrentThreadId();
  noHandler->HostWindow = window.Handle();
  noHandler->HostFunctions.PostHostMessage = &PostToWindow;

  self->OnShowOptionsDialog = [](TkroPlugin&, TPluginCallRecord&, uint8_t& result) { result = 1; };
  TPluginCallRecord record = OptionsRecord();
  self->ShowOptions(record);
  EXPECT_EQ(+record.Output.Data, 1u);
  EXPECT_EQ(directReloads, 1);
  EXPECT_EQ(selfReloads, 1);  // the dialog's own instance applies what it stored
  EXPECT_EQ(otherReloads, 0);
  EXPECT_TRUE(test_support::PumpUntil([&] { return !messages.empty(); }, 5000));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].first, MessageReloadSettings);
  EXPECT_EQ(messages[0].second, 42u);
  for (TkroPlugin* plugin : {self, sameThread, otherThread, otherPath, noHandler}) list->Extract(plugin->Handle);
}

}  // namespace
}  // namespace cjt
