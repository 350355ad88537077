#include "support/xml_tree.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/text_encoding.h"

namespace cjt {

namespace {

constexpr std::string_view kCDataOpen = "<![CDATA[";

bool IsBlankCode(char c) { return static_cast<unsigned char>(c) <= 32; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (platform::AsciiLower(a[i]) != platform::AsciiLower(b[i])) return false;
  }
  return true;
}

// Strips characters with codes 0-32 from both ends.
std::string_view Trim(std::string_view text) {
  size_t first = 0;
  while (first < text.size() && IsBlankCode(text[first])) ++first;
  size_t last = text.size();
  while (last > first && IsBlankCode(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// Turns every line break (CR LF, or a lone CR or LF) and every TAB into one blank, then trims.
std::string FlattenLines(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    result += (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
  }
  return std::string(Trim(result));
}

// Replaces the five predefined entity references in one pass; anything else, numeric
// references included, stays as written.
std::string DecodeEntities(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};
  std::string result;
  result.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    bool decoded = false;
    if (text[i] == '&') {
      for (const auto& [reference, character] : kEntities) {
        if (text.substr(i).starts_with(reference)) {
          result += character;
          i += reference.size();
          decoded = true;
          break;
        }
      }
    }
    if (!decoded) result += text[i++];
  }
  return result;
}

// CDATA content is raw, except for the escapes backslash-n-blank (CR LF) and backslash-t-blank
// (TAB) that the configuration editor writes for line breaks and tabs.
std::string UnescapeCData(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 2 < text.size() && text[i + 2] == ' ' && (text[i + 1] == 'n' || text[i + 1] == 't')) {
      result += text[i + 1] == 'n' ? "\r\n" : "\t";
      i += 2;
    } else {
      result += text[i];
    }
  }
  return result;
}

enum class TXMLTokenKind { Text, CData, OpenTag, CloseTag, EmptyElementTag };

struct TXMLToken {
  TXMLTokenKind Kind;
  std::string Content;  // text, CDATA content, or the tag content between "<" and ">"
};

// The position of the ">" that ends a tag whose content starts at from; a ">" inside a quoted
// stretch (opened and closed by the same quote character) does not count. npos when none.
size_t FindTagEnd(std::string_view text, size_t from) {
  char quote = 0;
  for (size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i;
    }
  }
  return std::string_view::npos;
}

// Cuts the text into text, CDATA and tag tokens; comments, processing instructions and
// declarations produce none. A section without its closing marker runs to the end of the
// text; a tag without its ">" is dropped together with the rest of the text.
std::vector<TXMLToken> Tokenize(std::string_view text) {
  std::vector<TXMLToken> tokens;
  // Where the closing marker of a section whose content starts at from begins; the end of the
  // text when the marker is missing.
  const auto sectionClose = [text](size_t from, std::string_view marker) {
    return std::min(text.find(marker, from), text.size());
  };
  // The position after the closing marker, where reading goes on.
  const auto after = [text](size_t close, std::string_view marker) {
    return std::min(close + marker.size(), text.size());
  };
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t open = text.find('<', pos);
    const std::string_view characters = Trim(text.substr(pos, open == std::string_view::npos ? open : open - pos));
    if (!characters.empty()) tokens.push_back({TXMLTokenKind::Text, FlattenLines(characters)});
    if (open == std::string_view::npos) break;

    const std::string_view markup = text.substr(open);
    if (markup.size() >= kCDataOpen.size() && EqualsNoCase(markup.substr(0, kCDataOpen.size()), kCDataOpen)) {
      const size_t from = open + kCDataOpen.size();
      const size_t close = sectionClose(from, "]]>");
      tokens.push_back({TXMLTokenKind::CData, UnescapeCData(text.substr(from, close - from))});
      pos = after(close, "]]>");
    } else if (markup.starts_with("<?")) {
      pos = after(sectionClose(open + 2, "?>"), "?>");
    } else if (markup.starts_with("<!--")) {
      pos = after(sectionClose(open + 4, "-->"), "-->");
    } else {
      const size_t close = FindTagEnd(text, open + 1);
      if (close == std::string_view::npos) break;
      pos = close + 1;
      std::string content = FlattenLines(text.substr(open + 1, close - open - 1));
      // A declaration such as DOCTYPE is no element.
      if (content.starts_with('!')) continue;
      const TXMLTokenKind kind = content.starts_with('/') ? TXMLTokenKind::CloseTag
                                 : content.ends_with('/') ? TXMLTokenKind::EmptyElementTag
                                                          : TXMLTokenKind::OpenTag;
      tokens.push_back({kind, std::move(content)});
    }
  }
  return tokens;
}

