// Small text helpers shared by the readers of configuration and schedule texts: trimming,
// case-insensitive comparison and strict decimal integers.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace cjt {

// A text that should have been an integer and is not; the message names the text.
class EIntegerConversion : public std::invalid_argument {
 public:
  explicit EIntegerConversion(std::string_view text);
};

// Strips characters with codes 0-32 from both ends.
std::string_view TrimBlanks(std::string_view text);

// Equal without regard to ASCII letter case.
bool SameText(std::string_view a, std::string_view b);

// The whole text as a signed 32-bit decimal integer (an optional sign, then digits);
// nothing for anything else, an empty text or a value out of range.
std::optional<int32_t> TryTextToInt(std::string_view text);
// As TryTextToInt, but raises EIntegerConversion.
int32_t TextToInt(std::string_view text);

// The whole text as hexadecimal digits of either case with a value below 2^32; nothing for
// anything else (an empty text, a blank, a sign, a prefix).
std::optional<uint32_t> TryHexToUInt(std::string_view text);
// The value as 8 upper-case hexadecimal digits.
std::string HexText8(uint32_t value);

}  // namespace cjt
