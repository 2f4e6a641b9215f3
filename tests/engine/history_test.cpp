// The history of changes and their undo, through the suite's registry (in memory natively, the Wine prefix's real
// one in the Windows build) and the world's StartUp folders. Entries get unique names; changes are picked by them,
// since the real ledger may hold changes of other tests.
#include <gtest/gtest.h>

#include <cstdio>

#include "engine/clsStartUp.h"
#include "fileinfo/basFile_Kebbo.h"
#include "engine/startup_approval.h"
#include "engine_world.h"
#include "platform/sha256.h"
#include "platform/substitute/memory_registry.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/substitute_shell.h"
#include "platform/text.h"
#include "recording_reporter.h"
#include "reg_helpers.h"
#include "registry_backend.h"

namespace kqm {
namespace {

constexpr const char* kUserStore = "Software\\Kestrum\\QuorvelManager\\Disabled\\HKCU\\R";
constexpr const char* kApproved = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// The user's Run list and his own store.
class RegistryHistory : public ::testing::Test {
 protected:
  RegistryHistory() : shell_(files_), engine_(reg_, files_, shell_, reporter_, "QuorvelManager", "C:\\p\\D\\") {
    entries().UseLock(lock_.get());
    entries().AskReplace([](const ReplaceQuestion&) { return true; });
  }
  ~RegistryHistory() override {
    for (const auto& name : names_)
      for (const char* key : {test::kRunKey, kUserStore, kApproved}) test::Remove(reg_, kHkeyCurrentUser, key, name);
  }
  std::string N(const std::string& stem) { return names_.emplace_back(prefix_ + stem); }
  EntryEngine& entries() { return engine_.Entries(); }
  // The entry of that name and state, read now.
  StartupEntry Entry(const std::string& name, EntryState state) {
    for (const StartupEntry& e : entries().ReadEntries(LocationId::kHkcuRun))
      if (e.name == name && e.state == state) return e;
    ADD_FAILURE() << "no entry " << name;
    return {};
  }
  // The newest change to the entry of that name.
  Change Newest(const std::string& name) {
    const std::vector<Change> all = entries().History().All();
    const Change* change = LastChangeTo(all, {LocationId::kHkcuRun, RegView::kNative, FoldCase(Utf8ToUtf16(name))});
    if (!change) ADD_FAILURE() << "no change to " << name;
    return change ? *change : Change{};
  }
  std::optional<std::string> Live(const std::string& name) {
    return test::ReadText(reg_, kHkeyCurrentUser, test::kRunKey, name);
  }
  std::optional<std::string> Stored(const std::string& name) {
    return test::ReadText(reg_, kHkeyCurrentUser, kUserStore, name);
  }

  RegistryApi& reg_ = test::Registry();
  std::unique_ptr<MoveLock> lock_ = test::MakeMoveLock();
  PosixFileSystem files_;
  SubstituteShell shell_;
  test::RecordingReporter reporter_;
  clsStartUp engine_;
  std::string prefix_ = test::UniqueName("history") + "-";
  std::vector<std::string> names_;
};

TEST_F(RegistryHistory, ADisableAnEnableAndAReplaceAreEachUndone) {
  const std::string off = N("off"), on = N("on"), replacing = N("replacing");
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, off, "off.exe");
  test::PutText(reg_, kHkeyCurrentUser, kUserStore, on, "on.exe");
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, replacing, "new.exe");
  test::PutText(reg_, kHkeyCurrentUser, kUserStore, replacing, "old.exe");

  ASSERT_TRUE(entries().Move(Entry(off, EntryState::kOn), MoveDirection::kOff));
  ASSERT_TRUE(entries().Move(Entry(on, EntryState::kOff), MoveDirection::kOn));
  ASSERT_TRUE(entries().Move(Entry(replacing, EntryState::kOn), MoveDirection::kOff));
  const Change disabled = Newest(off), enabled = Newest(on), replaced = Newest(replacing);
  EXPECT_EQ(ChangeAction::kDisable, disabled.action);
  EXPECT_EQ(ChangeAction::kEnable, enabled.action);
  EXPECT_EQ(ChangeAction::kReplace, replaced.action);
  EXPECT_LT(disabled.id, enabled.id);
  EXPECT_EQ(std::optional<std::string>("new.exe"), Stored(replacing));

