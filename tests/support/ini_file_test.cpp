#include "support/ini_file.h"

#include <gtest/gtest.h>

#include "tests/common/temp_files.h"

namespace cjt {
namespace {

using test_support::TTempFolder;

TEST(IniFile, ReadsLikeTheProfileFunctions) {
  TTempFolder folder;
  const std::string file = folder.Write("a.ini",
                                        "; leading comment\r\n"
                                        "[ Main ]\r\n"
                                        "  Key = value with blanks  \r\n"
                                        ";Key=commented\r\n"
                                        "Quoted=\"  padded  \"\r\n"
                                        "Single='x'\r\n"
                                        "Empty=\n"
                                        "[Other]\n"
                                        "key=2\n");
  TIniFile ini(file);
  EXPECT_TRUE(ini.Existed());
  EXPECT_EQ(ini.Read("main", "KEY"), "value with blanks");
  EXPECT_EQ(ini.Read("Main", "Quoted"), "  padded  ");
  EXPECT_EQ(ini.Read("Main", "Single"), "x");
  EXPECT_EQ(ini.Read("Main", "Empty"), "");
  EXPECT_EQ(ini.Read("Main", "Missing"), std::nullopt);
  EXPECT_EQ(ini.Read("Other", "key"), "2");
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Main", "Other"}));
  EXPECT_EQ(ini.Keys("Main"), (std::vector<std::string>{"Key", "Quoted", "Single", "Empty"}));
}

TEST(IniFile, WritesKeepCommentsAndRoundTrip) {
  TTempFolder folder;
  const std::string file = folder.Write("b.ini", "; keep me\r\n[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n");
  {
    TIniFile ini(file);
    ini.Write("s", "c", " blanks ");
    ini.Write("S", "A", "10");
    ini.Write("New", "k", "\"quoted\"");
    EXPECT_TRUE(ini.DeleteKey("T", "b"));
    EXPECT_FALSE(ini.DeleteKey("T", "b"));
    ASSERT_TRUE(ini.Save());
  }
  EXPECT_EQ(TTempFolder::Read(file),
            "; keep me\r\n[S]\r\nA=10\r\nc=\" blanks \"\r\n\r\n[T]\r\n[New]\r\nk=\"\"quoted\"\"\r\n");
  TIniFile again(file);
  EXPECT_EQ(again.Read("S", "c"), " blanks ");
  EXPECT_EQ(again.Read("New", "k"), "\"quoted\"");
  again.EraseSection("T");
  EXPECT_EQ(again.Sections(), (std::vector<std::string>{"S", "New"}));
  EXPECT_FALSE(TIniFile(folder.File("missing.ini")).Existed());
}

}  // namespace
}  // namespace cjt
