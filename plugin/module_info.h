// The module-information block that GetModuleInfo fills: the packed header of the public
// header, followed by the texts it points to.
#pragma once

#include <cstdint>

#include "cjt188/host_abi.h"

namespace cjt {

using TPluginModuleInfo = ::CjtModuleInfo;

inline constexpr uint32_t ModuleInfoHeaderSize = sizeof(TPluginModuleInfo);
inline constexpr uint32_t PluginInterfaceVersion = CJT_PLUGIN_INTERFACE_VERSION;

}  // namespace cjt
