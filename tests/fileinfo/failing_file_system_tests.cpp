#include <gtest/gtest.h>

#include "platform/substitute/failing_file_system.h"
#include "temp_drive.h"

namespace kqm {
namespace {

TEST(FailingFileSystem, FailsExactlyTheChosenCallWithoutReachingTheWrappedOne) {
  test::TempDrive drive;
  drive.File("C:\\a.lnk", "a");
  drive.Folder("C:\\Disabled");
  FailingFileSystem fs(drive.fs, 2, fs_error::kSharingViolation);
  EXPECT_TRUE(fs.FolderExists("C:\\Disabled"));
  EXPECT_EQ(fs.MoveFileNoReplace("C:\\a.lnk", "C:\\Disabled\\a.lnk"), fs_error::kSharingViolation);
  EXPECT_TRUE(fs.Failed());
  EXPECT_TRUE(drive.fs.Attributes("C:\\a.lnk")) << "the failed move left the file in place";
  uint32_t error = 0;
  fs.FailCall(4, fs_error::kAccessDenied);
  EXPECT_EQ(fs.MoveFileNoReplace("C:\\a.lnk", "C:\\Disabled\\a.lnk"), 0u);
  EXPECT_FALSE(fs.Attributes("C:\\a.lnk", &error));
  EXPECT_EQ(error, fs_error::kAccessDenied);
  EXPECT_EQ(fs.Calls(), 4u);
  EXPECT_TRUE(fs.Attributes("C:\\Disabled\\a.lnk"));
}

}  // namespace
}  // namespace kqm
