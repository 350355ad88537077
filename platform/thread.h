// Thread identity and waiting.
#pragma once

#include <cstdint>

namespace cjt::platform {

// The operating system's id of the calling thread (unique among running threads).
uint32_t CurrentThreadId();

void SleepMs(uint32_t ms);

// Keeps the calling thread serving its timers and posted work for about ms milliseconds.
// On Windows it runs a message loop (timers fire only while their thread pumps messages);
// a quit message is left for the thread's own loop, and the rest of the time only waits.
// Elsewhere each thread's dispatcher serves them and this only waits.
void PumpMessagesFor(uint32_t ms);

}  // namespace cjt::platform
