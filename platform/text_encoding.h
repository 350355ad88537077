// 8-bit text of the system and UTF-16 text. The 8-bit text is the ANSI code page on Windows
// and UTF-8 elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cjt::platform {

std::u16string AnsiToWide(std::string_view text);
std::string WideToAnsi(std::u16string_view text);

// Bytes that are no text (a received frame) as UTF-16 text from which a host gets the same
// bytes back. On Windows that is the 8-bit text of the ANSI code page, which hosts there turn
// back into bytes with their code page; elsewhere each byte becomes the UTF-16 unit of the
// same value (U+0000 to U+00FF), since reading the bytes as UTF-8 would lose every one from
// 0x80 up.
std::u16string BytesToWide(std::string_view bytes);

// Lowercasing of 8-bit text by the system's locale (ASCII letters where the 8-bit text is
// UTF-8, so that multi-byte characters stay intact).
std::string AnsiLowerCase(std::string_view text);
// The same lowercasing of text into out, which keeps its storage where it is large enough.
void AnsiLowerCaseInto(std::string& out, std::string_view text);

// Whether every byte is below 0x80: such text reads the same in UTF-8 and in every ANSI code
// page, and each byte is its UTF-16 unit.
inline bool IsAscii(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// ASCII letters A-Z lowered, every other byte kept.
inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string AsciiLowerCase(std::string_view text);
// The same into out, which keeps its storage where it is large enough.
void AsciiLowerCaseInto(std::string& out, std::string_view text);

// UTF-8, whatever the system's 8-bit text is. Invalid sequences and lone surrogates become
// U+FFFD.
std::u16string Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::u16string_view text);

// Length of a zero-terminated UTF-16 text.
size_t WideLength(const char16_t* text);

}  // namespace cjt::platform

namespace cjt::platform {

// 8-bit text of a Windows code page (1250-1258, 874, 932, 936, 949, 950, 1361; 0 is the
// system's 8-bit text) as UTF-16. Unknown code pages read as the system's 8-bit text.
std::u16string CodePageToWide(uint32_t codePage, std::string_view text);

}  // namespace cjt::platform
