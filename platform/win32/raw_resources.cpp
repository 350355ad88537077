// Windows: the RCDATA resources of the module that contains this code.
#include <windows.h>

#include "platform/raw_resources.h"
#include "platform/win32/own_module.h"

namespace cjt::platform {

std::optional<std::string_view> NativeRawResource(const std::string& name) {
  const HMODULE module = OwnModuleHandle();
  HRSRC resource = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (resource == nullptr) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, resource);
  if (loaded == nullptr) return std::nullopt;
  const void* data = LockResource(loaded);
  const DWORD size = SizeofResource(module, resource);
  if (data == nullptr && size != 0) return std::nullopt;
  return std::string_view(static_cast<const char*>(data), size);
}

}  // namespace cjt::platform
