// A lock holder guarding an object list.
#pragma once

#include <cstddef>

#include "support/object_list.h"
#include "support/thread_object.h"

namespace cjt {

template <class T>
class TThreadObjectList : public TGuardedHolder<TObjectList<T>> {
  using TBase = TGuardedHolder<TObjectList<T>>;

 public:
  // The base only keeps the list's address; the list itself is built right after it.
  explicit TThreadObjectList(bool ownsObjects = true) : TBase(&List), List(ownsObjects) {}

  // Frees the objects under the exclusive lock, so no reader sees them go.
  ~TThreadObjectList() override { Clear(); }

  void Add(T* object) { TWriteLocked<TBase>(*this)->Add(object); }
  void Clear() { TWriteLocked<TBase>(*this)->Clear(); }
  size_t Count() { return TReadLocked<TBase>(*this)->Count(); }

 private:
  TObjectList<T> List;
};

}  // namespace cjt
