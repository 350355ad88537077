#include "parser/kro_timer_ex.h"

#include <stdexcept>

#include "support/application_error.h"

namespace cjt {

TkroTimerEx::TkroTimerEx() : Timer([this] { Fire(); }) {}

TkroTimerEx::~TkroTimerEx() = default;

bool TkroTimerEx::Enabled() const {
  std::lock_guard<std::mutex> guard(Mutex);
  return IsEnabled;
}

void TkroTimerEx::SetEnabled(bool enabled) {
  std::lock_guard<std::mutex> guard(Mutex);
  if (enabled == IsEnabled) return;
  IsEnabled = enabled;
  Update();
}

uint32_t TkroTimerEx::Interval() const {
  std::lock_guard<std::mutex> guard(Mutex);
  return IntervalMs;
}

void TkroTimerEx::SetInterval(uint32_t intervalMs) {
  std::lock_guard<std::mutex> guard(Mutex);
  if (intervalMs == IntervalMs) return;
  IntervalMs = intervalMs;
  Update();
}

void TkroTimerEx::SetOnTimer(TNotifyEvent handler) {
  std::lock_guard<std::mutex> guard(Mutex);
  OnTimer = std::move(handler);
  Update();
}

void TkroTimerEx::Update() {
  const bool wanted = IsEnabled && IntervalMs != 0 && OnTimer;
  if (!wanted) {
    if (Armed) Timer.Disarm();
    Armed = false;
    return;
  }
  if (Armed && ArmedInterval == IntervalMs) return;
  if (!Timer.Arm(IntervalMs)) {
    Armed = false;
    throw std::runtime_error("Not enough timers available");
  }
  Armed = true;
  ArmedInterval = IntervalMs;
}

void TkroTimerEx::Fire() {
  TNotifyEvent handler;
  {
    std::lock_guard<std::mutex> guard(Mutex);
    if (!Armed) return;
    handler = OnTimer;
  }
  // A failing handler is reported and the timer keeps running.
  try {
    handler(*this);
  } catch (...) {
    HandleApplicationException(std::current_exception());
  }
}

}  // namespace cjt
