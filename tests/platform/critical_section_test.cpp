#include "platform/critical_section.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

namespace cjt::platform {
namespace {

TEST(CriticalSection, IsReEntrantForItsHolderAndExcludesOthers) {
  TCriticalSection section;
  section.Enter();
  section.Enter();
  bool otherGotIn = true;
  std::thread([&] { otherGotIn = section.TryEnter(); }).join();
  EXPECT_FALSE(otherGotIn);
  section.Leave();
  std::thread([&] { otherGotIn = section.TryEnter(); }).join();
  EXPECT_FALSE(otherGotIn);  // entered twice, left once: still held
  section.Leave();
  std::thread([&] {
    std::lock_guard<TCriticalSection> guard(section);
    otherGotIn = true;
  }).join();
  EXPECT_TRUE(otherGotIn);
}

}  // namespace
}  // namespace cjt::platform
