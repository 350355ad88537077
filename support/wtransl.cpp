#include "support/wtransl.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/text_encoding.h"
#include "platform/timer_service.h"
#include "support/ini_file.h"
#include "support/text_lines.h"
#include "support/text_values.h"

namespace cjt {

namespace {

// --- Class handlers ---

struct THandlerEntry {
  std::string ClassName;
  std::string Mask;
  TWtransl::TComponentHandler Handler;
};

std::mutex& HandlersLock() {
  static std::mutex lock;
  return lock;
}

std::vector<THandlerEntry>& Handlers() {
  static std::vector<THandlerEntry> handlers;
  return handlers;
}

// --- Files ---

bool ReadFile(const std::string& fileName, std::string& content) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;
  std::stringstream buffer;
  buffer << in.rdbuf();
  content = buffer.str();
  return true;
}

bool FileExists(const std::string& fileName) { return std::ifstream(fileName, std::ios::binary).good(); }

std::vector<std::string> FileNames(const std::string& languageFile) {
  std::vector<std::string> names;
  for (std::string_view name : SplitFields(languageFile, "|"))
    if (!TrimBlanks(name).empty()) names.emplace_back(TrimBlanks(name));
  return names;
}

// Lines end at CR LF or LF; a CR not followed by LF stays in the line. Spaces at both ends
// are dropped.
std::vector<std::string> FileLines(const std::string& content) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    if (end < content.size() && !line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    const size_t last = line.find_last_not_of(" \t");
    lines.push_back(first == std::string::npos ? std::string() : line.substr(first, last - first + 1));
    start = end + 1;
  }
  return lines;
}

bool StartsWithText(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

// The lowercased value after "name=" anywhere in the line, up to a blank; nothing without it.
std::optional<std::string> DirectiveValue(const std::string& line, std::string_view name) {
  const std::string lower = platform::AsciiLowerCase(line);
  const size_t at = lower.find(name);
  if (at == std::string::npos) return std::nullopt;
  std::string value = lower.substr(at + name.size());
  const size_t end = value.find_first_of(" \t;");
  return value.substr(0, end);
}

struct TCharsetEntry {
  const char* Name;
  int Charset;
  uint32_t CodePage;
};

constexpr TCharsetEntry Charsets[] = {
    {"windows-1250", 238, 1250}, {"windows-1251", 204, 1251}, {"windows-1252", 0, 1252},   {"windows-1253", 161, 1253},
    {"windows-1254", 162, 1254}, {"windows-1255", 177, 1255}, {"windows-1256", 178, 1256}, {"windows-1257", 186, 1257},
    {"windows-1258", 163, 1258}, {"windows-874", 222, 874},   {"shift-jis", 128, 932},     {"hangeul", 129, 949},
    {"johab", 130, 1361},        {"gb2312", 134, 936},        {"chinesebig5", 136, 950},
};

// Whether a text has something other than ASCII digits, punctuation, blanks and controls.
bool HasWords(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 128 || std::isalpha(c)) return true;
  return false;
}

std::string Escaped(const std::string& text, bool& escaped) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (c < 32) {
      escaped = true;
      out += '%';
      out += digits[c >> 4];
      out += digits[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// Without its first single "&"; a doubled "&&" is not an accelerator.
std::string WithoutAccelerator(const std::string& text, bool& hadAccelerator) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (i + 1 < text.size() && text[i + 1] == '&') {
      ++i;
      continue;
    }
    hadAccelerator = true;
    return text.substr(0, i) + text.substr(i + 1);
  }
  return text;
}

// Every single "&" dropped and "&&" turned into "&".
std::u16string DropAccelerators(const std::u16string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'&') {
      out += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == u'&') {
      out += u'&';
      ++i;
    }
  }
  return out;
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

std::u16string Unescaped(const std::u16string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'%' && i + 2 < text.size() + 0 && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char16_t>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Bits of the skip mask of tags 10000-10047, by property name.
int MaskBit(const std::string& property) {
  static const std::pair<const char*, int> bits[] = {{"HINT", 1},    {"CAPTION", 2}, {"ITEMS", 4},
                                                     {"STRINGS", 8}, {"TEXT", 16},   {"PAGES", 32}};
  for (const auto& [name, bit] : bits)
    if (SameText(property, name)) return bit;
  return 0;
}

bool IsTextKind(TPropKind kind) {
  return kind == TPropKind::String || kind == TPropKind::WideString || kind == TPropKind::Variant ||
         kind == TPropKind::Char;
}

}  // namespace

// --- TWtranslLanguagesList ---

