// Any bytes as a language file or an INI file are read without a crash: the languages
// listed, a text translated, every section and key read.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "support/ini_file.h"
#include "support/wtransl.h"

namespace {

const std::string& FileName() {
  static const std::string name =
      (std::filesystem::temp_directory_path() / ("cjt188-fuzz-" + std::to_string(std::random_device()()) + ".lng"))
          .string();
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::ofstream(FileName(), std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                      static_cast<std::streamsize>(size));
  cjt::TWtransl translator(false);
  translator.LanguageFile = FileName();
  std::vector<std::string> languages;
  translator.GetLanguages(&languages);
  std::string text = "&Request timeout (ms)";
  translator.Translate("RU", nullptr, &text);
  if (!languages.empty()) translator.Translate(languages.back().substr(languages.back().find(',') + 1), nullptr, &text);

  const cjt::TIniFile ini(FileName());
  for (const std::string& section : ini.Sections())
    for (const std::string& key : ini.Keys(section)) ini.Read(section, key);
  return 0;
}
