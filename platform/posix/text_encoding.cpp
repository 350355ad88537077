#include "platform/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace cjt::platform {

std::u16string AnsiToWide(std::string_view text) { return Utf8ToWide(text); }

std::string WideToAnsi(std::u16string_view text) { return WideToUtf8(text); }

std::u16string BytesToWide(std::string_view bytes) {
  std::u16string units(bytes.size(), u'\0');
  std::transform(bytes.begin(), bytes.end(), units.begin(),
                 [](char byte) { return static_cast<char16_t>(static_cast<unsigned char>(byte)); });
  return units;
}

std::string AnsiLowerCase(std::string_view text) { return AsciiLowerCase(text); }

void AnsiLowerCaseInto(std::string& out, std::string_view text) { AsciiLowerCaseInto(out, text); }

// iconv names the Windows code pages "CP" and the number.
std::u16string CodePageToWide(uint32_t codePage, std::string_view text) {
  if (text.empty()) return {};
  if (codePage == 0 || codePage == 65001) return Utf8ToWide(text);
  const std::string name = "CP" + std::to_string(codePage);
  iconv_t converter = iconv_open("UTF-16LE", name.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return Utf8ToWide(text);
  std::string in(text);
  std::string out(in.size() * 4 + 8, '\0');
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) break;
    if (errno != EILSEQ && errno != EINVAL) break;
    // An undecodable byte becomes U+FFFD.
    ++inPtr;
    --inLeft;
    if (outLeft < 2) break;
    *outPtr++ = '\xFD';
    *outPtr++ = '\xFF';
    outLeft -= 2;
  }
  iconv_close(converter);
  const size_t bytes = out.size() - outLeft;
  std::u16string result(bytes / 2, u'\0');
  for (size_t i = 0; i < result.size(); ++i)
    result[i] = static_cast<char16_t>(static_cast<unsigned char>(out[2 * i]) |
                                      (static_cast<unsigned char>(out[2 * i + 1]) << 8));
  return result;
}

}  // namespace cjt::platform
