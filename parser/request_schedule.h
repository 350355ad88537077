// When a request item is due: its request method and the method's parameters, and the rules
// that turn the configured at-time and cron texts into cron texts for time events.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cjt {

enum TRequestMethod : uint8_t { rmOnce, rmPoll, rmAtTime, rmCron, rmEvent };

// The six cron fields, stored in reverse order of the cron text.
enum TCronParam : int { cpDayOfWeek, cpMonth, cpDay, cpHour, cpMinute, cpSecond, CronParamCount };
using TExportCronParams = std::array<std::string, CronParamCount>;

// The method's parameters.
struct TExportUnchangedMode {
  uint8_t Method = rmOnce;
  std::string Text;  // the at-time list, the event id or the cron text
  TExportCronParams Cron;
};

// The cron fields of a configured cron text: the text split at every single space (a run of
// spaces leaves one empty token), the first six tokens from second to day of week. Fewer
// than six tokens leave all fields empty.
TExportCronParams SplitCronParams(std::string_view text);

// The cron text of six fields, second first, each trimmed; an empty second, minute or hour
// is "0", an empty day, month or day of week "*"; the year field "*" follows.
std::string CronTextOf(const TExportCronParams& fields);

// One time of day of an at-time list, as cron fields, with its position in the list.
struct TAtTimeEntry {
  TExportCronParams Fields;
  int Position;
};

// The entries of an at-time list, separated by ";" or ",": an hour with optional minute and
// second parts after ":", optionally followed by an a.m. or p.m. marker (12-hour clock).
// Entries without a valid hour are skipped; a bad minute or second becomes 0.
std::vector<TAtTimeEntry> AtTimeEntries(std::string_view text);

}  // namespace cjt
