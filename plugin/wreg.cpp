#include "plugin/wreg.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>

#include "platform/named_lock.h"
#include "platform/text_encoding.h"
#include "support/ini_file.h"
#include "support/text_lines.h"
#include "support/text_values.h"

namespace cjt {

namespace {

using platform::TRegistryKey;
using platform::TRegistryRoot;
using platform::TRegistryValue;

constexpr char NullText[] = "[[Null]]";

bool FileExists(const std::string& fileName) { return std::ifstream(fileName, std::ios::binary).good(); }

std::string WithoutTrailing(std::string text, std::string_view characters) {
  while (!text.empty() && characters.find(text.back()) != std::string_view::npos) text.pop_back();
  return text;
}

// Doubled "\" collapsed and a leading one dropped.
std::string CleanKey(std::string_view key) {
  std::string out;
  for (char c : key) {
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out += c;
  }
  return out;
}

// --- Values by property kind ---

std::vector<uint8_t> FloatBytes(double value) {
  std::vector<uint8_t> bytes(sizeof(double));
  std::memcpy(bytes.data(), &value, sizeof(double));
  return bytes;
}

// A float is stored in the registry as the 8 bytes of a double.
std::optional<double> StoredDouble(const std::vector<uint8_t>& bytes) {
  if (bytes.size() != sizeof(double)) return std::nullopt;
  double value = 0;
  std::memcpy(&value, bytes.data(), sizeof(double));
  return value;
}

bool Assign(TPropValue& out, TPropValue value) {
  out = std::move(value);
  return true;
}

// The stored registry value read by the property's kind; false when it does not read.
bool FromRegistry(const TRegistryValue& stored, TPropKind kind, TPropValue& out) {
  if (kind == TPropKind::Integer || kind == TPropKind::Int64) {
    if (stored.Type == TRegistryValue::Integer) return Assign(out, TPropValue(stored.IntegerValue));
    if (stored.Type == TRegistryValue::Text) {
      if (auto number = TryTextToInt(TrimBlanks(stored.TextValue))) return Assign(out, TPropValue(int64_t{*number}));
    }
    return false;
  }
  if (kind == TPropKind::Float) {
    if (stored.Type == TRegistryValue::Binary) {
      const std::optional<double> value = StoredDouble(stored.Bytes);
      return value && Assign(out, TPropValue(*value));
    }
    if (stored.Type == TRegistryValue::Integer)
      return Assign(out, TPropValue(static_cast<double>(stored.IntegerValue)));
    if (stored.Type == TRegistryValue::Text)
      return Assign(out, TPropValue(PropValueFloat(TPropValue(stored.TextValue))));
    return false;
  }
  // Text kinds: a number stored is read and converted to text.
  std::string text;
  if (stored.Type == TRegistryValue::Text) text = stored.TextValue;
  if (stored.Type == TRegistryValue::Integer) text = std::to_string(stored.IntegerValue);
  if (stored.Type == TRegistryValue::Binary) {
    const std::optional<double> value = StoredDouble(stored.Bytes);
    if (!value) return false;
    text = PropValueText(TPropValue(*value));
  }
  if (kind == TPropKind::Strings) {
    if (text == NullText) return Assign(out, TPropValue());
    return Assign(out, TPropValue(TextToStrings(text)));
  }
  return Assign(out, TPropValue(text));
}

bool FromIni(const std::string& stored, TPropKind kind, TPropValue& out) {
  if (kind == TPropKind::Integer || kind == TPropKind::Int64) {
    const std::string_view text = TrimBlanks(stored);
    if (auto number = TryTextToInt(text)) return Assign(out, TPropValue(int64_t{*number}));
    char* end = nullptr;
    const std::string copy(text);
    const long long value = std::strtoll(copy.c_str(), &end, 10);
    if (copy.empty() || *end != 0) return false;
    return Assign(out, TPropValue(int64_t{value}));
  }
  if (kind == TPropKind::Float) {
    const std::string copy(TrimBlanks(stored));
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || *end != 0) return false;
    return Assign(out, TPropValue(value));
  }
  if (kind == TPropKind::Strings) {
    if (stored == NullText) return Assign(out, TPropValue());
    return Assign(out, TPropValue(TextToStrings(stored)));
  }
  return Assign(out, TPropValue(stored));
}

std::string ToText(const TPropValue& value, TPropKind kind) {
  if (kind == TPropKind::Strings) return StringsToText(PropValueText(value));
  return PropValueText(value);
}

// --- The storage of one operation ---

class TStorage {
 public:
  virtual ~TStorage() = default;
  // False when the value is not stored (or does not read as the kind).
  virtual bool Read(const TWreg::TEntry& entry, TPropKind kind, TPropValue& value) = 0;
  virtual void Write(const TWreg::TEntry& entry, TPropKind kind, const TPropValue& value) = 0;
  virtual bool Finish() { return true; }
};

class TCustomStorage : public TStorage {
 public:
  explicit TCustomStorage(TWreg& store) : Store(store) {}
  bool Read(const TWreg::TEntry& entry, TPropKind kind, TPropValue& value) override {
    if (!Store.GetValue) return false;
    value = TPropValue();
    Store.GetValue(Store, entry, kind, value);
    return !std::holds_alternative<std::monostate>(value);
  }
  void Write(const TWreg::TEntry& entry, TPropKind kind, const TPropValue& value) override {
    if (!Store.SetValue) return;
    TPropValue copy = value;
    Store.SetValue(Store, entry, kind, copy);
  }

