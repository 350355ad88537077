#include <windows.h>

#include <cstring>

#include "platform/registry.h"
#include "platform/text_encoding.h"

namespace cjt::platform {

namespace {

HKEY RootKey(TRegistryRoot root) {
  switch (root) {
    case RootClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RootCurrentUser:
      return HKEY_CURRENT_USER;
    case RootLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RootUsers:
      return HKEY_USERS;
    case RootCurrentConfig:
      return HKEY_CURRENT_CONFIG;
    default:
      return nullptr;
  }
}

std::wstring Wide(const std::string& text) {
  const std::u16string wide = AnsiToWide(text);
  return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(const wchar_t* text, size_t length) {
  return WideToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::wstring KeyPath(const std::string& path) {
  std::string trimmed = path;
  while (!trimmed.empty() && trimmed.front() == '\\') trimmed.erase(0, 1);
  return Wide(trimmed);
}

}  // namespace

struct TRegistryKey::TState {
  HKEY Key = nullptr;
};

TRegistryKey::TRegistryKey(std::unique_ptr<TState> state) : State(std::move(state)) {}

TRegistryKey::~TRegistryKey() {
  if (State->Key != nullptr) RegCloseKey(State->Key);
}

std::unique_ptr<TRegistryKey> TRegistryKey::Open(TRegistryRoot root, const std::string& path, bool create) {
  HKEY rootKey = RootKey(root);
  if (rootKey == nullptr) return nullptr;
  auto state = std::make_unique<TState>();
  const std::wstring keyPath = KeyPath(path);
  LONG status;
  if (create)
    status = RegCreateKeyExW(rootKey, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &state->Key, nullptr);
  else
    status = RegOpenKeyExW(rootKey, keyPath.c_str(), 0, KEY_ALL_ACCESS, &state->Key);
  if (status != ERROR_SUCCESS) return nullptr;
  return std::unique_ptr<TRegistryKey>(new TRegistryKey(std::move(state)));
}

bool TRegistryKey::DeleteTree(TRegistryRoot root, const std::string& path) {
  HKEY rootKey = RootKey(root);
  if (rootKey == nullptr) return false;
  const std::wstring keyPath = KeyPath(path);
  if (keyPath.empty()) return false;
  return RegDeleteTreeW(rootKey, keyPath.c_str()) == ERROR_SUCCESS;
}

std::optional<TRegistryValue> TRegistryKey::Read(const std::string& name) const {
  const std::wstring valueName = Wide(name);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(State->Key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  std::vector<uint8_t> data(size + 2, 0);
  if (RegQueryValueExW(State->Key, valueName.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  TRegistryValue value;
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      size_t length = size / sizeof(wchar_t);
      const auto* text = reinterpret_cast<const wchar_t*>(data.data());
      while (length > 0 && text[length - 1] == 0) --length;
      value.Type = TRegistryValue::Text;
      value.TextValue = Narrow(text, length);
      break;
    }
    case REG_DWORD: {
      int32_t number = 0;
      memcpy(&number, data.data(), sizeof(number));
      value.Type = TRegistryValue::Integer;
      value.IntegerValue = number;
      break;
    }
    case REG_QWORD: {
      int64_t number = 0;
      memcpy(&number, data.data(), sizeof(number));
      value.Type = TRegistryValue::Integer;
      value.IntegerValue = number;
      break;
    }
    default:
      value.Type = TRegistryValue::Binary;
      value.Bytes.assign(data.begin(), data.begin() + size);
  }
  return value;
}

bool TRegistryKey::WriteText(const std::string& name, const std::string& value) {
  const std::wstring text = Wide(value);
  return RegSetValueExW(State->Key, Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool TRegistryKey::WriteInteger(const std::string& name, int32_t value) {
  return RegSetValueExW(State->Key, Wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof(value)) == ERROR_SUCCESS;
}

bool TRegistryKey::WriteInt64(const std::string& name, int64_t value) {
  return RegSetValueExW(State->Key, Wide(name).c_str(), 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof(value)) == ERROR_SUCCESS;
}

bool TRegistryKey::WriteBinary(const std::string& name, const std::vector<uint8_t>& value) {
  return RegSetValueExW(State->Key, Wide(name).c_str(), 0, REG_BINARY, value.data(),
                        static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
}

bool TRegistryKey::DeleteValue(const std::string& name) {
  return RegDeleteValueW(State->Key, Wide(name).c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> TRegistryKey::ValueNames() const {
  std::vector<std::string> names;
  wchar_t name[16384];
  for (DWORD index = 0;; ++index) {
    DWORD length = 16384;
    if (RegEnumValueW(State->Key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(Narrow(name, length));
  }
  return names;
}

std::vector<std::string> TRegistryKey::SubKeyNames() const {
  std::vector<std::string> names;
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    if (RegEnumKeyExW(State->Key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(Narrow(name, length));
  }
  return names;
}

}  // namespace cjt::platform
