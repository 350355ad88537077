// A protocol client with its own request queue: a copy of its data source's configured
// requests, sent on the client's own timer, and the stale-buffer rule for received data.
#pragma once

#include <cstdint>
#include <memory>

#include "parser/parser_client.h"
#include "parser/queue_controller_timer.h"
#include "parser/queue_owner.h"

namespace cjt {

inline constexpr uint32_t DefaultStaleBufferTime = 15000;

class TCustomParserScheduledClient : public TCustomParserClient, public IQueueClient {
 public:
  TCustomParserScheduledClient(TDataSourceScheduledWithClients& dataSource, const TPluginCallRecord& record);
  // Stops the queue (see StopQueue), then frees the buffer.
  ~TCustomParserScheduledClient() override;

  // Frees the queue, whose timer may still be calling the client; a step that comes after
  // this does nothing. A derived client calls it first in its own destructor, so that no
  // step sees it half destroyed.
  void StopQueue();
  // Only makes every later step do nothing; never waits for the timer.
  void HaltQueue();

  // The last step of construction, once the most derived class is built: loads the requests.
  virtual void Created();

  bool GetActive() override { return Active; }
  IQueueDataSource* QueueDataSource() override;
  // Activation that changes the state to active restarts the queue's schedule.
  void SetActive(bool value) override;

  // Copies the data source's configured requests into the queue and, for an event-driven
  // client, stretches the silence time-out over the longest expected gap between requests.
  virtual void LoadRequests();
  virtual std::unique_ptr<TBasicRequestItem> CreateRequestItem();

  // Runs one step of the queue under the buffer lock, so sending and time-outs never
  // interleave with the data path of the same client.
  void StepQueue();

  uint32_t StaleBufferTime = DefaultStaleBufferTime;
  std::unique_ptr<TQueueControllerTimerClients> Queue;

 private:
  void AdjustSilenceTimeout();

  bool QueueStopped = false;  // under the client's lock
};

}  // namespace cjt
