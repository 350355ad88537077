// Our INI file reader and writer. It behaves like the Windows profile functions for what
// the plug-in uses: "[section]" lines, "key=value" lines, section and key names compared
// without ASCII case and trimmed, ";" comment lines kept as they are, values trimmed and a
// value enclosed in matching double or single quotes read without them. Values that would
// not read back as written (blanks at an end, enclosing quotes) are written in double quotes.
// The file is read at construction and written by Save when something changed (CR LF line
// ends, the bytes of the texts unchanged).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cjt {

class TIniFile {
 public:
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return FFileName; }
  // Whether the file existed when it was read.
  bool Existed() const { return FExisted; }

  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  void Write(std::string_view section, std::string_view key, std::string_view value);
  // False when there was no such key.
  bool DeleteKey(std::string_view section, std::string_view key);
  void EraseSection(std::string_view section);

  std::vector<std::string> Sections() const;
  std::vector<std::string> Keys(std::string_view section) const;

  // Writes the file when something changed; false when it could not be written.
  bool Save();

 private:
  // The index of the section's header line, or npos.
  size_t FindSection(std::string_view section) const;
  // The index one past the section's last line.
  size_t SectionEnd(size_t header) const;
  size_t FindKey(size_t header, std::string_view key) const;

  std::string FFileName;
  bool FExisted = false;
  bool Changed = false;
  std::vector<std::string> Lines;
};

}  // namespace cjt
