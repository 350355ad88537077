// A data source that turns the host's traffic into per-connection protocol clients: each
// connection key the host reports gets a client with its own receive buffer and its own
// copy of the configured requests. Received blocks are cut into frames and decoded by the
// connection's client; connections that fall silent are dropped by housekeeping.
//
// Lock order: the master item list, then the client list, then a client's buffer (which
// guards the client's state), then the client's item list. Every path takes them in this
// order, so none can wait for another in a circle. A client is never freed under any of
// them: freeing it waits for its timer's handler running on another thread, and that
// handler may wait for one of these locks.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "parser/data_source.h"
#include "parser/kro_timer_ex.h"
#include "parser/parser_client_list.h"
#include "parser/scheduled_client.h"
#include "plugin/call_record.h"

namespace cjt {

class TDataSourceScheduledWithClients;
class TkroParamsList;
class TParsedDataList;
class TReusedPacketList;

// Makes the client of a connection.
using TClientClass = std::function<std::unique_ptr<TCustomParserScheduledClient>(
    TDataSourceScheduledWithClients& dataSource, const TPluginCallRecord& record)>;

inline constexpr uint32_t HousekeepingInterval = 300;

class TDataSourceScheduledWithClients : public TDataSourceScheduled {
 public:
  explicit TDataSourceScheduledWithClients(TkroPlugin& plugin);
  // Stops the clients (see StopClients).
  ~TDataSourceScheduledWithClients() override;

  // Frees the master queue, then the housekeeping timer, then the clients, whose timers may
  // still call the data source. A derived data source calls it first in its own destructor,
  // so that no client sees it half destroyed.
  void StopClients();

  // The master queue never sends: the clients do.
  bool IsSuspended() override { return true; }
  void FireEvent(std::string_view name, bool all, const TkroParamsList* params) override;

  // The data path of one ProcessData call: connection events activate and deactivate
  // clients, data blocks are appended to the connection's buffer and cut into frames whose
  // values go back in the call. 0, or -1 (logged) for an Input block that is neither an
  // event nor received bytes; nothing raised here reaches the caller.
  int32_t ProcessPacket(TPluginCallRecord& record);
  // The connection's client (a placeholder adopts the connection); made with clientClass
  // when there is none. Null without a class.
  TCustomParserScheduledClient* FindOrCreateClient(const TPluginCallRecord& record, bool requireRunning,
                                                   const TClientClass& clientClass);
  // Takes the placeholder clients out of the list; they are freed by the next housekeeping
  // pass (or when the clients stop), where no lock of the data source is held.
  size_t RemovePlaceholders();
  // Makes a placeholder client of ClientClass from the record: active, and never silent
  // when asked.
  void CreatePlaceholder(const TPluginCallRecord& record, bool neverSilent);
  // For every client: reloads its requests when asked, then updates its queue's timer.
  void RefreshClients(bool reset, bool reload);
  // A time event of the master queue fired for item: the clients' copies of it are due.
  void OnMasterScheduled(TBasicRequestItem& item);
  // One pass: once an event-driven client may have fallen silent (its silence time-out ran
  // out, or a connection came, closed or was adopted, or requests were reloaded), the silent
  // ones are removed and the others told they are idle; clients taken out earlier are freed.
  void Housekeeping();

  TClientClass ClientClass;
  TCustomParserClientList Clients;
  std::unique_ptr<TkroTimerEx> HousekeepingTimer;

 private:
  void HandleConnectionEvent(TPluginCallRecord& record);
  void HandleDataBlock(TPluginCallRecord& record);
  // Cuts frames out of the client's buffer and returns their values in the call.
  void ParseBuffer(TCustomParserScheduledClient& client, TPluginCallRecord& record);
  // Decode the frame at the client's buffer's front and hand its values to the host in the
  // call, after the packets delivered before it, and return ParseFrame's result. The first
  // decodes into the packet list and copies (or sends, without an output list); the second
  // decodes straight into an output list of ours.
  int32_t ParseAndDeliver(TCustomParserScheduledClient& client, TPluginCallRecord& record, TParsedDataList& packet,
                          bool& delivered);
  int32_t ParseIntoOutput(TCustomParserScheduledClient& client, TPluginCallRecord& record, TkroParamsList& output,
                          TParsedDataList& packet, bool& delivered);
  TCustomParserScheduledClient* CreateClient(const TPluginCallRecord& record, const TClientClass& clientClass);
  void Adopt(TCustomParserScheduledClient& placeholder, const TPluginCallRecord& record);
  void EnableHousekeeping();
  // The clients with these keys, taken out of the list.
  TParserClients TakeClients(const std::vector<uintptr_t>& keys);
  // Clients taken out while a lock was held wait here until FreeRetired runs lock-free.
  void Retire(TParserClients clients);
  void FreeRetired();
  bool HasRetired();

  std::unique_ptr<TReusedPacketList> PacketList;

  std::mutex RetiredMutex;
  TParserClients Retired;  // under RetiredMutex
  // Looks at every client for silence; changes counts CheckSilenceSoon calls seen before.
  void CheckSilence(uint64_t changes);
  // Something may have made a client silent sooner than the last look found: look again at
  // the next pass.
  void CheckSilenceSoon();

  std::mutex HousekeepingMutex;
  bool Stopping = false;  // under HousekeepingMutex
  // Under HousekeepingMutex: the tick count at which the next client may fall silent (0: at
  // the next pass), and the number of CheckSilenceSoon calls so far.
  uint64_t SilenceCheckAt = 0;
  uint64_t SilenceChanges = 0;
};

// Gives every configured data source with clients but without any client yet a placeholder client, so
// that requests run before the host reports a connection. The caller holds the list.
void CreatePlaceholderClients(TkroPlugin& plugin, const TObjectList<TDataSourceScheduled>& sources, bool neverSilent,
                              uint32_t suffix);

}  // namespace cjt
