#include "tools/cjt188-host/plugin_library.h"

namespace cjt::host {

template <class TFunction>
TFunction TPluginLibrary::Find(const char* name) const {
  void* address = platform::FindExport(Module, name);
  if (address == nullptr) throw EPluginLibrary(std::string("The plug-in library does not export ") + name);
  return reinterpret_cast<TFunction>(address);
}

TPluginLibrary::TPluginLibrary(const std::string& fileName) {
  std::string error;
  Module = platform::OpenLibrary(fileName, error);
  if (Module == 0) throw EPluginLibrary(error);
  try {
    CreatePluginInstance = Find<TRecordCall>("CreatePluginInstance");
    FreePluginInstance = Find<TRecordCall>("FreePluginInstance");
    GetModuleInfo = Find<TModuleInfoCall>("GetModuleInfo");
    GetLogEx = Find<TRecordCall>("GetLogEx");
    GetOptionsDialog = Find<TRecordProc>("GetOptionsDialog");
    ShowOptionsDialog = Find<TRecordProc>("ShowOptionsDialog");
    ExecutePluginCommand = Find<TRecordCall>("ExecutePluginCommand");
    ProcessData = Find<TRecordCall>("ProcessData");
  } catch (...) {
    platform::CloseLibrary(Module);
    throw;
  }
}

TPluginLibrary::~TPluginLibrary() { platform::CloseLibrary(Module); }

}  // namespace cjt::host
