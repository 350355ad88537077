#include "parser/data_source_with_clients.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "plugin/call_context.h"
#include "plugin/data_delivery.h"
#include "plugin/kro_plugin.h"
#include "plugin/parsed_data_list.h"
#include "plugin/reused_packet_list.h"
#include "support/text_values.h"

namespace cjt {

namespace {

// A client counts as silent after this share of its time-out once its connection closed.
constexpr double ClosedSilenceShare = 0.9;
// The parse result that ends the pass over the current block.
constexpr int32_t ParseStopBlock = -6;

std::unique_ptr<TCustomParserScheduledClient> NewScheduledClient(TDataSourceScheduledWithClients& dataSource,
                                                                 const TPluginCallRecord& record) {
  return std::make_unique<TCustomParserScheduledClient>(dataSource, record);
}

// Removes count bytes from the buffer's front when it goes out of scope, also when the
// decoding of the frame raised.
class TFrameRemoval {
 public:
  TFrameRemoval(TFIFOStream& buffer, int32_t count) : Buffer(buffer), Count(count) {}
  ~TFrameRemoval() {
    if (Count > 0) Buffer.Remove(Count);
  }
  TFrameRemoval(const TFrameRemoval&) = delete;
  TFrameRemoval& operator=(const TFrameRemoval&) = delete;

