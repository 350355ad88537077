#include "params/borrowed_list_intf.h"

#include "params/kro_params_list_wrap.h"

namespace cjt {

IkroParamsListA* NewBorrowedListIntf(TkroParamsList& list) {
  IkroParamsListA* intf = static_cast<IkroParamsListA*>(new TkroParamsListWrap(&list, true));
  intf->AddRef();
  return intf;
}

}  // namespace cjt
