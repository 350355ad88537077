// Any text must parse into some tree without a crash, and the tree must be searchable.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "support/xml_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cjt::TqimXMLTree tree;
  tree.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (const cjt::TqimXMLNode* query = tree.FindNode("QUERY")) {
    for (size_t i = 0; i < query->ChildCount(); ++i) query->Child(i).AttributeValue("caption", "");
  }
  tree.Parse("<QUERY/>");
  return 0;
}