void TWtranslLanguagesList::Add(const std::string& source, std::u16string translation) {
  const std::string lowered = platform::AsciiLowerCase(source);
  if (lowered != source) Lower[lowered] = translation;
  Exact[source] = std::move(translation);
}

void TWtranslLanguagesList::Clear() {
  Exact.clear();
  Lower.clear();
}

const std::u16string* TWtranslLanguagesList::FindExact(const std::string& source) const {
  auto found = Exact.find(source);
  return found == Exact.end() ? nullptr : &found->second;
}

const std::u16string* TWtranslLanguagesList::FindLower(const std::string& lowered) const {
  auto found = Lower.find(lowered);
  return found == Lower.end() ? nullptr : &found->second;
}

// --- TWtransl ---

TWtransl::TWtransl(bool withReleaseTimer) : WithReleaseTimer(withReleaseTimer) {}

TWtransl::~TWtransl() {
  ReleaseTimer.reset();  // waits for a release running now
  try {
    WriteCollected();
  } catch (...) {
  }
}

void TWtransl::RegisterComponentHandler(const std::string& className, const std::string& mask,
                                        TComponentHandler handler) {
  std::lock_guard<std::mutex> lock(HandlersLock());
  Handlers().push_back({className, mask, std::move(handler)});
}

void TWtransl::UnregisterComponentHandlers(const std::string& className) {
  std::lock_guard<std::mutex> lock(HandlersLock());
  auto& handlers = Handlers();
  std::erase_if(handlers, [&](const THandlerEntry& entry) { return SameText(entry.ClassName, className); });
}

void TWtransl::ReleaseCache() {
  std::lock_guard<std::recursive_mutex> lock(Lock);
  Pairs.Clear();
  CachedKey.clear();
  FReleasePending = false;
  if (ReleaseTimer) ReleaseTimer->Disarm();
}

size_t TWtransl::CachedPairs() {
  std::lock_guard<std::recursive_mutex> lock(Lock);
  return Pairs.Count();
}

bool TWtransl::ReleasePending() {
  std::lock_guard<std::recursive_mutex> lock(Lock);
  return FReleasePending;
}

// Only a cache with pairs needs releasing.
void TWtransl::StartReleaseTimer() {
  if (!WithReleaseTimer || Pairs.Count() == 0) return;
  if (!ReleaseTimer) ReleaseTimer = std::make_unique<platform::TThreadTimer>([this] { ReleaseCache(); });
  FReleasePending = ReleaseTimer->Arm(ReleaseMs);
}

std::string TWtransl::GetLanguages(std::vector<std::string>* list) {
  if (list) list->clear();
  for (const std::string& fileName : FileNames(LanguageFile)) {
    const TIniFile file(fileName);
    if (!file.Existed()) continue;
    bool declared = false;
    for (const std::string& key : file.Keys("Languages")) {
      if (key.empty() || key.front() != '$') continue;
      declared = true;
      if (list) list->push_back(file.Read("Languages", key).value_or("") + "," + key.substr(1));
    }
    if (declared) return file.Read("Languages", "Default").value_or("");
  }
  return {};
}

void TWtransl::LoadFiles(const std::string& source, const std::string& target) {
  const std::string key = platform::AsciiLowerCase(source + "\n" + target);
  if (key == CachedKey) return;
  Pairs.Clear();
  CachedKey = key;
  for (const std::string& fileName : FileNames(LanguageFile)) LoadFile(fileName, source, target);
}

