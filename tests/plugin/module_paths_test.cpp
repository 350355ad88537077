#include "plugin/module_paths.h"

#include <gtest/gtest.h>

#include "platform/folders.h"
#include "plugin/config_data_sources.h"
#include "plugin/custom_commands.h"

namespace cjt {
namespace {

TEST(ModulePaths, ConfigurationIdFromTheSectionPrefix) {
  EXPECT_EQ(ModuleConfigId("Modules.{ 12 }.Parser"), "12");
  EXPECT_EQ(ModuleConfigId("{cfg:7:x}"), "7");
  EXPECT_EQ(ModuleConfigId("{cfg::x}"), "cfg::x");  // an empty part between the colons is not taken
  EXPECT_EQ(ModuleConfigId("plain"), "plain");
  EXPECT_EQ(ModuleConfigId(""), "");
}

TEST(ModulePaths, FileNameSafety) {
  EXPECT_EQ(FileNameSafe("a/b:c", '-'), "a-b-c");
  EXPECT_EQ(FileNameSafe("com1", '-'), "_com1");
  EXPECT_EQ(FileNameSafe("Nul", '-'), "_Nul");
  EXPECT_EQ(FileNameSafe("Console", '-'), "Console");
}

TEST(ModulePaths, ApplicationFolderIsTheFourthRegistryField) {
  const char d = platform::PathDelimiter();
  const std::string base = platform::CommonAppDataFolder() + d;
  EXPECT_EQ(AppDataPath("\\Software\\Maker\\ Logger? \\Modules"), base + "Logger " + d);
  EXPECT_EQ(AppDataPath("short"), base);
}

TEST(CustomCommands, TextFormBothWays) {
  TkroPluginCustomCmdList list;
  list.AddFromText("a|b|c|1|0\r\n\r\nshort|x\r\nd|e|f|yes|1|extra\r\n");
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_TRUE(list[0].Flag1);
  EXPECT_FALSE(list[1].Flag1);  // only "1" is true
  EXPECT_EQ(list.Text(), "a|b|c|1|0\r\nd|e|f|0|1\r\n");
  list.AddFromText(list.Text());  // reading appends
  EXPECT_EQ(list.Count(), 4u);
}

TEST(ConfigDataSources, IdNameAndLongName) {
  TConfigDataSource source;
  ASSERT_TRUE(ParseConfigDataSource(" 3 ; COM3 ;Serial port 3", source));
  EXPECT_EQ(source.Id, 3);
  EXPECT_EQ(source.Name, "COM3");
  EXPECT_EQ(source.FullName, "Serial port 3");
  EXPECT_EQ(source.Line, " 3 ; COM3 ;Serial port 3");
  EXPECT_FALSE(ParseConfigDataSource("x;name", source));
  EXPECT_FALSE(ParseConfigDataSource("", source));
}

}  // namespace
}  // namespace cjt
