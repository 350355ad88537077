// The plug-in library loaded like a host loads it, for tests that use only its exports.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "plugin/call_record.h"
#include "tools/cjt188-host/host_session.h"

namespace cjt::test_support {

class PluginExportsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { Library = std::make_unique<host::TPluginLibrary>(CJT_PLUGIN_FILE); }
  static void TearDownTestSuite() { Library.reset(); }

  void SetUp() override { ASSERT_EQ(Session.Create(), 0); }
  // The instance goes first, with its timer threads: a derived fixture's members, which its
  // handlers use, are destroyed before this base's.
  void TearDown() override {
    if (Session.Instance() != 0) Session.Free();
  }

  host::TPluginLibrary& Lib() { return *Library; }

  static inline std::unique_ptr<host::TPluginLibrary> Library;
  host::THostSession Session{*Library};
};

}  // namespace cjt::test_support
