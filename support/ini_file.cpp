#include "support/ini_file.h"

#include <fstream>
#include <sstream>

#include "support/text_lines.h"
#include "support/text_values.h"

namespace cjt {

namespace {

constexpr size_t None = std::string::npos;

bool IsComment(std::string_view trimmed) { return !trimmed.empty() && trimmed.front() == ';'; }

// The name of a "[name]" line, or nothing.
std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view trimmed = TrimBlanks(line);
  if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
  const size_t close = trimmed.find(']');
  return TrimBlanks(trimmed.substr(1, close == None ? None : close - 1));
}

// The key of a "key=value" line, or nothing.
std::optional<std::string_view> KeyName(std::string_view line) {
  const std::string_view trimmed = TrimBlanks(line);
  if (IsComment(trimmed)) return std::nullopt;
  const size_t equals = trimmed.find('=');
  if (equals == None) return std::nullopt;
  return TrimBlanks(trimmed.substr(0, equals));
}

std::string Unquoted(std::string_view value) {
  value = TrimBlanks(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

std::string Quoted(std::string_view value) {
  const bool blankEnd = !value.empty() && (static_cast<unsigned char>(value.front()) <= ' ' ||
                                           static_cast<unsigned char>(value.back()) <= ' ');
  const bool quoteEnds =
      value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
  return blankEnd || quoteEnds ? "\"" + std::string(value) + "\"" : std::string(value);
}

}  // namespace

TIniFile::TIniFile(std::string fileName) : FFileName(std::move(fileName)) {
  std::ifstream in(FFileName, std::ios::binary);
  if (!in) return;
  FExisted = true;
  std::stringstream content;
  content << in.rdbuf();
  const std::string text = content.str();
  for (std::string_view line : SplitLines(text)) Lines.emplace_back(line);
}

size_t TIniFile::FindSection(std::string_view section) const {
  const std::string_view wanted = TrimBlanks(section);
  for (size_t i = 0; i < Lines.size(); ++i) {
    const auto name = SectionName(Lines[i]);
    if (name && SameText(*name, wanted)) return i;
  }
  return None;
}

size_t TIniFile::SectionEnd(size_t header) const {
  size_t end = header + 1;
  while (end < Lines.size() && !SectionName(Lines[end])) ++end;
  return end;
}

size_t TIniFile::FindKey(size_t header, std::string_view key) const {
  const std::string_view wanted = TrimBlanks(key);
  const size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    const auto name = KeyName(Lines[i]);
    if (name && SameText(*name, wanted)) return i;
  }
  return None;
}

std::optional<std::string> TIniFile::Read(std::string_view section, std::string_view key) const {
  const size_t header = FindSection(section);
  if (header == None) return std::nullopt;
  const size_t line = FindKey(header, key);
  if (line == None) return std::nullopt;
  const std::string& text = Lines[line];
  return Unquoted(std::string_view(text).substr(text.find('=') + 1));
}

void TIniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  const std::string line = std::string(TrimBlanks(key)) + "=" + Quoted(value);
  Changed = true;
  size_t header = FindSection(section);
  if (header == None) {
    Lines.push_back("[" + std::string(TrimBlanks(section)) + "]");
    Lines.push_back(line);
    return;
  }
  const size_t existing = FindKey(header, key);
  if (existing != None) {
    Lines[existing] = line;
    return;
  }
  // After the section's last non-empty line.
  size_t at = SectionEnd(header);
  while (at > header + 1 && TrimBlanks(Lines[at - 1]).empty()) --at;
  Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(at), line);
}

bool TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  const size_t header = FindSection(section);
  if (header == None) return false;
  const size_t line = FindKey(header, key);
  if (line == None) return false;
  Lines.erase(Lines.begin() + static_cast<std::ptrdiff_t>(line));
  Changed = true;
  return true;
}

void TIniFile::EraseSection(std::string_view section) {
  for (size_t header = FindSection(section); header != None; header = FindSection(section)) {
    Lines.erase(Lines.begin() + static_cast<std::ptrdiff_t>(header),
                Lines.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
    Changed = true;
  }
}

std::vector<std::string> TIniFile::Sections() const {
  std::vector<std::string> names;
  for (const std::string& line : Lines)
    if (const auto name = SectionName(line)) names.emplace_back(*name);
  return names;
}

std::vector<std::string> TIniFile::Keys(std::string_view section) const {
  std::vector<std::string> names;
  const size_t header = FindSection(section);
  if (header == None) return names;
  const size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i)
    if (const auto name = KeyName(Lines[i])) names.emplace_back(*name);
  return names;
}

bool TIniFile::Save() {
  if (!Changed) return true;
  std::ofstream out(FFileName, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  for (const std::string& line : Lines) out << line << "\r\n";
  out.close();
  if (!out) return false;
  Changed = false;
  FExisted = true;
  return true;
}

}  // namespace cjt
