// printf-style formatting of message texts that may come from language files: a broken or
// mismatched format never fails. Conversions d, i, u, x, X, s and %% with the flags "-",
// "0", "+" and " ", a width and a precision. A number given to %s is written in decimal, a
// text given to a number conversion is written as it is, and a conversion without an
// argument left stays as written.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace cjt {

using TFormatArg = std::variant<int64_t, std::string_view>;

std::string FormatText(std::string_view format, std::initializer_list<TFormatArg> args);

}  // namespace cjt
