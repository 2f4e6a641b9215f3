#include <gtest/gtest.h>

#include "platform/substitute/failing_file_system.h"
#include "temp_drive.h"

namespace kqm {
namespace {

// Fault injection proves a move safe only if the identity check, too, can be the call that fails.
TEST(FailingFileSystem, IdentityIsCountedPassedThroughAndFailsOnItsTurn) {
  test::TempDrive drive;
  drive.File("C:\\a.lnk", "a");
  FailingFileSystem fs(drive.fs, 2, fs_error::kSharingViolation);
  const auto identity = fs.Identity("C:\\a.lnk");
  ASSERT_TRUE(identity);
  EXPECT_EQ(identity, drive.fs.Identity("C:\\a.lnk"));
  uint32_t error = 0;
  EXPECT_FALSE(fs.Identity("C:\\a.lnk", &error));
  EXPECT_EQ(error, fs_error::kSharingViolation);
  EXPECT_TRUE(fs.Failed());
  EXPECT_EQ(fs.Calls(), 2u);
}

}  // namespace
}  // namespace kqm
