// A host that unloads the library without freeing its instances: the instances, with their
// running timers, are left to the end of the process, which still ends cleanly. Run in a
// child process, as the process's end is what is judged.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/module.h"
#include "platform/thread.h"
#include "tools/cjt188-host/host_session.h"

namespace cjt {
namespace {

// The instance is left running (its data source's housekeeping timer armed), the library
// unloaded by its host, then the timers are served for a while: the code they run must
// still be there. Ends the process with 0 when the library stayed loaded.
[[noreturn]] void UnloadWithoutFreeingThenExit() {
  // Kept reachable to the end, like a host's own bookkeeping would.
  static auto* library = new host::TPluginLibrary(CJT_PLUGIN_FILE);
  static auto* session = new host::THostSession(*library);
  if (session->Create() != 0 || session->Load().Result != 0) std::exit(2);
  session->Command("SET-STATE", {{"DATA-SOURCES-IN-CFG", TVariant("1;COM1;Port 1")}, {"RESULT", TVariant(1)}}, 0x03);
  platform::PumpMessagesFor(100);
  delete library;
  library = nullptr;
  platform::PumpMessagesFor(700);
  std::exit(platform::LoadedModuleHandle(CJT_PLUGIN_FILE) != 0 ? 0 : 1);
}

TEST(LibraryUnload, InstancesNotFreedAreLeftRunningToTheEndOfTheProcess) {
  // The child is the test program started again; under a user-mode emulator the kernel
  // refuses to start it, so there the child is forked from this process.
  const char* emulator = std::getenv("CJT_EMULATOR");
  GTEST_FLAG_SET(death_test_style, emulator != nullptr && *emulator != '\0' ? "fast" : "threadsafe");
#ifdef _WIN32
  const char* notice = "";  // the notice goes to the debugger
#else
  const char* notice = "1 plug-in instance\\(s\\) not freed by the host, left to the end of the process";
#endif
  EXPECT_EXIT(UnloadWithoutFreeingThenExit(), testing::ExitedWithCode(0), notice);
}

}  // namespace
}  // namespace cjt
