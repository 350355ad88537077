#include "parser/queue_controller.h"

#include "platform/clock.h"
#include "support/text_values.h"

namespace cjt {

TQueueController::TQueueController(IQueueOwner* owner) : Owner(owner) {}

bool TQueueController::DoSendRequest(TBasicRequestItem& item, int32_t& timeout, int32_t& requestId) {
  return OnSendRequest && OnSendRequest(*this, item, timeout, requestId);
}

void TQueueController::DoTimeout(TBasicRequestItem& item, bool& retry) {
  if (OnTimeout) OnTimeout(*this, item, retry);
}

void TQueueController::DoError(const std::string& context, const std::exception& error, const std::string& text) {
  if (OnError) OnError(*this, context, error, text);
}

void TQueueController::DoScheduled(TScheduledEvent& event, TBasicRequestItem& item) {
  if (OnScheduled) OnScheduled(*this, event, item);
}

void TQueueController::DoGivenUp(TBasicRequestItem& item) {
  if (OnGivenUp) OnGivenUp(*this, item);
}

void TQueueController::FireEvent(std::string_view name, bool all, const TkroParamsList* params) {
  TWriteLocked<TBasicRequestList> items(Items);
  for (TBasicRequestItem* item : *items) {
    const bool match = item->Method == rmEvent && SameText(item->Schedule.Text, name);
    if (!all && !match) continue;
    item->PollTimer.Clear();
    item->LastSent = 0;
    item->Attempts = 0;
    if (match && params != nullptr) {
      if (!item->EventParams) item->EventParams = std::make_unique<TkroParamsList>();
      item->EventParams->Clear();
      item->EventParams->AddList(params);
    }
    if (!all) {
      item->Triggered = true;
      NextIndex = -1;
      DelayTimer.Clear();
    }
  }
}

void TQueueController::RequestDone(uint8_t code) {
  TReadLocked<TBasicRequestList> items(Items);
  ResponseTimer.Clear();
  if (IndexOf(*items, Current) < 0) return;
  if (Current->Method != rmOnce) Current->Sending = false;
  if (code == dcAnswered || (code >= 8 && code <= 10)) Current->Attempts = 0;
}

void TQueueController::ForgetPending() {
  Current = nullptr;
  RetryItem = nullptr;
  ResponseTimer.Clear();
}

int32_t TQueueController::IndexOf(const TItems& items, const TBasicRequestItem* item) {
  if (item == nullptr) return -1;
  for (size_t k = 0; k < items.Count(); ++k)
    if (items[k] == item) return static_cast<int32_t>(k);
  return -1;
}

bool TQueueController::TakeTimeout(TItems& items) {
  if (!ResponseTimer.IsStarted()) return true;
  if (!ResponseTimer.RunOut()) return false;
  ResponseTimer.Clear();
  if (IndexOf(items, Current) < 0) return true;
  // The time-out handler may finish the request and clear Current.
  TBasicRequestItem& current = *Current;
  bool retry = current.Attempts < current.MaxAttempts;
  current.Sending = false;
  DoTimeout(current, retry);
  // The retry waits for the spacing like any send, but is not lost behind it: an at-time,
  // cron or event item would not come round again by itself.
  RetryItem = retry ? &current : nullptr;
  if (!retry) current.Attempts = 0;
  Current = nullptr;
  return true;
}

int32_t TQueueController::TakeRetry(const TItems& items) {
  const int32_t k = IndexOf(items, RetryItem);
  RetryItem = nullptr;
  return k;
}

bool TQueueController::SpacingOver() {
  if (!DelayTimer.IsStarted()) return true;
  if (!DelayTimer.RunOut()) return false;
  DelayTimer.Clear();
  return true;
}

bool TQueueController::IsDue(TBasicRequestItem& item) {
  switch (item.Method) {
    case rmPoll:
      return item.PollTimer.RunOutAfter(static_cast<uint32_t>(item.PollInterval));
    case rmAtTime:
    case rmCron:
    case rmEvent:
      return item.Triggered;
    default:
      return false;
  }
}

int32_t TQueueController::ChooseDueItem(const TItems& items) {
  const auto count = static_cast<int32_t>(items.Count());
  const int32_t start = NextIndex >= 0 && NextIndex < count ? NextIndex : 0;
  int32_t candidate = -1;
  uint64_t best = 0;
  for (int32_t n = 0; n < count; ++n) {
    const int32_t k = (start + n) % count;
    TBasicRequestItem& item = *items[k];
    if (!item.Enabled) continue;
    if (item.Method == rmOnce) {
      if (!item.Sending) return k;
      continue;
    }
    if (!IsDue(item)) continue;
    if (candidate < 0 || item.LastSent < best) {
      candidate = k;
      best = item.LastSent;
    }
  }
  return candidate;
}

void TQueueController::SendItem(const TItems& items, int32_t index, bool retry) {
  TBasicRequestItem& item = *items[index];
  const bool wasTriggered = item.Triggered;
  item.Sending = true;
  item.Triggered = false;
  if (RequestDelay > 0) DelayTimer.StartFor(static_cast<uint32_t>(RequestDelay));
  if (item.Attempts < item.MaxAttempts) ++item.Attempts;
  int32_t timeout = 0;
  if (DoSendRequest(item, timeout, RequestId)) {
    NextIndex = index + 1;
    item.RequestId = RequestId;
    item.LastSent = platform::TickCount64();
    item.PollTimer.Restart();
    Current = &item;
    if (timeout > 0)
      ResponseTimer.StartFor(static_cast<uint32_t>(timeout));
    else
      ResponseTimer.Clear();
  } else if (item.Attempts < item.MaxAttempts) {
    // Tried again on a later step.
    item.Sending = false;
    item.Triggered = wasTriggered;
    if (retry) RetryItem = &item;
  } else {
    // Given up; a once item given up this way stays Sending and is not chosen again.
    NextIndex = index + 1;
    if (item.Method != rmOnce) item.Sending = false;
    item.Attempts = 0;
    DoGivenUp(item);
  }
}

}  // namespace cjt
