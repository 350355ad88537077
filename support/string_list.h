// An 8-bit string list whose strings may each carry a pointer-sized value (an object
// reference, a checksum, a counter), and the lock holder that guards one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/rw_lock.h"

namespace cjt {

// What a sorted list does when asked to add a string it already holds; an unsorted list
// always adds.
enum class TDuplicates { Ignore, Accept, Error };

class TStringList {
 public:
  struct TItem {
    std::string Text;
    uintptr_t Object = 0;
  };

  // Returns the index of the new string (or, in a sorted list ignoring duplicates, of the
  // string already there). Throws std::invalid_argument for a duplicate when the mode says
  // Error.
  size_t AddObject(std::string text, uintptr_t object);
  size_t Add(std::string text) { return AddObject(std::move(text), 0); }
  void Delete(size_t index);
  void Clear() { Items.clear(); }

  size_t Count() const { return Items.size(); }
  const std::string& Strings(size_t index) const { return Items.at(index).Text; }
  uintptr_t Objects(size_t index) const { return Items.at(index).Object; }
  void SetObject(size_t index, uintptr_t object) { Items.at(index).Object = object; }
  // First index whose string equals text without regard to ASCII case, or -1.
  std::ptrdiff_t IndexOf(std::string_view text) const;

  TDuplicates Duplicates() const { return DuplicatesMode; }
  void SetDuplicates(TDuplicates mode) { DuplicatesMode = mode; }
  bool Sorted() const { return IsSorted; }
  // Sorting orders the strings without regard to ASCII case and keeps them so.
  void SetSorted(bool sorted);

  auto begin() const { return Items.begin(); }
  auto end() const { return Items.end(); }

 private:
  std::vector<TItem> Items;
  TDuplicates DuplicatesMode = TDuplicates::Ignore;
  bool IsSorted = false;
};

// The string list behind its own shared/exclusive lock, created at once.
class TThreadStringList {
 public:
  TThreadStringList() = default;
  virtual ~TThreadStringList() = default;
  TThreadStringList(const TThreadStringList&) = delete;
  TThreadStringList& operator=(const TThreadStringList&) = delete;

  TStringList& LockRead() {
    Lock.LockRead();
    return List;
  }
  void UnlockRead() { Lock.UnlockRead(); }
  TStringList& LockWrite() {
    Lock.LockWrite();
    return List;
  }
  void UnlockWrite() { Lock.UnlockWrite(); }

  size_t AddObject(std::string text, uintptr_t object);
  void Clear();
  void SetDuplicates(TDuplicates mode);
  size_t Count();

 private:
  TReentrantRWLock Lock;
  TStringList List;
};

}  // namespace cjt
