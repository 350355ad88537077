// The per-connection clients of a data source, filed by connection key, with the keys of
// the placeholder clients kept beside them: a new connection finds a placeholder to adopt
// without looking at every client.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "parser/scheduled_client.h"
#include "support/ptr_hash_list.h"

namespace cjt {

using TParserClients = std::vector<std::unique_ptr<TCustomParserScheduledClient>>;

class TCustomParserClientList : public TThreadPtrUIntObjectHashList<TCustomParserScheduledClient> {
 public:
  using TMap = TPtrUIntObjectHash<TCustomParserScheduledClient>;

  // These change the map the caller holds under the exclusive lock, and the placeholder keys
  // with it. Put files the client under key (freeing one filed there before).
  TCustomParserScheduledClient& Put(TMap& map, uintptr_t key, std::unique_ptr<TCustomParserScheduledClient> client);
  std::unique_ptr<TCustomParserScheduledClient> Extract(TMap& map, uintptr_t key);
  TParserClients ExtractAll(TMap& map);

  // Under either lock: a placeholder client (null when there is none), and all their keys.
  TCustomParserScheduledClient* FindPlaceholder(const TMap& map) const;
  std::vector<uintptr_t> PlaceholderKeyList() const;

  std::atomic<bool> HasPlaceholders{false};

 private:
  std::set<uintptr_t> PlaceholderKeys;
};

}  // namespace cjt
