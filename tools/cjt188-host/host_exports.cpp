#include "tools/cjt188-host/host_exports.h"

#include <condition_variable>
#include <mutex>
#include <utility>

#include "params/variant.h"
#include "platform/window_message.h"

namespace cjt::host {

namespace {

// The handler, and the calls of the send function that are running (the plug-in calls it
// from its own timer threads too): replacing the handler waits until no call runs, so that
// what the previous handler captured may go once the swap returns.
std::mutex HandlerMutex;
std::condition_variable HandlerIdle;
TSendHandler Handler;
int CallsInFlight = 0;

// Counts one call of the send function while it runs; holds the handler it runs.
class TSendCall {
 public:
  TSendCall() {
    std::lock_guard<std::mutex> lock(HandlerMutex);
    Current = Handler;
    ++CallsInFlight;
  }
  ~TSendCall() {
    std::lock_guard<std::mutex> lock(HandlerMutex);
    if (--CallsInFlight == 0) HandlerIdle.notify_all();
  }
  TSendCall(const TSendCall&) = delete;
  TSendCall& operator=(const TSendCall&) = delete;

  TSendHandler Current;
};

std::string ValueText(const TVariant& value) {
  if (value.IsNull()) return "(null)";
  try {
    return value.AsString();
  } catch (const EVariantError&) {
    return "(" + VarTypeName(value.Type()) + ")";
  }
}

// Holds the reference to an item that GetItem handed out, and releases it.
class TItemRef {
 public:
  explicit TItemRef(CjtParamsListItem* item) : Item(item) {}
  ~TItemRef() { Item->lpVtbl->Release(Item); }
  TItemRef(const TItemRef&) = delete;
  TItemRef& operator=(const TItemRef&) = delete;

  std::string Name() const {
    const char* name = Item->lpVtbl->GetName(Item);
    return name != nullptr ? name : "";
  }
  std::string Value() const {
    TVariant value;
    Item->lpVtbl->GetValue(Item, value.Receive());
    return ValueText(value);
  }

 private:
  CjtParamsListItem* Item;
};

// The values of a list that reaches the host through its interface.
void CopyValues(CjtParamsListA* list, TSentData& sent) {
  for (int32_t i = 0; list != nullptr && i < list->lpVtbl->Count(list); ++i) {
    CjtParamsListItem* item = nullptr;
    if (list->lpVtbl->GetItem(list, i, &item) != 0 || item == nullptr) continue;
    const TItemRef ref(item);
    sent.Values.emplace_back(ref.Name(), ref.Value());
  }
}

void CopyRecord(const CjtCallRecord& record, TSentData& sent) {
  if (record.Input.Kind == CJT_DATA_TEXT_BUFFER && record.Input.Data != 0)
    sent.PacketText.assign(reinterpret_cast<const char*>(record.Input.Data), record.Input.Size);
  if (record.Output.Kind == CJT_DATA_LIST_INTF && record.Output.Data != 0)
    CopyValues(*reinterpret_cast<CjtParamsListA* const*>(record.Output.Data), sent);
}

}  // namespace

void SetSendHandler(TSendHandler handler) {
  std::unique_lock<std::mutex> lock(HandlerMutex);
  TSendHandler previous = std::exchange(Handler, std::move(handler));
  HandlerIdle.wait(lock, [] { return CallsInFlight == 0; });
  lock.unlock();
  // The previous handler and what it captured go outside the lock.
}

}  // namespace cjt::host

using namespace cjt;

int32_t CJT_STDCALL Corvane_SendDataEx(uint32_t moduleIndex, uint32_t dataSourceId, uint32_t connectionKey,
                                       uint32_t reserved, uint32_t kind, uintptr_t address, uint32_t count) {
  const host::TSendCall call;
  const host::TSendHandler& handler = call.Current;
  if (!handler || address == 0) return -1;
  try {
    host::TSentData sent{moduleIndex, dataSourceId, connectionKey, kind, {}, {}, {}};
    if (kind == CJT_DATA_LIST_INTF)
      host::CopyRecord(*reinterpret_cast<const CjtCallRecord*>(address), sent);
    else
      sent.Bytes.assign(reinterpret_cast<const char*>(address), count);
    return handler(sent);
  } catch (...) {
    // Nothing of the host crosses into the plug-in.
    return -1;
  }
}

int32_t CJT_STDCALL Corvane_PostMessage(uint32_t window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return platform::TMessageWindow::Deliver(window, message, wparam, lparam) ? 1 : 0;
}
