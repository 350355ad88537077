#include <windows.h>
// After windows.h, which it needs.
#include <objbase.h>

#include <cstring>

#include "platform/guid.h"

namespace cjt::platform {

TGuid NewGuid() {
  GUID native{};
  if (FAILED(CoCreateGuid(&native))) return TGuid{};
  TGuid g;
  std::memcpy(&g, &native, sizeof g);
  return g;
}

}  // namespace cjt::platform
