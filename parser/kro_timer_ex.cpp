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

template <class T>
void TkroTimerEx::Change(T& property, T value) {
  std::lock_guard<std::mutex> guard(Mutex);
  if (value == property) return;
  property = value;
  Update();
}

void TkroTimerEx::SetEnabled(bool enabled) { Change(IsEnabled, enabled); }

uint32_t TkroTimerEx::Interval() const {
  std::lock_guard<std::mutex> guard(Mutex);
  return IntervalMs;
}

void TkroTimerEx::SetInterval(uint32_t intervalMs) { Change(IntervalMs, intervalMs); }

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
