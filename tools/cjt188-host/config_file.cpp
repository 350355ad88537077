#include "tools/cjt188-host/config_file.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "support/xml_tree.h"

namespace cjt::host {

namespace {

bool IsNameChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || c == '-' || c == '.' || c == ':' || u >= 0x80;
}
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A small well-formedness scanner: tags nest and match, attributes are quoted, markup ends.
class TXmlScanner {
 public:
  explicit TXmlScanner(std::string_view text) : Text(text) {}

  TXmlFault Run() {
    while (Pos < Text.size() && Fault.Message.empty()) {
      if (Text[Pos] != '<') {
        if (Open.empty() && !IsSpace(Text[Pos])) return Fail("text outside the root element", Pos);
        ++Pos;
        continue;
      }
      const size_t start = Pos;
      if (Starts("<!--")) Skip("-->", "unterminated comment", start);
      else if (Starts("<![CDATA[")) Skip("]]>", "unterminated CDATA section", start);
      else if (Starts("<?")) Skip("?>", "unterminated processing instruction", start);
      else if (Starts("<!")) Skip(">", "unterminated declaration", start);
      else if (Starts("</")) EndTag(start);
      else StartTag(start);
    }
    if (Fault.Message.empty() && !Open.empty())
      Fail("element <" + Open.back().first + "> is not closed", Open.back().second);
    if (Fault.Message.empty() && !SawRoot) Fail("no element", Text.size());
    return Fault;
  }

 private:
  bool Starts(std::string_view prefix) const { return Text.substr(Pos, prefix.size()) == prefix; }

  TXmlFault Fail(std::string message, size_t offset) {
    if (Fault.Message.empty()) Fault = {std::move(message), offset};
    return Fault;
  }

  void Skip(std::string_view end, const char* message, size_t start) {
    const size_t found = Text.find(end, Pos);
    if (found == std::string_view::npos) {
      Fail(message, start);
      Pos = Text.size();
    } else {
      Pos = found + end.size();
    }
  }

  std::string Name() {
    const size_t start = Pos;
    while (Pos < Text.size() && IsNameChar(Text[Pos])) ++Pos;
    return std::string(Text.substr(start, Pos - start));
  }

  void SkipSpace() {
    while (Pos < Text.size() && IsSpace(Text[Pos])) ++Pos;
  }

  void EndTag(size_t start) {
    Pos += 2;
    const std::string name = Name();
    SkipSpace();
    if (Pos >= Text.size() || Text[Pos] != '>') return (void)Fail("unterminated end tag", start);
    ++Pos;
    if (Open.empty()) return (void)Fail("end tag </" + name + "> without a start tag", start);
    if (Open.back().first != name)
      return (void)Fail("end tag </" + name + "> does not close <" + Open.back().first + ">", start);
    Open.pop_back();
  }

  void StartTag(size_t start) {
    ++Pos;
    const std::string name = Name();
    if (name.empty()) return (void)Fail("a '<' that starts no tag", start);
    if (Open.empty() && SawRoot) return (void)Fail("a second root element <" + name + ">", start);
    for (;;) {
      SkipSpace();
      if (Pos >= Text.size()) return (void)Fail("unterminated start tag <" + name + ">", start);
      if (Starts("/>")) {
        Pos += 2;
        SawRoot = true;
        return;
      }
      if (Text[Pos] == '>') {
        ++Pos;
        SawRoot = true;
        Open.emplace_back(name, start);
        return;
      }
      const size_t attributeStart = Pos;
      if (Name().empty()) return (void)Fail("unexpected character in tag <" + name + ">", Pos);
      SkipSpace();
      if (Pos >= Text.size() || Text[Pos] != '=') return (void)Fail("attribute without a value", attributeStart);
      ++Pos;
      SkipSpace();
      if (Pos >= Text.size() || (Text[Pos] != '"' && Text[Pos] != '\''))
        return (void)Fail("attribute value without quotes", Pos);
      const size_t close = Text.find(Text[Pos], Pos + 1);
      if (close == std::string_view::npos) return (void)Fail("unterminated attribute value", Pos);
      Pos = close + 1;
    }
  }

  std::string_view Text;
  size_t Pos = 0;
  bool SawRoot = false;
  std::vector<std::pair<std::string, size_t>> Open;  // names and offsets of open elements
  TXmlFault Fault;
};

}  // namespace

TXmlFault CheckXml(std::string_view text) { return TXmlScanner(text).Run(); }

std::pair<size_t, size_t> LineAndColumn(std::string_view text, size_t offset) {
  size_t line = 1, column = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return {line, column};
}

std::string CheckedConfig(const std::string& fileName, const std::string& text) {
  const TXmlFault fault = CheckXml(text);
  if (!fault.Message.empty()) {
    const auto [line, column] = LineAndColumn(text, fault.Offset);
    throw EConfigFile(fileName + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + fault.Message);
  }
  TqimXMLTree tree;
  tree.Parse(text);
  if (tree.FindNode("QUERY") == nullptr) throw EConfigFile(fileName + ": no QUERY element");
  return text;
}

std::string ReadConfigFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EConfigFile(fileName + ": cannot be read");
  return CheckedConfig(fileName, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

}  // namespace cjt::host
