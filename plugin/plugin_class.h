// The process-wide choices of the library: the class of the instances it makes (the
// protocol module puts its own in place when it is initialised) and the callbacks that run
// when the host releases the library.
#pragma once

#include <functional>
#include <memory>

#include "plugin/call_record.h"

namespace cjt {

class TkroPlugin;

// Makes an instance from the host's creating call record (inside its call context).
using TkroPluginClass = std::unique_ptr<TkroPlugin> (*)(TPluginCallRecord& record);

TkroPluginClass PluginClass();
void SetPluginClass(TkroPluginClass pluginClass);

// The base class: a TkroPlugin.
std::unique_ptr<TkroPlugin> CreateBasePlugin(TPluginCallRecord& record);

// Callbacks run, in the order registered, by the host's release request.
void RegisterReleaseCallback(std::function<void()> callback);
// Runs and forgets the registered callbacks; their exceptions are ignored.
void RunReleaseCallbacks();

}  // namespace cjt
