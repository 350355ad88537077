// The line as the program keeps it through faults: opened, read and written while it works;
// when it fails (or cannot be opened) it is closed and reopened after a backoff wait, again
// and again, until it works once more. Without reconnecting a fault ends the run as before.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "tools/cjt188-host/host_line.h"
#include "tools/cjt188-host/reconnect_backoff.h"

namespace cjt::host {

// A change of the line's state: Up false when it was lost, true when it came back.
struct TLineChange {
  bool Up = false;
  std::string Message;    // lost: why
  uint32_t RetryMs = 0;   // lost: wait before the next attempt
  uint32_t Attempts = 0;  // back: attempts it took, the successful one included
  uint64_t DownMs = 0;    // back: time without the line
};

class TLineKeeper {
 public:
  using TOpener = std::function<std::unique_ptr<THostLine>()>;

  // name: the line's name as the plug-in knows it, also while the line is down.
  TLineKeeper(std::string name, TOpener opener, const TReconnectSettings& settings);

  const std::string& Name() const { return LineName; }
  bool Up() const;

  // The first opening. Without reconnecting a failure throws EHostLine; with it the failure
  // is the first loss.
  std::optional<TLineChange> Open(uint64_t now);
  // What arrives within timeoutMs while the line is up; while it is down, an attempt to
  // reopen it when one is due. A change (the line lost on a read or a write, or back) comes
  // out in change. Without reconnecting a loss throws EHostLine. The main loop's thread only.
  std::string Read(uint32_t timeoutMs, uint64_t now, std::optional<TLineChange>& change);
  // Any thread. False when the line is down or the write failed (the loss is reported by the
  // next Read).
  bool Write(std::string_view bytes);

 private:
  std::shared_ptr<THostLine> Current() const;
  TLineChange Lose(const std::string& message, uint64_t now);
  std::optional<TLineChange> TryOpen(uint64_t now);

  const std::string LineName;
  TOpener Opener;
  TReconnectSettings Settings;
  TBackoff Backoff;
  mutable std::mutex Mutex;  // guards Line and WriteFailure
  std::shared_ptr<THostLine> Line;
  std::string WriteFailure;
  uint64_t DownSince = 0;
  uint64_t NextAttempt = 0;
  uint32_t Attempts = 0;
};

}  // namespace cjt::host