// Names the node after the tag content and reads its attributes: a name up to "=", then a
// value enclosed in whichever quote comes first after the "=". Reading stops at the first
// "=" without a quote after it; a value missing its closing quote runs to the end of the tag.
void FillNodeFromTag(TqimXMLNode& node, std::string_view content) {
  if (content.ends_with('/')) content.remove_suffix(1);
  const size_t nameEnd = content.find(' ');
  node.SetName(std::string(content.substr(0, nameEnd)));
  size_t pos = nameEnd;
  while (pos < content.size()) {
    const size_t equals = content.find('=', pos);
    if (equals == std::string_view::npos) return;
    const size_t open = content.find_first_of("\"'", equals + 1);
    if (open == std::string_view::npos) return;
    size_t close = content.find(content[open], open + 1);
    if (close == std::string_view::npos) close = content.size();
    node.AddAttribute(std::string(Trim(content.substr(pos, equals - pos))),
                      DecodeEntities(content.substr(open + 1, close - open - 1)));
    pos = close + 1;
  }
}

}  // namespace

TqimXMLNode::TqimXMLNode(TqimXMLNode* parent) : ParentNode(parent) {}

TqimXMLNode::~TqimXMLNode() { FreeChildren(Children); }

void TqimXMLNode::FreeChildren(std::vector<std::unique_ptr<TqimXMLNode>>& children) {
  std::vector<std::unique_ptr<TqimXMLNode>> pending = std::move(children);
  children.clear();
  while (!pending.empty()) {
    TqimXMLNode& node = *pending.back();
    if (node.Children.empty()) {
      pending.pop_back();
      continue;
    }
    // The children go on top and are freed before the node comes up again, now childless.
    for (auto& child : node.Children) pending.push_back(std::move(child));
    node.Children.clear();
  }
}

void TqimXMLNode::SetText(std::string text, bool isCData) {
  NodeText = std::move(text);
  TextIsCData = isCData;
}

TqimXMLNode& TqimXMLNode::Child(size_t index) const { return *Children.at(index); }

const TqimXMLAttribute& TqimXMLNode::Attribute(size_t index) const { return Attributes.at(index); }

TqimXMLNode* TqimXMLNode::FindChild(std::string_view name) const {
  for (const auto& child : Children) {
    if (EqualsNoCase(child->Name(), name)) return child.get();
  }
  return nullptr;
}

TqimXMLNode* TqimXMLNode::FindNode(std::string_view name) const {
  // An explicit stack keeps deep trees off the call stack; children are pushed in reverse so
  // that they come off in document order.
  std::vector<TqimXMLNode*> pending;
  const auto pushChildren = [&pending](const TqimXMLNode& node) {
    for (auto it = node.Children.rbegin(); it != node.Children.rend(); ++it) pending.push_back(it->get());
  };
  pushChildren(*this);
  while (!pending.empty()) {
    TqimXMLNode* node = pending.back();
    pending.pop_back();
    if (EqualsNoCase(node->Name(), name)) return node;
    pushChildren(*node);
  }
  return nullptr;
}

const TqimXMLAttribute* TqimXMLNode::FindAttribute(std::string_view name) const {
  for (const auto& attribute : Attributes) {
    if (attribute.Name == name) return &attribute;
  }
  return nullptr;
}

std::string TqimXMLNode::AttributeValue(std::string_view name, std::string_view defaultValue) const {
  const TqimXMLAttribute* attribute = FindAttribute(name);
  return std::string(attribute == nullptr || attribute->Value.empty() ? defaultValue : attribute->Value);
}

TqimXMLNode& TqimXMLNode::AddChild(std::unique_ptr<TqimXMLNode> child) {
  if (!child) throw std::invalid_argument("XML node without a child to add");
  child->ParentNode = this;
  Children.push_back(std::move(child));
  return *Children.back();
}

void TqimXMLNode::AddAttribute(std::string name, std::string value) {
  Attributes.push_back({std::move(name), std::move(value)});
}

void TqimXMLNode::Clear() {
  FreeChildren(Children);
  Attributes.clear();
  NodeText.clear();
  TextIsCData = false;
}

TqimXMLTree::TqimXMLTree() { SetName("root"); }

void TqimXMLTree::Parse(std::string_view text) {
  Clear();
  SetName("root");
  OpenedElements = 0;
  Unclosed = nullptr;
  TqimXMLNode* current = this;
  for (TXMLToken& token : Tokenize(text)) {
    switch (token.Kind) {
      case TXMLTokenKind::Text:
        current->SetText(DecodeEntities(token.Content));
        break;
      case TXMLTokenKind::CData:
        current->SetText(std::move(token.Content), true);
        break;
      case TXMLTokenKind::CloseTag:
        // The name is not checked. With no element left open the close tag is ignored.
        if (current != this) current = current->Parent();
        break;
      case TXMLTokenKind::OpenTag:
      case TXMLTokenKind::EmptyElementTag: {
        std::unique_ptr<TqimXMLNode> node = NodeFactory ? NodeFactory(current) : nullptr;
        if (node == nullptr) node = std::make_unique<TqimXMLNode>(current);
        FillNodeFromTag(*node, token.Content);
        TqimXMLNode& child = current->AddChild(std::move(node));
        if (token.Kind == TXMLTokenKind::OpenTag) {
          current = &child;
          ++OpenedElements;
        }
        break;
      }
    }
  }
  if (current != this) Unclosed = current;
}

}  // namespace cjt