void TWtransl::LoadFile(const std::string& fileName, const std::string& source, const std::string& target) {
  std::string content;
  if (!ReadFile(fileName, content)) return;
  Encoding.clear();
  Charset = 1;
  CodePage = 0;
  const std::vector<std::string> lines = FileLines(content);
  for (size_t i = 0; i < lines.size() && i < 19; ++i) {
    const std::string line = lines[i].substr(0, 50);
    static const std::pair<const char*, int> writeModes[] = {
        {"//filenew", 0}, {"//filerewrite", 1}, {"//fileappend", 2}};
    static const std::pair<const char*, int> saveModes[] = {
        {"//saveuntr", 1}, {"//saveall", 2}, {"//saveunused", 3}, {"//saveuntrobj", 4}};
    for (const auto& [name, mode] : writeModes)
      if (SameText(line, name)) WriteMode = mode;
    for (const auto& [name, mode] : saveModes)
      if (SameText(line, name)) SaveMode = mode;
    if (auto value = DirectiveValue(line, "encoding=")) Encoding = *value;
    if (auto value = DirectiveValue(line, "charset=")) {
      for (const TCharsetEntry& entry : Charsets)
        if (*value == entry.Name) {
          Charset = entry.Charset;
          CodePage = entry.CodePage;
        }
    }
    if (auto value = DirectiveValue(line, "bidimode=")) {
      if (*value == "righttoleft") BiDiMode = 1;
      if (*value == "righttoleftnoalign") BiDiMode = 2;
      if (*value == "righttoleftreadingonly") BiDiMode = 3;
    }
    if (auto value = DirectiveValue(line, "locale=")) {
      const long locale = value->rfind("0x", 0) == 0 ? std::strtol(value->c_str() + 2, nullptr, 16)
                                                     : std::strtol(value->c_str(), nullptr, 10);
      if (locale > 0) Locale = static_cast<int32_t>(locale);
    }
  }
  const std::string sourcePrefix = source + ":>";
  const std::string targetPrefix = target + ":>";
  const bool utf8 = Encoding == "utf-8";
  std::vector<const std::string*> block;
  auto closeBlock = [&] {
    std::string sourceText;
    std::string translation;
    for (const std::string* line : block) {
      if (sourceText.empty() && StartsWithText(*line, sourcePrefix)) sourceText = line->substr(sourcePrefix.size());
      if (translation.empty() && StartsWithText(*line, targetPrefix)) translation = line->substr(targetPrefix.size());
    }
    block.clear();
    if (sourceText.empty() || translation.empty()) return;
    Pairs.Add(sourceText, utf8 ? platform::Utf8ToWide(translation) : platform::CodePageToWide(CodePage, translation));
  };
  for (const std::string& line : lines) {
    if (line.empty()) {
      closeBlock();
    } else if (line.rfind("//", 0) != 0) {
      block.push_back(&line);
    }
  }
  // A final block without an empty line after it counts too.
  closeBlock();
}

std::string TWtransl::Lookup(const std::string& text, bool& found) {
  found = false;
  const std::string key(TrimBlanks(text));
  if (key.empty()) return text;
  bool escaped = false;
  bool hadAccelerator = false;
  const std::string escapedKey = Escaped(key, escaped);
  const std::string withoutAccelerator = WithoutAccelerator(escapedKey, hadAccelerator);
  const std::u16string* hit = Pairs.FindExact(key);
  if (!hit) hit = Pairs.FindExact(escapedKey);
  if (!hit) hit = Pairs.FindExact(withoutAccelerator);
  if (!hit) hit = Pairs.FindLower(platform::AnsiLowerCase(key));
  if (!hit) return text;
  found = true;
  std::u16string translation = *hit;
  if (!hadAccelerator) translation = DropAccelerators(translation);
  if (escaped) translation = Unescaped(translation);
  return platform::WideToAnsi(translation);
}

void TWtransl::Collect(const std::string& text, const std::string& path) {
  if (!HasWords(text)) return;
  const std::string key = SaveMode == 4 ? path + "\n" + text : text;
  for (const std::string& known : CollectedKeys)
    if (known == key) return;
  CollectedKeys.push_back(key);
  Collected.push_back(SaveMode == 4 && !path.empty() ? path + " -> " + text : text);
}

std::string TWtransl::TranslateCollecting(const std::string& text, const std::string& path) {
  bool found = false;
  std::string translation = Lookup(text, found);
  if (found && OnTranslateText) {
    bool accept = true;
    OnTranslateText(*this, text, translation, accept);
    if (!accept) translation = text;
  }
  const std::string trimmed(TrimBlanks(text));
  if (!trimmed.empty()) {
    if ((SaveMode == 1 || SaveMode == 4) && !found) Collect(trimmed, path);
    if (SaveMode == 3 && found) Collect(trimmed, path);
    if (SaveMode == 2) Collect(trimmed, path);
  }
  return translation;
}

std::string TWtransl::TranslateText(const std::string& text) {
  std::lock_guard<std::recursive_mutex> lock(Lock);
  return TranslateCollecting(text, {});
}

bool TWtransl::Translate(std::string target, TComponent* component, std::string* text, std::string source) {
  std::lock_guard<std::recursive_mutex> lock(Lock);
  if (source.empty()) source = BaseLanguage;
  if (target.empty()) target = GetLanguages();
  if (component == nullptr && text == nullptr) target = BaseLanguage;
  if (OnBeforeTranslate) OnBeforeTranslate(*this);
  SourceLanguage = source;
  TargetLanguage = target;
  LoadFiles(source, target);
  Changed = false;
  if (component != nullptr) {
    const std::string path = component->ClassName() + " " + component->Name;
    if (component->Tag != OwnerOnlyTag) TranslateComponent(*component, path);
    Walk(*component, path);
  } else if (text != nullptr) {
    const std::string translated = TranslateCollecting(*text, {});
    Changed = translated != *text;
    *text = translated;
  }
  if (OnAfterTranslate) OnAfterTranslate(*this);
  StartReleaseTimer();
  return Changed;
}

