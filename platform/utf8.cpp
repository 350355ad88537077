#include <cstdint>
#include <cstring>

#include "platform/text_encoding.h"

namespace cjt::platform {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// A-Z lowered in eight bytes: a byte below 0x80 whose low seven bits lie in 0x41-0x5A gets
// bit 0x20.
uint64_t AsciiLowerWord(uint64_t word) {
  constexpr uint64_t High = 0x8080808080808080ULL;
  constexpr uint64_t ToA = 0x3F3F3F3F3F3F3F3FULL;      // 0x41 + 0x3F = 0x80
  constexpr uint64_t BeyondZ = 0x2525252525252525ULL;  // 0x5B + 0x25 = 0x80
  const uint64_t low = word & ~High;
  const uint64_t upper = (low + ToA) & ~(low + BeyondZ) & ~word & High;
  return word | upper >> 2;
}

void AsciiLowerEight(const char* in, char* out) {
  uint64_t word;
  std::memcpy(&word, in, 8);
  word = AsciiLowerWord(word);
  std::memcpy(out, &word, 8);
}

// A-Z lowered in count bytes from in to out (which may be the same), eight at a time. Text of
// eight bytes or more ends with the word of its last eight: lowering a byte twice keeps it.
void AsciiLowerBytes(const char* in, char* out, size_t count) {
  if (count < 8) {
    for (size_t i = 0; i < count; ++i) out[i] = AsciiLower(in[i]);
    return;
  }
  for (size_t i = 0; i + 8 < count; i += 8) AsciiLowerEight(in + i, out + i);
  AsciiLowerEight(in + count - 8, out + count - 8);
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 | (c >> 10));
    out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
  }
}

// Decodes one UTF-8 sequence at text[i], advancing i; malformed input gives U+FFFD and
// skips one byte.
char32_t NextUtf8(std::string_view text, size_t& i) {
  const auto lead = static_cast<uint8_t>(text[i++]);
  if (lead < 0x80) return lead;
  int more = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
  if (more < 0 || i + more > text.size()) return Replacement;
  char32_t c = lead & (0x3F >> more);
  for (int k = 0; k < more; ++k) {
    const auto next = static_cast<uint8_t>(text[i + k]);
    if ((next & 0xC0) != 0x80) return Replacement;
    c = (c << 6) | (next & 0x3F);
  }
  static const char32_t Smallest[4] = {0, 0x80, 0x800, 0x10000};
  if (c < Smallest[more] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return Replacement;
  i += more;
  return c;
}

}  // namespace

std::u16string Utf8ToWide(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) AppendUtf16(out, NextUtf8(text, i));
  return out;
}

std::string WideToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = Replacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::string AsciiLowerCase(std::string_view text) {
  std::string out;
  AsciiLowerCaseInto(out, text);
  return out;
}

void AsciiLowerCaseInto(std::string& out, std::string_view text) {
  if (out.size() != text.size()) out.resize(text.size());
  AsciiLowerBytes(text.data(), out.data(), text.size());
}

size_t WideLength(const char16_t* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

}  // namespace cjt::platform
