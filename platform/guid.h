// Globally unique identifiers: interface identifiers and the identity of parameter lists.
#pragma once

#include <cstdint>
#include <string>

namespace cjt::platform {

struct TGuid {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];

  friend bool operator==(const TGuid&, const TGuid&) = default;
};
static_assert(sizeof(TGuid) == 16);

// A fresh random identifier.
TGuid NewGuid();

// The registry text form: 38 characters, braces included, upper-case hexadecimal digits,
// e.g. "{33316D29-0F86-41C4-8DB4-3FE9756158B1}".
std::string GuidToString(const TGuid& guid);

}  // namespace cjt::platform
