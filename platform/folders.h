// Folders the system names for all users.
#pragma once

#include <string>

namespace cjt::platform {

// The common application-data folder, without a trailing delimiter; empty when the system
// names none.
std::string CommonAppDataFolder();

// The path delimiter of the system.
char PathDelimiter();

}  // namespace cjt::platform
