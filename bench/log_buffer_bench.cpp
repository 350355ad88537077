// The log buffer at its capacity: every new line pushes the oldest out, which must stay as
// cheap as adding to a buffer with room. And a failing meter's repeated line, folded.
#include <benchmark/benchmark.h>

#include <string>

#include "plugin/log_data_list.h"

namespace {

void AddAtCapacity(benchmark::State& state) {
  cjt::TLogDataList log;
  for (int i = 0; i < cjt::TLogDataList::DefaultCapacity; ++i) log.Add("line " + std::to_string(i));
  int next = 0;
  for (auto _ : state) log.Add("meter 12345678 did not answer, attempt " + std::to_string(next++));
}
BENCHMARK(AddAtCapacity);

void AddWithRoom(benchmark::State& state) {
  cjt::TLogDataList log;
  int next = 0;
  for (auto _ : state) {
    if (log.Count() >= static_cast<size_t>(cjt::TLogDataList::DefaultCapacity)) {
      state.PauseTiming();
      char discard;
      log.Take(&discard, 0);
      state.ResumeTiming();
    }
    log.Add("meter 12345678 did not answer, attempt " + std::to_string(next++));
  }
}
BENCHMARK(AddWithRoom);

void AddRepeatedLine(benchmark::State& state) {
  cjt::TLogDataList log;
  for (auto _ : state) log.Add("meter 12345678 did not answer");
}
BENCHMARK(AddRepeatedLine);

}  // namespace
