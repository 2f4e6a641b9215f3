#include <gtest/gtest.h>

#include <stdexcept>

#include "fileinfo/colFiles_Kebbo.h"
#include "platform/substitute/failing_file_system.h"
#include "temp_drive.h"

namespace kqm {
namespace {

std::vector<std::string> Paths(const colFiles_Kebbo& files) {
  std::vector<std::string> out;
  for (const auto& f : files) out.push_back(f->sFileName());
  return out;
}

class RecordingProgress final : public SearchProgress {
 public:
  explicit RecordingProgress(const colFiles_Kebbo* watched = nullptr) : watched_(watched) {}
  void Min(int32_t v) override { log.push_back("Min=" + std::to_string(v)); }
  void Max(int32_t v) override { log.push_back("Max=" + std::to_string(v)); }
  int32_t Value() override { return value_; }
  void Value(int32_t v) override {
    value_ = v;
    log.push_back("Value=" + std::to_string(v));
  }
  void Refresh() override {
    log.push_back("Refresh");
    if (watched_) deepest = std::max(deepest, watched_->SearchDepth());
  }
  std::vector<std::string> log;
  int32_t deepest = 0;

 private:
  const colFiles_Kebbo* watched_;
  int32_t value_ = 0;
};

class ThrowingProgress final : public SearchProgress {
 public:
  void Min(int32_t) override { throw std::runtime_error("no Min"); }
  void Max(int32_t) override { throw std::runtime_error("no Max"); }
  int32_t Value() override { throw std::runtime_error("no Value"); }
  void Value(int32_t) override { throw std::runtime_error("no Value"); }
  void Refresh() override { throw std::runtime_error("no Refresh"); }
};

class FileCollection : public ::testing::Test {
 protected:
  test::TempDrive drive;
  colFiles_Kebbo files{drive.fs};
};

TEST_F(FileCollection, OnlyShortcutsOfTheFolderAreListed) {
  drive.File("C:\\StartUp\\a.lnk");
  drive.File("C:\\StartUp\\b.pif");
  drive.File("C:\\StartUp\\desktop.ini");
  drive.File("C:\\StartUp\\inner\\c.lnk");
  EXPECT_EQ(files.LoadFiles("C:\\StartUp\\*.lnk", false), 1);
  ASSERT_EQ(files.Count(), 1);
  EXPECT_EQ(files.Item(1)->sName(), "a");
  EXPECT_EQ(files.Item(1)->sNameAndExtension(), "a.lnk");
  EXPECT_EQ(files.Item(1)->sFileName(), "C:\\StartUp\\a.lnk");
}

TEST_F(FileCollection, AMissingFolderGivesAnEmptyCollectionEvenAfterAnEarlierLoad) {
  drive.File("C:\\StartUp\\a.lnk");
  EXPECT_EQ(files.LoadFiles("C:\\StartUp\\*.lnk", false), 1);
  EXPECT_EQ(files.LoadFiles("C:\\Missing\\*.lnk", false), 0);
  EXPECT_EQ(files.Count(), 0);
  EXPECT_EQ(files.Item(1), nullptr);
}

TEST_F(FileCollection, EachOuterLoadForgetsThePreviousOne) {
  drive.File("C:\\One\\a.lnk");
  drive.File("C:\\Two\\b.lnk");
  drive.File("C:\\Two\\c.lnk");
  files.LoadFiles("C:\\One\\*.lnk", false);
  EXPECT_EQ(files.LoadFiles("C:\\Two\\*.lnk", false), 2);
  EXPECT_EQ(Paths(files), (std::vector<std::string>{"C:\\Two\\b.lnk", "C:\\Two\\c.lnk"}));
}

TEST_F(FileCollection, RecursiveSearchListsSubfoldersDepthFirstBeforeTheFolder) {
  drive.File("C:\\R\\z.lnk");
  drive.File("C:\\R\\sub1\\b.lnk");
  drive.File("C:\\R\\sub1\\deep\\c.lnk");
  drive.File("C:\\R\\sub1\\deep\\ignored.txt");
  drive.File("C:\\R\\sub2\\d.lnk");
  drive.Folder("C:\\R\\empty");
  RecordingProgress progress(&files);
  EXPECT_EQ(files.LoadFiles("C:\\R\\*.lnk", true, &progress), 4);
  EXPECT_EQ(Paths(files), (std::vector<std::string>{"C:\\R\\sub1\\deep\\c.lnk", "C:\\R\\sub1\\b.lnk",
                                                    "C:\\R\\sub2\\d.lnk", "C:\\R\\z.lnk"}));
  EXPECT_EQ(progress.deepest, 3);
  EXPECT_EQ(files.SearchDepth(), 0);
}

TEST_F(FileCollection, FoldersMatchingThePatternAreNotItemsButAdvanceTheProgress) {
  drive.File("C:\\S\\a.lnk");
  drive.Folder("C:\\S\\folder.lnk");
  drive.File("C:\\S\\folder.lnk\\inside.lnk");
  RecordingProgress progress;
  EXPECT_EQ(files.LoadFiles("C:\\S\\*.lnk", false, &progress), 1);
  EXPECT_EQ(progress.log, (std::vector<std::string>{"Min=0", "Value=0", "Max=3", "Value=1", "Refresh", "Value=2",
                                                    "Refresh"}));
}

TEST_F(FileCollection, EveryFolderSearchedRestartsTheProgress) {
  drive.File("C:\\P\\a.lnk");
  drive.File("C:\\P\\sub\\b.lnk");
  RecordingProgress progress;
  files.LoadFiles("C:\\P\\*.lnk", true, &progress);
  const std::vector<std::string> expected = {
      "Min=0", "Value=0", "Max=2",                 // C:\P\*.lnk: a.lnk
      "Min=0", "Value=0", "Max=2",                 // C:\P\sub\*.lnk: b.lnk
      "Value=1", "Refresh",                        // b.lnk
      "Value=2", "Refresh"};                       // a.lnk, counting on from the subfolder's value
  EXPECT_EQ(progress.log, expected);
}

TEST_F(FileCollection, AFailingProgressObjectDoesNotStopTheSearch) {
  drive.File("C:\\T\\a.lnk");
  drive.File("C:\\T\\sub\\b.lnk");
  ThrowingProgress progress;
  EXPECT_EQ(files.LoadFiles("C:\\T\\*.lnk", true, &progress), 2);
  EXPECT_EQ(files.SearchDepth(), 0);
}

TEST_F(FileCollection, RelativeSpecificationsGiveRelativeItemPaths) {
  drive.File("C:\\Work\\Links\\a.lnk");
  drive.fs.CurrentDirectory("C:\\Work");
  EXPECT_EQ(files.LoadFiles("Links\\*.lnk", false), 1);
  EXPECT_EQ(files.Item(1)->sFileName(), "Links\\a.lnk");

  drive.File("C:\\outside.lnk");
  EXPECT_EQ(files.LoadFiles("*.lnk", true), 1) << "a pattern without a folder searches the current folder";
  EXPECT_EQ(files.Item(1)->sFileName(), "Links\\a.lnk");
}

TEST_F(FileCollection, KeyedAddLookupAndRemove) {
  const auto first = files.Add("C:\\x\\a.lnk");
  ASSERT_NE(first, nullptr);
  const auto again = files.Add("c:\\X\\A.LNK");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->sFileName(), "c:\\X\\A.LNK");
  EXPECT_EQ(files.Count(), 1);
  files.Add("C:\\x\\b.lnk", "second");
  files.Add("C:\\x\\c.lnk", "SECOND");
  EXPECT_EQ(files.Count(), 2);
  EXPECT_EQ(files.Item("Second")->sFileName(), "C:\\x\\b.lnk");
  EXPECT_EQ(files.Item("C:\\X\\a.LNK"), first);
  EXPECT_EQ(files.Item(""), nullptr);
  EXPECT_EQ(files.Item(0), nullptr);
  EXPECT_EQ(files.Item(3), nullptr);
  files.Remove("nothing");
  files.Remove(7);
  EXPECT_EQ(files.Count(), 2);
  files.Remove("c:\\x\\A.lnk");
  EXPECT_EQ(files.Count(), 1);
  EXPECT_EQ(files.Item(1)->sFileName(), "C:\\x\\b.lnk");
  files.Remove(1);
  EXPECT_EQ(files.Count(), 0);
  EXPECT_NE(files.Add("C:\\x\\a.lnk"), nullptr);
  EXPECT_EQ(files.Count(), 1) << "a removed key can be used again";
}

TEST_F(FileCollection, SearchedItemsCarryNoKey) {
  drive.File("C:\\K\\a.lnk");
  files.LoadFiles("C:\\K\\*.lnk", false);
  EXPECT_EQ(files.Item("C:\\K\\a.lnk"), nullptr);
  files.Add("C:\\K\\a.lnk");
  EXPECT_EQ(files.Count(), 2);
  // The listing's attributes stay with the listed item; an added one has none.
  EXPECT_EQ(files.ListedAttributes(1), std::optional<uint32_t>(static_cast<uint32_t>(files.Item(1)->eAttributes())));
  EXPECT_EQ(files.ListedAttributes(2), std::nullopt);
  files.Clear();
  EXPECT_EQ(files.Count(), 0);
}

TEST(FileCollectionFaults, AFailureAtAnyFileSystemCallOnlyShortensTheList) {
  test::TempDrive drive;
  drive.File("C:\\F\\a.lnk");
  drive.File("C:\\F\\sub\\b.lnk");
  drive.File("C:\\F\\sub\\c.lnk");
  for (uint64_t failing = 1;; ++failing) {
    FailingFileSystem fs(drive.fs, failing, fs_error::kSharingViolation);
    colFiles_Kebbo files(fs);
    const int32_t count = files.LoadFiles("C:\\F\\*.lnk", true);
    EXPECT_LE(count, 3) << failing;
    EXPECT_EQ(files.SearchDepth(), 0);
    if (!fs.Failed()) {
      EXPECT_EQ(count, 3);
      EXPECT_GT(failing, 3u);
      break;
    }
  }
}

}  // namespace
}  // namespace kqm
