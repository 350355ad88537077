// The eight functions the library exports to the host, with undecorated names.
#pragma once

#include <cstdint>

#include "platform/calling_convention.h"
#include "plugin/call_record.h"

// On Windows the module-definition file names the exports, without decoration.
#if defined(_WIN32)
#define CJT_PLUGIN_EXPORT
#else
#define CJT_PLUGIN_EXPORT CJT_EXPORT
#endif

extern "C" {

CJT_PLUGIN_EXPORT int32_t CJT_STDCALL CreatePluginInstance(cjt::TPluginCallRecord* record);
CJT_PLUGIN_EXPORT int32_t CJT_STDCALL FreePluginInstance(cjt::TPluginCallRecord* record);
CJT_PLUGIN_EXPORT uint8_t CJT_STDCALL GetModuleInfo(cjt::TPluginCallRecord* record, void* info, uint32_t* neededSize);
CJT_PLUGIN_EXPORT int32_t CJT_STDCALL GetLogEx(cjt::TPluginCallRecord* record);
CJT_PLUGIN_EXPORT void CJT_STDCALL GetOptionsDialog(cjt::TPluginCallRecord* record);
CJT_PLUGIN_EXPORT void CJT_STDCALL ShowOptionsDialog(cjt::TPluginCallRecord* record);
CJT_PLUGIN_EXPORT int32_t CJT_STDCALL ExecutePluginCommand(cjt::TPluginCallRecord* record);
CJT_PLUGIN_EXPORT int32_t CJT_STDCALL ProcessData(cjt::TPluginCallRecord* record);
}
