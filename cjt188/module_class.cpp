// Part of the plug-in library itself: every instance the library makes is a CJ/T 188 module.
#include "cjt188/data_module.h"
#include "plugin/plugin_class.h"

namespace cjt {

namespace {

std::unique_ptr<TkroPlugin> CreateCjt188Module(TPluginCallRecord& record) {
  return std::make_unique<TaPlugin>(0, &record);
}

const bool ModuleClassSet = (SetPluginClass(&CreateCjt188Module), true);

}  // namespace

}  // namespace cjt
