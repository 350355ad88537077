// The options of the CJ/T 188 module as the options dialog stores them, among them the
// request configuration text (lblParams_Caption) and the minimal interval between requests
// (spMinInt_Value, ms).
#pragma once

#include "options/proxy_code_object.h"

namespace cjt {

class TDataSourceCfg : public TProxyCodeObject {
 public:
  TDataSourceCfg() : TProxyCodeObject("DataSourceCfg") { AddAncestorClass("TDataSourceCfg"); }
};

}  // namespace cjt
