#include "cjt188/device_list.h"

#include <algorithm>

#include "platform/text_encoding.h"

namespace cjt {

namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(platform::AsciiLower(x)) < static_cast<unsigned char>(platform::AsciiLower(y));
  });
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

}  // namespace

bool IsDeviceNumber(std::string_view text) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), IsHexDigit)) return false;
  const size_t firstSignificant = text.find_first_not_of('0');
  if (firstSignificant == std::string_view::npos) return true;
  const std::string_view significant = text.substr(firstSignificant);
  // Sixteen significant digits fit only while the top digit leaves the sign bit clear.
  return significant.size() < 16 || (significant.size() == 16 && significant[0] >= '1' && significant[0] <= '7');
}

std::string_view TrimDeviceEntry(std::string_view entry) {
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) < 33; };
  while (!entry.empty() && isBlank(entry.front())) entry.remove_prefix(1);
  while (!entry.empty() && isBlank(entry.back())) entry.remove_suffix(1);
  return entry;
}

std::vector<std::string> ParseDeviceList(std::string_view field) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (true) {
    const size_t separator = field.find_first_of(";,", start);
    pieces.emplace_back(field.substr(start, separator == std::string_view::npos ? separator : separator - start));
    if (separator == std::string_view::npos) break;
    start = separator + 1;
  }
  std::stable_sort(pieces.begin(), pieces.end(), LessIgnoringCase);

  std::vector<std::string> kept;
  std::vector<std::string_view> keptTrimmed;
  for (std::string& piece : pieces) {
    const std::string_view trimmed = TrimDeviceEntry(piece);
    if (!IsDeviceNumber(trimmed) || std::find(keptTrimmed.begin(), keptTrimmed.end(), trimmed) != keptTrimmed.end())
      continue;
    keptTrimmed.push_back(trimmed);  // views into pieces, which stay in place
    kept.push_back(piece);
  }
  if (kept.empty()) kept.emplace_back(AnyDeviceText);
  return kept;
}

bool IsSpecialDeviceText(std::string_view device) {
  return device == BroadcastDeviceText || device == NinesDeviceText || device == AnyDeviceText;
}

std::string DeviceAddressText(std::string_view entry) {
  const std::string_view text = TrimDeviceEntry(entry).substr(0, 14);
  return std::string(14 - text.size(), '0') + std::string(text);
}

}  // namespace cjt
