// A counted list interface over a list that stays its owner's: the last Release frees the
// wrapper, never the list.
#pragma once

#include "params/kro_params_list.h"
#include "params/params_list_intf.h"

namespace cjt {

// A new wrapper, counted once.
IkroParamsListA* NewBorrowedListIntf(TkroParamsList& list);

// Holds such an interface for one scope.
class TBorrowedListIntf {
 public:
  explicit TBorrowedListIntf(TkroParamsList& list) : Intf(NewBorrowedListIntf(list)) {}
  ~TBorrowedListIntf() { Intf->Release(); }
  TBorrowedListIntf(const TBorrowedListIntf&) = delete;
  TBorrowedListIntf& operator=(const TBorrowedListIntf&) = delete;

  IkroParamsListA* Get() const { return Intf; }
  // The variable that holds the interface, for records that pass its address.
  IkroParamsListA** Var() { return &Intf; }

 private:
  IkroParamsListA* Intf;
};

}  // namespace cjt
