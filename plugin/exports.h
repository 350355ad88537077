// The eight functions the library exports to the host, with undecorated names; their types
// are the public header's.
#pragma once

#include "cjt188/host_abi.h"

// On Windows the module-definition file names the exports, without decoration.
#if defined(_WIN32)
#define CJT_PLUGIN_EXPORT
#else
#define CJT_PLUGIN_EXPORT CJT_EXPORT
#endif

extern "C" {

CJT_PLUGIN_EXPORT CjtRecordFunction CreatePluginInstance;
CJT_PLUGIN_EXPORT CjtRecordFunction FreePluginInstance;
CJT_PLUGIN_EXPORT CjtGetModuleInfo GetModuleInfo;
CJT_PLUGIN_EXPORT CjtRecordFunction GetLogEx;
CJT_PLUGIN_EXPORT CjtRecordProcedure GetOptionsDialog;
CJT_PLUGIN_EXPORT CjtRecordProcedure ShowOptionsDialog;
CJT_PLUGIN_EXPORT CjtRecordFunction ExecutePluginCommand;
CJT_PLUGIN_EXPORT CjtRecordFunction ProcessData;
}
