// The host's send function is called by the plug-in from its own timer threads while the
// host replaces its handler: a replaced handler must no longer run once the swap returns.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "plugin/call_record.h"
#include "tools/cjt188-host/host_exports.h"

namespace cjt::host {
namespace {

using namespace std::chrono_literals;

TEST(HostSendFunction, ReplacingTheHandlerWaitsForTheCallThatRunsIt) {
  std::atomic<bool> entered{false}, release{false}, handlerDone{false};
  SetSendHandler([&](const TSentData& sent) {
    entered = true;
    while (!release) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(20ms);
    handlerDone = true;
    return static_cast<int32_t>(sent.Bytes.size());
  });
  std::atomic<int32_t> result{0};
  std::thread caller([&] {
    const uint8_t bytes[3] = {0x68, 0x20, 0x16};
    result = Corvane_SendDataEx(0, 1, 0, 0, DataKindSendBytes, reinterpret_cast<uintptr_t>(bytes), 3);
  });
  while (!entered) std::this_thread::sleep_for(1ms);

  std::atomic<bool> replaced{false}, doneWhenReplaced{false};
  std::thread replacer([&] {
    SetSendHandler(nullptr);
    doneWhenReplaced = handlerDone.load();
    replaced = true;
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(replaced) << "the swap returned while the old handler was still running";
  release = true;
  caller.join();
  replacer.join();
  EXPECT_TRUE(doneWhenReplaced);
  EXPECT_EQ(result, 3);

  // Calls after the swap see the new handler: none, so the send function refuses.
  const uint8_t byte = 0;
  EXPECT_EQ(Corvane_SendDataEx(0, 1, 0, 0, DataKindSendBytes, reinterpret_cast<uintptr_t>(&byte), 1), -1);
}

}  // namespace
}  // namespace cjt::host
