// A configured request: whether it is enabled, its name, when it is due, and the state the
// queue keeps for it while it runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "params/kro_params_list.h"
#include "parser/process_identity.h"
#include "parser/request_schedule.h"
#include "parser/tick_timer.h"
#include "support/object_list.h"
#include "support/thread_object_list.h"
#include "support/xml_tree.h"

namespace cjt {

// Base of the sub-objects that protocol request items keep in Responses.
class TRequestResponse {
 public:
  virtual ~TRequestResponse() = default;
};

class TBasicRequestItem {
 public:
  TBasicRequestItem() = default;
  virtual ~TBasicRequestItem() = default;
  TBasicRequestItem(const TBasicRequestItem&) = delete;
  TBasicRequestItem& operator=(const TBasicRequestItem&) = delete;

  // Copies the configuration (Enabled, Name, Method, PollInterval, Schedule), Triggered and
  // GroupKey; clears Sending and PollTimer; keeps the other run-time fields.
  virtual void Assign(const TBasicRequestItem& source);
  // Reads the generic fields from a request element; index names an item without caption.
  virtual void LoadFromXml(const TqimXMLNode& element, int32_t index);

  // Tells this item from every other for the whole life of the process (time event keys).
  uint32_t Identity() const { return FIdentity.Get(); }

  bool Enabled = false;
  bool Sending = false;
  std::string Name;
  uint8_t Method = rmOnce;
  int32_t PollInterval = 0;  // ms
  int32_t RequestId = -1;
  // Set by time events of the master queue, which fire on their own thread.
  std::atomic<bool> Triggered{false};
  std::string GroupKey;
  TObjectList<TRequestResponse> Responses{true};
  uint8_t Attempts = 0;
  uint8_t MaxAttempts = 1;
  TExportUnchangedMode Schedule;
  TTickTimer PollTimer;
  uint64_t LastSent = 0;  // tick count; 0 = never sent
  std::unique_ptr<TkroParamsList> EventParams;

 private:
  TProcessIdentity FIdentity;
};

// The request items of a queue: a lock holder owning its items.
class TBasicRequestList : public TThreadObjectList<TBasicRequestItem> {
 public:
  TBasicRequestList() : TThreadObjectList<TBasicRequestItem>(true) {}
};

// The polling interval in ms of a configured interval and unit text ("S", "M", "H", else
// milliseconds); a product beyond the 32-bit range stops at its end.
int32_t PollIntervalMs(int32_t interval, std::string_view units);

}  // namespace cjt
