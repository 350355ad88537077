// The registry without Windows: one text file of lines, each a key or a value, every field
// written as hexadecimal bytes so that no text can break a line:
//   K <root> <path>
//   V <root> <path> <name> <T|I|B> <data>
// Keys and value names compare without ASCII case. Every operation reads the file, and a
// change writes it anew (through a temporary file and a rename), under a lock file.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "platform/registry.h"
#include "platform/text_encoding.h"

namespace cjt::platform {

namespace {

std::string StoreFile() {
  if (const char* file = std::getenv("CJT_REGISTRY_FILE"); file && *file) return file;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.cjt188-registry";
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out.empty() ? "-" : out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes of a field, or nothing when it is not one (a damaged line).
std::optional<std::string> Unhex(const std::string& text) {
  if (text == "-") return std::string();
  if (text.size() % 2 != 0) return std::nullopt;
  std::string out;
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
  }
  return out;
}

// "\a\\b\" -> "a\b"
std::string NormalPath(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out += c;
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

std::string Lower(const std::string& text) { return AsciiLowerCase(text); }

struct TStoredValue {
  std::string Name;
  TRegistryValue Value;
};

struct TStoredKey {
  std::string Path;
  std::map<std::string, TStoredValue> Values;  // by lower-case name
};

// The whole store, keyed by root and lower-case path.
using TStore = std::map<std::pair<int, std::string>, TStoredKey>;

class TStoreLock {
 public:
  TStoreLock() {
    File = open((StoreFile() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (File >= 0)
      while (flock(File, LOCK_EX) != 0) {
      }
  }
  ~TStoreLock() {
    if (File >= 0) close(File);
  }
  TStoreLock(const TStoreLock&) = delete;
  TStoreLock& operator=(const TStoreLock&) = delete;

 private:
  int File = -1;
};

// Adds one line of the file to the store; a line that does not read (a damaged file) is
// left out, so that the rest of the store stays usable and the next change writes it anew.
void AddLine(const std::string& line, TStore& store) {
  std::istringstream fields(line);
  std::string kind, root, path;
  if (!(fields >> kind >> root >> path)) return;
  const std::optional<std::string> keyPath = Unhex(path);
  if (!keyPath) return;
  TStoredKey& key = store[{std::atoi(root.c_str()), Lower(*keyPath)}];
  key.Path = *keyPath;
  std::string name, type, data;
  if (kind != "V" || !(fields >> name >> type >> data)) return;
  const std::optional<std::string> valueName = Unhex(name);
  const std::optional<std::string> bytes = Unhex(data);
  if (!valueName || !bytes) return;
  TStoredValue value{*valueName, {}};
  if (type == "T") {
    value.Value.Type = TRegistryValue::Text;
    value.Value.TextValue = *bytes;
  } else if (type == "I") {
    value.Value.Type = TRegistryValue::Integer;
    value.Value.IntegerValue = std::strtoll(bytes->c_str(), nullptr, 10);
  } else {
    value.Value.Type = TRegistryValue::Binary;
    value.Value.Bytes.assign(bytes->begin(), bytes->end());
  }
  key.Values[Lower(value.Name)] = std::move(value);
}

TStore LoadStore() {
  TStore store;
  std::ifstream in(StoreFile());
  std::string line;
  while (std::getline(in, line)) AddLine(line, store);
  return store;
}

bool SaveStore(const TStore& store) {
  const std::string file = StoreFile();
  const std::string temporary = file + ".new";
  {
    std::ofstream out(temporary, std::ios::trunc);
    if (!out) return false;
    for (const auto& [id, key] : store) {
      out << "K " << id.first << ' ' << Hex(key.Path) << '\n';
      for (const auto& [lower, value] : key.Values) {
        out << "V " << id.first << ' ' << Hex(key.Path) << ' ' << Hex(value.Name) << ' ';
        switch (value.Value.Type) {
          case TRegistryValue::Text:
            out << "T " << Hex(value.Value.TextValue);
            break;
          case TRegistryValue::Integer:
            out << "I " << Hex(std::to_string(value.Value.IntegerValue));
            break;
          case TRegistryValue::Binary:
            out << "B " << Hex(std::string(value.Value.Bytes.begin(), value.Value.Bytes.end()));
            break;
        }
        out << '\n';
      }
    }
    if (!out) return false;
  }
  return std::rename(temporary.c_str(), file.c_str()) == 0;
}

}  // namespace

struct TRegistryKey::TState {
  int Root = 0;
  std::string Path;  // normalised
  std::pair<int, std::string> Id() const { return {Root, Lower(Path)}; }
};

TRegistryKey::TRegistryKey(std::unique_ptr<TState> state) : State(std::move(state)) {}
TRegistryKey::~TRegistryKey() = default;

std::unique_ptr<TRegistryKey> TRegistryKey::Open(TRegistryRoot root, const std::string& path, bool create) {
  if (root >= RootNone) return nullptr;
  auto state = std::make_unique<TState>();
  state->Root = root;
  state->Path = NormalPath(path);
  TStoreLock lock;
  TStore store = LoadStore();
  if (state->Path.empty() || store.count(state->Id()) > 0)
    return std::unique_ptr<TRegistryKey>(new TRegistryKey(std::move(state)));
  if (!create) return nullptr;
  // The key and every key above it.
  for (size_t end = 0; end != std::string::npos;) {
    end = state->Path.find('\\', end + 1);
    const std::string part = state->Path.substr(0, end);
    TStoredKey& key = store[{root, Lower(part)}];
    if (key.Path.empty()) key.Path = part;
  }
  if (!SaveStore(store)) return nullptr;
  return std::unique_ptr<TRegistryKey>(new TRegistryKey(std::move(state)));
}

bool TRegistryKey::DeleteTree(TRegistryRoot root, const std::string& path) {
  const std::string lower = Lower(NormalPath(path));
  if (root >= RootNone || lower.empty()) return false;
  TStoreLock lock;
  TStore store = LoadStore();
  bool found = false;
  for (auto it = store.begin(); it != store.end();) {
    const bool below =
        it->first.first == root && (it->first.second == lower || it->first.second.rfind(lower + "\\", 0) == 0);
    if (below) {
      found = true;
      it = store.erase(it);
    } else {
      ++it;
    }
  }
  return found && SaveStore(store);
}

std::optional<TRegistryValue> TRegistryKey::Read(const std::string& name) const {
  TStoreLock lock;
  const TStore store = LoadStore();
  auto key = store.find(State->Id());
  if (key == store.end()) return std::nullopt;
  auto value = key->second.Values.find(Lower(name));
  if (value == key->second.Values.end()) return std::nullopt;
  return value->second.Value;
}

namespace {

bool Write(int root, const std::string& path, const std::string& name, const TRegistryValue& value) {
  TStoreLock lock;
  TStore store = LoadStore();
  TStoredKey& key = store[{root, Lower(path)}];
  key.Path = path;
  key.Values[Lower(name)] = TStoredValue{name, value};
  return SaveStore(store);
}

}  // namespace

bool TRegistryKey::WriteText(const std::string& name, const std::string& value) {
  TRegistryValue stored;
  stored.Type = TRegistryValue::Text;
  stored.TextValue = value;
  return Write(State->Root, State->Path, name, stored);
}

bool TRegistryKey::WriteInteger(const std::string& name, int32_t value) { return WriteInt64(name, value); }

bool TRegistryKey::WriteInt64(const std::string& name, int64_t value) {
  TRegistryValue stored;
  stored.Type = TRegistryValue::Integer;
  stored.IntegerValue = value;
  return Write(State->Root, State->Path, name, stored);
}

bool TRegistryKey::WriteBinary(const std::string& name, const std::vector<uint8_t>& value) {
  TRegistryValue stored;
  stored.Type = TRegistryValue::Binary;
  stored.Bytes = value;
  return Write(State->Root, State->Path, name, stored);
}

bool TRegistryKey::DeleteValue(const std::string& name) {
  TStoreLock lock;
  TStore store = LoadStore();
  auto key = store.find(State->Id());
  if (key == store.end() || key->second.Values.erase(Lower(name)) == 0) return false;
  return SaveStore(store);
}

std::vector<std::string> TRegistryKey::ValueNames() const {
  TStoreLock lock;
  const TStore store = LoadStore();
  std::vector<std::string> names;
  auto key = store.find(State->Id());
  if (key != store.end())
    for (const auto& [lower, value] : key->second.Values) names.push_back(value.Name);
  return names;
}

std::vector<std::string> TRegistryKey::SubKeyNames() const {
  TStoreLock lock;
  const TStore store = LoadStore();
  const std::string prefix = State->Path.empty() ? std::string() : Lower(State->Path) + "\\";
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (const auto& [id, key] : store) {
    if (id.first != State->Root || id.second.size() <= prefix.size() || id.second.rfind(prefix, 0) != 0) continue;
    const std::string rest = key.Path.substr(prefix.size());
    const std::string name = rest.substr(0, rest.find('\\'));
    if (seen.insert(Lower(name)).second) names.push_back(name);
  }
  return names;
}

}  // namespace cjt::platform