void TWtransl::Walk(TComponent& owner, const std::string& path) {
  for (TComponent* component : owner.Components()) {
    if (component->Tag == SkipTag || component->Name.rfind("__", 0) == 0) continue;
    const std::string childPath = path + " -> " + component->ClassName() + " " + component->Name;
    if (component->Tag == CustomOnlyTag) {
      if (OnCustomTranslate) OnCustomTranslate(*this, *component);
    } else if (component->Tag != OwnerOnlyTag) {
      TranslateComponent(*component, childPath);
    }
    if (component->Tag == OwnerOnlyTag || (component->Name.rfind('_', 0) != 0 && !component->Components().empty()))
      Walk(*component, childPath);
  }
}

void TWtransl::TranslateComponent(TComponent& component, const std::string& path) {
  if (OnBeforeTranslateComponent) {
    bool cancel = false;
    OnBeforeTranslateComponent(*this, component, cancel);
    if (cancel) return;
  }
  if (BiDiMode != 0)
    if (const TPropDef* property = component.FindProperty("BiDiMode"); property && property->Set)
      property->Set(TPropValue(int64_t{BiDiMode}));
  for (const char* font : {"Font.Charset", "FocusFont.Charset"})
    if (const TPropDef* property = component.FindProperty(font); property && property->Set)
      property->Set(TPropValue(int64_t{Charset}));
  const int mask = component.Tag >= 10000 && component.Tag <= 10047 ? component.Tag - 10000 : 0;
  for (const std::string& name : ComponentProperties) {
    if (mask & MaskBit(name)) continue;
    const TPropDef* property = component.FindProperty(name);
    if (property == nullptr || !property->Get || !property->Set) continue;
    try {
      const std::string current = PropValueText(property->Get());
      auto known = component.TranslatedTexts.find(property->Name);
      const std::string original = known != component.TranslatedTexts.end() && known->second.Translated == current
                                       ? known->second.Original
                                       : current;
      std::string translated;
      if (IsTextKind(property->Kind)) {
        translated = TranslateCollecting(original, path);
      } else if (property->Kind == TPropKind::Strings) {
        // Line by line.
        std::vector<std::string_view> lines = SplitFields(original, "\n");
        for (size_t i = 0; i < lines.size(); ++i) {
          std::string line(lines[i]);
          const bool cr = !line.empty() && line.back() == '\r';
          if (cr) line.pop_back();
          translated += TranslateCollecting(line, path) + (cr ? "\r" : "") + (i + 1 < lines.size() ? "\n" : "");
        }
      } else {
        continue;
      }
      if (translated != current) {
        property->Set(TPropValue(translated));
        Changed = true;
      }
      if (translated != original)
        component.TranslatedTexts[property->Name] = {original, translated};
      else
        component.TranslatedTexts.erase(property->Name);
    } catch (...) {
      // A property that fails stays as it was.
    }
  }
  std::vector<THandlerEntry> handlers;
  {
    std::lock_guard<std::mutex> lock(HandlersLock());
    handlers = Handlers();
  }
  for (const THandlerEntry& entry : handlers) {
    if (entry.Mask.empty() || !component.InheritsFrom(entry.ClassName)) continue;
    entry.Handler(*this, component);
    break;
  }
  if (OnCustomTranslate) OnCustomTranslate(*this, component);
}

void TWtransl::WriteCollected() {
  if (SaveMode == 0 || Collected.empty()) return;
  const std::vector<std::string> names = FileNames(LanguageFile);
  if (names.empty()) return;
  std::string fileName = names.back() + (SaveMode == 3 ? ".unused" : ".new");
  if (WriteMode == 0) {
    for (int number = 1; FileExists(fileName); ++number)
      fileName = names.back() + "." + std::to_string(number) + fileName.substr(fileName.rfind('.'));
  }
  const bool isNew = !FileExists(fileName);
  std::ofstream out(fileName, std::ios::binary | (WriteMode == 2 ? std::ios::app : std::ios::trunc));
  if (!out) return;
  if (WriteMode != 2 || isNew) {
    out << "[Languages]\r\n$" << SourceLanguage << " = #1\r\n$" << TargetLanguage
        << " = #2 (Default)\r\nDefault = " << TargetLanguage << "\r\n\r\n";
  }
  for (const std::string& text : Collected)
    out << SourceLanguage << ":>" << text << "\r\n" << TargetLanguage << ":>\r\n\r\n";
}

}  // namespace cjt
