// The log buffer of a plug-in instance: short text lines that the host pulls with GetLogEx.
// A line added again directly after itself is folded into a repeat counter, and beyond the
// capacity the oldest lines go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

namespace cjt {

// Log levels.
inline constexpr int LogLevelError = 0;    // exceptions
inline constexpr int LogLevelWarning = 1;  // failures and warnings
inline constexpr int LogLevelNotice = 2;   // notices

// One log line: the level character (level + 1, bit 7 set when marked), then the title and
// ". " when there is a title, then the message with every CR and LF made a space.
std::string FormatLogLine(int level, std::string_view message, std::string_view title, bool marked);

class TLogDataList {
 public:
  static constexpr int32_t DefaultCapacity = 0xC800;

  explicit TLogDataList(int32_t capacity = DefaultCapacity) : FCapacity(capacity) {}

  int32_t Capacity() const { return FCapacity; }

  void Add(std::string line);
  size_t Count();

  // The result of handing the log to a buffer of the host.
  struct TTaken {
    uint32_t Length = 0;  // bytes of the whole text
    uint32_t Copied = 0;  // bytes copied; 0 when nothing was
  };
  // The whole log as text, every line followed by CR LF. When it fits into the buffer it is
  // copied there (without a terminating zero) and the log is emptied; a buffer of size 0
  // empties the log without copying; a buffer too small, or a size without a buffer,
  // keeps it.
  TTaken Take(char* buffer, uint32_t bufferSize);

 private:
  struct TLine {
    std::string Text;
    int32_t Repeats = 0;  // times the same text was added again directly after it
  };

  // Writes the last line's repeat count into its text.
  void SpellOutRepeats();

  const int32_t FCapacity;
  std::mutex Mutex;
  std::deque<TLine> Items;
};

}  // namespace cjt
