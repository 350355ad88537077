// A strict check that a text is well-formed XML of the kind the plug-in ships: an optional
// declaration, comments, one root element, elements with quoted attributes (no name twice),
// matching end tags, character data without "<" and with only the predefined and numeric
// character references. Stricter than the plug-in's own reader, which never fails.
#pragma once

#include <cctype>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace cjt::test_support {

// Empty when the text is well-formed; otherwise what is wrong and where.
inline std::string XmlWellFormedError(std::string_view text) {
  size_t pos = 0;
  std::vector<std::string> open;
  bool rootSeen = false;
  const auto fail = [&](const std::string& what) { return what + " at offset " + std::to_string(pos); };
  const auto isNameStart = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == ':'; };
  const auto isNameChar = [&](char c) {
    return isNameStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.';
  };
  const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  const auto skipBlanks = [&] {
    while (pos < text.size() && isBlank(text[pos])) ++pos;
  };
  const auto readName = [&]() -> std::string {
    const size_t start = pos;
    if (pos >= text.size() || !isNameStart(text[pos])) return {};
    while (pos < text.size() && isNameChar(text[pos])) ++pos;
    return std::string(text.substr(start, pos - start));
  };
  // Character data or an attribute value up to one of the stop characters.
  const auto checkChars = [&](std::string_view stops) -> std::string {
    while (pos < text.size() && stops.find(text[pos]) == std::string_view::npos) {
      if (text[pos] == '<') return fail("\"<\" in character data");
      if (text[pos] == '&') {
        const size_t end = text.find(';', pos);
        if (end == std::string_view::npos) return fail("unterminated reference");
        const std::string_view ref = text.substr(pos + 1, end - pos - 1);
        static const std::set<std::string_view> named{"amp", "lt", "gt", "quot", "apos"};
        const bool numeric =
            ref.size() > 1 && ref[0] == '#' && ref.find_first_not_of("0123456789", 1) == std::string_view::npos;
        if (!named.count(ref) && !numeric) return fail("unknown reference");
        pos = end;
      }
      ++pos;
    }
    return {};
  };

  if (text.substr(0, 5) == "<?xml") {
    const size_t end = text.find("?>");
    if (end == std::string_view::npos) return fail("unterminated declaration");
    pos = end + 2;
  }
  while (true) {
    if (open.empty()) skipBlanks();
    if (pos >= text.size()) break;
    if (text[pos] != '<') {
      if (open.empty()) return fail("text outside the root element");
      if (auto error = checkChars("<"); !error.empty()) return error;
      continue;
    }
    if (text.substr(pos, 4) == "<!--") {
      const size_t end = text.find("-->", pos + 4);
      if (end == std::string_view::npos) return fail("unterminated comment");
      pos = end + 3;
      continue;
    }
    if (text.substr(pos, 2) == "</") {
      pos += 2;
      const std::string name = readName();
      skipBlanks();
      if (open.empty() || name != open.back()) return fail("end tag </" + name + "> does not match");
      if (pos >= text.size() || text[pos] != '>') return fail("end tag not closed");
      ++pos;
      open.pop_back();
      continue;
    }
    ++pos;
    const std::string name = readName();
    if (name.empty()) return fail("element without a name");
    if (open.empty()) {
      if (rootSeen) return fail("a second root element");
      rootSeen = true;
    }
    std::set<std::string> attributes;
    while (true) {
      const size_t before = pos;
      skipBlanks();
      if (pos >= text.size()) return fail("unterminated tag");
      if (text[pos] == '>' || text.substr(pos, 2) == "/>") break;
      if (pos == before) return fail("no blank before an attribute");
      const std::string attribute = readName();
      if (attribute.empty()) return fail("bad attribute name");
      if (!attributes.insert(attribute).second) return fail("attribute " + attribute + " twice");
      skipBlanks();
      if (pos >= text.size() || text[pos] != '=') return fail("attribute without \"=\"");
      ++pos;
      skipBlanks();
      if (pos >= text.size() || (text[pos] != '"' && text[pos] != '\'')) return fail("unquoted attribute value");
      const char quote = text[pos++];
      if (auto error = checkChars(std::string_view(&quote, 1)); !error.empty()) return error;
      if (pos >= text.size()) return fail("unterminated attribute value");
      ++pos;
    }
    if (text[pos] == '>') {
      open.push_back(name);
      ++pos;
    } else {
      pos += 2;
    }
  }
  if (!open.empty()) return fail("element <" + open.back() + "> not closed");
  if (!rootSeen) return fail("no root element");
  return {};
}

}  // namespace cjt::test_support
