#include "parser/data_source.h"

#include "plugin/kro_plugin.h"

namespace cjt {

TDataSourceScheduled::TDataSourceScheduled(TkroPlugin& plugin)
    : Plugin(plugin), Queue(std::make_unique<TQueueControllerTimerEx>(this)) {}

TDataSourceScheduled::~TDataSourceScheduled() { Queue.reset(); }

bool TDataSourceScheduled::IsSuspended() { return !Plugin.EnabledTypes[0]; }

void TDataSourceScheduled::UpdateQueue(bool reset) { Queue->UpdateTimer(reset); }

void TDataSourceScheduled::FireEvent(std::string_view name, bool all, const TkroParamsList* params) {
  Queue->FireEvent(name, all, params);
}

}  // namespace cjt
