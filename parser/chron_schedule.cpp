#include "parser/chron_schedule.h"

#include <algorithm>
#include <cmath>

#include "parser/schedule.h"
#include "platform/clock.h"
#include "support/text_values.h"

namespace cjt {

const std::array<TChronRange, ChronFieldCount> ChronRanges = {
    {{0, 59}, {0, 59}, {0, 23}, {1, 31}, {1, 12}, {1, 7}, {1900, 3000}}};

namespace {

constexpr int MaxSearchTests = 10000;
constexpr const char* InvalidTextMessage = "Schedule is not in valid CRON format";
constexpr const char* InvalidSearchMessage = "Invalid cron format";

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Splits at runs of blanks; a field may be enclosed in double quotes (a doubled quote inside
// stands for one).
std::vector<std::string> SplitCronFields(std::string_view text) {
  std::vector<std::string> fields;
  size_t i = 0;
  while (true) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i >= text.size()) break;
    std::string field;
    if (text[i] == '"') {
      for (++i; i < text.size(); ++i) {
        if (text[i] != '"') {
          field += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
    }
    for (; i < text.size() && !IsBlank(text[i]); ++i) field += text[i];
    fields.push_back(std::move(field));
  }
  return fields;
}

bool Contains(std::string_view text, char c) { return text.find(c) != std::string_view::npos; }

// The values of a list part "a-b" or "a-b/s". Values above the field's range can never match,
// so a range stops there (a range starting above it keeps only its first value); a step
// below 1 counts as 1.
void AddRangeValues(std::string_view part, TChronRange range, std::vector<int64_t>& values, int32_t& step) {
  const size_t dash = part.find('-');
  const int64_t from = TextToInt(part.substr(0, dash));
  std::string_view rest = part.substr(dash + 1);
  step = 1;
  if (const size_t slash = rest.find('/'); slash != std::string_view::npos) {
    step = TextToInt(rest.substr(slash + 1));
    rest = rest.substr(0, slash);
  }
  const int64_t to = std::min<int64_t>(TextToInt(rest), std::max<int64_t>(range.Hi, from));
  for (int64_t v = from; v <= to; v += std::max(1, step)) values.push_back(v);
}

void ParseList(std::string_view field, TChronRange range, int32_t step, TChronEntry& entry) {
  std::vector<int64_t> values;
  bool hadRange = false;
  size_t start = 0;
  while (true) {
    const size_t comma = field.find(',', start);
    const std::string_view part = field.substr(start, comma == std::string_view::npos ? comma : comma - start);
    if (Contains(part, '-')) {
      AddRangeValues(part, range, values, step);
      hadRange = true;
    } else {
      values.push_back(TextToInt(part));
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  // Ranges that all run downwards ("5-3,4-2") leave nothing to fire on.
  if (values.empty()) throw EScheduleError(InvalidTextMessage);
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  entry.Values.assign(values.begin(), values.end());
  entry.Step = hadRange ? std::max(1, step) : step;
  entry.Min = std::min(range.Hi, entry.Values.front());
  entry.Max = std::max(range.Lo, entry.Values.back());
}

}  // namespace

int64_t TChronEntry::NextValue(int64_t v) const {
  if (Any) {
    const int64_t w = v + Step;
    if (w <= Max) return w;
    return std::max<int64_t>(Min, w % (int64_t{Max} - Min + 1));
  }
  if (!Values.empty()) {
    const auto found = std::lower_bound(Values.begin(), Values.end(), v);
    return found != Values.end() ? *found : Values.front();
  }
  if (v < Min || v > Max) return Min;
  const int64_t offset = (v - Min) % Step;
  if (offset == 0) return v;
  const int64_t next = v + Step - offset;
  return next > Max ? Min : next;
}

TChronEntry ParseChronField(std::string_view field, TChronRange range) {
  TChronEntry entry;
  int32_t step = 0;
  if (Contains(field, '/') && !Contains(field, ',')) {
    const size_t slash = field.find('/');
    step = TextToInt(field.substr(slash + 1));
    field = field.substr(0, slash);
  }
  if (Contains(field, '*')) {
    entry = {range.Lo, range.Hi, std::max(1, step), false, {}};
  } else if (Contains(field, '?')) {
    entry = {range.Lo, range.Hi, step, true, {}};
  } else if (Contains(field, '-') && !Contains(field, ',')) {
    const size_t dash = field.find('-');
    entry.Min = TextToInt(field.substr(0, dash));
    entry.Max = TextToInt(field.substr(dash + 1));
    entry.Step = std::max(1, step);
  } else {
    ParseList(field, range, step, entry);
  }
  return entry;
}

TChronSchedule ParseCronText(std::string_view text) {
  std::vector<std::string> fields = SplitCronFields(text);
  fields.resize(ChronFieldCount, "*");
  TChronSchedule chron;
  bool allAny = true;
  for (int i = 0; i < ChronFieldCount; ++i) {
    chron[i] = ParseChronField(fields[i], ChronRanges[i]);
    allAny = allAny && chron[i].Any && chron[i].Step == 0;
  }
  if (allAny) throw EScheduleError(InvalidTextMessage);
  return chron;
}

namespace {

// Monday = 1 ... Sunday = 7 of a calendar date (1899-12-30, day 0, was a Saturday).
int DayOfWeek(int year, int month, int day) {
  platform::TCalendarTime date;
  date.Year = year;
  date.Month = month;
  date.Day = day;
  const auto days = static_cast<int64_t>(std::llround(platform::EncodeCalendarTime(date)));
  return static_cast<int>(((days % 7 + 7) % 7 + 5) % 7 + 1);
}

// The nested search over year, month, day, hour, minute and second. Each level walks the
// allowed values of its field from the reference value (or, once a larger field has moved
// past its reference, from the field's first value; "?" fields keep where they are), and a
// level that runs out of values hands over to the next larger field.
class TNextTimeSearch {
 public:
  TNextTimeSearch(const TChronSchedule& chron, double t, double start, double end)
      : Entries(chron), DayMax(chron[cfDay].Max), Start(start), End(end) {
    platform::TCalendarTime time = platform::DecodeCalendarTime(t);
    R = {time.Second, time.Minute, time.Hour, time.Day, time.Month, DayOfWeek(time.Year, time.Month, time.Day),
         time.Year};
    for (int i = 0; i < ChronFieldCount; ++i) C[i] = Entries[i].First(R[i]);
  }

  double Run() {
    Search(0, false);
    return Result;
  }

 private:
  static constexpr std::array<int, 6> Levels = {cfYear, cfMonth, cfDay, cfHour, cfMinute, cfSecond};

  // True when the search is over (Result holds its outcome).
  bool Search(size_t depth, bool above) {
    const int field = Levels[depth];
    TChronEntry& entry = Entries[field];
    if (field == cfDay) LimitDayToMonth(entry);
    if (!above)
      C[field] = entry.First(R[field]);
    else if (!entry.Any)
      C[field] = entry.First(entry.Min);
    while (above || C[field] >= R[field]) {
      CountTest();
      if (IsValid(field) && Descend(depth, above || C[field] > R[field])) return true;
      const int64_t bound = C[field];
      C[field] = entry.Succ(bound);
      if (C[field] <= bound) return false;
    }
    return false;
  }

  bool Descend(size_t depth, bool above) {
    if (depth + 1 < Levels.size()) return Search(depth + 1, above);
    const double candidate = Encode();
    // Compared as calendar values and whole milliseconds: a date-time held with more
    // precision in a register may differ from the same one stored.
    if (IsReference() || (Start != 0 && MsBetween(Start, candidate) <= 0)) return false;
    Result = End > 0 && MsBetween(End, candidate) > 0 ? 0 : candidate;
    return true;
  }

  // The day field's "*" ends with the candidate month.
  void LimitDayToMonth(TChronEntry& entry) {
    if (C[cfMonth] < 1 || C[cfMonth] > 12 || C[cfYear] < 1 || C[cfYear] > 9999) return;
    const int length = platform::DaysInMonth(static_cast<int>(C[cfYear]), static_cast<int>(C[cfMonth]));
    entry.Max = std::min(DayMax, length);
  }

  bool IsValid(int field) const {
    const int64_t v = C[field];
    switch (field) {
      case cfYear:
        return v >= 1 && v <= 9999;
      case cfMonth:
        return v >= 1 && v <= 12;
      case cfDay: {
        if (v < 1 || v > platform::DaysInMonth(static_cast<int>(C[cfYear]), static_cast<int>(C[cfMonth]))) return false;
        const int dayOfWeek = DayOfWeek(static_cast<int>(C[cfYear]), static_cast<int>(C[cfMonth]), static_cast<int>(v));
        return Entries[cfDayOfWeek].First(dayOfWeek) == dayOfWeek;
      }
      case cfHour:
        return v >= 0 && v <= 23;
      default:
        return v >= 0 && v <= 59;
    }
  }

  double Encode() const {
    platform::TCalendarTime time;
    time.Year = static_cast<int>(C[cfYear]);
    time.Month = static_cast<int>(C[cfMonth]);
    time.Day = static_cast<int>(C[cfDay]);
    time.Hour = static_cast<int>(std::clamp<int64_t>(C[cfHour], 0, 23));
    time.Minute = static_cast<int>(std::clamp<int64_t>(C[cfMinute], 0, 59));
    time.Second = static_cast<int>(std::clamp<int64_t>(C[cfSecond], 0, 59));
    return platform::EncodeCalendarTime(time);
  }

  bool IsReference() const {
    for (int field : Levels)
      if (C[field] != R[field]) return false;
    return true;
  }

  void CountTest() {
    if (++Tests > MaxSearchTests) throw EScheduleError(InvalidSearchMessage);
  }

  TChronSchedule Entries;
  const int32_t DayMax;  // as parsed, before a month shortened it
  std::array<int64_t, ChronFieldCount> R{};
  std::array<int64_t, ChronFieldCount> C{};
  double Start;
  double End;
  double Result = 0;
  int Tests = 0;
};

// A field the search can step through: explicit values, a "?" over a span that is not
// empty, or a range with a step of at least 1. A zeroed entry, as a schedule that never took
// a text holds, is none of these: its step would divide by zero.
bool CanStep(const TChronEntry& entry) {
  if (!entry.Values.empty()) return true;
  return entry.Any ? entry.Max >= entry.Min : entry.Step >= 1;
}

}  // namespace

double FindNextTime(const TChronSchedule& chron, double from, double start, double end) {
  if (!std::all_of(chron.begin(), chron.end(), CanStep)) throw EScheduleError(InvalidSearchMessage);
  const double t = std::max(from, start);
  if (end > 0 && t > end) return 0;
  return TNextTimeSearch(chron, t, start, end).Run();
}

}  // namespace cjt
