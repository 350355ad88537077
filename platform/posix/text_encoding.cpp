#include "platform/text_encoding.h"

namespace cjt::platform {

std::u16string AnsiToWide(std::string_view text) { return Utf8ToWide(text); }

std::string WideToAnsi(std::u16string_view text) { return WideToUtf8(text); }

std::string AnsiLowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace cjt::platform
