#include <gtest/gtest.h>

#include "fileinfo/basFile_Kebbo.h"
#include "fileinfo/clsFile_Kebbo.h"
#include "temp_drive.h"

namespace kqm {
namespace {

clsFile_Kebbo Named(FileSystem& fs, const std::string& path) {
  clsFile_Kebbo file(fs);
  file.sFileName(path);
  return file;
}

TEST(clsFile_Kebbo, NamePartsOfADrivePath) {
  test::TempDrive drive;
  const clsFile_Kebbo f = Named(drive.fs, "D:\\Tools\\viewer.exe");
  EXPECT_EQ(f.sName(), "viewer");
  EXPECT_EQ(f.sNameAndExtension(), "viewer.exe");
  EXPECT_EQ(f.sExtension(), "exe");
  EXPECT_EQ(f.sPath(), "D:\\Tools\\");
  EXPECT_EQ(f.sDriveLetter(), "D:");
  EXPECT_EQ(f.sPathRoot(), "D:\\");
  EXPECT_FALSE(f.bUNC());
  EXPECT_FALSE(f.bNetworkPath());
  EXPECT_EQ(Named(drive.fs, "e:\\x").sDriveLetter(), "E:");
}

TEST(clsFile_Kebbo, NamePartsOfUncAndExtensionlessPaths) {
  test::TempDrive drive;
  const clsFile_Kebbo unc = Named(drive.fs, "\\\\srv\\share\\a.lnk");
  EXPECT_EQ(unc.sDriveLetter(), "");
  EXPECT_EQ(unc.sPathRoot(), "\\\\srv\\share\\");
  EXPECT_TRUE(unc.bUNC());
  EXPECT_TRUE(unc.bNetworkPath());
  EXPECT_FALSE(unc.bUNCServerShare());
  EXPECT_TRUE(Named(drive.fs, "\\\\srv\\share").bUNCServerShare());
  EXPECT_TRUE(Named(drive.fs, "\\\\srv").bUNCServer());
  EXPECT_EQ(unc.eVolumeType(), 1);

  const clsFile_Kebbo plain = Named(drive.fs, "C:\\Dir.v2\\README");
  EXPECT_EQ(plain.sExtension(), "");
  EXPECT_EQ(plain.sName(), "README");
  EXPECT_EQ(plain.sNameAndExtension(), plain.sName());
  EXPECT_EQ(Named(drive.fs, "relative\\a.txt").sPathRoot(), "");
}

TEST(clsFile_Kebbo, AnEmptyNameReadsAsNothing) {
  test::TempDrive drive;
  const clsFile_Kebbo f(drive.fs);
  EXPECT_EQ(f.sFileName(), "");
  EXPECT_EQ(f.sName(), "");
  EXPECT_EQ(f.sNameAndExtension(), "");
  EXPECT_EQ(f.sExtension(), "");
  EXPECT_EQ(f.sPath(), "");
  EXPECT_EQ(f.sDriveLetter(), "");
  EXPECT_EQ(f.sPathRoot(), "");
  EXPECT_EQ(f.eAttributes(), -1);
  EXPECT_EQ(f.lSize(), 0);
  EXPECT_FALSE(f.bFixedDisk());
  EXPECT_EQ(f.sShortName(), "");
}

TEST(clsFile_Kebbo, AMissingFileReadsAsZeroFactsButKeepsItsNameParts) {
  test::TempDrive drive;
  const clsFile_Kebbo f = Named(drive.fs, "C:\\gone\\old.lnk");
  EXPECT_EQ(f.eAttributes(), -1);
  EXPECT_EQ(f.lSize(), 0);
  EXPECT_EQ(f.lVolumeSerialNo(), 0);
  EXPECT_DOUBLE_EQ(f.dCreated(), -109205.0);
  EXPECT_DOUBLE_EQ(f.dLastAccessed(), -109205.0);
  EXPECT_DOUBLE_EQ(f.dLastModified(), -109205.0);
  EXPECT_EQ(f.sName(), "old");
  EXPECT_EQ(f.sPathRoot(), "C:\\");
}

TEST(clsFile_Kebbo, FactsOfAnExistingFileAreReadFreshEachTime) {
  test::TempDrive drive;
  drive.driveC->volumeName = "SYSTEM";
  drive.driveC->serialNumber = 0x80000001;
  drive.File("C:\\Tools\\viewer.exe", "1234567");
  clsFile_Kebbo f = Named(drive.fs, "c:\\tools\\VIEWER.EXE");
  EXPECT_EQ(f.lSize(), 7);
  EXPECT_EQ(f.eAttributes() & 0x10, 0);
  EXPECT_TRUE(f.bFixedDisk());
  EXPECT_EQ(f.eVolumeType(), 3);
  EXPECT_EQ(f.sVolumeName(), "SYSTEM");
  EXPECT_EQ(f.lVolumeSerialNo(), static_cast<int32_t>(0x80000001));
  EXPECT_EQ(f.sShortName(), "c:\\tools\\VIEWER.EXE");
  EXPECT_EQ(f.sExpandedName(), "c:\\tools\\VIEWER.EXE");
  const double written = FileTimeToDate(drive.fs.FileInformation("C:\\Tools\\viewer.exe")->lastWriteTime);
  EXPECT_DOUBLE_EQ(f.dLastModified(), written);
  EXPECT_GT(f.dCreated(), 40000.0);

  f.eAttributes(0x1);
  EXPECT_EQ(f.eAttributes() & 0x1, 0x1);
  f.eAttributes(0x80);
  EXPECT_EQ(f.eAttributes() & 0x1, 0);

  drive.fs.WriteWholeFile("C:\\Tools\\viewer.exe", "12");
  EXPECT_EQ(f.lSize(), 2);
}

TEST(clsFile_Kebbo, RemovableDrivesAreNotFixedDisks) {
  test::TempDrive drive;
  drive.driveC->type = 2;
  drive.File("C:\\a.txt");
  const clsFile_Kebbo f = Named(drive.fs, "C:\\a.txt");
  EXPECT_FALSE(f.bFixedDisk());
  EXPECT_EQ(f.eVolumeType(), 2);
}

}  // namespace
}  // namespace kqm
