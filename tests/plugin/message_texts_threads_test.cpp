// The instance's message texts change language while data threads log them.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/module.h"
#include "plugin/call_context.h"
#include "plugin/kro_plugin.h"
#include "tests/common/start_line.h"

namespace cjt {
namespace {

constexpr uint8_t ModeReportInput = 0x04;
constexpr uint8_t ModeReportOutcome = 0x08;

// The plug-in's own language file is the test program's name with ".lng".
class TLanguageFile {
 public:
  TLanguageFile() : Path(std::filesystem::path(platform::OwnModuleFileName()).replace_extension(".lng")) {
    std::ofstream(Path, std::ios::binary | std::ios::trunc)
        << "// Encoding=utf-8\n[Languages]\n$EN=English\n$DE=Deutsch\n$FR=Francais\nDefault=EN\n\n"
           "EN:>No data for processing\nDE:>Keine Daten zu verarbeiten\nFR:>Pas de donnees a traiter\n\n"
           "EN:>Data have been processed successfully\nDE:>Daten erfolgreich verarbeitet\n"
           "FR:>Donnees traitees avec succes\n\n";
  }
  ~TLanguageFile() { std::filesystem::remove(Path); }

 private:
  std::filesystem::path Path;
};

void SwitchLanguage(TkroPlugin& plugin, const char* language) {
  TkroParamsList args;
  args.Add("LANGUAGE", TVariant(language));
  TPluginCallRecord record{};
  record.Size = CallRecordSize;
  record.Params = reinterpret_cast<uintptr_t>(&args);
  TCallContext context(record);
  plugin.ExecuteCommand("LOAD", record);
}

// Every line logged is one whole text of one language, never a mix or a torn one.
TEST(MessageTextsThreads, LanguageChangesWhileDataThreadsLogTheTexts) {
  TLanguageFile file;
  TkroPlugin plugin(0, nullptr);
  plugin.OnProcessData = [](TkroPlugin&, TPluginCallRecord&, int32_t& result) { result = 1; };
  constexpr int DataThreads = 3;
  constexpr int Rounds = 300;
  test_support::TStartLine start(DataThreads + 1);
  std::atomic<bool> done{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < DataThreads; ++t)
    threads.emplace_back([&, t] {
      TkroParamsList params;
      start.ArriveAndWait();
      for (int i = 0; i < Rounds; ++i) {
        TPluginCallRecord record{};
        record.Size = CallRecordSize;
        record.Params = reinterpret_cast<uintptr_t>(&params);
        // No input: "no data"; with input and the outcome asked for: "write complete".
        record.Mode = (i + t) % 2 == 0 ? ModeReportInput : ModeReportOutcome;
        record.Input.Kind = DataKindByteBuffer;
        record.Input.Data = record.Mode == ModeReportOutcome ? reinterpret_cast<uintptr_t>("x") : 0;
        record.Input.Size = 1;
        plugin.ProcessData(record);
      }
    });
  threads.emplace_back([&] {
    start.ArriveAndWait();
    const char* languages[] = {"DE", "FR", "EN"};
    for (int i = 0; !done; ++i) SwitchLanguage(plugin, languages[i % 3]);
  });
  for (int t = 0; t < DataThreads; ++t) threads[t].join();
  done = true;
  threads.back().join();

  const std::set<std::string> whole = {"No data for processing",        "Keine Daten zu verarbeiten",
                                       "Pas de donnees a traiter",      "Data have been processed successfully",
                                       "Daten erfolgreich verarbeitet", "Donnees traitees avec succes"};
  std::string log(1 << 20, '\0');
  log.resize(plugin.Log.Take(log.data(), static_cast<uint32_t>(log.size())).Copied);
  size_t lines = 0;
  for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2, ++lines) {
    std::string text = log.substr(start + 1, end - start - 1);  // after the level character
    text = text.substr(0, text.find(" x"));                     // a repeat count may follow
    EXPECT_TRUE(whole.count(text)) << text;
  }
  EXPECT_GT(lines, 0u);
}

}  // namespace
}  // namespace cjt
