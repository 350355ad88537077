#include "support/text_values.h"

#include <charconv>

#include "platform/text_encoding.h"

namespace cjt {

EIntegerConversion::EIntegerConversion(std::string_view text)
    : std::invalid_argument("'" + std::string(text) + "' is not a valid integer value") {}

std::string_view TrimBlanks(std::string_view text) {
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  size_t first = 0;
  while (first < text.size() && isBlank(text[first])) ++first;
  size_t last = text.size();
  while (last > first && isBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (platform::AsciiLower(a[i]) != platform::AsciiLower(b[i])) return false;
  return true;
}

std::optional<int32_t> TryTextToInt(std::string_view text) {
  // from_chars takes a minus sign but no plus sign.
  if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

int32_t TextToInt(std::string_view text) {
  if (auto value = TryTextToInt(text)) return *value;
  throw EIntegerConversion(text);
}

std::optional<uint32_t> TryHexToUInt(std::string_view text) {
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else
      return std::nullopt;
    value = value * 16 + static_cast<uint64_t>(digit);
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

std::string HexText8(uint32_t value) {
  static constexpr char Digits[] = "0123456789ABCDEF";
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, value >>= 4) text[i] = Digits[value & 0xF];
  return text;
}

}  // namespace cjt
