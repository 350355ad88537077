// TkroStrHolder: a component that carries a list of strings inside a serialized form. Our
// components have no form streaming, so the two extra properties of the serialized form are
// offered as values: "InternalVer" (always written as 2) and "StrData" (the KeyString
// first, then one encoded item per line).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/component.h"

namespace cjt {

class TkroStrHolder : public TComponent {
 public:
  explicit TkroStrHolder(std::string name = {});

  enum TDuplicates : uint8_t { dupIgnore, dupAccept, dupError };

  // Published.
  int32_t Capacity = 0;
  TDuplicates Duplicates = dupIgnore;
  std::string KeyString;
  bool Sorted = false;
  const std::vector<std::string>& Strings() const { return FStrings; }
  void SetStrings(std::vector<std::string> lines);
  void Add(std::string line);
  void Clear();

  // Fired before and after each change of the list, not while the component is loading.
  std::function<void(TkroStrHolder&)> OnChanging;
  std::function<void(TkroStrHolder&)> OnChange;

  // --- The serialized form ---
  static constexpr int32_t InternalVer = 2;
  // The KeyString, then each line encoded with the version written (2).
  std::vector<std::string> StrData() const;
  // Whether StrData is written: it differs from the ancestor's (number of lines, KeyString,
  // any line by case-insensitive comparison), or without an ancestor, when there is a line
  // or a key.
  bool ShouldWriteStrData(const TkroStrHolder* ancestor) const;
  // Reads StrData written with that version; no change events.
  void ReadStrData(int32_t internalVer, const std::vector<std::string>& data);

  // One line of StrData by version: 0 or less XOR by character (a short string of at most
  // 255 characters), 1 hexadecimal pairs XOR by pair index, 2 UTF-8 bytes XOR the UTF-8
  // key, as lowercase hexadecimal pairs.
  static std::string EncodeLine(std::string_view line, std::string_view key, int32_t version = InternalVer);
  static std::string DecodeLine(std::string_view data, std::string_view key, int32_t version);

 private:
  void Changing();
  void Changed();
  std::vector<std::string> FStrings;
  bool Loading = false;
};

}  // namespace cjt
