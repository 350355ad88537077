// A parameter list shared between threads: used only between LockRead/UnlockRead (reading)
// or LockWrite/UnlockWrite (changing), or inside a TReadLocked / TWriteLocked bracket.
#pragma once

#include "params/kro_params_list.h"
#include "support/thread_object.h"

namespace cjt {

class TkroThreadParamsList : public TGuardedHolder<TkroParamsList> {
 public:
  // The base only keeps the list's address; the list itself is built right after it.
  TkroThreadParamsList() : TGuardedHolder<TkroParamsList>(&List) {}

 private:
  TkroParamsList List;
};

}  // namespace cjt
