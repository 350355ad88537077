// The host's data sources configured for this module, as SET-STATE lists them: one line
// per data source, "id;name;long name".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cjt {

struct TConfigDataSource {
  std::string Line;  // the whole line it was read from
  int32_t Id = -1;
  std::string Name;
  std::string FullName;
};

// Reads one line; a line whose first field is not a number (id -1) gives nothing.
bool ParseConfigDataSource(std::string_view line, TConfigDataSource& source);

}  // namespace cjt
