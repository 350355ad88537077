// TWreg: the property-list store. It writes the values of chosen component properties into
// the registry, an INI file, or through callbacks ("$CUSTOM$"), and reads them back, as
// the host chose where the module's settings live.
//
// One entry of Components: "Component.Property,key" (";" as separator when there is no ","),
// the key an optional "\"-separated path and the value name. Lines starting with ";" are
// comments; entries without a key are skipped.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "support/component.h"

namespace cjt {

class TWreg {
 public:
  static constexpr char CustomStorage[] = "$CUSTOM$";

  struct TEntry {
    std::string Property;  // "Component.Property"
    std::string KeyPath;   // "\"-separated, may be empty
    std::string ValueName;
  };
  // Nothing for comments and entries without a key.
  static std::optional<TEntry> ParseEntry(std::string_view line);

  uint8_t RegistryRoot = platform::RootLocalMachine;
  uint8_t SecondRegistryRoot = platform::RootCurrentUser;
  std::string RegistryPath = "\\Software\\Company name\\App name";
  std::string INIFile;
  std::string INIFileSectionPrefix;
  std::vector<std::string> Components;
  // The root that was opened last; RootNone until one is.
  uint8_t OpenedRoot = platform::RootNone;

  // "$CUSTOM$": loading asks GetValue (leave the value empty for "not stored"), saving
  // hands the value to SetValue.
  using TValueEvent = std::function<void(TWreg& sender, const TEntry& entry, TPropKind kind, TPropValue& value)>;
  TValueEvent GetValue;
  TValueEvent SetValue;
  // May skip an entry.
  std::function<void(TWreg& sender, const TEntry& entry, bool& skip)> BeforeProcessItem;

  // Every entry read into the property under root (or the replacement list's entries).
  bool Load(TComponent& root, const std::vector<std::string>* replacement = nullptr);
  bool Save(TComponent& root);
  // Deletes what the entries (or bare keys) of the list name: INI keys, registry key trees
  // (only paths longer than five characters with more than two "\").
  bool Delete(const std::vector<std::string>& list);
  // Registry sub-keys of the path, or the INI sections under the prefix.
  bool ListKeys(std::vector<std::string>& list);
  // Registry values of the path, or the INI keys of the prefix's section.
  bool ListValues(std::vector<std::string>& list);

  // The INI section of a key path; with useCommon an empty path gives "Common" as the
  // store does for values.
  std::string SectionFor(const std::string& keyPath, bool useCommon = true) const;
  // The name of the cross-process lock of an INI file.
  static std::string LockName(const std::string& iniFile);
  // The property that "Component.Property" names under root, or null; the component of it
  // goes to owner.
  static const TPropDef* FindProperty(TComponent& root, const std::string& name);

 private:
  bool Run(TComponent& root, const std::vector<std::string>& entries, bool saving);
  std::string BasePath() const;
  // The store's path under the first of the two roots where it opens (made when create is
  // set); that root becomes OpenedRoot. Null when neither opens.
  std::unique_ptr<platform::TRegistryKey> OpenBaseKey(bool create);
};

// A string list as one text and back: items joined by ",", an item with blanks, commas or
// quotes in double quotes with its quotes doubled; "[[Null]]" is no value.
std::string StringsToText(const std::string& lines);
std::string TextToStrings(const std::string& text);

}  // namespace cjt
