#include "plugin/plugin_class.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "plugin/kro_plugin.h"

namespace cjt {

namespace {

std::atomic<TkroPluginClass> CurrentClass{&CreateBasePlugin};

std::mutex CallbacksMutex;
std::unique_ptr<std::vector<std::function<void()>>> Callbacks;

}  // namespace

TkroPluginClass PluginClass() { return CurrentClass; }
void SetPluginClass(TkroPluginClass pluginClass) { CurrentClass = pluginClass; }

std::unique_ptr<TkroPlugin> CreateBasePlugin(TPluginCallRecord& record) {
  return std::make_unique<TkroPlugin>(0, &record);
}

void RegisterReleaseCallback(std::function<void()> callback) {
  std::lock_guard<std::mutex> lock(CallbacksMutex);
  if (!Callbacks) Callbacks = std::make_unique<std::vector<std::function<void()>>>();
  Callbacks->push_back(std::move(callback));
}

void RunReleaseCallbacks() {
  std::unique_ptr<std::vector<std::function<void()>>> taken;
  {
    std::lock_guard<std::mutex> lock(CallbacksMutex);
    taken = std::move(Callbacks);
  }
  if (!taken) return;
  for (const auto& callback : *taken) {
    try {
      callback();
    } catch (...) {
      // One failing callback does not keep the others from running.
    }
  }
}

}  // namespace cjt
