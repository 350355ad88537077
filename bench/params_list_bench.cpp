// A decoded answer travels as a parameter list of a few dozen items: filling it and reading
// it back by name, directly and through the list interface a host uses.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "params/kro_params_list_wrap.h"

namespace {

using namespace cjt;

constexpr int ItemsPerAnswer = 32;

std::vector<std::string> Names() {
  std::vector<std::string> names;
  for (int i = 0; i < ItemsPerAnswer; ++i) names.push_back("VALUE_" + std::to_string(i));
  return names;
}

void BM_FillAndLookUp(benchmark::State& state) {
  const auto names = Names();
  for (auto _ : state) {
    TkroParamsList list;
    for (int i = 0; i < ItemsPerAnswer; ++i) list.Add(names[i], 1.5 * i);
    double sum = 0;
    for (const auto& name : names) sum += list.GetValue(name).AsDouble();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * ItemsPerAnswer);
}
BENCHMARK(BM_FillAndLookUp);

void BM_AddThroughInterface(benchmark::State& state) {
  const auto names = Names();
  TOleVariant value{};
  value.Vt = platform::VtDouble;
  value.DoubleVal = 2.5;
  for (auto _ : state) {
    auto* wrap = new TkroParamsListWrap;
    IkroParamsListA* list = wrap;
    list->AddRef();
    for (const auto& name : names) {
      IkroParamsListItemW* item = nullptr;
      list->Add(name.c_str(), value, &item);
      item->Release();
    }
    list->Release();
  }
  state.SetItemsProcessed(state.iterations() * ItemsPerAnswer);
}
BENCHMARK(BM_AddThroughInterface);

}  // namespace
