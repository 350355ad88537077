// Host threads feed data and pull the log of one instance while other threads run
// commands; then the instance is freed while calls may still be inside it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/common/start_line.h"
#include "tests/e2e/plugin_fixture.h"

namespace cjt {
namespace {

using test_support::PluginExportsTest;

TEST_F(PluginExportsTest, DataLogAndCommandsFromManyThreadsThenFree) {
  ASSERT_EQ(Session.Load().Result, 0);
  constexpr int DataThreads = 4;
  constexpr int Rounds = 200;
  test_support::TStartLine start(DataThreads + 3);
  std::atomic<int> refused{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < DataThreads; ++t) {
    threads.emplace_back([&, t] {
      start.ArriveAndWait();
      for (int i = 0; i < Rounds; ++i) {
        // Mode 4 with no input logs a line; GetLogEx takes lines away.
        if (Session.ProcessBytes(t, i, "", 0x04, nullptr) != 0) ++refused;
        if (i % 10 == 0) Session.TakeLog();
      }
    });
  }
  // Two command threads: their commands take turns on the instance's command lock.
  for (int c = 0; c < 2; ++c) {
    threads.emplace_back([&] {
      start.ArriveAndWait();
      for (int i = 0; i < Rounds; ++i) {
        Session.Command("SET-MODULE-PARAMETER", {{"PARAM", TVariant("Custom:Round")}, {"VALUE", TVariant(int32_t{i})}});
        Session.Command("GET-MODULE-PARAMETER",
                        {{"PARAM", TVariant("Custom:Round")}, {"TEMPORARY-LOAD", TVariant(i % 2 == 0)}});
        Session.Command("ITEMS");
      }
    });
  }
  // A second session frees its own instance while its calls may run.
  host::THostSession other(Lib());
  ASSERT_EQ(other.Create(), 0);
  threads.emplace_back([&] {
    start.ArriveAndWait();
    for (int i = 0; i < Rounds; ++i) other.ProcessBytes(1, 1, "", 0x04, nullptr);
  });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(other.Free(), 0);
  EXPECT_EQ(Session.Free(), 0);
}

TEST_F(PluginExportsTest, FreeWaitsForCallsInsideTheInstance) {
  ASSERT_EQ(Session.Load().Result, 0);
  const uintptr_t handle = Session.Instance();
  std::atomic<bool> stop{false};
  std::atomic<int> calls{0};
  std::vector<std::thread> callers;
  for (int t = 0; t < 3; ++t) {
    callers.emplace_back([&] {
      TkroParamsList params;
      while (!stop) {
        TPluginCallRecord record{};
        record.Size = CallRecordSize;
        record.Instance = handle;
        record.Mode = 0x04;
        record.Params = reinterpret_cast<uintptr_t>(&params);
        Lib().ProcessData(&record);  // 0 while the instance lives, -1 after
        Lib().GetLogEx(&record);
        ++calls;
      }
    });
  }
  while (calls < 50) std::this_thread::yield();
  EXPECT_EQ(Session.Free(), 0);
  stop = true;
  for (std::thread& caller : callers) caller.join();
}

}  // namespace
}  // namespace cjt
