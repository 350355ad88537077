// Cost of serving many thread-bound timers: one round in which every timer is due, and
// re-arming (which leaves stale deadlines behind in the heap).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "parser/kro_timer_ex.h"
#include "platform/clock.h"
#include "platform/timer_service.h"

namespace {

void BM_AllTimersDue(benchmark::State& state) {
  cjt::platform::TManualClock clock;
  cjt::platform::TManualTimerPump pump;
  std::vector<std::unique_ptr<cjt::TkroTimerEx>> timers;
  int64_t fires = 0;
  for (int64_t i = 0; i < state.range(0); ++i) {
    timers.push_back(std::make_unique<cjt::TkroTimerEx>());
    timers.back()->SetOnTimer([&fires](cjt::TkroTimerEx&) { ++fires; });
  }
  for (auto _ : state) {
    clock.Advance(1000);
    benchmark::DoNotOptimize(pump.Run());
  }
  state.SetItemsProcessed(fires);
}
BENCHMARK(BM_AllTimersDue)->Arg(1000)->Arg(20000);

void BM_RearmTimer(benchmark::State& state) {
  cjt::platform::TManualClock clock;
  cjt::platform::TManualTimerPump pump;
  std::vector<std::unique_ptr<cjt::platform::TThreadTimer>> timers;
  for (int i = 0; i < 20000; ++i) {
    timers.push_back(std::make_unique<cjt::platform::TThreadTimer>([] {}));
    timers.back()->Arm(1000);
  }
  size_t next = 0;
  for (auto _ : state) {
    timers[next]->Arm(50);
    next = (next + 1) % timers.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RearmTimer);

}  // namespace