  for (const Change& change : {disabled, enabled, replaced}) {
    const UndoResult undone = entries().Undo(change.id);
    ASSERT_TRUE(undone.done) << change.name << ": " << undone.why;
    EXPECT_TRUE(undone.notes.empty()) << undone.notes.front();
    const Change undo = Newest(change.name);
    EXPECT_EQ(ChangeAction::kUndo, undo.action);
    EXPECT_EQ(change.id, undo.undoes);
    EXPECT_EQ(undone.id, undo.id);
  }
  EXPECT_EQ(std::optional<std::string>("off.exe"), Live(off));
  EXPECT_FALSE(Stored(off));
  EXPECT_EQ(std::optional<std::string>("on.exe"), Stored(on));
  EXPECT_FALSE(Live(on));
  EXPECT_EQ(std::optional<std::string>("new.exe"), Live(replacing));
  EXPECT_EQ(std::optional<std::string>("old.exe"), Stored(replacing)) << "the entry it replaced is back";
}

TEST_F(RegistryHistory, AnUndoIsRefusedOnceTheEntryIsNoLongerWhereAndWhatTheChangeLeft) {
  const std::string name = N("changed");
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, name, "first.exe");
  ASSERT_TRUE(entries().Move(Entry(name, EntryState::kOn), MoveDirection::kOff));
  const uint64_t id = Newest(name).id;

  test::PutText(reg_, kHkeyCurrentUser, kUserStore, name, "changed.exe");
  const UndoResult changed = entries().Undo(id);
  EXPECT_FALSE(changed.done);
  EXPECT_NE(std::string::npos, changed.why.find("has changed since change " + std::to_string(id))) << changed.why;
  EXPECT_EQ(std::optional<std::string>("changed.exe"), Stored(name)) << "left alone";
  EXPECT_FALSE(Live(name));

  test::PutText(reg_, kHkeyCurrentUser, kUserStore, name, "first.exe");
  ASSERT_TRUE(entries().Undo(id).done);
  const UndoResult again = entries().Undo(id);
  EXPECT_FALSE(again.done) << "it is back already";
  EXPECT_NE(std::string::npos, again.why.find("is no longer in")) << again.why;
  EXPECT_FALSE(entries().Undo(Newest(name).id + 1000).done);
}

TEST_F(RegistryHistory, UndoingASwitchOnWhereWindowsKeptItOffWritesWindowsFlagBack) {
  const std::string name = N("approved");
  const std::string flag("\x03\0\0\0\x10\x20\x30\x40\x50\x60\x70\x01", 12);
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, name, "kept.exe");
  test::Put(reg_, kHkeyCurrentUser, kApproved, name, kRegBinary, flag);
  ASSERT_TRUE(entries().Move(Entry(name, EntryState::kOffByWindows), MoveDirection::kOn));
  const Change approved = Newest(name);
  EXPECT_EQ(ChangeAction::kApprove, approved.action);
  ASSERT_TRUE(entries().Undo(approved.id).done);
  EXPECT_EQ(flag, test::Read(reg_, kHkeyCurrentUser, kApproved, name).value_or(test::Stored{}).bytes);
  EXPECT_EQ(std::optional<std::string>("kept.exe"), Live(name)) << "nothing moved";
}

// A shortcut switched off over a different file of its name in the Disabled folder, one the program had put there.
TEST(FileHistory, UndoingAReplacedFileBringsBothBackAndTheReplacedOneStaysTheProgramsOwn) {
  const std::unique_ptr<test::EngineWorld> world = test::MakeEngineWorld();
  test::SteeredShell shell(world->TheShell());
  MemoryRegistry reg;
  test::RecordingReporter reporter;
  clsStartUp engine(reg, world->Files(), shell, reporter, "QuorvelManager", world->DisabledPath());
  EntryEngine& entries = engine.Entries();
  entries.AskReplace([](const ReplaceQuestion&) { return true; });
  FileSystem& fs = world->Files();
  const std::string file = test::UniqueName("replaced") + ".lnk";
  const std::string live = world->StartUpFolder(false) + "\\" + file;
  ASSERT_TRUE(world->MakeShortcut(live, test::Sample::kProgram));
  ASSERT_TRUE(engine.DisableFileItem(file, false));
  ASSERT_TRUE(world->MakeShortcut(live, test::Sample::kDocument));
  const std::optional<std::string> older = fs.ReadWholeFile(world->DisabledPath() + CurrentUserName(shell) + "\\" + file);
  const std::optional<std::string> newer = fs.ReadWholeFile(live);
  ASSERT_TRUE(older && newer && older != newer);
  ASSERT_TRUE(engine.DisableFileItem(file, false));

  const std::vector<Change> all = entries.History().All();
  const Change* replace = LastChangeTo(all, {LocationId::kUserStartUp, RegView::kNative, FoldCase(Utf8ToUtf16(file))});
  ASSERT_TRUE(replace);
  EXPECT_EQ(ChangeAction::kReplace, replace->action);
  EXPECT_EQ(Sha256Hex(*newer), replace->hash);
  const UndoResult undone = entries.Undo(replace->id);
  ASSERT_TRUE(undone.done) << undone.why;
  EXPECT_TRUE(undone.notes.empty()) << undone.notes.front();
  EXPECT_EQ(newer, fs.ReadWholeFile(live));
  const std::string stored = world->DisabledPath() + CurrentUserName(shell) + "\\" + file;
  EXPECT_EQ(older, fs.ReadWholeFile(stored));
  for (const StartupEntry& e : entries.ReadEntries(LocationId::kUserStartUp))
    if (e.name == file && e.state == EntryState::kOff) {
      EXPECT_EQ(FileTrust::kRecorded, e.trust) << "switched on, it is not asked about";
    }
  fs.RemoveFile(live);
  fs.RemoveFile(stored);
}

