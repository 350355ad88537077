// The system registry: the Windows registry, and elsewhere a small store in one file with
// the same shape (roots, keys of "\"-separated names compared without case, named values
// that are texts, 32- or 64-bit integers or bytes).
//
// The POSIX store lives in the file named by the environment variable CJT_REGISTRY_FILE,
// else in $HOME/.cjt188-registry; every change rewrites the file under a lock file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cjt::platform {

// Numbered as the settings store's registry roots; RootNone opens nothing.
enum TRegistryRoot : uint8_t {
  RootClassesRoot = 0,
  RootCurrentUser = 1,
  RootLocalMachine = 2,
  RootUsers = 3,
  RootCurrentConfig = 4,
  RootNone = 5,
};

struct TRegistryValue {
  enum TType : uint8_t { Text, Integer, Binary } Type = Text;
  std::string TextValue;       // Text (8-bit text of the system)
  int64_t IntegerValue = 0;    // Integer (32-bit and 64-bit values)
  std::vector<uint8_t> Bytes;  // Binary
};

class TRegistryKey {
 public:
  // Opens (with create, creates) the key path under the root; null when that fails. A
  // leading "\" of the path is ignored.
  static std::unique_ptr<TRegistryKey> Open(TRegistryRoot root, const std::string& path, bool create);
  // Deletes the key with everything below it; false when it was not there or could not go.
  static bool DeleteTree(TRegistryRoot root, const std::string& path);

  ~TRegistryKey();
  TRegistryKey(const TRegistryKey&) = delete;
  TRegistryKey& operator=(const TRegistryKey&) = delete;

  std::optional<TRegistryValue> Read(const std::string& name) const;
  bool WriteText(const std::string& name, const std::string& value);
  bool WriteInteger(const std::string& name, int32_t value);
  bool WriteInt64(const std::string& name, int64_t value);
  bool WriteBinary(const std::string& name, const std::vector<uint8_t>& value);
  bool DeleteValue(const std::string& name);
  std::vector<std::string> ValueNames() const;
  std::vector<std::string> SubKeyNames() const;

 private:
  struct TState;
  explicit TRegistryKey(std::unique_ptr<TState> state);
  std::unique_ptr<TState> State;
};

}  // namespace cjt::platform
