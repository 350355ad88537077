#include "plugin/custom_commands.h"

#include "support/text_lines.h"

namespace cjt {

std::string TkroPluginCustomCmdList::Text() const {
  std::string text;
  for (const auto& entry : Items)
    text += entry->Text1 + "|" + entry->Text2 + "|" + entry->Text3 + "|" + (entry->Flag1 ? "1" : "0") + "|" +
            (entry->Flag2 ? "1" : "0") + "\r\n";
  return text;
}

void TkroPluginCustomCmdList::AddFromText(std::string_view text) {
  for (std::string_view line : SplitLines(text)) {
    const std::vector<std::string_view> fields = SplitFields(line, "|");
    if (line.empty() || fields.size() < 5) continue;
    Add(TkroPluginCustomCmd{std::string(fields[0]), std::string(fields[1]), std::string(fields[2]), fields[3] == "1",
                            fields[4] == "1"});
  }
}

}  // namespace cjt
