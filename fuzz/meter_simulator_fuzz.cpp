// Any byte stream, cut into blocks anywhere, is taken by the simulator without a crash; its
// pending input stays bounded, and every answer it gives is a valid frame.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "cjt188/frame.h"
#include "tools/cjt188-meter/meter_simulator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  cjt::meter::TSimulatorOptions options;
  options.Meters = {{0x20, cjt::AddressBytes("00000001234567")}, {0x10, cjt::AddressBytes("AAAAAAAAAAAAAA")}};
  options.ErrorStatus = data[0] & 0x06;
  options.ErrorRate = 0.5;
  uint64_t now = 0;
  cjt::meter::TMeterSimulator sim(options, [&] { return now; });
  // The first byte also sets the block size, so that frames are split at every place.
  const size_t block = 1 + data[0] % 32;
  for (size_t at = 1; at < size; at += block) {
    const size_t count = size - at < block ? size - at : block;
    sim.Receive({data + at, count});
    now += 1000;
    const std::vector<uint8_t> out = sim.TakeOutput();
    if (!out.empty() && cjt::CheckFrame(out) != cjt::TFrameCheck::Valid) std::abort();
  }
  return 0;
}
