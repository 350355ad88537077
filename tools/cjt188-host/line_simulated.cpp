// Simulated meters on a virtual line: what the plug-in sends goes to the simulator, and its
// answers come back when due.
#include <mutex>
#include <span>

#include "platform/clock.h"
#include "platform/thread.h"
#include "tools/cjt188-host/host_line.h"

namespace cjt::host {

namespace {

class TSimulatedLine : public THostLine {
 public:
  explicit TSimulatedLine(meter::TSimulatorOptions meters)
      : THostLine("SIM"), Simulator(std::move(meters), [] { return platform::TickCount64(); }) {}

  void Write(std::string_view bytes) override {
    std::lock_guard lock(Mutex);
    Simulator.Receive(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  }

  std::string Read(uint32_t timeoutMs) override {
    const uint64_t end = platform::TickCount64() + timeoutMs;
    for (;;) {
      {
        std::lock_guard lock(Mutex);
        const std::vector<uint8_t> output = Simulator.TakeOutput();
        if (!output.empty()) return std::string(output.begin(), output.end());
      }
      const uint64_t now = platform::TickCount64();
      if (now >= end) return {};
      platform::SleepMs(static_cast<uint32_t>(std::min<uint64_t>(end - now, 5)));
    }
  }

 private:
  std::mutex Mutex;
  meter::TMeterSimulator Simulator;
};

}  // namespace

std::unique_ptr<THostLine> OpenSimulatedLine(meter::TSimulatorOptions meters) {
  return std::make_unique<TSimulatedLine>(std::move(meters));
}

}  // namespace cjt::host
