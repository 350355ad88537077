// Cutting text into lines and fields without copying.
#pragma once

#include <string_view>
#include <vector>

namespace cjt {

// Lines end at CR LF, at a lone CR or at a lone LF; a final line break adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Splits at every character that is one of separators: n separators give n + 1 fields, an
// empty text one empty field.
std::vector<std::string_view> SplitFields(std::string_view text, std::string_view separators);

}  // namespace cjt
