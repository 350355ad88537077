// The reader of the request configuration XML. TqimXMLTree parses a whole 8-bit text into a
// tree of nodes, each with a name, a text, attributes and children, and the nodes can be
// searched by name. The reader never fails: malformed text yields whatever tree the reading
// rules build from it. It only reads XML; it never writes it.
//
// Reading rules in short: character data is trimmed, its line breaks and TABs become blanks,
// and the five predefined entities are decoded; a later text in the same element replaces the
// earlier one. CDATA sections are taken raw, except that backslash-n-blank becomes CR LF and
// backslash-t-blank becomes TAB. Comments, processing instructions and declarations such as
// DOCTYPE are skipped. Close tags close the current element whatever name they carry; a close
// tag with no element left open is ignored.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cjt {

class TqimXMLAttribute {
 public:
  std::string Name;
  std::string Value;  // entities already decoded
};

class TqimXMLNode {
 public:
  explicit TqimXMLNode(TqimXMLNode* parent = nullptr);
  virtual ~TqimXMLNode();
  TqimXMLNode(const TqimXMLNode&) = delete;
  TqimXMLNode& operator=(const TqimXMLNode&) = delete;

  // The tag name as written.
  const std::string& Name() const { return NodeName; }
  void SetName(std::string name) { NodeName = std::move(name); }
  // The character data last assigned; IsCData tells whether it came from a CDATA section.
  const std::string& Text() const { return NodeText; }
  void SetText(std::string text, bool isCData = false);
  bool IsCData() const { return TextIsCData; }
  // The enclosing node; null for the tree itself.
  TqimXMLNode* Parent() const { return ParentNode; }

  // Child and Attribute throw std::out_of_range for an index past the end.
  size_t ChildCount() const { return Children.size(); }
  TqimXMLNode& Child(size_t index) const;
  size_t AttributeCount() const { return Attributes.size(); }
  const TqimXMLAttribute& Attribute(size_t index) const;

  // The first direct child of that name, compared case-insensitively (ASCII); null when none.
  TqimXMLNode* FindChild(std::string_view name) const;
  // The first node of that name below this one in document order (a node is tested before
  // its children), compared case-insensitively (ASCII); null when none.
  TqimXMLNode* FindNode(std::string_view name) const;
  // The first attribute of exactly that name (case-sensitive); null when none.
  const TqimXMLAttribute* FindAttribute(std::string_view name) const;
  // The attribute's value, or defaultValue when the attribute is missing or empty.
  std::string AttributeValue(std::string_view name, std::string_view defaultValue) const;

  // Takes ownership of the child, makes this node its parent and appends it.
  TqimXMLNode& AddChild(std::unique_ptr<TqimXMLNode> child);
  void AddAttribute(std::string name, std::string value);

 protected:
  // Drops the text, the attributes and all children.
  void Clear();

 private:
  // Frees a subtree without recursion, children before their parents, so that a deeply
  // nested text cannot exhaust the stack.
  static void FreeChildren(std::vector<std::unique_ptr<TqimXMLNode>>& children);

  std::string NodeName;
  std::string NodeText;
  bool TextIsCData = false;
  TqimXMLNode* ParentNode;
  std::vector<TqimXMLAttribute> Attributes;
  std::vector<std::unique_ptr<TqimXMLNode>> Children;
};

// The document: the root node, named "root", whose children are the top-level elements.
class TqimXMLTree : public TqimXMLNode {
 public:
  // Makes the node for each element; when unset or when it returns null, a plain
  // TqimXMLNode is made. The builder names the node, fills its attributes and appends it.
  using TNodeFactory = std::function<std::unique_ptr<TqimXMLNode>(TqimXMLNode* parent)>;

  TqimXMLTree();

  void SetNodeFactory(TNodeFactory factory) { NodeFactory = std::move(factory); }
  // Frees everything built before (nodes, attributes and the tree's own text) and builds the
  // tree of the text. An empty text leaves an empty tree.
  void Parse(std::string_view text);
  // Elements opened by the last Parse; empty-element tags are not counted.
  int OpenedElementCount() const { return OpenedElements; }
  // The innermost element the last Parse left open (the text ended inside it), or null.
  const TqimXMLNode* UnclosedElement() const { return Unclosed; }

 private:
  TNodeFactory NodeFactory;
  int OpenedElements = 0;
  const TqimXMLNode* Unclosed = nullptr;
};

}  // namespace cjt
