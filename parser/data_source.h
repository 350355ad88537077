// A data source the plug-in module is configured for: its id and names as the host lists
// them, and the master queue that holds its configured requests and their time events.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "parser/queue_controller_timer.h"
#include "parser/queue_owner.h"
#include "support/thread_object_list.h"

namespace cjt {

class TkroPlugin;

class TDataSourceScheduled : public IQueueDataSource {
 public:
  explicit TDataSourceScheduled(TkroPlugin& plugin);
  ~TDataSourceScheduled() override;
  TDataSourceScheduled(const TDataSourceScheduled&) = delete;
  TDataSourceScheduled& operator=(const TDataSourceScheduled&) = delete;

  // Suspended unless the module's type 0 (requests) is enabled.
  bool IsSuspended() override;
  bool IsBusy() override { return Busy; }
  virtual void UpdateQueue(bool reset);
  virtual void FireEvent(std::string_view name, bool all, const TkroParamsList* params);

  TkroPlugin& Plugin;
  std::unique_ptr<TQueueControllerTimerEx> Queue;
  int32_t Id = 0;
  std::string ConfiguredName;
  std::string ConfiguredInfo;
  std::atomic<bool> Busy{false};
};

// The module's data sources, in creation order.
using TDataSourceList = TThreadObjectList<TDataSourceScheduled>;

// The data source of class T with the id (-1: any) created last; null when none.
template <class T>
T* FindDataSource(const TObjectList<TDataSourceScheduled>& sources, int32_t id) {
  for (size_t i = sources.Count(); i-- > 0;) {
    auto* source = dynamic_cast<T*>(sources[i]);
    if (source != nullptr && (id == -1 || source->Id == id)) return source;
  }
  return nullptr;
}

}  // namespace cjt
