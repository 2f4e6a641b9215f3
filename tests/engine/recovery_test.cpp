// The ledger's moves in progress: records a later version can read, and what the next start does with a file
// move that a process ended in the middle of.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/clsStartUp.h"
#include "engine/ledger.h"
#include "fileinfo/basFile_Kebbo.h"
#include "platform/sha256.h"
#include "platform/substitute/memory_registry.h"
#include "platform/substitute/substitute_shell.h"
#include "recording_reporter.h"
#include "temp_drive.h"

namespace kqm {
namespace {

TEST(MoveRecords, EveryFieldComesBackAndKeysOfLaterVersionsAreSkipped) {
  MoveRecord r;
  r.location = LocationId::kCommonStartUp;
  r.name = "50% = a\nb\xC3\xA9.lnk";
  r.direction = MoveDirection::kOn;
  r.fromFolder = "C:\\P\\Disabled\\All Users\\";
  r.toFolder = "C:\\S\\";
  r.aside = r.name + ".replaced-1";
  r.replaced = r.name;
  r.hash = Sha256Hex("x");
  const std::optional<MoveRecord> back = DecodeMoveRecord(EncodeMoveRecord(r) + "addedLater=1\n");
  ASSERT_TRUE(back);
  EXPECT_EQ(EncodeMoveRecord(r), EncodeMoveRecord(*back));
  EXPECT_EQ(r.name, back->name);
  EXPECT_FALSE(DecodeMoveRecord("kqm-move/2\nname=x\n")) << "a record of another format version is left alone";
}

// An engine over a fresh drive, its Disabled folder in C:\P.
class FileRecovery : public ::testing::Test {
 protected:
  test::TempDrive drive;
  SubstituteShell shell{drive.fs};
  MemoryRegistry reg;
  test::RecordingReporter reporter;
  clsStartUp engine{reg, drive.fs, shell, reporter, "QuorvelManager", "C:\\P\\Disabled\\"};
};

// A file move ended after its copy arrived and after a replaced file was parked: the next start keeps the copy
// where the move was heading, removes the source, and lets the parked file go; a move ended before it arrived
// puts the parked file back.
TEST_F(FileRecovery, TheNextStartFinishesOrTakesBackAFileMoveLeftHalfDone) {
  drive.File("C:\\S\\a.lnk", "moving");
  drive.File("C:\\D\\a.lnk", "moving");
  drive.File("C:\\D\\a.lnk.replaced-1", "older");
  MoveJournal journal(reg);
  MoveRecord record;
  record.location = LocationId::kUserStartUp;
  record.name = "a.lnk";
  record.fromFolder = "C:\\S\\";
  record.toFolder = "C:\\D\\";
  record.aside = "a.lnk.replaced-1";
  record.replaced = "a.lnk";
  record.hash = Sha256Hex("moving");
  ASSERT_EQ(kRegOk, journal.Begin(kHkeyCurrentUser, record));
  EXPECT_TRUE(engine.Entries().Recover().empty());
  EXPECT_FALSE(drive.fs.ReadWholeFile("C:\\S\\a.lnk")) << "the source of a whole copy goes";
  EXPECT_EQ("moving", drive.fs.ReadWholeFile("C:\\D\\a.lnk"));
  EXPECT_FALSE(drive.fs.ReadWholeFile("C:\\D\\a.lnk.replaced-1")) << "the file the user agreed to replace goes";
  EXPECT_TRUE(journal.Open(kHkeyCurrentUser).empty());

  // Ended before the move arrived: a copy cut short at the destination, the replaced file still parked.
  drive.File("C:\\S\\a.lnk", "moving");
  drive.File("C:\\D\\a.lnk", "mov");
  drive.File("C:\\D\\a.lnk.replaced-1", "older");
  ASSERT_EQ(kRegOk, journal.Begin(kHkeyCurrentUser, record));
  EXPECT_TRUE(engine.Entries().Recover().empty());
  EXPECT_EQ("moving", drive.fs.ReadWholeFile("C:\\S\\a.lnk"));
  EXPECT_EQ("older", drive.fs.ReadWholeFile("C:\\D\\a.lnk")) << "the copy cut short goes, the parked file comes back";
  EXPECT_FALSE(drive.fs.ReadWholeFile("C:\\D\\a.lnk.replaced-1"));

  // Different data on both sides: nothing is changed, and the user is told.
  drive.File("C:\\D\\a.lnk", "someone else's");
  record.aside.clear();
  ASSERT_EQ(kRegOk, journal.Begin(kHkeyCurrentUser, record));
  EXPECT_EQ(1u, engine.Entries().Recover().size());
  EXPECT_EQ("moving", drive.fs.ReadWholeFile("C:\\S\\a.lnk"));
  EXPECT_EQ("someone else's", drive.fs.ReadWholeFile("C:\\D\\a.lnk"));
}


// Copies to another volume that a process ended in the middle of, whose ledger records are gone: the next start
// removes the temporaries (read-only ones too) from the StartUp folder and the Disabled folder, and no list shows
// them meanwhile; files that only look like them are someone else's and stay listed.
TEST_F(FileRecovery, TemporariesOfMovesLeftWithoutARecordAreRemovedAndNeverListed) {
  const std::string live = shell.SpecialFolder(special_folder::kStartUp, 0).value + "\\";
  const std::string store = "C:\\P\\Disabled\\" + CurrentUserName(shell) + "\\";
  const std::vector<std::string> temporaries{live + "~kqm-0123456789abcdef.partial",
                                             store + "~kqm-fedcba9876543210.partial"};
  const std::vector<std::string> lookAlikes{live + "~kqm-0123.partial", live + "~kqm-0123456789abcdeg.partial",
                                            store + "kqm-0123456789abcdef.partial"};
  for (const std::string& path : temporaries) drive.File(path, "cut sh");
  for (const std::string& path : lookAlikes) drive.File(path, "someone else's");
  ASSERT_EQ(0u, drive.fs.SetAttributes(temporaries[0], file_attribute::kReadOnly));
  drive.Folder(live + "~kqm-aaaaaaaaaaaaaaaa.partial");
  auto listed = [&] {
    std::vector<std::string> names;
    for (const StartupEntry& entry : engine.Entries().ReadEntries(LocationId::kUserStartUp))
      names.push_back(entry.folder + entry.name);
    std::sort(names.begin(), names.end());
    return names;
  };
  std::vector<std::string> expected = lookAlikes;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, listed()) << "before the start that removes them, temporaries are not listed either";

  EXPECT_TRUE(engine.Entries().Recover().empty());
  for (const std::string& path : temporaries) EXPECT_FALSE(drive.fs.Attributes(path)) << path;
  for (const std::string& path : lookAlikes) EXPECT_EQ("someone else's", drive.fs.ReadWholeFile(path)) << path;
  EXPECT_TRUE(drive.fs.FolderExists(live + "~kqm-aaaaaaaaaaaaaaaa.partial")) << "a folder is not a move's copy";
  EXPECT_EQ(expected, listed());
}

}  // namespace
}  // namespace kqm
