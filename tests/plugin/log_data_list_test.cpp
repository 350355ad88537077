#include "plugin/log_data_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cjt {
namespace {

std::string TakeAll(TLogDataList& log) {
  std::string buffer(1 << 20, '\0');
  const auto taken = log.Take(buffer.data(), static_cast<uint32_t>(buffer.size()));
  return buffer.substr(0, taken.Copied);
}

TEST(LogLine, LevelCharacterTitleAndLineBreaks) {
  EXPECT_EQ(FormatLogLine(0, "boom", "", false),
            "\x01"
            "boom");
  EXPECT_EQ(FormatLogLine(2, "ok", "Meter", false),
            "\x03"
            "Meter. ok");
  EXPECT_EQ(FormatLogLine(1, "a\r\nb", "", true), std::string("\x82") + "a  b");
}

TEST(LogDataList, RepeatsFoldIntoOneLineWithACount) {
  TLogDataList log;
  for (int i = 0; i < 3; ++i) log.Add("same");
  log.Add("other");
  log.Add("twice");
  log.Add("twice");
  EXPECT_EQ(TakeAll(log), "same x3\r\nother\r\ntwice x2\r\n");
  EXPECT_EQ(log.Count(), 0u);
  // After the count is written out, the same text starts a new line.
  log.Add("twice");
  EXPECT_EQ(TakeAll(log), "twice\r\n");
}

TEST(LogDataList, OldestLinesGoBeyondTheCapacity) {
  TLogDataList log(3);
  for (int i = 0; i < 5; ++i) log.Add("line " + std::to_string(i));
  EXPECT_EQ(TakeAll(log), "line 2\r\nline 3\r\nline 4\r\n");
}

TEST(LogDataList, FullCapacityKeepsTheNewestLines) {
  TLogDataList log;
  for (int i = 0; i <= TLogDataList::DefaultCapacity; ++i) log.Add(std::to_string(i));
  EXPECT_EQ(log.Count(), static_cast<size_t>(TLogDataList::DefaultCapacity));
  const std::string text = TakeAll(log);
  EXPECT_EQ(text.substr(0, 3), "1\r\n");
  EXPECT_EQ(text.substr(text.size() - 7), "51200\r\n");
}

TEST(LogDataList, SmallZeroAndMissingBuffers) {
  TLogDataList log;
  log.Add("abc");
  std::vector<char> buffer(4);
  auto taken = log.Take(buffer.data(), 4);  // one byte short of "abc\r\n"
  EXPECT_EQ(taken.Length, 5u);
  EXPECT_EQ(taken.Copied, 0u);
  taken = log.Take(nullptr, 100);
  EXPECT_EQ(taken.Copied, 0u);
  EXPECT_EQ(log.Count(), 1u);
  taken = log.Take(nullptr, 0);  // the host discards the log
  EXPECT_EQ(taken.Length, 5u);
  EXPECT_EQ(log.Count(), 0u);
  EXPECT_EQ(log.Take(buffer.data(), 4).Length, 0u);
}

}  // namespace
}  // namespace cjt
