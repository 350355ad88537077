// Readers of the request configuration XML. Each finds an element by name, compared without
// regard to ASCII case: the node itself when it carries the name; otherwise, with deep set,
// the first element of that name below it in document order (each child's subtree before
// the next child), or without deep its first direct child of that name; when nothing is
// found and a fallback node is given, the same search from the fallback node.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/xml_tree.h"

namespace cjt {

// The element the rule above finds, or null. A null node finds nothing.
const TqimXMLNode* XmlFindNode(const TqimXMLNode* node, std::string_view name, bool deep = true,
                               const TqimXMLNode* fallback = nullptr);

// The found element's text (empty text stays empty), or defaultValue when none is found.
// found, when given, receives the element (or null).
std::string XmlNodeText(const TqimXMLNode* node, std::string_view name, std::string_view defaultValue, bool deep = true,
                        const TqimXMLNode* fallback = nullptr, const TqimXMLNode** found = nullptr);

// The found element's text as a signed decimal integer; defaultValue when the element is
// missing, its text empty or not an integer.
int32_t XmlNodeInt(const TqimXMLNode* node, std::string_view name, int32_t defaultValue, bool deep = true,
                   const TqimXMLNode* fallback = nullptr);

// A flag: an element with text is true exactly when the text is "1"; one without text is
// decided by its check state (2 true, 4 the default, anything else false); a missing
// element gives the default.
bool XmlNodeBool(const TqimXMLNode* node, std::string_view name, bool defaultValue, bool deep = true,
                 const TqimXMLNode* fallback = nullptr);

// The check state 0 to 5 in the attribute (exact name); defaultValue when the attribute is
// missing, not an integer or out of range.
int32_t XmlCheckState(const TqimXMLNode* node, int32_t defaultValue, std::string_view attributeName = "check");

// The node's "caption" attribute; when missing or empty, name + " #" + number.
std::string XmlNodeCaption(const TqimXMLNode* node, std::string_view name, int32_t number);

}  // namespace cjt