TEST(HistoryRecords, EveryFieldComesBackAndAStoreSpeaksOnlyForItsOwnRootsEntries) {
  Change c;
  c.time = "2024-05-01T12:34:56Z";
  c.user = "b%b=\n";
  c.source = ChangeSource::kCommandLine;
  c.action = ChangeAction::kUndo;
  c.undoes = 7;
  c.location = LocationId::kHklmRun;
  c.view = RegView::k32;
  c.name = "n\xC3\xA9=%";
  c.direction = MoveDirection::kOn;
  c.type = kRegExpandSz;
  c.bytes = std::string("\0\xFF\n", 3);
  c.hash = Sha256Hex(c.bytes);
  c.flagOnly = true;
  c.flagBefore = RawValue{kRegBinary, std::string("\x03\0", 2)};
  c.replaced = true;
  c.replacedName = "N";
  c.replacedType = kRegSz;
  c.replacedHash = Sha256Hex("r");
  c.replacedKept = c.replacedTrusted = true;
  c.result = "done";
  const std::optional<Change> back = DecodeChange(EncodeChange(c) + "addedLater=1\n");
  ASSERT_TRUE(back);
  EXPECT_EQ(EncodeChange(c), EncodeChange(*back));
  EXPECT_FALSE(DecodeChange("kqm-change/2\naction=disable\nlocation=HKCUR\nname=x\n"));

  // A machine entry's change below the user's own root (which he can write) is no change of the machine's.
  MemoryRegistry reg;
  ChangeHistory history(reg);
  ASSERT_EQ(kRegOk, history.Add(kHkeyCurrentUser, c));
  EXPECT_TRUE(history.Read(kHkeyCurrentUser).empty());
  EXPECT_FALSE(history.Find(c.id));
}

TEST(HistoryBound, TheLast500ChangesAndAMebibyteOfContentAreKept) {
  RegistryApi& reg = test::Registry();
  ChangeHistory history(reg);
  const std::string prefix = test::UniqueName("bound") + "-";
  Change change;
  change.location = LocationId::kHkcuRun;
  for (int i = 0; i <= 500; ++i) {
    change.name = prefix + std::to_string(i);
    ASSERT_EQ(kRegOk, history.Add(kHkeyCurrentUser, change)) << i;
  }
  std::vector<Change> kept = history.Read(kHkeyCurrentUser);
  ASSERT_EQ(500u, kept.size());
  EXPECT_EQ(prefix + "1", kept.front().name) << "the oldest went first";
  EXPECT_EQ(prefix + "500", kept.back().name);

  // Four replaced files of a quarter mebibyte each are more than the store keeps: the oldest changes go, small or not.
  const std::string quarter(ChangeHistory::kMaxKeptFile, 'q');
  std::vector<uint64_t> big;
  for (int i = 0; i < 4; ++i) {
    change.name = prefix + "big" + std::to_string(i);
    ASSERT_EQ(kRegOk, history.Add(kHkeyCurrentUser, change, &quarter)) << i;
    big.push_back(change.id);
  }
  kept = history.Read(kHkeyCurrentUser);
  ASSERT_EQ(3u, kept.size());
  EXPECT_EQ(big[1], kept.front().id);
  EXPECT_FALSE(history.Kept(kHkeyCurrentUser, big[0])) << "its kept file went with it";
  EXPECT_EQ(quarter, history.Kept(kHkeyCurrentUser, big[3]));
  for (const uint64_t id : big) {
    char value[32];
    std::snprintf(value, sizeof value, "%020llu", static_cast<unsigned long long>(id));
    for (const std::string& name : {std::string(value), std::string(value) + ".replaced"})
      test::Remove(reg, kHkeyCurrentUser, ChangeHistory::Place(kHkeyCurrentUser).path, name);
  }
}

}  // namespace
}  // namespace kqm
