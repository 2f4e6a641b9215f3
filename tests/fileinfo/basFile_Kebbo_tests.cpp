#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/error_reporter.h"
#include "fileinfo/basFile_Kebbo.h"
#include "platform/substitute/substitute_shell.h"
#include "temp_drive.h"

namespace kqm {
namespace {

class RecordingReporter final : public ErrorReporter {
 public:
  void ShowError(const std::string& sProcName, int32_t number, const std::string& description) override {
    calls.push_back({sProcName, number, description});
  }
  struct Call {
    std::string proc;
    int32_t number;
    std::string description;
  };
  std::vector<Call> calls;
};

TEST(SplitPath, PicksFolderNameAndExtension) {
  const std::string path = "D:\\Dir.old\\Report.final.txt";
  EXPECT_EQ(SplitPath(path, ptFolder), "D:\\Dir.old\\");
  EXPECT_EQ(SplitPath(path, ptName), "Report.final");
  EXPECT_EQ(SplitPath(path, ptExtension), "txt");
  EXPECT_EQ(SplitPath(path, ptName | ptExtension), "Report.final.txt");
  EXPECT_EQ(SplitPath(path, ptFolder | ptName | ptExtension), path);
  EXPECT_EQ(SplitPath(path, ptFolder | ptExtension), "D:\\Dir.old\\.txt");
  EXPECT_EQ(SplitPath(path, 0), "");
}

TEST(SplitPath, DotInAFolderNameIsNoExtension) {
  EXPECT_EQ(SplitPath("D:\\Dir.old\\README", ptName), "README");
  EXPECT_EQ(SplitPath("D:\\Dir.old\\README", ptName | ptExtension), "README");
  EXPECT_EQ(SplitPath("D:\\Dir.old\\README", ptExtension), "");
  EXPECT_EQ(SplitPath("D:\\Dir.old\\README", ptFolder), "D:\\Dir.old\\");
  EXPECT_EQ(SplitPath("archive.tar.gz", ptName), "archive.tar");
  EXPECT_EQ(SplitPath("archive.tar.gz", ptFolder), "");
  EXPECT_EQ(SplitPath("C:\\x\\.hidden", ptName), "");
  EXPECT_EQ(SplitPath("C:\\x\\.hidden", ptExtension), "hidden");
  EXPECT_EQ(SplitPath("C:\\x\\", ptName | ptExtension), "");
}

TEST(EnsureSuffix, AppendsOnlyWhenMissing) {
  EXPECT_EQ(EnsureSuffix("", "\\"), "\\");
  EXPECT_EQ(EnsureSuffix("C:\\x", "\\"), "C:\\x\\");
  EXPECT_EQ(EnsureSuffix("C:\\x\\", "\\"), "C:\\x\\");
  EXPECT_EQ(EnsureSuffix("a", "abc"), "aabc");
  EXPECT_EQ(EnsureSuffix("xABC", "abc"), "xABCabc");
}

TEST(TextHelpers, TrimAtNullAndPathRoot) {
  EXPECT_EQ(TrimAtNull(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(TrimAtNull("abc"), "abc");
  EXPECT_EQ(TrimAtNull(std::string("\0x", 2)), "");
  EXPECT_EQ(PathRoot("D:\\Dir\\File"), "D:\\");
  EXPECT_EQ(PathRoot("\\\\Server\\Share\\Dir"), "\\\\Server\\Share");
  EXPECT_EQ(PathRoot("Dir\\File"), "");
  EXPECT_EQ(PathRoot(""), "");
}

TEST(Dates, FileTimesBecomeAutomationDatesInUtc) {
  EXPECT_DOUBLE_EQ(FileTimeToDate(0), -109205.0);
  // 2004-03-07 09:05:01.789 UTC: the milliseconds are dropped.
  EXPECT_NEAR(FileTimeToDate(127231239017890000ull), 38053.0 + 32701.0 / 86400.0, 1e-9);
  const SystemTime st = FileTimeToSystemTime(127231239017890000ull);
  EXPECT_EQ(st.wYear, 2004);
  EXPECT_EQ(st.wMonth, 3);
  EXPECT_EQ(st.wDay, 7);
  EXPECT_EQ(st.wDayOfWeek, 0);  // a Sunday
  EXPECT_EQ(st.wHour, 9);
  EXPECT_EQ(st.wMinute, 5);
  EXPECT_EQ(st.wSecond, 1);
  EXPECT_EQ(st.wMilliseconds, 789);
  EXPECT_DOUBLE_EQ(FileTimeToDate(~0ull), 0.0);
}

TEST(Dates, CalendarFieldsAreReadMonthFirstWhateverTheLocale) {
  SystemTime st;
  st.wYear = 2004;
  st.wMonth = 7;
  st.wDay = 3;
  EXPECT_DOUBLE_EQ(SystemTimeToDate(st), 38171.0);  // 3 July, not 7 March
  st.wMonth = 2;
  st.wDay = 30;
  EXPECT_DOUBLE_EQ(SystemTimeToDate(st), 0.0);
  st = SystemTime{};
  st.wYear = 1850;
  st.wMonth = 6;
  st.wDay = 1;
  st.wHour = 18;
  EXPECT_DOUBLE_EQ(SystemTimeToDate(st), -18109.75);
  st.wYear = 10000;
  EXPECT_DOUBLE_EQ(SystemTimeToDate(st), 0.0);
  st.wYear = 2000;
  st.wMonth = 2;
  st.wDay = 29;
  st.wHour = 24;
  EXPECT_DOUBLE_EQ(SystemTimeToDate(st), 0.0);
}

class ShellUtilities : public ::testing::Test {
 protected:
  test::TempDrive drive;
  SubstituteShell shell{drive.fs};
  RecordingReporter reporter;
};

TEST_F(ShellUtilities, WindowsFolderAndUserName) {
  shell.SetWindowsFolder("C:\\WINNT");
  EXPECT_EQ(WindowsFolder(shell), "C:\\WINNT");
  shell.SetEnvironmentVariable("USERNAME", "J\xC3\xBCrgen");
  EXPECT_EQ(CurrentUserName(shell), "J\xC3\xBCrgen");
  shell.UnsetEnvironmentVariable("USERNAME");
  EXPECT_EQ(CurrentUserName(shell), "%USERNAME%");
}

TEST_F(ShellUtilities, FolderLocationGivesThePathOrReportsAndGivesNothing) {
  shell.SetSpecialFolder(7, "C:\\Users\\U\\StartUp");
  EXPECT_EQ(FolderLocation(shell, reporter, 7, 0x1234), "C:\\Users\\U\\StartUp");
  EXPECT_TRUE(reporter.calls.empty());
  shell.SetSpecialFolder(24, "");
  EXPECT_EQ(FolderLocation(shell, reporter, 24, 0), "");
  ASSERT_EQ(reporter.calls.size(), 1u);
  EXPECT_EQ(reporter.calls[0].proc, "FolderLocation");
  EXPECT_NE(reporter.calls[0].number, 0);
  EXPECT_FALSE(reporter.calls[0].description.empty());
}

TEST_F(ShellUtilities, ShortcutTargetAndItsErrorText) {
  std::ifstream in(std::filesystem::path(KQM_LNK_SAMPLES) / "full.lnk", std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  drive.File("C:\\s\\full.lnk", bytes.str());
  drive.File("C:\\s\\text.lnk", "not a shortcut");
  EXPECT_EQ(ShortcutTarget(shell, "C:\\s\\full.lnk"), "C:\\probe\\My App\\Target App.exe");
  EXPECT_EQ(ShortcutTarget(shell, "C:\\s\\text.lnk"), "Error occured.");
  EXPECT_EQ(ShortcutTarget(shell, "C:\\s\\missing.lnk"), "Error occured.");
}

TEST_F(ShellUtilities, ShellOpenHandsOverThePathAndGivesTheOutcome) {
  shell.SetOpenResult(2);
  EXPECT_EQ(2, ShellOpen(shell, "C:\\WINNT\\win.ini"));
  shell.SetOpenResult(0);
  EXPECT_EQ(0, ShellOpen(shell, "http://www.example.com/"));
  EXPECT_EQ(shell.OpenedPaths(), (std::vector<std::string>{"C:\\WINNT\\win.ini", "http://www.example.com/"}));
}

TEST(FileUtilities, MissingFilesGiveTheDocumentedEmptyResults) {
  test::TempDrive drive;
  EXPECT_EQ(FileAttributes(drive.fs, "C:\\missing"), -1);
  EXPECT_EQ(FileLength(drive.fs, "C:\\missing"), 0);
  EXPECT_EQ(ShortPathName(drive.fs, "C:\\missing"), "");
  EXPECT_EQ(ExpandedFileName(drive.fs, "C:\\missing"), "");
  const FileInformationRecord info = FileInformation(drive.fs, "C:\\missing");
  EXPECT_EQ(info.ftCreationTime, 0u);
  EXPECT_EQ(info.ftLastWriteTime, 0u);
  EXPECT_EQ(info.dwVolumeSerialNumber, 0u);
  EXPECT_EQ(FileOpenRecord(drive.fs, "C:\\missing").fFixedDisk, 0);
  EXPECT_EQ(CountMatches(drive.fs, "C:\\*.lnk"), 0);
  EXPECT_EQ(CountMatches(drive.fs, "C:\\missing\\*.*"), 0);
  const VolumeInfo none = VolumeInformation(drive.fs, "Q:\\");
  EXPECT_EQ(none.RootPathName, "Q:\\");
  EXPECT_EQ(none.VolumeName, "");
  EXPECT_EQ(none.VolumeSerialNumber, 0u);
}

TEST(FileUtilities, ExistingFilesAndVolumes) {
  test::TempDrive drive;
  drive.driveC->volumeName = "SYSTEM";
  drive.driveC->serialNumber = 0xDEADBEEF;
  drive.File("C:\\d\\a.lnk", "12345");
  drive.File("C:\\d\\b.lnk", "1");
  drive.Folder("C:\\d\\sub");
  EXPECT_EQ(FileLength(drive.fs, "C:\\d\\a.lnk"), 5);
  EXPECT_EQ(FileAttributes(drive.fs, "C:\\d\\sub") & 0x10, 0x10);
  EXPECT_EQ(CountMatches(drive.fs, "C:\\d\\*.lnk"), 2);
  EXPECT_EQ(CountMatches(drive.fs, "C:\\d\\*.*"), 5);  // ".", "..", a.lnk, b.lnk, sub
  EXPECT_EQ(FileInformation(drive.fs, "C:\\d\\a.lnk").dwVolumeSerialNumber, 0xDEADBEEFu);
  EXPECT_EQ(FileOpenRecord(drive.fs, "C:\\d\\a.lnk").fFixedDisk, 1);
  const VolumeInfo volume = VolumeInformation(drive.fs, "C:\\");
  EXPECT_EQ(volume.VolumeName, "SYSTEM");
  EXPECT_EQ(volume.VolumeSerialNumber, 0xDEADBEEFu);
  EXPECT_EQ(volume.FileSystemName, "NTFS");
}

}  // namespace
}  // namespace kqm
