#include "platform/folders.h"

namespace cjt::platform {

// Data shared by all users of a Linux machine lives under /var/lib.
std::string CommonAppDataFolder() { return "/var/lib"; }

char PathDelimiter() { return '/'; }

}  // namespace cjt::platform
