#include "plugin/config_data_sources.h"

#include "support/text_lines.h"
#include "support/text_values.h"

namespace cjt {

bool ParseConfigDataSource(std::string_view line, TConfigDataSource& source) {
  const std::vector<std::string_view> fields = SplitFields(line, ";");
  auto field = [&](size_t index) { return index < fields.size() ? TrimBlanks(fields[index]) : std::string_view(); };
  source.Line = line;
  source.Id = TryTextToInt(field(0)).value_or(-1);
  source.Name = field(1);
  source.FullName = field(2);
  return source.Id != -1;
}

}  // namespace cjt
