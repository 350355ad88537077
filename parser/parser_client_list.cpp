#include "parser/parser_client_list.h"

namespace cjt {

TCustomParserScheduledClient& TCustomParserClientList::Put(TMap& map, uintptr_t key,
                                                           std::unique_ptr<TCustomParserScheduledClient> client) {
  if (client->Placeholder)
    PlaceholderKeys.insert(key);
  else
    PlaceholderKeys.erase(key);
  return map.Put(key, std::move(client));
}

std::unique_ptr<TCustomParserScheduledClient> TCustomParserClientList::Extract(TMap& map, uintptr_t key) {
  PlaceholderKeys.erase(key);
  return map.Extract(key);
}

TParserClients TCustomParserClientList::ExtractAll(TMap& map) {
  PlaceholderKeys.clear();
  return map.ExtractAll();
}

TCustomParserScheduledClient* TCustomParserClientList::FindPlaceholder(const TMap& map) const {
  return PlaceholderKeys.empty() ? nullptr : map.Find(*PlaceholderKeys.begin());
}

std::vector<uintptr_t> TCustomParserClientList::PlaceholderKeyList() const {
  return {PlaceholderKeys.begin(), PlaceholderKeys.end()};
}

}  // namespace cjt
