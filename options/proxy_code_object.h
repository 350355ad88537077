// TProxyCodeObject: stands in for the options form when the settings are loaded or saved
// without a window. Its published properties carry the form's persisted values,
// the form path written with "_" for ".", so the settings store fills and saves it by the
// persisted-property list ("lblParams.Caption" is the property lblParams_Caption).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/component.h"
#include "support/str_holder.h"

namespace cjt {

// A component whose assignment to other objects does nothing.
class TProxyCodeCustomObject : public TComponent {
 public:
  explicit TProxyCodeCustomObject(std::string className, std::string name = {});
  void AssignTo(TComponent&) const {}
};

class TProxyCodeObject : public TProxyCodeCustomObject {
 public:
  explicit TProxyCodeObject(std::string name = {});

  int32_t Left = 326;
  int32_t Top = 144;
  int32_t Height = 435;
  int32_t Width = 481;
  std::string lblParams_Caption;
  std::string OpenDialog_FileName;
  std::string SaveDialog_FileName;
  double spMinInt_Value = 0;
  bool chkBlockIp_Checked = false;
};

// The options form's persisted-property list, one entry per line.
const std::vector<std::string>& OptionsPersistedProperties();

// The module's string holder "Properties": tag 9999, capacity 12, an empty key, and the
// persisted-property list followed by one empty line.
std::unique_ptr<TkroStrHolder> MakeOptionsPropertiesHolder();

}  // namespace cjt
