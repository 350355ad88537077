#include "plugin/instance_list.h"

#include <algorithm>
#include <atomic>

#include "plugin/kro_plugin.h"

namespace cjt {

namespace {

// Made when the library is initialised and taken away when it is unloaded.
struct TListOwner {
  TListOwner() : List(new TInstanceList) {}
  ~TListOwner() { delete List.exchange(nullptr); }
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
  return instance;
}

std::vector<uintptr_t> TInstanceList::Handles() {
  std::shared_lock<std::shared_mutex> lock(Lock);
  std::vector<uintptr_t> handles;
  for (const TkroPlugin* instance : Instances) handles.push_back(instance->Handle);
  return handles;
}

bool TInstanceList::IsEmpty() {
  std::shared_lock<std::shared_mutex> lock(Lock);
  return Instances.empty();
}

TInstanceCall::TInstanceCall(uintptr_t handle) {
  if (TInstanceList* list = TInstanceList::Get()) Instance = list->Enter(handle);
}

TInstanceCall::~TInstanceCall() {
  if (Instance) Instance->LeaveCall();
}

}  // namespace cjt
