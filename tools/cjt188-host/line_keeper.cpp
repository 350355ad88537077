#include "tools/cjt188-host/line_keeper.h"

namespace cjt::host {

TLineKeeper::TLineKeeper(std::string name, TOpener opener, const TReconnectSettings& settings)
    : LineName(std::move(name)), Opener(std::move(opener)), Settings(settings), Backoff(settings) {}

bool TLineKeeper::Up() const { return Current() != nullptr; }

std::shared_ptr<THostLine> TLineKeeper::Current() const {
  std::lock_guard lock(Mutex);
  return Line;
}

std::optional<TLineChange> TLineKeeper::Open(uint64_t now) {
  DownSince = now;
  NextAttempt = now;
  try {
    std::shared_ptr<THostLine> line = Opener();
    std::lock_guard lock(Mutex);
    Line = std::move(line);
    return std::nullopt;
  } catch (const EHostLine& error) {
    if (!Settings.Enabled) throw;
    Attempts = 1;
    return Lose(error.what(), now);
  }
}

std::string TLineKeeper::Read(uint32_t timeoutMs, uint64_t now, std::optional<TLineChange>& change) {
  change.reset();
  std::shared_ptr<THostLine> line = Current();
  if (line == nullptr) {
    if (now >= NextAttempt) change = TryOpen(now);
    return {};
  }
  std::string failure;
  {
    std::lock_guard lock(Mutex);
    failure = std::exchange(WriteFailure, {});
  }
  if (failure.empty()) {
    try {
      return line->Read(timeoutMs);
    } catch (const EHostLine& error) {
      failure = error.what();
    }
  }
  if (!Settings.Enabled) throw EHostLine(failure);
  Attempts = 0;
  change = Lose(failure, now);
  return {};
}

bool TLineKeeper::Write(std::string_view bytes) {
  std::shared_ptr<THostLine> line = Current();
  if (line == nullptr) return false;
  try {
    line->Write(bytes);
    return true;
  } catch (const EHostLine& error) {
    std::lock_guard lock(Mutex);
    if (WriteFailure.empty()) WriteFailure = error.what();
    return false;
  }
}

TLineChange TLineKeeper::Lose(const std::string& message, uint64_t now) {
  {
    std::lock_guard lock(Mutex);
    Line.reset();  // a writer still using it keeps it until its write returns
    WriteFailure.clear();
  }
  DownSince = now;
  const uint32_t wait = Backoff.Take();
  NextAttempt = now + wait;
  return TLineChange{false, message, wait, 0, 0};
}

// Quiet while it fails: a loss and its recovery are one report each, however many attempts
// lie between.
std::optional<TLineChange> TLineKeeper::TryOpen(uint64_t now) {
  ++Attempts;
  std::shared_ptr<THostLine> line;
  try {
    line = Opener();
  } catch (const EHostLine&) {
    NextAttempt = now + Backoff.Take();
    return std::nullopt;
  }
  {
    std::lock_guard lock(Mutex);
    Line = std::move(line);
    WriteFailure.clear();
  }
  Backoff.Reset();
  return TLineChange{true, {}, 0, Attempts, now - DownSince};
}

}  // namespace cjt::host
