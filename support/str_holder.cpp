#include "support/str_holder.h"

#include "platform/text_encoding.h"
#include "support/text_values.h"

namespace cjt {

namespace {

std::string XorByCharacter(std::string_view text, std::string_view key) {
  std::string out(text.substr(0, 255));
  if (key.empty()) return out;
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>(out[i] ^ key[i % key.size()]);
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes of hexadecimal pairs; a pair with an invalid digit reads as 32.
std::string HexBytes(std::string_view data) {
  std::string out;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    const int high = HexDigit(data[i]);
    const int low = HexDigit(data[i + 1]);
    out += static_cast<char>(high < 0 || low < 0 ? 32 : high * 16 + low);
  }
  return out;
}

std::string Utf8Of(std::string_view text) { return platform::WideToUtf8(platform::AnsiToWide(text)); }

}  // namespace

TkroStrHolder::TkroStrHolder(std::string name) : TComponent("TkroStrHolder", std::move(name)) {
  BindInteger("Capacity", Capacity);
  AddProperty(
      {"Duplicates", TPropKind::Enumeration,
       [this] {
         static const char* names[] = {"dupIgnore", "dupAccept", "dupError"};
         return TPropValue(std::string(names[Duplicates]));
       },
       [this](const TPropValue& value) {
         const std::string text = PropValueText(value);
         Duplicates = SameText(text, "dupAccept") ? dupAccept : SameText(text, "dupError") ? dupError : dupIgnore;
       }});
  BindString("KeyString", KeyString);
  BindBoolean("Sorted", Sorted);
  AddProperty({"Strings", TPropKind::Strings,
               [this] {
                 std::string text;
                 for (size_t i = 0; i < FStrings.size(); ++i) text += (i ? "\r\n" : "") + FStrings[i];
                 return TPropValue(text);
               },
               [this](const TPropValue& value) {
                 std::vector<std::string> lines;
                 const std::string text = PropValueText(value);
                 size_t start = 0;
                 while (start <= text.size() && !text.empty()) {
                   size_t end = text.find('\n', start);
                   std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
                   if (!line.empty() && line.back() == '\r') line.pop_back();
                   lines.push_back(line);
                   if (end == std::string::npos) break;
                   start = end + 1;
                 }
                 SetStrings(std::move(lines));
               }});
}

void TkroStrHolder::Changing() {
  if (!Loading && OnChanging) OnChanging(*this);
}

void TkroStrHolder::Changed() {
  if (!Loading && OnChange) OnChange(*this);
}

void TkroStrHolder::SetStrings(std::vector<std::string> lines) {
  Changing();
  FStrings = std::move(lines);
  Changed();
}

void TkroStrHolder::Add(std::string line) {
  Changing();
  FStrings.push_back(std::move(line));
  Changed();
}

void TkroStrHolder::Clear() {
  Changing();
  FStrings.clear();
  Changed();
}

std::string TkroStrHolder::EncodeLine(std::string_view line, std::string_view key, int32_t version) {
  if (version <= 0) return XorByCharacter(line, key);
  static const char digits[] = "0123456789abcdef";
  std::string out;
  if (version == 1) {
    for (size_t i = 0; i < line.size(); ++i) {
      const auto c = static_cast<unsigned char>(key.empty() ? line[i] : line[i] ^ key[i % key.size()]);
      out += digits[c >> 4];
      out += digits[c & 15];
    }
    return out;
  }
  const std::string bytes = Utf8Of(line);
  const std::string keyBytes = Utf8Of(key);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(keyBytes.empty() ? bytes[i] : bytes[i] ^ keyBytes[i % keyBytes.size()]);
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string TkroStrHolder::DecodeLine(std::string_view data, std::string_view key, int32_t version) {
  if (version <= 0) return XorByCharacter(data, key);
  std::string bytes = HexBytes(data);
  if (version == 1) {
    if (!key.empty())
      for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(bytes[i] ^ key[i % key.size()]);
    return bytes;
  }
  const std::string keyBytes = Utf8Of(key);
  if (!keyBytes.empty())
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(bytes[i] ^ keyBytes[i % keyBytes.size()]);
  return platform::WideToAnsi(platform::Utf8ToWide(bytes));
}

std::vector<std::string> TkroStrHolder::StrData() const {
  std::vector<std::string> data{KeyString};
  for (const std::string& line : FStrings) data.push_back(EncodeLine(line, KeyString));
  return data;
}

bool TkroStrHolder::ShouldWriteStrData(const TkroStrHolder* ancestor) const {
  if (ancestor == nullptr) return !FStrings.empty() || !KeyString.empty();
  if (ancestor->FStrings.size() != FStrings.size() || ancestor->KeyString != KeyString) return true;
  for (size_t i = 0; i < FStrings.size(); ++i)
    if (!SameText(ancestor->FStrings[i], FStrings[i])) return true;
  return false;
}

void TkroStrHolder::ReadStrData(int32_t internalVer, const std::vector<std::string>& data) {
  Loading = true;
  FStrings.clear();
  KeyString = data.empty() ? std::string() : data.front();
  for (size_t i = 1; i < data.size(); ++i) FStrings.push_back(DecodeLine(data[i], KeyString, internalVer));
  Loading = false;
}

}  // namespace cjt
