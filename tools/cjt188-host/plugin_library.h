// The plug-in library as a host sees it: loaded by file name, its eight exported functions
// found by name.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "cjt188/host_abi.h"
#include "platform/module.h"

namespace cjt::host {

class EPluginLibrary : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TPluginLibrary {
 public:
  using TRecordCall = CjtRecordFunction*;
  using TRecordProc = CjtRecordProcedure*;
  using TModuleInfoCall = CjtGetModuleInfo*;

  // Raises EPluginLibrary when the library cannot be loaded or lacks an export.
  explicit TPluginLibrary(const std::string& fileName);
  ~TPluginLibrary();
  TPluginLibrary(const TPluginLibrary&) = delete;
  TPluginLibrary& operator=(const TPluginLibrary&) = delete;

  TRecordCall CreatePluginInstance;
  TRecordCall FreePluginInstance;
  TModuleInfoCall GetModuleInfo;
  TRecordCall GetLogEx;
  TRecordProc GetOptionsDialog;
  TRecordProc ShowOptionsDialog;
  TRecordCall ExecutePluginCommand;
  TRecordCall ProcessData;

 private:
  template <class TFunction>
  TFunction Find(const char* name) const;

  platform::TModuleHandle Module;
};

}  // namespace cjt::host
