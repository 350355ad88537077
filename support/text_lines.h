// Cutting text into lines and fields without copying.
#pragma once

#include <string_view>
#include <vector>

namespace cjt {

// Lines end at CR LF, at a lone CR or at a lone LF; a final line break adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Splits at every separator: n separators give n + 1 fields, an empty text one empty field.
std::vector<std::string_view> SplitFields(std::string_view text, char separator);

// The text without blanks (spaces and control characters) at either end.
std::string_view TrimBlanks(std::string_view text);

}  // namespace cjt