 private:
  TWreg& Store;
};

class TIniStorage : public TStorage {
 public:
  TIniStorage(const TWreg& store, const std::string& fileName) : Store(store), File(fileName) {}
  bool Read(const TWreg::TEntry& entry, TPropKind kind, TPropValue& value) override {
    const auto stored = File.Read(Store.SectionFor(entry.KeyPath), entry.ValueName);
    return stored && FromIni(*stored, kind, value);
  }
  void Write(const TWreg::TEntry& entry, TPropKind kind, const TPropValue& value) override {
    const std::string section = Store.SectionFor(entry.KeyPath);
    if (std::holds_alternative<std::monostate>(value) && kind != TPropKind::Strings) {
      File.DeleteKey(section, entry.ValueName);
      return;
    }
    File.Write(section, entry.ValueName,
               std::holds_alternative<std::monostate>(value) ? NullText : ToText(value, kind));
  }
  bool Finish() override { return File.Save(); }

 private:
  const TWreg& Store;
  TIniFile File;
};

class TRegistryStorage : public TStorage {
 public:
  TRegistryStorage(TRegistryRoot root, std::string basePath) : Root(root), BasePath(std::move(basePath)) {}
  bool Read(const TWreg::TEntry& entry, TPropKind kind, TPropValue& value) override {
    auto key = TRegistryKey::Open(Root, KeyOf(entry), false);
    if (!key) return false;
    const auto stored = key->Read(entry.ValueName);
    return stored && FromRegistry(*stored, kind, value);
  }
  void Write(const TWreg::TEntry& entry, TPropKind kind, const TPropValue& value) override {
    auto key = TRegistryKey::Open(Root, KeyOf(entry), true);
    if (!key) return;
    if (std::holds_alternative<std::monostate>(value) && kind != TPropKind::Strings) {
      key->DeleteValue(entry.ValueName);
      return;
    }
    bool written = false;
    try {
      if (std::holds_alternative<std::monostate>(value))
        written = key->WriteText(entry.ValueName, NullText);
      else if (kind == TPropKind::Integer)
        written = key->WriteInteger(entry.ValueName, static_cast<int32_t>(PropValueInteger(value)));
      else if (kind == TPropKind::Int64)
        written = key->WriteInt64(entry.ValueName, PropValueInteger(value));
      else if (kind == TPropKind::Float)
        written = key->WriteBinary(entry.ValueName, FloatBytes(PropValueFloat(value)));
      else
        written = key->WriteText(entry.ValueName, ToText(value, kind));
    } catch (...) {
      written = false;
    }
    if (!written) key->DeleteValue(entry.ValueName);
  }

 private:
  std::string KeyOf(const TWreg::TEntry& entry) const {
    return entry.KeyPath.empty() ? BasePath : BasePath + "\\" + entry.KeyPath;
  }
  TRegistryRoot Root;
  std::string BasePath;
};

}  // namespace

// --- Entries and addresses ---