 private:
  TFIFOStream& Buffer;
  int32_t Count;
};

}  // namespace

TDataSourceScheduledWithClients::TDataSourceScheduledWithClients(TkroPlugin& plugin)
    : TDataSourceScheduled(plugin),
      ClientClass(NewScheduledClient),
      HousekeepingTimer(std::make_unique<TkroTimerEx>()),
      PacketList(std::make_unique<TReusedPacketList>()) {
  HousekeepingTimer->SetEnabled(false);
  HousekeepingTimer->SetInterval(HousekeepingInterval);
  HousekeepingTimer->SetOnTimer([this](TkroTimerEx&) { Housekeeping(); });
  Queue->OnScheduled = [this](TQueueController&, TScheduledEvent&, TBasicRequestItem& item) {
    OnMasterScheduled(item);
  };
  Queue->SetTimerEnabled(false);
}

TDataSourceScheduledWithClients::~TDataSourceScheduledWithClients() { StopClients(); }

void TDataSourceScheduledWithClients::StopClients() {
  {
    std::lock_guard lock(HousekeepingMutex);
    Stopping = true;
  }
  if (Queue) Queue->Stop();
  Queue.reset();
  // Waits for a pass in progress, which no longer touches the timer.
  HousekeepingTimer.reset();
  // Taken out under the list's lock, freed after it.
  TParserClients stopped = Clients.ExtractAll(*TWriteLocked<TCustomParserClientList>(Clients));
  stopped.clear();
  FreeRetired();
}

void TDataSourceScheduledWithClients::FireEvent(std::string_view name, bool all, const TkroParamsList* params) {
  TReadLocked<TCustomParserClientList> clients(Clients);
  clients->ForEach([&](uintptr_t, TCustomParserScheduledClient& client) {
    TClientLock lock(client);
    client.Queue->FireEvent(name, all, params);
  });
}

int32_t TDataSourceScheduledWithClients::ProcessPacket(TPluginCallRecord& record) {
  if (record.Input.Kind != DataKindConnection && !IsReceivedData(record.Input)) {
    Plugin.AddLog(LogLevelWarning, "Input of kind " + std::to_string(record.Input.Kind) +
                                       " refused: received data must be a byte buffer");
    return -1;
  }
  try {
    TReadLocked<TBasicRequestList> master(Queue->Items);
    if (record.Input.Kind == DataKindConnection)
      HandleConnectionEvent(record);
    else
      HandleDataBlock(record);
  } catch (...) {
    // A broken block must not end the host's call.
  }
  EnableHousekeeping();
  return 0;
}

void TDataSourceScheduledWithClients::HandleConnectionEvent(TPluginCallRecord& record) {
  TReadLocked<TCustomParserClientList> clients(Clients);
  const uintptr_t code = record.Input.Data;
  const bool opensOrCloses = code == ConnectionOpened || code == ConnectionClosed;
  if (opensOrCloses && Clients.HasPlaceholders.exchange(false)) RemovePlaceholders();
  TCustomParserScheduledClient* client = FindOrCreateClient(record, false, ClientClass);
  if (client == nullptr || !opensOrCloses) return;
  {
    TClientLock lock(*client);
    client->SetActive(code == ConnectionOpened);
    if (code == ConnectionClosed) {
      if (!client->SilenceTimer.IsStarted()) client->SilenceTimer.StartPlain();
      client->SilenceTimer.MoveStartBack(
          static_cast<uint64_t>(std::llround(ClosedSilenceShare * static_cast<double>(client->SilenceTimeout))));
    }
  }
  CheckSilenceSoon();
}

void TDataSourceScheduledWithClients::HandleDataBlock(TPluginCallRecord& record) {
  TReadLocked<TCustomParserClientList> clients(Clients);
  TCustomParserScheduledClient* client = FindOrCreateClient(record, false, ClientClass);
  if (client == nullptr) return;
  TClientLock lock(*client);
  if (client->StaleBufferTime != 0 && client->SilentFor(client->StaleBufferTime)) client->ClearBuffer();
  const auto* data = reinterpret_cast<const void*>(record.Input.Data);
  const auto size = static_cast<int32_t>(record.Input.Size);
  client->AddData(data, data != nullptr ? size : 0);
  ParseBuffer(*client, record);
}

void TDataSourceScheduledWithClients::ParseBuffer(TCustomParserScheduledClient& client, TPluginCallRecord& record) {
  // Several frames may complete in one call: the first packet replaces what the host's
  // output list held, the later ones are appended to it.
  bool delivered = false;
  bool more = false;
  do {
    more = false;
    const int32_t count = client.FindFrame(more) + 1;
    if (count <= 0) continue;
    int32_t parsed = 0;
    {
      TFrameRemoval removal(*client.Buffer, count - 1);
      TReusedPacketList::TLease lease(*PacketList);
      TkroParamsList* output = OwnOutputList(record);
      parsed = output != nullptr ? ParseIntoOutput(client, record, *output, lease.List(), delivered)
                                 : ParseAndDeliver(client, record, lease.List(), delivered);
    }
    client.ResetFrame();
    if (parsed == ParseStopBlock) break;
  } while (more && client.Buffer->DataSize() > 0);
  // A connection between answers holds no receive storage.
  client.Buffer->ReleaseWhenEmpty();
}

int32_t TDataSourceScheduledWithClients::ParseAndDeliver(TCustomParserScheduledClient& client,
                                                         TPluginCallRecord& record, TParsedDataList& packet,
                                                         bool& delivered) {
  TPacketTarget target = packet.Target();
  const int32_t parsed = client.ParseFrame(target);
  if (packet.Count() == 0) return parsed;
  // A call without an output list would lose the values: they go through the send function.
  if (BlockList(record.Output) == nullptr)
    SendValues(Plugin, static_cast<uint32_t>(client.DataSourceId), static_cast<uint32_t>(client.ConnectionKey), packet);
  else
    ReturnValuesInCall(Plugin, record, packet, packet.PacketText(), delivered);
  delivered = true;
  return parsed;
}

int32_t TDataSourceScheduledWithClients::ParseIntoOutput(TCustomParserScheduledClient& client,
                                                         TPluginCallRecord& record, TkroParamsList& output,
                                                         TParsedDataList& packet, bool& delivered) {
  // The values go after what the list holds, so that a frame that fails to decode leaves
  // the list as it was; the first packet delivered then takes the place of the earlier items.
  TPacketTarget target = packet.TargetFor(output);
  int32_t parsed = 0;
  try {
    parsed = client.ParseFrame(target);
    if (target.Count() == 0) return parsed;
    ReturnPacketInCall(Plugin, record, target.PacketText(), delivered);
  } catch (...) {
    target.Discard();
    throw;
  }
  if (!delivered) target.DropEarlier();
  delivered = true;
  return parsed;
}

TCustomParserScheduledClient* TDataSourceScheduledWithClients::FindOrCreateClient(const TPluginCallRecord& record,
                                                                                  bool requireRunning,
                                                                                  const TClientClass& clientClass) {
  TCustomParserScheduledClient* placeholder = nullptr;
  {
    TReadLocked<TCustomParserClientList> clients(Clients);
    TCustomParserScheduledClient* found = clients->Find(record.ConnectionKey);
    if (found != nullptr && !(requireRunning && found->Stopped)) return found;
    placeholder = Clients.FindPlaceholder(*clients);
    if (placeholder != nullptr && RecordSourceName(record).starts_with(PlaceholderPrefix)) return placeholder;
  }
  if (placeholder == nullptr && !clientClass) return nullptr;
  TWriteLocked<TCustomParserClientList> clients(Clients);
  // While this thread waited for the exclusive lock another may have served the same
  // connection: look again before adopting or creating.
  if (TCustomParserScheduledClient* found = clients->Find(record.ConnectionKey);
      found != nullptr && !(requireRunning && found->Stopped))
    return found;
  placeholder = Clients.FindPlaceholder(*clients);
  if (placeholder != nullptr) {
    Adopt(*placeholder, record);
    return placeholder;
  }
  return clientClass ? CreateClient(record, clientClass) : nullptr;
}

void TDataSourceScheduledWithClients::Adopt(TCustomParserScheduledClient& placeholder,
                                            const TPluginCallRecord& record) {
  const uintptr_t oldKey = placeholder.ConnectionKey;
  {
    TClientLock lock(placeholder);
    placeholder.ReadIdentity(record);
    placeholder.Placeholder = placeholder.ConnectionKey == 0;
    if (!placeholder.Placeholder && record.Input.Kind == DataKindConnection) placeholder.EventDriven = true;
  }
  CheckSilenceSoon();
  // The client is filed under its connection key from now on.
  TPtrUIntObjectHash<TCustomParserScheduledClient>& clients = Clients.LockWrite();
  std::unique_ptr<TCustomParserScheduledClient> moved = Clients.Extract(clients, oldKey);
  if (moved) Clients.Put(clients, placeholder.ConnectionKey, std::move(moved));
  Clients.UnlockWrite();
}

TCustomParserScheduledClient* TDataSourceScheduledWithClients::CreateClient(const TPluginCallRecord& record,
                                                                            const TClientClass& clientClass) {
  std::unique_ptr<TCustomParserScheduledClient> client = clientClass(*this, record);
  client->Created();
  const uintptr_t key = client->ConnectionKey;
  TCustomParserScheduledClient& filed =
      Clients.Put(*TWriteLocked<TCustomParserClientList>(Clients), key, std::move(client));
  CheckSilenceSoon();
  return &filed;
}

size_t TDataSourceScheduledWithClients::RemovePlaceholders() {
  TWriteLocked<TCustomParserClientList> clients(Clients);
  const std::vector<uintptr_t> keys = Clients.PlaceholderKeyList();
  // The callers hold locks of the data source (a connection event holds the master list).
  Retire(TakeClients(keys));
  return keys.size();
}

TParserClients TDataSourceScheduledWithClients::TakeClients(const std::vector<uintptr_t>& keys) {
  TWriteLocked<TCustomParserClientList> clients(Clients);
  TParserClients taken;
  for (uintptr_t key : keys) {
    std::unique_ptr<TCustomParserScheduledClient> client = Clients.Extract(*clients, key);
    if (!client) continue;
    // A client out of the list sends nothing more, also while it waits to be freed.
    client->HaltQueue();
    taken.push_back(std::move(client));
  }
  return taken;
}

void TDataSourceScheduledWithClients::Retire(TParserClients clients) {
  std::lock_guard lock(RetiredMutex);
  for (auto& client : clients) Retired.push_back(std::move(client));
}

void TDataSourceScheduledWithClients::FreeRetired() {
  TParserClients retired;
  {
    std::lock_guard lock(RetiredMutex);
    retired.swap(Retired);
  }
}

bool TDataSourceScheduledWithClients::HasRetired() {
  std::lock_guard lock(RetiredMutex);
  return !Retired.empty();
}

void TDataSourceScheduledWithClients::CreatePlaceholder(const TPluginCallRecord& record, bool neverSilent) {
  TReadLocked<TBasicRequestList> master(Queue->Items);
  TCustomParserScheduledClient* client = FindOrCreateClient(record, false, ClientClass);
  if (client == nullptr) return;
  {
    TClientLock lock(*client);
    if (neverSilent) client->SilenceTimeout = NeverSilent;
    client->SetActive(true);
  }
  Clients.HasPlaceholders = true;
  EnableHousekeeping();
}

void TDataSourceScheduledWithClients::RefreshClients(bool reset, bool reload) {
  {
    TReadLocked<TBasicRequestList> master(Queue->Items);
    TReadLocked<TCustomParserClientList> clients(Clients);
    clients->ForEach([&](uintptr_t, TCustomParserScheduledClient& client) {
      TClientLock lock(client);
      if (reload) client.LoadRequests();
      client.Queue->UpdateTimer(reset);
    });
  }
  // Reloaded requests may have shortened the clients' silence time-outs.
  if (reload) CheckSilenceSoon();
}

void TDataSourceScheduledWithClients::OnMasterScheduled(TBasicRequestItem& item) {
  {
    TReadLocked<TCustomParserClientList> clients(Clients);
    clients->ForEach([&](uintptr_t, TCustomParserScheduledClient& client) {
      {
        TWriteLocked<TBasicRequestList> items(client.Queue->Items);
        for (TBasicRequestItem* copy : *items)
          if (copy->GroupKey == item.GroupKey) copy->Triggered = true;
      }
      client.Queue->Wake();
    });
  }
  item.Triggered = false;
}

void TDataSourceScheduledWithClients::Housekeeping() {
  uint64_t changes = 0;
  bool due = false;
  {
    std::lock_guard lock(HousekeepingMutex);
    if (Stopping) return;
    HousekeepingTimer->SetEnabled(false);
    changes = SilenceChanges;
    due = SilenceCheckAt == 0 || platform::TickCount64() >= SilenceCheckAt;
  }
  if (due) CheckSilence(changes);
  // No lock is held here: the clients retired since the last pass go now.
  FreeRetired();
  EnableHousekeeping();
}

void TDataSourceScheduledWithClients::CheckSilence(uint64_t changes) {
  std::vector<uintptr_t> silent;
  uint64_t nextCheck = UINT64_MAX;
  {
    TReadLocked<TCustomParserClientList> clients(Clients);
    clients->ForEach([&](uintptr_t key, TCustomParserScheduledClient& client) {
      TClientLock lock(client);
      if (client.Stopped || !client.EventDriven || client.SilenceTimeout == NeverSilent) return;
      if (!client.SilentFor(client.SilenceTimeout)) {
        // The silence timer has its deadline now; data coming in only moves it later.
        nextCheck = std::min(nextCheck, client.SilenceTimer.Deadline);
        client.Idle();
        return;
      }
      client.Stopped = true;
      client.SilenceTimer.StartPlain();
      silent.push_back(key);
    });
  }
  {
    // A change while the clients were looked at may have made one silent sooner.
    std::lock_guard lock(HousekeepingMutex);
    SilenceCheckAt = SilenceChanges == changes ? nextCheck : 0;
  }
  if (!silent.empty()) TakeClients(silent).clear();
}

void TDataSourceScheduledWithClients::CheckSilenceSoon() {
  std::lock_guard lock(HousekeepingMutex);
  ++SilenceChanges;
  SilenceCheckAt = 0;
}

void TDataSourceScheduledWithClients::EnableHousekeeping() {
  const bool any = Clients.Count() > 0 || HasRetired();
  std::lock_guard lock(HousekeepingMutex);
  if (any && !Stopping) HousekeepingTimer->SetEnabled(true);
}

void CreatePlaceholderClients(TkroPlugin& plugin, const TObjectList<TDataSourceScheduled>& sources, bool neverSilent,
                              uint32_t suffix) {
  if (!plugin.EnabledTypes[0]) return;
  std::string name = std::string(PlaceholderPrefix) + HexText8(static_cast<uint32_t>(plugin.Handle));
  if (suffix != 0) name += "_" + HexText8(suffix);
  for (const TConfigDataSource& configured : plugin.ConfigDataSources) {
    auto* source = FindDataSource<TDataSourceScheduledWithClients>(sources, configured.Id);
    if (source == nullptr || source->Clients.Count() > 0) continue;
    TPluginCallRecord record{};
    record.Size = CallRecordSize;
    // The placeholder's requests must reach the host as its data source's.
    record.DataSourceId = static_cast<uint32_t>(configured.Id);
    std::memcpy(record.DataSourceName, name.data(), std::min(name.size(), DataSourceNameLength - 1));
    source->CreatePlaceholder(record, neverSilent);
  }
}

}  // namespace cjt
