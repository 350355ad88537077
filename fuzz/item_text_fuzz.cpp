// Any item text set as the ParserItems module parameter is read into the item table and
// handed back: the text read back is stable (setting it again gives the same text), the
// count matches the table, and the item fields by index answer for every index the first
// bytes name. The same text appended to a table keeps what was there.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "plugin/kro_plugin.h"
#include "plugin/parser_items.h"

namespace {

using namespace cjt;

TkroPlugin& Module() {
  static TkroPlugin module(0, nullptr);
  return module;
}

std::string ItemsText(TkroPlugin& module) { return module.GetModuleParameter("ParserItems").AsString(); }

void ReadFieldsAt(TkroPlugin& module, const std::string& index) {
  for (const char* field : {"ParserItemName", "ParserItemDesc", "ParserItemType"})
    module.GetModuleParameter(field + index);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TkroPlugin& module = Module();
  module.SetModuleParameter("ParserItems", TVariant(text));
  const std::string first = ItemsText(module);
  module.SetModuleParameter("ParserItems", TVariant(first));
  if (ItemsText(module) != first) std::abort();
  if (module.GetModuleParameter("ParserItemsCount").AsInteger() != static_cast<int64_t>(module.ParserItems.size()))
    std::abort();
  ReadFieldsAt(module, text.substr(0, 3));
  ReadFieldsAt(module, std::to_string(module.ParserItems.size()));

  TParserItems items;
  AddGenericParserItems(items, true);
  const size_t generic = items.size();
  SetParserItemsFromText(items, text, false);
  if (items.size() < generic || items[0].Name != ItemFullDataPacket) std::abort();
  return 0;
}
