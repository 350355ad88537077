// The options of the CJ/T 188 module as the options dialog stores them: the request
// configuration text and the minimal interval between requests.
#pragma once

#include <string>

namespace cjt {

class TDataSourceCfg {
 public:
  std::string lblParams_Caption;  // the request configuration XML
  double spMinInt_Value = 0;      // minimal interval between data packets, ms
};

}  // namespace cjt
