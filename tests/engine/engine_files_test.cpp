// The StartUp-folder locations: natively against the substitutes, under Wine against the prefix's real folders
// with shortcuts made by the shell and a Disabled folder beside the test program.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/clsStartUp.h"
#include "engine/ledger.h"
#include "engine_world.h"
#include "fileinfo/basFile_Kebbo.h"
#include "platform/substitute/memory_list_view.h"
#include "platform/substitute/memory_registry.h"
#include "platform/substitute/substitute_shell.h"
#include "platform/text.h"
#include "recording_reporter.h"
#include "temp_drive.h"

namespace kqm {
namespace {

using test::RowData;
using test::Sample;

class EngineFiles : public ::testing::Test {
 protected:
  EngineFiles()
      : world_(test::MakeEngineWorld()),
        shell_(world_->TheShell()),
        engine_(reg_, world_->Files(), shell_, reporter_, "QuorvelManager", world_->DisabledPath()) {}
  ~EngineFiles() override {
    for (const auto& path : cleanup_) world_->Files().RemoveFile(path);
  }

  FileSystem& fs() { return world_->Files(); }
  void Mkdir(std::string path) {
    if (path.back() == '\\') path.pop_back();
    fs().CreateFolder(path);
  }
  std::string Live(bool bAll) { return world_->StartUpFolder(bAll) + "\\"; }
  std::string Sub(bool bAll) { return world_->DisabledPath() + (bAll ? "All Users" : CurrentUserName(shell_)) + "\\"; }
  bool Exists(const std::string& path) { return fs().Attributes(path).has_value(); }
  // Makes a shortcut in a shared folder and removes it (wherever it went) when the test ends.
  std::string Shortcut(const std::string& folder, const std::string& file, Sample sample = Sample::kProgram) {
    EXPECT_TRUE(world_->MakeShortcut(folder + file, sample)) << folder + file;
    for (bool all : {false, true})
      for (const auto& f : {Live(all), Sub(all)}) cleanup_.push_back(f + file);
    return folder + file;
  }
  // A folder of the test's own below the scratch folder, ending in "\".
  std::string OwnFolder(const std::string& name) {
    const std::string path = world_->Scratch() + "\\" + name;
    fs().CreateFolder(path);
    return path + "\\";
  }

