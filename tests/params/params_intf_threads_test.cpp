// One list shared by many threads: each holds its own interface references to one wrapper
// and uses the list only under the lock of its TkroThreadParamsList.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "params/copy_to_intf.h"
#include "params/kro_params_list_wrap.h"
#include "params/kro_thread_params_list.h"
#include "tests/common/start_line.h"
#include "tests/params/c_vtable_view.h"

namespace cjt {
namespace {

constexpr int Threads = 8;
constexpr int Rounds = 200;

HostVariant Int(int32_t value) {
  HostVariant v{};
  v.Vt = platform::VtInteger;
  v.IntegerVal = value;
  return v;
}

TEST(ParamsListIntfThreads, ManyThreadsAddReleaseAndCopyThroughOneWrapper) {
  TkroThreadParamsList shared;
  // Counted wrapper over the guarded list, not owning it: freed by the last Release.
  TkroParamsList* guarded = &shared.LockWrite();
  shared.UnlockWrite();
  auto* wrap = new TkroParamsListWrap(guarded, true);
  auto* a = reinterpret_cast<HostList*>(static_cast<IkroParamsListA*>(wrap));
  ListA(a)->AddRef(a);  // the test's own reference, released after the threads

  test_support::TStartLine start(Threads);
  std::vector<std::thread> workers;
  for (int t = 0; t < Threads; ++t) {
    workers.emplace_back([&, t] {
      // Every thread gets its own references, by AddRef and by QueryInterface.
      ListA(a)->AddRef(a);
      void* w = nullptr;
      ListA(a)->QueryInterface(a, &IID_IkroParamsListW, &w);
      auto* wide = static_cast<HostList*>(w);
      start.ArriveAndWait();
      for (int round = 0; round < Rounds; ++round) {
        const std::string name = "T" + std::to_string(t) + "_" + std::to_string(round);
        {
          TWriteLocked<TkroThreadParamsList> hold(shared);
          HostItem* item = nullptr;
          ListA(a)->Add(a, name.c_str(), Int(round), &item);
          item->lpVtbl->SetDataType(item, t);
          item->lpVtbl->Release(item);
        }
        {
          TReadLocked<TkroThreadParamsList> hold(shared);
          int32_t index = -1;
          ListA(a)->IndexOf(a, name.c_str(), 0, -1, &index);
          EXPECT_GE(index, 0);
          HostItem* item = nullptr;
          ListW(wide)->GetItem(wide, index, &item);
          EXPECT_EQ(item->lpVtbl->GetDataType(item), t);
          item->lpVtbl->Release(item);
        }
        if (round % 50 == 49) {
          TReadLocked<TkroThreadParamsList> hold(shared);
          auto* copy = new TkroParamsListWrap;
          copy->AddRef();
          CopyToIntf(reinterpret_cast<IkroParamsListA*>(a), copy, 0, -1);
          EXPECT_EQ(copy->List().Count(), hold->Count());
          copy->Release();
        }
      }
      ListW(wide)->Release(wide);
      ListA(a)->Release(a);
    });
  }
  for (auto& worker : workers) worker.join();

  EXPECT_EQ(ListA(a)->Count(a), Threads * Rounds);
  EXPECT_EQ(ListA(a)->Release(a), 0u);  // frees the wrapper, not the list
  EXPECT_EQ(TReadLocked<TkroThreadParamsList>(shared)->Count(), Threads * Rounds);
}

}  // namespace
}  // namespace cjt
