#include "plugin/config_data_sources.h"

#include <charconv>

#include "support/text_lines.h"

namespace cjt {

namespace {

// A decimal integer of the whole text, or fallback.
int32_t ToIntegerDef(std::string_view text, int32_t fallback) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  const char* begin = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
  const auto [stop, error] = std::from_chars(begin, end, value);
  return error == std::errc() && stop == end && begin != end ? value : fallback;
}

}  // namespace

bool ParseConfigDataSource(std::string_view line, TConfigDataSource& source) {
  const std::vector<std::string_view> fields = SplitFields(line, ';');
  auto field = [&](size_t index) { return index < fields.size() ? TrimBlanks(fields[index]) : std::string_view(); };
  source.Line = line;
  source.Id = ToIntegerDef(field(0), -1);
  source.Name = field(1);
  source.FullName = field(2);
  return source.Id != -1;
}

}  // namespace cjt