  std::unique_ptr<test::EngineWorld> world_;
  test::SteeredShell shell_;
  MemoryRegistry reg_;
  test::RecordingReporter reporter_;
  clsStartUp engine_;
  MemoryListView list_;
  std::vector<std::string> cleanup_;
};

TEST_F(EngineFiles, ShortcutsOfBothStartUpFoldersGoToTheDisabledFolderAndBack) {
  for (bool bAll : {false, true}) {
    const std::string stem = test::UniqueName(bAll ? "all" : "user");
    const std::string file = stem + ".lnk";
    Shortcut(Live(bAll), file);
    engine_.LoadStartUpFiles(list_, bAll);
    EXPECT_EQ(bAll ? "ALL" : "USER", list_.Tag());
    const std::string target = test::SampleTarget(Sample::kProgram);
    EXPECT_EQ((std::vector<RowData>{{stem, true, file, 2, target}}), test::Rows(list_, stem));

    ASSERT_TRUE(engine_.DisableFileItem(file, bAll)) << file;
    EXPECT_FALSE(Exists(Live(bAll) + file));
    EXPECT_TRUE(Exists(Sub(bAll) + file)) << "the Disabled folder and its subfolder were made on the way";
    engine_.LoadStartUpFiles(list_, bAll);
    EXPECT_EQ((std::vector<RowData>{{stem, false, file, 2, target}}), test::Rows(list_, stem));

    ASSERT_TRUE(engine_.EnableFileItem(file, bAll));
    EXPECT_TRUE(Exists(Live(bAll) + file));
    EXPECT_FALSE(Exists(Sub(bAll) + file));
    EXPECT_EQ(target, ShortcutTarget(shell_, Live(bAll) + file)) << "the same file came back";
  }
}

TEST_F(EngineFiles, EveryFileTheSystemStartsIsListedAndMovedShortcutsByTheirTargets) {
  const std::string live = OwnFolder("startup");
  shell_.Folder(special_folder::kStartUp, live);
  world_->MakeShortcut(live + "a.lnk", Sample::kProgram);
  fs().WriteWholeFile(live + "b.bat", "@echo off\r\n");
  fs().WriteWholeFile(live + "c.url", "[InternetShortcut]\r\nURL=http://localhost/\r\n");
  fs().WriteWholeFile(live + "desktop.ini", "[.ShellClassInfo]\r\n");
  fs().WriteWholeFile(live + "thumbs.db", "x");
  fs().SetAttributes(live + "thumbs.db", file_attribute::kHidden | file_attribute::kSystem);
  fs().CreateFolder(live + "sub");
  world_->MakeShortcut(live + "document.LNK", Sample::kDocument);
  fs().WriteWholeFile(live + "broken.lnk", "not a shortcut");
  engine_.LoadStartUpFiles(list_, false);
  auto rows = test::Rows(list_);
  std::sort(rows.begin(), rows.end(), [](const RowData& x, const RowData& y) { return x.text < y.text; });
  EXPECT_EQ((std::vector<RowData>{{"a", true, "a.lnk", 2, test::SampleTarget(Sample::kProgram)},
                                  {"b.bat", true, "b.bat", 2, live + "b.bat"},
                                  {"broken", true, "broken.lnk", 2, "Error occured."},
                                  {"c.url", true, "c.url", 2, live + "c.url"},
                                  {"document", true, "document.LNK", 2, test::SampleTarget(Sample::kDocument)}}),
            rows) << "not the folder settings, hidden system files or folders";
  for (const char* file : {"b.bat", "c.url"}) {
    ASSERT_TRUE(engine_.DisableFileItem(file, false)) << file;
    EXPECT_TRUE(Exists(Sub(false) + file));
    ASSERT_TRUE(engine_.EnableFileItem(file, false)) << file;
    EXPECT_TRUE(Exists(live + file));
    cleanup_.push_back(Sub(false) + file);
  }
  EXPECT_FALSE(engine_.DisableFileItem("desktop.ini", false));
  EXPECT_FALSE(engine_.DisableFileItem("..\\startup\\a.lnk", false)) << "a name, never a path";
  EXPECT_TRUE(Exists(live + "desktop.ini"));
  EXPECT_TRUE(Exists(live + "a.lnk"));
}

TEST_F(EngineFiles, AFileWindowsKeepsOffIsShownSoAndSwitchedOnWhereItIs) {
  const std::string live = OwnFolder("approved");
  shell_.Folder(special_folder::kStartUp, live);
  fs().WriteWholeFile(live + "tool.bat", "@echo off\r\n");
  const std::string flags = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder";
  RegKey key = 0;
  ASSERT_EQ(kRegOk, reg_.CreateKey(RootKey(kHkeyCurrentUser), Utf8ToUtf16(flags), kKeyAll63, key));
  const std::string off("\x03\0\0\0\x01\x02\x03\x04\x05\x06\x07\x08", 12);
  reg_.SetValue(key, u"tool.bat", kRegBinary, reinterpret_cast<const uint8_t*>(off.data()), 12);
  engine_.LoadStartUpFiles(list_, false);
  EXPECT_EQ((std::vector<RowData>{{"tool.bat", false, "tool.bat|off", 2, live + "tool.bat  [switched off by Windows]"}}),
            test::Rows(list_));
  EXPECT_TRUE(engine_.ApproveFileItem("tool.bat", false));
  uint8_t flag[12] = {};
  uint32_t size = 12, type = 0;
  EXPECT_EQ(kRegOk, reg_.QueryValue(key, u"tool.bat", &type, flag, &size));
  EXPECT_EQ(2, flag[0]) << "the form Windows writes for on";
  EXPECT_TRUE(Exists(live + "tool.bat")) << "nothing moved";
  reg_.CloseKey(key);
  fs().RemoveFile(live + "tool.bat");
}

TEST_F(EngineFiles, MissingFoldersListNothingAndEnablingDoesNotCreateTheStartUpFolder) {
  const std::string live = world_->Scratch() + "\\missing\\StartUp";
  shell_.Folder(special_folder::kCommonStartUp, live);
  engine_.LoadStartUpFiles(list_, true);
  EXPECT_EQ(0, list_.Count());
  EXPECT_EQ("ALL", list_.Tag());
  EXPECT_FALSE(fs().FolderExists(world_->DisabledPath())) << "listing creates nothing";

  Mkdir(world_->DisabledPath());
  Mkdir(Sub(true));
  world_->MakeShortcut(Sub(true) + "s.lnk", Sample::kProgram);
  EXPECT_FALSE(engine_.EnableFileItem("s.lnk", true));
  EXPECT_TRUE(Exists(Sub(true) + "s.lnk"));
  EXPECT_FALSE(fs().FolderExists(live));
  engine_.LoadStartUpFiles(list_, true);
  EXPECT_EQ((std::vector<RowData>{{"s", false, "s.lnk", 2, test::SampleTarget(Sample::kProgram) + kUnrecordedMark}}),
            test::Rows(list_))
      << "a file the program did not put there says so";
}

TEST_F(EngineFiles, NoStartUpFolderMeansNoOtherFolderIsListedOrTouched) {
  shell_.Folder(special_folder::kStartUp, std::nullopt);
  const std::string scratch = world_->Scratch() + "\\";
  world_->MakeShortcut(scratch + "stray.lnk", Sample::kProgram);
  engine_.LoadStartUpFiles(list_, false);
  EXPECT_TRUE(test::Rows(list_, "stray").empty());
  EXPECT_EQ("USER", list_.Tag());
  ASSERT_FALSE(reporter_.reports.empty());
  EXPECT_EQ("FolderLocation", reporter_.reports.back().proc) << "the user hears why the list is empty";
  EXPECT_FALSE(engine_.DisableFileItem("stray.lnk", false));
  EXPECT_FALSE(engine_.EnableFileItem("stray.lnk", false));
  EXPECT_TRUE(Exists(scratch + "stray.lnk"));
  EXPECT_FALSE(fs().FolderExists(world_->DisabledPath()));
}

TEST_F(EngineFiles, AnOccupiedDestinationOrADisabledFolderThatIsAFileStopsTheMove) {
  const std::string live = OwnFolder("startup");
  shell_.Folder(special_folder::kStartUp, live);
  shell_.UserName("U");
  world_->MakeShortcut(live + "same.lnk", Sample::kProgram);
  Mkdir(world_->DisabledPath());
  fs().CreateFolder(world_->DisabledPath() + "U");
  world_->MakeShortcut(world_->DisabledPath() + "U\\same.lnk", Sample::kDocument);
  engine_.LoadStartUpFiles(list_, false);
  EXPECT_EQ((std::vector<RowData>{{"same", true, "same.lnk", 2, test::SampleTarget(Sample::kProgram) + kAlsoOffMark},
                                  {"same", false, "same.lnk", 2, test::SampleTarget(Sample::kDocument) + kUnrecordedMark}}),
            test::Rows(list_));
  // The file put in the Disabled folder by hand may go back when the user says so; here the collisions count.
  engine_.Entries().AskUntrusted([](const UntrustedQuestion&) { return true; });
  int asked = 0;
  bool yes = false;
  engine_.AskReplace([&](const ReplaceQuestion& q) {
    EXPECT_EQ("same.lnk", q.existing);
    ++asked;
    return yes;
  });
  EXPECT_EQ(MoveFailure::kNameTaken, engine_.DisableFileItem("same.lnk", false).failure);
  EXPECT_FALSE(engine_.EnableFileItem("same.lnk", false));
  EXPECT_EQ(2, asked);
  EXPECT_EQ(test::SampleTarget(Sample::kProgram), ShortcutTarget(shell_, live + "same.lnk"));
  EXPECT_EQ(test::SampleTarget(Sample::kDocument), ShortcutTarget(shell_, world_->DisabledPath() + "U\\same.lnk"));
  // Yes replaces the other file, which is not left parked beside it.
  yes = true;
  EXPECT_TRUE(engine_.DisableFileItem("same.lnk", false));
  EXPECT_EQ(test::SampleTarget(Sample::kProgram), ShortcutTarget(shell_, world_->DisabledPath() + "U\\same.lnk"));
  EXPECT_FALSE(Exists(live + "same.lnk"));
  EXPECT_FALSE(Exists(world_->DisabledPath() + "U\\same.lnk.replaced-1"));
  // The same file already at the destination: only the source goes, without a question.
  ASSERT_EQ(0u, fs().WriteWholeFile(live + "same.lnk", *fs().ReadWholeFile(world_->DisabledPath() + "U\\same.lnk")));
  EXPECT_TRUE(engine_.DisableFileItem("same.lnk", false));
  EXPECT_FALSE(Exists(live + "same.lnk"));
  EXPECT_EQ(3, asked);
  EXPECT_TRUE(engine_.EnableFileItem("same.lnk", false));

  shell_.UserName("V");
  fs().WriteWholeFile(world_->DisabledPath() + "V", "a file where the subfolder belongs");
  EXPECT_FALSE(engine_.DisableFileItem("same.lnk", false));
  EXPECT_TRUE(Exists(live + "same.lnk"));
}

TEST_F(EngineFiles, AUserNameThatIsNoPlainFolderNameKeepsToTheStartUpFolder) {
  const std::string live = OwnFolder("startup");
  shell_.Folder(special_folder::kStartUp, live);
  world_->MakeShortcut(live + "a.lnk", Sample::kProgram);
  Mkdir(world_->DisabledPath());
  const std::string program = world_->DisabledPath().substr(0, world_->DisabledPath().size() - 9);
  world_->MakeShortcut(program + "outside.lnk", Sample::kProgram);
  shell_.UserName("..");
  engine_.LoadStartUpFiles(list_, false);
  EXPECT_EQ((std::vector<std::string>{"a"}), [&] {
    std::vector<std::string> texts;
    for (const auto& r : test::Rows(list_)) texts.push_back(r.text);
    return texts;
  }());
  shell_.UserName("x\\..\\..");
  EXPECT_FALSE(engine_.DisableFileItem("a.lnk", false));
  EXPECT_TRUE(Exists(live + "a.lnk"));
}

TEST(EngineFileNames, ShortcutsWhoseNamesDifferOnlyInCaseEachMoveAsThemselves) {
  test::TempDrive drive;
  SubstituteShell inner(drive.fs);
  test::SteeredShell shell(inner);
  shell.Folder(special_folder::kStartUp, "C:\\S");
  shell.UserName("U");
  MemoryRegistry reg;
  test::RecordingReporter reporter;
  clsStartUp engine(reg, drive.fs, shell, reporter, "QuorvelManager", "C:\\P\\Disabled\\");
  drive.Folder("C:\\P");
  drive.File("C:\\S\\Case.lnk", "upper");
  const auto host = drive.fs.HostPath("C:\\S");
  ASSERT_TRUE(host);
  std::ofstream(*host / "case.lnk") << "lower";
  if (drive.fs.ReadWholeFile("C:\\S\\Case.lnk") != "upper") GTEST_SKIP() << "this file system folds letter case";
  auto exact = [&](const std::string& folder, const std::string& name) {
    std::ifstream in(*drive.fs.HostPath(folder) / name);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  EXPECT_TRUE(engine.DisableFileItem("case.lnk", false));
  EXPECT_EQ("lower", exact("C:\\P\\Disabled\\U", "case.lnk"));
  EXPECT_EQ("upper", exact("C:\\S", "Case.lnk")) << "its twin stays";
  EXPECT_EQ(MoveFailure::kNameTaken, engine.DisableFileItem("Case.lnk", false).failure)
      << "Windows takes the stored one for the same name: asked, and kept";
  EXPECT_EQ(MoveFailure::kNameTaken, engine.EnableFileItem("case.lnk", false).failure) << "nor back over its twin";
  std::filesystem::remove(*host / "Case.lnk");
  EXPECT_TRUE(engine.EnableFileItem("case.lnk", false));
  EXPECT_EQ("lower", exact("C:\\S", "case.lnk")) << "back under its own spelling";
}

// Links someone made in the Disabled folder: a subfolder leading to the StartUp folder itself, or an entry that is
// a link, is never moved into, out of or through; a file there that is the StartUp file itself (a hard link) holds
// the same bytes but is no copy, so the only file is never removed as a duplicate.
TEST(EngineFileLinks, NothingMovesThroughALinkAndOneFileIsNeverTakenForItsOwnCopy) {
  test::TempDrive drive;
  SubstituteShell inner(drive.fs);
  test::SteeredShell shell(inner);
  shell.Folder(special_folder::kStartUp, "C:\\S");
  shell.UserName("U");
  MemoryRegistry reg;
  test::RecordingReporter reporter;
  clsStartUp engine(reg, drive.fs, shell, reporter, "QuorvelManager", "C:\\P\\Disabled\\");
  drive.Folder("C:\\P\\Disabled");
  drive.File("C:\\S\\keep.bat", "echo");
  const std::filesystem::path startUp = *drive.fs.HostPath("C:\\S"), user = *drive.fs.HostPath("C:\\P\\Disabled") / "U";

  std::error_code linked;
  std::filesystem::create_directory_symlink(startUp, user, linked);
  if (linked) GTEST_SKIP() << "this system makes no symbolic links here: " << linked.message();
  EXPECT_EQ(MoveFailure::kLinked, engine.DisableFileItem("keep.bat", false).failure);
  EXPECT_EQ("echo", drive.fs.ReadWholeFile("C:\\S\\keep.bat"));

  std::filesystem::remove(user);
  std::filesystem::create_directory(user);
  std::filesystem::create_hard_link(startUp / "keep.bat", user / "keep.bat");
  EXPECT_EQ(MoveFailure::kSameFile, engine.DisableFileItem("keep.bat", false).failure);
  EXPECT_EQ("echo", drive.fs.ReadWholeFile("C:\\S\\keep.bat"));

  std::filesystem::remove(user / "keep.bat");
  std::filesystem::create_symlink(startUp / "keep.bat", user / "planted.bat");
  EXPECT_EQ(MoveFailure::kLinked, engine.EnableFileItem("planted.bat", false).failure);
  EXPECT_EQ("echo", drive.fs.ReadWholeFile("C:\\S\\keep.bat"));
}

// The store knows what it holds: a file someone put in the Disabled folder, or one changed there since the program
// switched it off, is marked and never moved into a StartUp folder unasked; what the program put there goes back.
TEST(EngineFileRecords, APlantedOrChangedFileIsMarkedAndNotSwitchedOnUnasked) {
  test::TempDrive drive;
  SubstituteShell inner(drive.fs);
  test::SteeredShell shell(inner);
  shell.Folder(special_folder::kCommonStartUp, "C:\\S");
  MemoryRegistry reg;
  test::RecordingReporter reporter;
  clsStartUp engine(reg, drive.fs, shell, reporter, "QuorvelManager", "C:\\P\\Disabled\\");
  drive.File("C:\\P\\Disabled\\All Users\\planted.bat", "evil");
  drive.File("C:\\S\\mine.bat", "mine");
  ASSERT_TRUE(engine.DisableFileItem("mine.bat", true));
  MemoryListView list;
  engine.LoadStartUpFiles(list, true);
  EXPECT_EQ((std::vector<std::string>{"C:\\P\\Disabled\\All Users\\mine.bat",
                                      std::string("C:\\P\\Disabled\\All Users\\planted.bat") + kUnrecordedMark}),
            (std::vector<std::string>{list.Item(1)->SubItem(1), list.Item(2)->SubItem(1)}));

  EXPECT_EQ(MoveFailure::kUnrecorded, engine.EnableFileItem("planted.bat", true).failure) << "nobody to ask: refused";
  EXPECT_FALSE(drive.fs.ReadWholeFile("C:\\S\\planted.bat"));
  std::vector<UntrustedQuestion> asked;
  engine.Entries().AskUntrusted([&](const UntrustedQuestion& q) {
    asked.push_back(q);
    return false;
  });
  EXPECT_EQ(MoveFailure::kUnrecorded, engine.EnableFileItem("planted.bat", true).failure) << "No is the answer";
  ASSERT_EQ(1u, asked.size());
  EXPECT_EQ(4, asked[0].size);
  EXPECT_TRUE(asked[0].allUsers);

  ASSERT_EQ(0u, drive.fs.WriteWholeFile("C:\\P\\Disabled\\All Users\\mine.bat", "changed"));
  EXPECT_EQ(MoveFailure::kChangedSinceOff, engine.EnableFileItem("mine.bat", true).failure);
  ASSERT_EQ(0u, drive.fs.WriteWholeFile("C:\\P\\Disabled\\All Users\\mine.bat", "mine"));
  EXPECT_TRUE(engine.EnableFileItem("mine.bat", true)) << "unchanged, it is the program's own: no question";
  EXPECT_EQ(2u, asked.size());
  EXPECT_FALSE(FileRecords(reg).Get(kHkeyLocalMachine, "mine.bat")) << "the record goes with the file";
}

}  // namespace
}  // namespace kqm
