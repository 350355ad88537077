#include "plugin/log_data_list.h"

#include <cstring>

namespace cjt {

std::string FormatLogLine(int level, std::string_view message, std::string_view title, bool marked) {
  std::string line(1, static_cast<char>((level + 1) | (marked ? 0x80 : 0)));
  if (!title.empty()) {
    line += title;
    line += ". ";
  }
  for (char c : message) line += (c == '\r' || c == '\n') ? ' ' : c;
  return line;
}

void TLogDataList::SpellOutRepeats() {
  if (Items.empty() || Items.back().Repeats <= 0) return;
  TLine& last = Items.back();
  last.Text += " x" + std::to_string(last.Repeats + 1);
  last.Repeats = 0;
}

void TLogDataList::Add(std::string line) {
  std::lock_guard<std::mutex> lock(Mutex);
  if (!Items.empty() && Items.back().Text == line) {
    ++Items.back().Repeats;
  } else {
    SpellOutRepeats();
    Items.push_back(TLine{std::move(line), 0});
  }
  while (Items.size() > static_cast<size_t>(FCapacity)) Items.pop_front();
}

size_t TLogDataList::Count() {
  std::lock_guard<std::mutex> lock(Mutex);
  return Items.size();
}

TLogDataList::TTaken TLogDataList::Take(char* buffer, uint32_t bufferSize) {
  std::lock_guard<std::mutex> lock(Mutex);
  SpellOutRepeats();
  std::string text;
  for (const TLine& line : Items) {
    text += line.Text;
    text += "\r\n";
  }
  TTaken taken;
  taken.Length = static_cast<uint32_t>(text.size());
  if (taken.Length == 0 || taken.Length > bufferSize || buffer == nullptr) {
    if (bufferSize == 0) Items.clear();
    return taken;
  }
  std::memcpy(buffer, text.data(), text.size());
  Items.clear();
  taken.Copied = taken.Length;
  return taken;
}

}  // namespace cjt
