// Any bytes as an INI file are read without a crash: every section and key. A value read
// from it, written back into a section of it and into a new section, reads back the same
// after the file is saved and read again (blanks at its ends and enclosing quotes too).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/scratch_folder.h"
#include "support/ini_file.h"

namespace {

const cjt::fuzz::TScratchFolder& Folder() {
  static const cjt::fuzz::TScratchFolder folder("cjt188-ini-file-fuzz");
  return folder;
}

// Every value read; the first one comes back (a fixed text when there is none).
std::string ReadAll(const cjt::TIniFile& ini) {
  std::string first;
  bool found = false;
  for (const std::string& section : ini.Sections())
    for (const std::string& key : ini.Keys(section)) {
      const std::string value = ini.Read(section, key).value_or("");
      if (!found) first = value;
      found = true;
    }
  return found ? first : " \"quoted\" ";
}

void Expect(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Folder().Empty();
  const std::string fileName = Folder().Write("host.ini", data, size);
  cjt::TIniFile ini(fileName);
  const std::string value = ReadAll(ini);
  const std::vector<std::string> sections = ini.Sections();
  const std::string section = sections.empty() ? "Common" : sections.front();
  const std::vector<std::string> keys = ini.Keys(section);
  if (!keys.empty()) ini.DeleteKey(section, keys.back());
  ini.Write(section, "Fuzz value", value);
  ini.Write("Fuzz section", "Value", value);
  Expect(ini.Save());

  const cjt::TIniFile again(fileName);
  Expect(again.Read(section, "Fuzz value") == value);
  Expect(again.Read("Fuzz section", "Value") == value);
  return 0;
}
