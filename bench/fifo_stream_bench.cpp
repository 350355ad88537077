// The receive path of a client: append a received block, scan in place, remove a frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "support/fifo_stream.h"

namespace {

void BM_WriteScanRemove(benchmark::State& state) {
  cjt::TFIFOStream stream;
  const std::vector<uint8_t> block(static_cast<size_t>(state.range(0)), 0x68);
  for (auto _ : state) {
    stream.Write(block.data(), static_cast<int32_t>(block.size()));
    const uint8_t* data = stream.LockData();
    benchmark::DoNotOptimize(data[0]);
    stream.Remove(stream.DataSize());
    stream.Unlock();
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteScanRemove)->Arg(16)->Arg(64)->Arg(4096);

void BM_CompactingOverflow(benchmark::State& state) {
  // A line that never yields a frame: the buffer stays full and every write discards a step.
  cjt::TFIFOStream stream;
  const std::vector<uint8_t> block(64, 0xFE);
  for (auto _ : state) stream.Write(block.data(), static_cast<int32_t>(block.size()));
  state.SetBytesProcessed(state.iterations() * 64);
}
BENCHMARK(BM_CompactingOverflow);

}  // namespace
