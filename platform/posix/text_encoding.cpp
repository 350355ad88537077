#include "platform/text_encoding.h"

namespace cjt::platform {

std::u16string AnsiToWide(std::string_view text) { return Utf8ToWide(text); }

std::string WideToAnsi(std::u16string_view text) { return WideToUtf8(text); }

std::string AnsiLowerCase(std::string_view text) { return AsciiLowerCase(text); }

}  // namespace cjt::platform
