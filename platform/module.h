// Modules: this library's own file and version, the host program's file and arguments,
// finding a loaded module and its exports by name, and loading a library (for hosts).
//
// A module handle is what the system gives for a loaded module: an HMODULE on Windows,
// what dlopen returns elsewhere (a host passes dlopen(NULL) for itself).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cjt::platform {

using TModuleHandle = uintptr_t;

// The full file name of the module that contains this code.
std::string OwnModuleFileName();
// The four numbers of this module's version, joined by "."; empty when it cannot be read.
std::string OwnModuleVersion();

// The full file name of the running program, and its command-line arguments after the
// program name.
std::string ProgramFileName();
std::vector<std::string> ProgramArguments();
// The handle of the running program itself.
TModuleHandle ProgramHandle();

// The handle of an already loaded module with that file name, or 0.
TModuleHandle LoadedModuleHandle(const std::string& name);
// The address of the export with that name, or null.
void* FindExport(TModuleHandle module, const char* name);

// Keeps the module that contains this code loaded while it lives, also when whoever loaded
// the module unloads it: the module then stays until the last hold goes or the process ends.
class TOwnModuleHold {
 public:
  TOwnModuleHold();
  ~TOwnModuleHold();
  TOwnModuleHold(const TOwnModuleHold&) = delete;
  TOwnModuleHold& operator=(const TOwnModuleHold&) = delete;

 private:
  TModuleHandle Module = 0;
};

// Loads a library by file name; 0 on failure, with the reason in error.
TModuleHandle OpenLibrary(const std::string& fileName, std::string& error);
void CloseLibrary(TModuleHandle module);

}  // namespace cjt::platform
