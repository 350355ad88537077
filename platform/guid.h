// Globally unique identifiers: interface identifiers and the identity of parameter lists.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "cjt188/host_abi.h"

inline bool operator==(const CjtGuid& a, const CjtGuid& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

namespace cjt::platform {

using TGuid = ::CjtGuid;

// A fresh random identifier.
TGuid NewGuid();

// The registry text form: 38 characters, braces included, upper-case hexadecimal digits,
// e.g. "{33316D29-0F86-41C4-8DB4-3FE9756158B1}".
std::string GuidToString(const TGuid& guid);

}  // namespace cjt::platform
