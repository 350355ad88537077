#include "parser/request_schedule.h"

#include "platform/text_encoding.h"
#include "support/text_lines.h"
#include "support/text_values.h"

namespace cjt {

namespace {

// A minute or second part: 0 when missing, not an integer or outside 0 to 59.
int32_t ClockPart(const std::vector<std::string_view>& parts, size_t index) {
  if (index >= parts.size()) return 0;
  const int32_t value = TryTextToInt(parts[index]).value_or(-1);
  return value >= 0 && value <= 59 ? value : 0;
}

// The hour on the 24-hour clock, or -1. With a marker the hour is on the 12-hour clock: 12 am
// is 0, 12 pm is 12, 1 to 11 pm add 12 and a larger hour is not a time.
int32_t Hour24(std::string_view text, char marker) {
  int32_t hour = TryTextToInt(text).value_or(-1);
  if (hour < 0) return -1;
  if (marker != 0) {
    if (hour > 12) return -1;
    if (hour == 12) hour = 0;
    if (marker == 'p') hour += 12;
  }
  return hour <= 23 ? hour : -1;
}

}  // namespace

TExportCronParams SplitCronParams(std::string_view text) {
  std::vector<std::string_view> tokens = SplitFields(text, " ");
  for (size_t i = tokens.size() - 1; i >= 1; --i)
    if (tokens[i].empty() && tokens[i - 1].empty()) tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i));
  TExportCronParams fields;
  if (tokens.size() < CronParamCount) return fields;
  for (int k = 0; k < CronParamCount; ++k) fields[cpSecond - k] = std::string(tokens[k]);
  return fields;
}

std::string CronTextOf(const TExportCronParams& fields) {
  std::string text;
  for (int k = cpSecond; k >= cpDayOfWeek; --k) {
    std::string_view field = TrimBlanks(fields[k]);
    if (field.empty()) field = k >= cpHour ? "0" : "*";
    if (!text.empty()) text += ' ';
    text += field;
  }
  return text + " *";
}

std::vector<TAtTimeEntry> AtTimeEntries(std::string_view text) {
  std::vector<TAtTimeEntry> entries;
  const std::vector<std::string_view> list = SplitFields(text, ";,");
  for (size_t position = 0; position < list.size(); ++position) {
    std::string entry = platform::AsciiLowerCase(TrimBlanks(list[position]));
    if (entry.empty()) continue;
    size_t cut = entry.find('p');
    const char marker = cut != std::string::npos ? 'p' : (cut = entry.find('a')) != std::string::npos ? 'a' : 0;
    if (marker != 0) entry = std::string(TrimBlanks(std::string_view(entry).substr(0, cut)));
    const std::vector<std::string_view> parts = SplitFields(entry, ":");
    const int32_t hour = Hour24(parts[0], marker);
    if (hour < 0) continue;
    TAtTimeEntry& added = entries.emplace_back();
    added.Fields = {
        "*", "*", "*", std::to_string(hour), std::to_string(ClockPart(parts, 1)), std::to_string(ClockPart(parts, 2))};
    added.Position = static_cast<int>(position);
  }
  return entries;
}

}  // namespace cjt
