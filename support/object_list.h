// An ordered list of objects that frees them when it owns them.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace cjt {

template <class T>
class TObjectList {
 public:
  explicit TObjectList(bool ownsObjects = true) : OwnsObjects(ownsObjects) {}
  ~TObjectList() { Clear(); }
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;

  // An owning list takes over the object.
  size_t Add(T* object) {
    Items.push_back(object);
    return Items.size() - 1;
  }
  size_t Add(std::unique_ptr<T> object) { return Add(object.release()); }

  // Removes the entry at index, freeing its object when the list owns it.
  void Delete(size_t index) {
    T* object = Items.at(index);
    Items.erase(Items.begin() + static_cast<std::ptrdiff_t>(index));
    Free(object);
  }

  // Removes the entry at index and hands its object to the caller.
  std::unique_ptr<T> Extract(size_t index) {
    T* object = Items.at(index);
    Items.erase(Items.begin() + static_cast<std::ptrdiff_t>(index));
    return std::unique_ptr<T>(object);
  }

  // Removes every entry and hands their objects to the caller, in order.
  std::vector<std::unique_ptr<T>> ExtractAll() {
    std::vector<std::unique_ptr<T>> objects;
    for (T* object : Items) objects.emplace_back(object);
    Items.clear();
    return objects;
  }

  void Clear() {
    std::vector<T*> items;
    items.swap(Items);
    for (T* object : items) Free(object);
  }

  size_t Count() const { return Items.size(); }
  T* operator[](size_t index) const { return Items.at(index); }

  auto begin() const { return Items.begin(); }
  auto end() const { return Items.end(); }

 private:
  void Free(T* object) {
    if (OwnsObjects) delete object;
  }

  const bool OwnsObjects;
  std::vector<T*> Items;
};

}  // namespace cjt
