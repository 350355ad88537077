#include <windows.h>

#include "platform/text_encoding.h"

namespace cjt::platform {

std::u16string AnsiToWide(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::u16string out(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, reinterpret_cast<wchar_t*>(out.data()), length);
  return out;
}

std::string WideToAnsi(std::u16string_view text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_ACP, 0, wide, size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, size, out.data(), length, nullptr, nullptr);
  return out;
}

std::u16string BytesToWide(std::string_view bytes) { return AnsiToWide(bytes); }

std::string AnsiLowerCase(std::string_view text) {
  std::string out;
  AnsiLowerCaseInto(out, text);
  return out;
}

void AnsiLowerCaseInto(std::string& out, std::string_view text) {
  out.assign(text);
  if (!out.empty()) CharLowerBuffA(out.data(), static_cast<DWORD>(out.size()));
}

}  // namespace cjt::platform

namespace cjt::platform {

std::u16string CodePageToWide(uint32_t codePage, std::string_view text) {
  if (text.empty()) return {};
  const UINT page = codePage == 0 || !IsValidCodePage(codePage) ? CP_ACP : codePage;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(page, 0, text.data(), size, nullptr, 0);
  std::u16string out(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(page, 0, text.data(), size, reinterpret_cast<wchar_t*>(out.data()), length);
  return out;
}

}  // namespace cjt::platform
