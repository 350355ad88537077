// How the program waits between attempts to reopen a lost line (or to reach the MQTT broker
// again): the first wait, doubled after every failed attempt up to a ceiling, and back to the
// first once an attempt succeeds.
#pragma once

#include <cstdint>

namespace cjt::host {

struct TReconnectSettings {
  bool Enabled = true;      // false: a lost line ends the program
  uint32_t FirstMs = 1000;  // wait before the first attempt
  uint32_t LongestMs = 60000;
};

class TBackoff {
 public:
  explicit TBackoff(const TReconnectSettings& settings) : Settings(settings), NextMs(settings.FirstMs) {}

  // The wait before the next attempt; the one after it is twice as long, up to the ceiling.
  uint32_t Take();
  // After a success: the next loss starts again with the first wait.
  void Reset() { NextMs = Settings.FirstMs; }

 private:
  TReconnectSettings Settings;
  uint32_t NextMs;
};

}  // namespace cjt::host
