// The table of compiled-in resources, shared by both bodies; the module's own resources are
// the platform body's (NativeRawResource).
#include "platform/raw_resources.h"

#include <mutex>
#include <vector>

namespace cjt::platform {

// Defined by each platform body: the module's own resource of that (upper-case) name.
std::optional<std::string_view> NativeRawResource(const std::string& name);

namespace {

struct TRawResourceTable {
  std::mutex Lock;
  std::vector<TRawResourceEntry> Entries;
};

// Built on first use, so that registrations from other files' static initializers find it.
TRawResourceTable& Table() {
  static TRawResourceTable table;
  return table;
}

}  // namespace

std::string RawResourceName(std::string_view name) {
  std::string upper(name);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

void RegisterRawResources(const TRawResourceEntry* entries, size_t count) {
  TRawResourceTable& table = Table();
  const std::lock_guard<std::mutex> hold(table.Lock);
  table.Entries.insert(table.Entries.end(), entries, entries + count);
}

std::optional<std::string_view> FindRawResource(std::string_view name) {
  const std::string upper = RawResourceName(name);
  if (upper.empty()) return std::nullopt;
  if (auto native = NativeRawResource(upper)) return native;
  TRawResourceTable& table = Table();
  const std::lock_guard<std::mutex> hold(table.Lock);
  for (const TRawResourceEntry& entry : table.Entries) {
    if (upper == entry.Name) return std::string_view(reinterpret_cast<const char*>(entry.Data), entry.Size);
  }
  return std::nullopt;
}

}  // namespace cjt::platform
