#include "parser/scheduled_client.h"

#include <cmath>
#include <exception>

#include "parser/data_source_with_clients.h"
#include "parser/expected_gap.h"
#include "plugin/kro_plugin.h"

namespace cjt {

namespace {
// The silence time-out of an event-driven client covers the longest gap by this factor.
constexpr double SilenceMargin = 1.3;
}  // namespace

TCustomParserScheduledClient::TCustomParserScheduledClient(TDataSourceScheduledWithClients& dataSource,
                                                           const TPluginCallRecord& record)
    : TCustomParserClient(dataSource, record), Queue(std::make_unique<TQueueControllerTimerClients>(this)) {
  Queue->Timer->SetOnTimer([this](TkroTimerEx&) { StepQueue(); });
}

TCustomParserScheduledClient::~TCustomParserScheduledClient() { StopQueue(); }

void TCustomParserScheduledClient::StopQueue() {
  HaltQueue();
  if (Queue) Queue->Stop();
  Queue.reset();
}

void TCustomParserScheduledClient::HaltQueue() {
  TClientLock lock(*this);
  QueueStopped = true;
}

void TCustomParserScheduledClient::Created() { LoadRequests(); }

IQueueDataSource* TCustomParserScheduledClient::QueueDataSource() { return &DataSource; }

void TCustomParserScheduledClient::SetActive(bool value) {
  const bool starts = value && value != Active;
  TCustomParserClient::SetActive(value);
  if (starts) Queue->ResetSchedule();
}

std::unique_ptr<TBasicRequestItem> TCustomParserScheduledClient::CreateRequestItem() {
  return std::make_unique<TBasicRequestItem>();
}

void TCustomParserScheduledClient::LoadRequests() {
  TQueueControllerTimerEx& master = *DataSource.Queue;
  TReadLocked<TBasicRequestList> masterItems(master.Items);
  TClientLock lock(*this);
  {
    TWriteLocked<TBasicRequestList> items(Queue->Items);
    // The awaited request and a pending retry go with the old items.
    Queue->ForgetPending();
    items->Clear();
    for (const TBasicRequestItem* source : *masterItems) {
      std::unique_ptr<TBasicRequestItem> item = CreateRequestItem();
      item->Assign(*source);
      items->Add(std::move(item));
    }
  }
  Queue->RequestDelay = master.RequestDelay;
  if (EventDriven && SilenceTimeout != NeverSilent) AdjustSilenceTimeout();
}

void TCustomParserScheduledClient::AdjustSilenceTimeout() {
  const int64_t gap = LongestExpectedGap(*DataSource.Queue);
  if (gap <= 0) {
    SilenceTimeout = DefaultSilenceTimeout;
    return;
  }
  const double stretched = std::round(SilenceMargin * static_cast<double>(gap));
  const uint32_t bound = stretched >= NeverSilent ? NeverSilent - 1 : static_cast<uint32_t>(stretched);
  if (SilenceTimeout < bound) SilenceTimeout = bound;
}

void TCustomParserScheduledClient::StepQueue() {
  try {
    TClientLock lock(*this);
    if (!QueueStopped) Queue->Step();
  } catch (...) {
    DataSource.Plugin.LogError("QUEUE", std::current_exception());
  }
}

}  // namespace cjt
