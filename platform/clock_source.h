// What each operating system supplies to clock.cpp (platform-internal).
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace cjt::platform {

uint64_t SystemTickCount64();
TCalendarTime SystemLocalTime();

}  // namespace cjt::platform
