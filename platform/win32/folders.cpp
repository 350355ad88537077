#include <windows.h>
// shlobj.h needs the declarations of windows.h first.
#include <shlobj.h>

#include <cstdlib>

#include "platform/folders.h"

namespace cjt::platform {

namespace {

std::string FromRegistry() {
  char value[MAX_PATH] = {};
  DWORD size = sizeof(value) - 1;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                   "Common AppData", RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return {};
  return value;
}

}  // namespace

// The shell's folder 35 (CSIDL_COMMON_APPDATA); else the registry's record of it; else the
// common program files.
std::string CommonAppDataFolder() {
  char path[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK && path[0] != 0)
    return path;
  std::string fromRegistry = FromRegistry();
  if (!fromRegistry.empty()) return fromRegistry;
  const char* programFiles = std::getenv("CommonProgramFiles");
  return programFiles ? programFiles : "";
}

char PathDelimiter() { return '\\'; }

}  // namespace cjt::platform
