#include "options/proxy_code_object.h"

namespace cjt {

TProxyCodeCustomObject::TProxyCodeCustomObject(std::string className, std::string name)
    : TComponent(std::move(className), std::move(name)) {
  AddAncestorClass("TProxyCodeCustomObject");
}

TProxyCodeObject::TProxyCodeObject(std::string name) : TProxyCodeCustomObject("TProxyCodeObject", std::move(name)) {
  BindInteger("Left", Left);
  BindInteger("Top", Top);
  BindInteger("Height", Height);
  BindInteger("Width", Width);
  BindString("lblParams_Caption", lblParams_Caption);
  BindString("OpenDialog_FileName", OpenDialog_FileName);
  BindString("SaveDialog_FileName", SaveDialog_FileName);
  BindFloat("spMinInt_Value", spMinInt_Value);
  BindBoolean("chkBlockIp_Checked", chkBlockIp_Checked);
}

const std::vector<std::string>& OptionsPersistedProperties() {
  static const std::vector<std::string> list = {
      "Left,Left",
      "Top,Top",
      "Height,Height",
      "Width,Width",
      ";---short---",
      "lblParams.Caption,Parser config",
      "OpenDialog.FileName,Open files dir",
      "SaveDialog.FileName,Save files dir",
      "spMinInt.Value,Min interval",
  };
  return list;
}

std::unique_ptr<TkroStrHolder> MakeOptionsPropertiesHolder() {
  auto holder = std::make_unique<TkroStrHolder>("Properties");
  holder->Tag = 9999;
  holder->Capacity = 12;
  std::vector<std::string> lines = OptionsPersistedProperties();
  lines.emplace_back();
  holder->SetStrings(std::move(lines));
  return holder;
}

}  // namespace cjt
