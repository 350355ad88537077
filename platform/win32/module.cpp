#include <windows.h>
// shellapi.h needs the declarations of windows.h first.
#include <shellapi.h>

#include <vector>

#include "platform/module.h"
#include "platform/text_encoding.h"
#include "platform/win32/own_module.h"

namespace cjt::platform {

namespace {

std::string ModuleFileName(HMODULE module) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

HMODULE OwnModuleHandle() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&OwnModuleHandle), &module);
  return module;
}

HWND CreateMessageWindow(const wchar_t* className, WNDPROC windowProc) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = OwnModuleHandle();
  windowClass.lpszClassName = className;
  if (RegisterClassW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  return CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, OwnModuleHandle(), nullptr);
}

std::string OwnModuleFileName() { return ModuleFileName(OwnModuleHandle()); }

std::string OwnModuleVersion() {
  const std::string fileName = OwnModuleFileName();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!GetFileVersionInfoA(fileName.c_str(), 0, size, data.data()) ||
      !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &infoSize) || info == nullptr ||
      infoSize < sizeof(VS_FIXEDFILEINFO))
    return {};
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

std::string ProgramFileName() { return ModuleFileName(nullptr); }

std::vector<std::string> ProgramArguments() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> result;
  for (int i = 1; arguments != nullptr && i < count; ++i)
    result.push_back(WideToAnsi(reinterpret_cast<const char16_t*>(arguments[i])));
  LocalFree(arguments);
  return result;
}

TModuleHandle ProgramHandle() { return reinterpret_cast<TModuleHandle>(GetModuleHandleW(nullptr)); }

TModuleHandle LoadedModuleHandle(const std::string& name) {
  return reinterpret_cast<TModuleHandle>(GetModuleHandleA(name.c_str()));
}

void* FindExport(TModuleHandle module, const char* name) {
  if (module == 0 || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(module), name));
}

TOwnModuleHold::TOwnModuleHold() {
  HMODULE module = nullptr;
  // Without the unchanged-count flag the module's reference count goes up.
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&OwnModuleHandle), &module))
    Module = reinterpret_cast<TModuleHandle>(module);
}

TOwnModuleHold::~TOwnModuleHold() { CloseLibrary(Module); }

TModuleHandle OpenLibrary(const std::string& fileName, std::string& error) {
  HMODULE module = LoadLibraryA(fileName.c_str());
  if (module == nullptr) error = "cannot load " + fileName + " (error " + std::to_string(GetLastError()) + ")";
  return reinterpret_cast<TModuleHandle>(module);
}

void CloseLibrary(TModuleHandle module) {
  if (module != 0) FreeLibrary(reinterpret_cast<HMODULE>(module));
}

}  // namespace cjt::platform