std::optional<TWreg::TEntry> TWreg::ParseEntry(std::string_view line) {
  line = TrimBlanks(line);
  if (line.empty() || line.front() == ';') return std::nullopt;
  size_t separator = line.find(',');
  if (separator == std::string_view::npos) separator = line.find(';');
  if (separator == std::string_view::npos) return std::nullopt;
  std::string_view key = line.substr(separator + 1);
  key = key.substr(0, key.find(';'));
  const std::string cleaned = CleanKey(TrimBlanks(key));
  if (TrimBlanks(cleaned).empty()) return std::nullopt;
  TEntry entry;
  entry.Property = std::string(TrimBlanks(line.substr(0, separator)));
  const size_t last = cleaned.rfind('\\');
  entry.ValueName = std::string(TrimBlanks(last == std::string::npos ? cleaned : cleaned.substr(last + 1)));
  if (last != std::string::npos) entry.KeyPath = WithoutTrailing(cleaned.substr(0, last), "\\");
  if (entry.ValueName.empty()) return std::nullopt;
  return entry;
}

std::string TWreg::SectionFor(const std::string& keyPath, bool useCommon) const {
  const std::string prefix = WithoutTrailing(INIFileSectionPrefix, "/\\");
  const bool endedInSeparator = prefix.size() != INIFileSectionPrefix.size();
  std::string section;
  if (!keyPath.empty())
    section = prefix.empty() ? keyPath : prefix + "." + keyPath;
  else if (endedInSeparator || !useCommon)
    section = prefix;
  else
    section = prefix.empty() ? "Common" : prefix + ".Common";
  for (char& c : section)
    if (c == '\\') c = '.';
  return section;
}

std::string TWreg::LockName(const std::string& iniFile) {
  std::string name = platform::AsciiLowerCase(iniFile);
  for (char& c : name)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) c = '_';
  return name;
}

const TPropDef* TWreg::FindProperty(TComponent& root, const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) {
    TComponent* component = &root;
    const std::vector<std::string_view> names = SplitFields(std::string_view(name).substr(0, dot), ".");
    for (size_t i = 0; i < names.size() && component != nullptr; ++i) {
      if (i == 0 && !root.Name.empty() && SameText(names[i], root.Name) && !root.FindComponent(names[i])) continue;
      component = component->FindComponent(names[i]);
    }
    if (component != nullptr)
      if (const TPropDef* property = component->FindProperty(std::string_view(name).substr(dot + 1))) return property;
  }
  // The root's own property; a form path is written with "_" for ".".
  std::string flat = name;
  for (char& c : flat)
    if (c == '.') c = '_';
  return root.FindProperty(flat);
}

std::string TWreg::BasePath() const { return WithoutTrailing(RegistryPath, "\\"); }

// --- Operations ---

bool TWreg::Run(TComponent& root, const std::vector<std::string>& entries, bool saving) {
  std::unique_ptr<TStorage> storage;
  std::unique_ptr<platform::TNamedLock> lock;
  if (INIFile == CustomStorage) {
    storage = std::make_unique<TCustomStorage>(*this);
  } else if (!INIFile.empty() && (saving || FileExists(INIFile))) {
    lock = std::make_unique<platform::TNamedLock>(LockName(INIFile));
    lock->Acquire();
    storage = std::make_unique<TIniStorage>(*this, INIFile);
  } else {
    if (!OpenBaseKey(saving)) return false;
    storage = std::make_unique<TRegistryStorage>(static_cast<TRegistryRoot>(OpenedRoot), BasePath());
  }
  for (const std::string& line : entries) {
    const std::optional<TEntry> entry = ParseEntry(line);
    if (!entry) continue;
    bool skip = false;
    if (BeforeProcessItem) BeforeProcessItem(*this, *entry, skip);
    if (skip) continue;
    const TPropDef* property = FindProperty(root, entry->Property);
    if (property == nullptr) continue;
    if (saving) {
      if (property->Get) storage->Write(*entry, property->Kind, property->Get());
    } else if (property->Set) {
      TPropValue value;
      if (storage->Read(*entry, property->Kind, value)) property->Set(value);
    }
  }
  // An INI file that cannot be written is a failed save.
  return storage->Finish();
}

bool TWreg::Load(TComponent& root, const std::vector<std::string>* replacement) {
  return Run(root, replacement ? *replacement : Components, false);
}

bool TWreg::Save(TComponent& root) { return Run(root, Components, true); }

