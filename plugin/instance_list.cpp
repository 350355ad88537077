#include "plugin/instance_list.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "platform/debug_output.h"
#include "plugin/kro_plugin.h"

namespace cjt {

namespace {

// Instances the host did not free when the library was unloaded, kept reachable (volatile:
// nothing reads it, and the store must stay).
TInstanceList* volatile Leftovers = nullptr;

// Made when the library is initialised and taken away when it is unloaded. Unloading must
// not wait, join a thread or destroy a window (on Windows it runs under the loader lock),
// and freeing an instance does all of these: the instances the host did not free are left,
// with the list, to the end of the process. The list never owned them.
struct TListOwner {
  TListOwner() : List(new TInstanceList) {}
  ~TListOwner() {
    TInstanceList* list = List.exchange(nullptr);
    const size_t left = list->CountAtUnload();
    if (left == 0) {
      delete list;
      return;
    }
    Leftovers = list;
    const std::string notice = "Notice: " + std::to_string(left) +
                               " plug-in instance(s) not freed by the host, left to the end of the process";
    platform::DebugOutput(notice.c_str());
  }
  std::atomic<TInstanceList*> List;
};

TListOwner ListOwner;

}  // namespace

TInstanceList* TInstanceList::Get() { return ListOwner.List.load(); }

TInstanceList::~TInstanceList() {
  for (TkroPlugin* instance : Instances) delete instance;
}

void TInstanceList::Add(std::unique_ptr<TkroPlugin> instance) {
  std::unique_lock<std::shared_mutex> lock(Lock);
  Instances.push_back(instance.release());
  Count = Instances.size();
}

TkroPlugin* TInstanceList::Enter(uintptr_t handle) {
  if (handle == 0) return nullptr;
  std::shared_lock<std::shared_mutex> lock(Lock);
  for (TkroPlugin* instance : Instances) {
    if (instance->Handle == handle) {
      instance->EnterCall();
      return instance;
    }
  }
  return nullptr;
}

std::unique_ptr<TkroPlugin> TInstanceList::Extract(uintptr_t handle) {
  std::unique_lock<std::shared_mutex> lock(Lock);
  auto found = std::find_if(Instances.begin(), Instances.end(),
                            [handle](const TkroPlugin* instance) { return instance->Handle == handle; });
  if (found == Instances.end()) return nullptr;
  std::unique_ptr<TkroPlugin> instance(*found);
  Instances.erase(found);
  Count = Instances.size();
  return instance;
}

std::vector<uintptr_t> TInstanceList::Handles() {
  std::shared_lock<std::shared_mutex> lock(Lock);
  std::vector<uintptr_t> handles;
  for (const TkroPlugin* instance : Instances) handles.push_back(instance->Handle);
  return handles;
}

TInstanceCall::TInstanceCall(uintptr_t handle) {
  if (TInstanceList* list = TInstanceList::Get()) Instance = list->Enter(handle);
}

TInstanceCall::~TInstanceCall() {
  if (Instance) Instance->LeaveCall();
}

}  // namespace cjt
