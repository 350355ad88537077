#include <dlfcn.h>

#include <limits.h>
#include <unistd.h>
#include <fstream>
#include <iterator>

#include "platform/module.h"

#ifndef CJT_VERSION_TEXT
#define CJT_VERSION_TEXT ""
#endif

namespace cjt::platform {

namespace {

std::string ReadLink(const char* path) {
  char buffer[PATH_MAX];
  const ssize_t length = readlink(path, buffer, sizeof(buffer));
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

}  // namespace

std::string OwnModuleFileName() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnModuleFileName), &info) == 0 || info.dli_fname == nullptr) return {};
  std::string name = info.dli_fname;
  // The main program is reported by the name it was started with.
  return name.find('/') == std::string::npos ? ProgramFileName() : name;
}

// There is no version resource: the version is built in.
std::string OwnModuleVersion() { return CJT_VERSION_TEXT; }

std::string ProgramFileName() { return ReadLink("/proc/self/exe"); }

std::vector<std::string> ProgramArguments() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<std::string> arguments;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    arguments.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  if (!arguments.empty()) arguments.erase(arguments.begin());
  return arguments;
}

TModuleHandle ProgramHandle() {
  // The program stays loaded, so the extra reference never matters.
  static void* const self = dlopen(nullptr, RTLD_NOW);
  return reinterpret_cast<TModuleHandle>(self);
}

TModuleHandle LoadedModuleHandle(const std::string& name) {
  void* module = dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (module == nullptr) return 0;
  // The module was loaded already and stays loaded by whoever loaded it.
  dlclose(module);
  return reinterpret_cast<TModuleHandle>(module);
}

void* FindExport(TModuleHandle module, const char* name) {
  if (module == 0 || name == nullptr) return nullptr;
  return dlsym(reinterpret_cast<void*>(module), name);
}

TOwnModuleHold::TOwnModuleHold() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnModuleFileName), &info) == 0 || info.dli_fname == nullptr) return;
  // Opening the loaded module again counts one more reference; the main program is not
  // found this way, and needs none.
  Module = reinterpret_cast<TModuleHandle>(dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD));
}

TOwnModuleHold::~TOwnModuleHold() { CloseLibrary(Module); }

TModuleHandle OpenLibrary(const std::string& fileName, std::string& error) {
  void* module = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* reason = dlerror();
    error = reason ? reason : "cannot load " + fileName;
  }
  return reinterpret_cast<TModuleHandle>(module);
}

void CloseLibrary(TModuleHandle module) {
  if (module != 0) dlclose(reinterpret_cast<void*>(module));
}

}  // namespace cjt::platform