bool TWreg::Delete(const std::vector<std::string>& list) {
  auto keyOf = [](const std::string& line) -> std::optional<TEntry> {
    if (auto entry = ParseEntry(line)) return entry;
    const std::string cleaned = CleanKey(TrimBlanks(line));
    if (cleaned.empty() || cleaned.front() == ';') return std::nullopt;
    TEntry entry;
    const size_t last = cleaned.rfind('\\');
    entry.ValueName = last == std::string::npos ? cleaned : cleaned.substr(last + 1);
    if (last != std::string::npos) entry.KeyPath = cleaned.substr(0, last);
    return entry;
  };
  if (INIFile == CustomStorage) return true;
  if (!INIFile.empty() && FileExists(INIFile)) {
    platform::TNamedLock lock(LockName(INIFile));
    lock.Acquire();
    TIniFile file(INIFile);
    for (const std::string& line : list)
      if (auto entry = keyOf(line)) file.DeleteKey(SectionFor(entry->KeyPath, false), entry->ValueName);
    return file.Save();
  }
  bool opened = false;
  for (uint8_t root : {RegistryRoot, SecondRegistryRoot}) {
    if (!TRegistryKey::Open(static_cast<TRegistryRoot>(root), BasePath(), false)) continue;
    opened = true;
    OpenedRoot = root;
    for (const std::string& line : list) {
      const auto entry = keyOf(line);
      if (!entry) continue;
      const std::string path =
          BasePath() + "\\" + (entry->KeyPath.empty() ? "" : entry->KeyPath + "\\") + entry->ValueName;
      // Top-level keys are never removed.
      if (path.size() > 5 && std::count(path.begin(), path.end(), '\\') > 2)
        TRegistryKey::DeleteTree(static_cast<TRegistryRoot>(root), path);
    }
    break;
  }
  return opened;
}

bool TWreg::ListKeys(std::vector<std::string>& list) {
  list.clear();
  if (INIFile == CustomStorage) return false;
  if (!INIFile.empty() && FileExists(INIFile)) {
    platform::TNamedLock lock(LockName(INIFile));
    lock.Acquire();
    const std::string prefix = SectionFor({}, false);
    for (const std::string& section : TIniFile(INIFile).Sections()) {
      if (prefix.empty())
        list.push_back(section);
      else if (section.size() > prefix.size() + 1 && SameText(section.substr(0, prefix.size() + 1), prefix + "."))
        list.push_back(section.substr(prefix.size() + 1));
    }
    return true;
  }
  const std::unique_ptr<TRegistryKey> key = OpenBaseKey(false);
  if (key) list = key->SubKeyNames();
  return key != nullptr;
}

bool TWreg::ListValues(std::vector<std::string>& list) {
  list.clear();
  if (INIFile == CustomStorage) return false;
  if (!INIFile.empty() && FileExists(INIFile)) {
    platform::TNamedLock lock(LockName(INIFile));
    lock.Acquire();
    list = TIniFile(INIFile).Keys(SectionFor({}, false));
    return true;
  }
  const std::unique_ptr<TRegistryKey> key = OpenBaseKey(false);
  if (key) list = key->ValueNames();
  return key != nullptr;
}

std::unique_ptr<TRegistryKey> TWreg::OpenBaseKey(bool create) {
  for (uint8_t root : {RegistryRoot, SecondRegistryRoot}) {
    if (auto key = TRegistryKey::Open(static_cast<TRegistryRoot>(root), BasePath(), create)) {
      OpenedRoot = root;
      return key;
    }
  }
  return nullptr;
}

// --- String lists as text ---

std::string StringsToText(const std::string& lines) {
  std::string text;
  const std::vector<std::string_view> items = SplitLines(lines);
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string_view item = items[i];
    const bool quote = item.empty() || item.find_first_of(" ,\"\t") != std::string_view::npos;
    if (i > 0) text += ',';
    if (!quote) {
      text += item;
      continue;
    }
    text += '"';
    for (char c : item) text += c == '"' ? std::string("\"\"") : std::string(1, c);
    text += '"';
  }
  return text;
}

std::string TextToStrings(const std::string& text) {
  std::vector<std::string> items;
  size_t i = 0;
  while (i < text.size()) {
    std::string item;
    if (text[i] == '"') {
      for (++i; i < text.size(); ++i) {
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            item += '"';
            ++i;
          } else {
            ++i;
            break;
          }
        } else {
          item += text[i];
        }
      }
    } else {
      while (i < text.size() && text[i] != ',') item += text[i++];
    }
    items.push_back(item);
    if (i < text.size() && text[i] == ',') {
      ++i;
      if (i == text.size()) items.emplace_back();
    }
  }
  std::string lines;
  for (size_t k = 0; k < items.size(); ++k) lines += (k ? "\r\n" : "") + items[k];
  return lines;
}

}  // namespace cjt
