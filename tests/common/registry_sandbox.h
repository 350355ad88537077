// A registry path of its own for a test: under the current user's "Software\cjt188-tests",
// deleted before and after. Without Windows the file-backed store goes to a file of the
// test's temporary folder.
#pragma once

#include <cstdlib>
#include <string>

#include "platform/registry.h"
#include "tests/common/temp_files.h"

namespace cjt::test_support {

class TRegistrySandbox {
 public:
  TRegistrySandbox() {
#ifndef _WIN32
    setenv("CJT_REGISTRY_FILE", Folder.File("registry").c_str(), 1);
#endif
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    Name = test ? std::string(test->test_suite_name()) + "-" + test->name() : "x";
    Path = "\\Software\\cjt188-tests\\" + Name;
    Clean();
  }
  ~TRegistrySandbox() {
    Clean();
#ifndef _WIN32
    unsetenv("CJT_REGISTRY_FILE");
#endif
  }
  TRegistrySandbox(const TRegistrySandbox&) = delete;
  TRegistrySandbox& operator=(const TRegistrySandbox&) = delete;

  void Clean() {
    for (auto root : {platform::RootCurrentUser, platform::RootLocalMachine})
      platform::TRegistryKey::DeleteTree(root, Path);
  }

  TTempFolder Folder;
  std::string Name;
  std::string Path;  // with a leading "\"
};

}  // namespace cjt::test_support
