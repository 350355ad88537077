// The request queue: which configured request is due, step by step. The owner sends through
// OnSendRequest; the queue waits for the answer (RequestDone) or its time-out, retries up to
// an item's MaxAttempts and keeps RequestDelay between two sends.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>

#include "params/kro_params_list.h"
#include "parser/basic_request_item.h"
#include "parser/queue_owner.h"
#include "parser/tick_timer.h"

namespace cjt {

class TScheduledEvent;

class TQueueController {
 public:
  using TItems = TObjectList<TBasicRequestItem>;
  // Sends one request: sets the answer's time-out in ms (0 = none) and a request id; true
  // when sent.
  using TSendRequestEvent =
      std::function<bool(TQueueController& sender, TBasicRequestItem& item, int32_t& timeout, int32_t& requestId)>;
  // The answer's time-out ran out; retry tells (and may change) whether the item is sent again.
  using TTimeoutEvent = std::function<void(TQueueController& sender, TBasicRequestItem& item, bool& retry)>;
  using TErrorEvent = std::function<void(TQueueController& sender, const std::string& context,
                                         const std::exception& error, const std::string& text)>;
  // A time event triggered an item.
  using TScheduledNotify =
      std::function<void(TQueueController& sender, TScheduledEvent& event, TBasicRequestItem& item)>;
  // An item was given up: every attempt to send it was refused.
  using TGivenUpEvent = std::function<void(TQueueController& sender, TBasicRequestItem& item)>;

  // RequestDone codes.
  enum TDoneCode : uint8_t { dcAnswered = 1, dcTimedOut = 2, dcDeactivated = 3, dcForeignFrame = 7 };

  explicit TQueueController(IQueueOwner* owner);
  virtual ~TQueueController() = default;
  TQueueController(const TQueueController&) = delete;
  TQueueController& operator=(const TQueueController&) = delete;

  virtual bool DoSendRequest(TBasicRequestItem& item, int32_t& timeout, int32_t& requestId);
  virtual void DoTimeout(TBasicRequestItem& item, bool& retry);
  virtual void DoError(const std::string& context, const std::exception& error, const std::string& text);
  virtual void DoScheduled(TScheduledEvent& event, TBasicRequestItem& item);
  virtual void DoGivenUp(TBasicRequestItem& item);
  virtual bool IsSuspended() { return false; }
  virtual bool IsBusy() { return false; }
  virtual void UpdateTimer(bool reset) {}
  // Restarts every item (all), or triggers the event items whose event id is name in any
  // letter case, handing them a copy of params.
  virtual void FireEvent(std::string_view name, bool all, const TkroParamsList* params);

  // The owner reports that the current request is finished.
  void RequestDone(uint8_t code);
  // Forgets the awaited request and a retry still to send: their items are going away.
  void ForgetPending();

  TSendRequestEvent OnSendRequest;
  TTimeoutEvent OnTimeout;
  TErrorEvent OnError;
  TScheduledNotify OnScheduled;
  TGivenUpEvent OnGivenUp;
  std::atomic<uint8_t> ReloadRequested{0};
  IQueueOwner* const Owner;
  TBasicRequestList Items;
  int32_t RequestId = -1;
  TTickTimer DelayTimer;
  int32_t NextIndex = -1;
  TTickTimer ResponseTimer;
  TBasicRequestItem* Current = nullptr;
  // An item whose answer timed out and that is sent again as soon as the spacing allows.
  TBasicRequestItem* RetryItem = nullptr;
  int32_t RequestDelay = 0;  // ms between two sends

 protected:
  // The parts of a step, on the items held under the shared lock.
  // An awaited answer: false while it may still come. A time-out sets RetryItem when the
  // item is sent again.
  bool TakeTimeout(TItems& items);
  // False while the spacing after the last send runs.
  bool SpacingOver();
  // The index of the retry due, which is taken; -1 when there is none.
  int32_t TakeRetry(const TItems& items);
  // A once item not yet sent, else the due item sent longest ago (first in walk order among
  // equals), walking from NextIndex to the end and on from the start; -1 when none is due.
  int32_t ChooseDueItem(const TItems& items);
  // Sends the item; a retry refused by the line stays the retry due.
  void SendItem(const TItems& items, int32_t index, bool retry);

 private:
  static bool IsDue(TBasicRequestItem& item);
  static int32_t IndexOf(const TItems& items, const TBasicRequestItem* item);
};

}  // namespace cjt
