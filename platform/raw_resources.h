// Raw-data resources of this module, found by name: RCDATA resources of the module on
// Windows, byte arrays compiled into the module on POSIX (a generated source file registers
// them at start-up). Names are compared upper-cased, as Windows resource names are.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cjt::platform {

// The bytes of the resource with that name, unchanged; nullopt when there is none. The bytes
// stay valid while the module is loaded. Registered arrays are searched after the module's
// own resources.
std::optional<std::string_view> FindRawResource(std::string_view name);

// One compiled-in resource; the name is upper-case.
struct TRawResourceEntry {
  const char* Name;
  const unsigned char* Data;
  size_t Size;
};

// Adds entries to the table that FindRawResource searches; the entries must outlive every
// lookup (static arrays). Called from static initializers, so it needs nothing set up.
void RegisterRawResources(const TRawResourceEntry* entries, size_t count);

// The name as resources are named: ASCII letters upper-cased.
std::string RawResourceName(std::string_view name);

}  // namespace cjt::platform
