#include "support/format_text.h"

#include <algorithm>
#include <cstdio>

namespace cjt {

namespace {

// Widths and precisions beyond this are cut: a language file cannot make a line huge.
constexpr int MaxField = 256;

struct TDirective {
  bool Left = false, Zero = false, Plus = false, Space = false;
  int Width = 0;
  int Precision = -1;
  char Conversion = 0;
};

bool IsConversion(char c) { return c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X' || c == 's'; }

int ReadNumber(std::string_view format, size_t& i) {
  int value = 0;
  while (i < format.size() && format[i] >= '0' && format[i] <= '9') value = std::min(MaxField, value * 10 + (format[i++] - '0'));
  return value;
}

// Reads the directive after a "%"; false when the text is no complete conversion.
bool ReadDirective(std::string_view format, size_t& i, TDirective& directive) {
  for (; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '-')
      directive.Left = true;
    else if (c == '0')
      directive.Zero = true;
    else if (c == '+')
      directive.Plus = true;
    else if (c == ' ')
      directive.Space = true;
    else
      break;
  }
  directive.Width = ReadNumber(format, i);
  if (i < format.size() && format[i] == '.') directive.Precision = ReadNumber(format, ++i);
  if (i >= format.size() || !IsConversion(format[i])) return false;
  directive.Conversion = format[i++];
  return true;
}

std::string NumberText(int64_t value, const TDirective& directive) {
  std::string digits;
  const bool hex = directive.Conversion == 'x' || directive.Conversion == 'X';
  if (hex) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, directive.Conversion == 'x' ? "%llx" : "%llX",
                  static_cast<unsigned long long>(value < 0 ? static_cast<uint32_t>(value) : value));
    digits = buffer;
  } else {
    digits = std::to_string(value < 0 ? 0ULL - static_cast<uint64_t>(value) : static_cast<uint64_t>(value));
  }
  if (directive.Precision >= 0 && static_cast<int>(digits.size()) < directive.Precision)
    digits.insert(0, static_cast<size_t>(directive.Precision) - digits.size(), '0');
  std::string sign;
  if (!hex && value < 0)
    sign = "-";
  else if (!hex && directive.Plus)
    sign = "+";
  else if (!hex && directive.Space)
    sign = " ";
  if (directive.Zero && !directive.Left && directive.Precision < 0 && static_cast<int>(sign.size() + digits.size()) < directive.Width)
    digits.insert(0, static_cast<size_t>(directive.Width) - sign.size() - digits.size(), '0');
  return sign + digits;
}

std::string ArgumentText(const TFormatArg& arg, const TDirective& directive) {
  if (const auto* text = std::get_if<std::string_view>(&arg)) {
    if (directive.Conversion == 's' && directive.Precision >= 0) return std::string(text->substr(0, directive.Precision));
    return std::string(*text);
  }
  const int64_t value = std::get<int64_t>(arg);
  return directive.Conversion == 's' ? std::to_string(value) : NumberText(value, directive);
}

void AppendPadded(std::string& out, const std::string& text, const TDirective& directive) {
  const size_t pad = static_cast<int>(text.size()) < directive.Width ? directive.Width - text.size() : 0;
  if (!directive.Left) out.append(pad, ' ');
  out += text;
  if (directive.Left) out.append(pad, ' ');
}

}  // namespace

std::string FormatText(std::string_view format, std::initializer_list<TFormatArg> args) {
  std::string out;
  auto next = args.begin();
  size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    const size_t start = i++;
    TDirective directive;
    if (!ReadDirective(format, i, directive) || next == args.end()) {
      out.append(format.substr(start, i - start));
      continue;
    }
    AppendPadded(out, ArgumentText(*next++, directive), directive);
  }
  return out;
}

}  // namespace cjt
