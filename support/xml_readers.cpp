#include "support/xml_readers.h"

#include "support/text_values.h"

namespace cjt {

namespace {

// The check state that leaves a flag at its default.
constexpr int32_t CheckStateDefault = 4;
constexpr int32_t CheckStateChecked = 2;

const TqimXMLNode* FindFrom(const TqimXMLNode* node, std::string_view name, bool deep) {
  if (node == nullptr) return nullptr;
  if (SameText(node->Name(), name)) return node;
  return deep ? node->FindNode(name) : node->FindChild(name);
}

}  // namespace

const TqimXMLNode* XmlFindNode(const TqimXMLNode* node, std::string_view name, bool deep, const TqimXMLNode* fallback) {
  if (const TqimXMLNode* found = FindFrom(node, name, deep)) return found;
  return FindFrom(fallback, name, deep);
}

std::string XmlNodeText(const TqimXMLNode* node, std::string_view name, std::string_view defaultValue, bool deep,
                        const TqimXMLNode* fallback, const TqimXMLNode** found) {
  const TqimXMLNode* element = XmlFindNode(node, name, deep, fallback);
  if (found != nullptr) *found = element;
  return element != nullptr ? element->Text() : std::string(defaultValue);
}

int32_t XmlNodeInt(const TqimXMLNode* node, std::string_view name, int32_t defaultValue, bool deep,
                   const TqimXMLNode* fallback) {
  const TqimXMLNode* element = XmlFindNode(node, name, deep, fallback);
  if (element == nullptr) return defaultValue;
  return TryTextToInt(element->Text()).value_or(defaultValue);
}

bool XmlNodeBool(const TqimXMLNode* node, std::string_view name, bool defaultValue, bool deep,
                 const TqimXMLNode* fallback) {
  const TqimXMLNode* element = XmlFindNode(node, name, deep, fallback);
  if (element == nullptr) return defaultValue;
  if (!element->Text().empty()) return element->Text() == "1";
  const int32_t state = XmlCheckState(element, CheckStateDefault);
  return state == CheckStateDefault ? defaultValue : state == CheckStateChecked;
}

int32_t XmlCheckState(const TqimXMLNode* node, int32_t defaultValue, std::string_view attributeName) {
  if (node == nullptr) return defaultValue;
  const TqimXMLAttribute* attribute = node->FindAttribute(attributeName);
  if (attribute == nullptr) return defaultValue;
  const auto state = TryTextToInt(attribute->Value);
  return state && *state >= 0 && *state <= 5 ? *state : defaultValue;
}

std::string XmlNodeCaption(const TqimXMLNode* node, std::string_view name, int32_t number) {
  const std::string fallback = std::string(name) + " #" + std::to_string(number);
  return node != nullptr ? node->AttributeValue("caption", fallback) : fallback;
}

}  // namespace cjt
