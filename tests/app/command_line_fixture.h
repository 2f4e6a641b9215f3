#pragma once
#include <gtest/gtest.h>

#include "engine/clsStartUp.h"
#include "platform/substitute/memory_registry.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/substitute_shell.h"
#include "recording_reporter.h"

namespace kqm::test {

// The engine over an in-memory registry whose user Run key is open as `run`.
class CommandLineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(kRegOk, reg.CreateKey(RootKey(kHkeyCurrentUser), u"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                    kKeyAll63, run));
  }
  void TearDown() override { reg.CloseKey(run); }

  MemoryRegistry reg;
  PosixFileSystem files;
  SubstituteShell shell{files};
  RecordingReporter reporter;
  clsStartUp engine{reg, files, shell, reporter, "QuorvelManager", "C:\\p\\Disabled\\"};
  RegKey run = 0;
};

}  // namespace kqm::test
