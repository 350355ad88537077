// A map from a pointer-sized unsigned key to an owned object, and the lock holder that
// guards one (the per-connection client list of a data source).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "support/thread_object.h"

namespace cjt {

template <class T>
class TPtrUIntObjectHash {
 public:
  // Frees the object of an entry with the same key first, then inserts.
  T& Put(uintptr_t key, std::unique_ptr<T> object) {
    Entries.erase(key);
    return *(Entries[key] = std::move(object));
  }

  // Frees the entry's object; false when there was no entry.
  bool Remove(uintptr_t key) { return Entries.erase(key) > 0; }

  // Takes the entry's object out without freeing it.
  std::unique_ptr<T> Extract(uintptr_t key) {
    auto found = Entries.find(key);
    if (found == Entries.end()) return nullptr;
    std::unique_ptr<T> object = std::move(found->second);
    Entries.erase(found);
    return object;
  }

  // Takes every entry's object out without freeing it.
  std::vector<std::unique_ptr<T>> ExtractAll() {
    std::vector<std::unique_ptr<T>> objects;
    for (auto& [key, object] : Entries) objects.push_back(std::move(object));
    Entries.clear();
    return objects;
  }

  T* Find(uintptr_t key) const {
    auto found = Entries.find(key);
    return found == Entries.end() ? nullptr : found->second.get();
  }

  // Calls visit with each entry; visit must not add or remove entries.
  void ForEach(const std::function<void(uintptr_t key, T& object)>& visit) const {
    for (const auto& [key, object] : Entries) visit(key, *object);
  }

  void Clear() { Entries.clear(); }
  size_t Count() const { return Entries.size(); }

 private:
  std::unordered_map<uintptr_t, std::unique_ptr<T>> Entries;
};

template <class T>
class TThreadPtrUIntObjectHashList : public TGuardedHolder<TPtrUIntObjectHash<T>> {
  using TBase = TGuardedHolder<TPtrUIntObjectHash<T>>;

 public:
  // The base only keeps the map's address; the map itself is built right after it.
  TThreadPtrUIntObjectHashList() : TBase(&Map) {}

  // Frees the objects under the exclusive lock, so no reader sees them go.
  ~TThreadPtrUIntObjectHashList() override { TWriteLocked<TBase>(*this)->Clear(); }

  size_t Count() { return TReadLocked<TBase>(*this)->Count(); }

 private:
  TPtrUIntObjectHash<T> Map;
};

}  // namespace cjt
