// Every platform call of the four moves is made to fail in turn; after each case the entry must be, with its
// data, where the move's result says. Registry cases run against the suite's registry (the real one under Wine),
// file cases against the world's file system.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>

#include "engine/clsStartUp.h"
#include "engine/ledger.h"
#include "platform/sha256.h"
#include "platform/text.h"
#include "engine_world.h"
#include "fileinfo/basFile_Kebbo.h"
#include "platform/substitute/failing_file_system.h"
#include "platform/substitute/failing_registry.h"
#include "platform/substitute/memory_registry.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/process_end.h"
#include "platform/substitute/substitute_shell.h"
#include "recording_reporter.h"
#include "reg_helpers.h"
#include "registry_backend.h"

namespace kqm {
namespace {

struct Tally {
  int cases = 0;
  int lost = 0;
  int inBoth = 0;
  int inBothAfterRecovery = 0;  // with every call from the N-th on failing (the process ended there), then a start
};

void Report(const char* what, const Tally& t) {
  ::testing::Test::RecordProperty("fault_cases", t.cases);
  ::testing::Test::RecordProperty("lost", t.lost);
  ::testing::Test::RecordProperty("in_both_places", t.inBoth);
  ::testing::Test::RecordProperty("in_both_places_after_recovery", t.inBothAfterRecovery);
  std::printf("%s: %d fault cases, %d lost, %d left in both places, %d after the next start's recovery\n", what,
              t.cases, t.lost, t.inBoth, t.inBothAfterRecovery);
}

class RegistryFaults : public ::testing::TestWithParam<bool> {
 protected:
  // Every engine holds the lock every copy of the program shares: a start's recovery never settles a move that
  // another test is in the middle of.
  RegistryFaults() : shell_(files_), failing_(test::Registry()),
                     engine_(failing_, files_, shell_, reporter_, "QuorvelManager", "C:\\p\\Disabled\\") {
    engine_.Entries().UseLock(lock_.get());
  }

  // Runs `move` failing call 1, 2, ... until a run reaches no failure; `original` sits at the source before
  // each case, and `replaced` (when given, under the entry's name or with `otherCase` its upper case) at the
  // destination, which the move may replace. With the parameter set, every call after the failing one fails too.
  Tally Run(bool disable, int32_t root, const std::string& sKey, const std::string& live, const std::string& store,
            const test::Stored& original, const std::string& shown,
            const std::optional<test::Stored>& replaced = std::nullopt, bool otherCase = false) {
    const std::string name = test::UniqueName(disable ? "fault-disable" : "fault-enable");
    std::string other = name;
    if (otherCase) std::transform(other.begin(), other.end(), other.begin(), [](char c) { return std::toupper(c); });
    const int32_t fromRoot = disable ? root : kHkeyLocalMachine;
    const std::string& fromPath = disable ? live : store;
    // A user's entries are switched off into his own store (the same path below his root); they come back from
    // the machine's store where earlier versions kept them.
    const int32_t toRoot = disable ? (root == kHkeyCurrentUser ? kHkeyCurrentUser : kHkeyLocalMachine) : root;
    const std::string& toPath = disable ? store : live;
    RegistryApi& reg = test::Registry();
    engine_.AskReplace([](const ReplaceQuestion&) { return true; });
    auto same = [](const std::optional<test::Stored>& a, const test::Stored& b) {
      return a && a->type == b.type && a->bytes == b.bytes;
    };
    Tally t;
    for (uint32_t n = 1;; ++n) {
      test::Remove(reg, kHkeyCurrentUser, toPath, name);
      test::Remove(reg, toRoot, toPath, name);
      test::Remove(reg, toRoot, toPath, other);
      if (replaced) {
        EXPECT_TRUE(test::Put(reg, toRoot, toPath, other, replaced->type, replaced->bytes));
      }
      EXPECT_TRUE(test::Put(reg, fromRoot, fromPath, name, original.type, original.bytes));
      failing_.FailCall(n, kRegAccessDenied, GetParam());
      const MoveResult result = disable ? engine_.DisableRegItem(root, sKey, name, shown)
                                        : engine_.EnableRegItem(root, sKey, name, shown);
      const bool reached = failing_.Failed();
      failing_.FailCall(0);
      const auto atSource = test::Read(reg, fromRoot, fromPath, name);
      const bool sourceIntact = same(atSource, original);
      auto arrivedAt = [&](int32_t at) {
        if (!same(test::Read(reg, at, toPath, name), original)) return false;
        // Listing by index can skip a name while tests in other processes change the same key: look again.
        for (int attempt = 0; attempt < 5; ++attempt) {
          const auto names = test::ValueNames(reg, at, toPath);
          if (std::find(names.begin(), names.end(), name) != names.end()) return true;
        }
        return false;
      };
      const bool arrived = arrivedAt(toRoot);
      const auto atDestination = test::Read(reg, toRoot, toPath, name);
      ++t.cases;
      if (!sourceIntact && !arrived) ++t.lost;
      if (atSource && arrived) ++t.inBoth;
      if (result) {
        EXPECT_TRUE(arrived && !atSource) << "call " << n << " failed, move reported done";
      } else if (!result.inBothPlaces) {
        // A replaced value of another spelling goes before the write; when every call after that fails, it
        // cannot be put back (the user agreed to lose it), but the entry itself stays whole.
        const bool destinationAsBefore = replaced ? same(test::Read(reg, toRoot, toPath, other), *replaced)
                                                  : !atDestination;
        EXPECT_TRUE(sourceIntact && (destinationAsBefore || (GetParam() && otherCase)))
            << "call " << n << ": reported not moved, left as it was";
      } else {
        EXPECT_TRUE(arrived) << "call " << n << ": reported in both places";
      }
      if (GetParam()) {
        // The process ended at call n: the next start settles what the move left, before anything is listed.
        clsStartUp next(reg, files_, shell_, reporter_, "QuorvelManager", "C:\\p\\Disabled\\");
        next.Entries().UseLock(lock_.get());
        const std::vector<std::string> notes = next.Entries().Recover();
        const bool sourceAfter = same(test::Read(reg, fromRoot, fromPath, name), original);
        const bool arrivedAfter = arrivedAt(toRoot);
        EXPECT_TRUE(sourceAfter || arrivedAfter) << "call " << n << ": lost after recovery";
        // What the start could not settle, it says (ended before a yes replaced a different value, both are kept),
        // and the list shows what is there: a row for each value of that name, at its source and its destination.
        const bool sourceThere = test::Read(reg, fromRoot, fromPath, name).has_value();
        const bool destinationThere = test::Read(reg, toRoot, toPath, name).has_value();
        if (!notes.empty()) {
          EXPECT_TRUE(sourceThere && destinationThere) << "call " << n << ": " << notes[0];
        }
        const Location& location = *std::find_if(kLocations.begin(), kLocations.end(), [&](const Location& l) {
          return l.root == root && sKey == l.listTag;
        });
        const std::vector<StartupEntry> listed = next.Entries().ReadEntries(location.id);
        const auto rows = std::count_if(listed.begin(), listed.end(), [&](const StartupEntry& e) {
          return FoldCase(Utf8ToUtf16(e.name)) == FoldCase(Utf8ToUtf16(name));
        });
        EXPECT_EQ(sourceThere + destinationThere, rows) << "call " << n;
        // (The entry already at its destination before the move began is no move's doing.)
        const bool bothBefore = replaced && !otherCase && same(replaced, original);
        if (sourceAfter && arrivedAfter && !bothBefore) ++t.inBothAfterRecovery;
        for (const int32_t ledgerRoot : {kHkeyCurrentUser, kHkeyLocalMachine})
          for (const MoveRecord& left : MoveJournal(reg).Open(ledgerRoot))
            EXPECT_NE(name, left.name) << "call " << n << ": every unfinished move is settled";
      }
      if (!reached) break;
    }
    test::Remove(reg, fromRoot, fromPath, name);
    test::Remove(reg, toRoot, toPath, name);
    test::Remove(reg, toRoot, toPath, other);
    test::Remove(reg, kHkeyCurrentUser, toPath, name);
    engine_.AskReplace(nullptr);
    EXPECT_EQ(0, t.lost);
    return t;
  }

  PosixFileSystem files_;
  SubstituteShell shell_;
  test::RecordingReporter reporter_;
  std::unique_ptr<MoveLock> lock_ = test::MakeMoveLock();
  FailingRegistry failing_;
  clsStartUp engine_;
};

TEST_P(RegistryFaults, NoFailingCallLosesARegistryEntry) {
  const std::string store = std::string(test::kStore);
  Tally all;
  auto add = [&](const Tally& t) {
    all.cases += t.cases;
    all.lost += t.lost;
    all.inBoth += t.inBoth;
    all.inBothAfterRecovery += t.inBothAfterRecovery;
  };
  const test::Stored text{kRegSz, test::TextBytes("C:\\probe\\f.exe /x")};
  const test::Stored number{kRegDword, std::string("\x2A\0\0\0", 4)};
  add(Run(true, kHkeyCurrentUser, "R", test::kRunKey, store + "HKCU\\R", text, "C:\\probe\\f.exe /x"));
  add(Run(true, kHkeyLocalMachine, "RO", test::kRunOnceKey, store + "HKLM\\RO", number, "42"));
  add(Run(false, kHkeyCurrentUser, "R", test::kRunKey, store + "HKCU\\R", text, "C:\\probe\\f.exe /x"));
  add(Run(false, kHkeyLocalMachine, "RS", test::kRunServicesKey, store + "HKLM\\RS", text, "C:\\probe\\f.exe /x"));
  test::SetEnvironment("KQM_FAULT_HOME", "C:\\Tools");
  const test::Stored expand{kRegExpandSz, test::TextBytes("%KQM_FAULT_HOME%\\x.exe")};
  const test::Stored binary{kRegBinary, std::string("\x01\x00\xFF", 3)};
  add(Run(true, kHkeyCurrentUser, "R", test::kRunKey, store + "HKCU\\R", binary, "01 00 FF"));
  add(Run(false, kHkeyCurrentUser, "RO", test::kRunOnceKey, store + "HKCU\\RO", expand, "C:\\Tools\\x.exe"));
  // A different value of that name at the destination, replaced on a yes, comes back when the move is taken back;
  // so does one whose name differs in case; the same entry already there only loses its source.
  add(Run(true, kHkeyCurrentUser, "RO", test::kRunOnceKey, store + "HKCU\\RO", text, "C:\\probe\\f.exe /x", number));
  add(Run(false, kHkeyCurrentUser, "R", test::kRunKey, store + "HKCU\\R", text, "C:\\probe\\f.exe /x", number));
  add(Run(true, kHkeyLocalMachine, "R", test::kRunKey, store + "HKLM\\R", text, "C:\\probe\\f.exe /x", number,
          true));
  add(Run(true, kHkeyCurrentUser, "R", test::kRunKey, store + "HKCU\\R", text, "C:\\probe\\f.exe /x", text));
  Report(GetParam() ? "registry moves, every call from the N-th on failing" : "registry moves, the N-th call failing",
         all);
  EXPECT_GT(all.cases, 40);
  EXPECT_EQ(0, all.inBothAfterRecovery) << "what a move ended in the middle leaves is settled at the next start";
}

INSTANTIATE_TEST_SUITE_P(Engine, RegistryFaults, ::testing::Bool(),
                         [](const auto& paramInfo) { return paramInfo.param ? "FromNthOn" : "NthOnly"; });

// The world's file system behind a failing one, an engine on it, and the user's two folders.
class FileFaults : public ::testing::Test {
 protected:
  std::unique_ptr<test::EngineWorld> world = test::MakeEngineWorld();
  MemoryRegistry reg;
  test::RecordingReporter reporter;
  FailingFileSystem failing{world->Files(), 0};
  clsStartUp engine{reg, failing, world->TheShell(), reporter, "QuorvelManager", world->DisabledPath()};
  FileSystem& fs = world->Files();
  const std::string live = world->StartUpFolder(false) + "\\";
  const std::string sub = world->DisabledPath() + CurrentUserName(world->TheShell()) + "\\";
};

TEST_F(FileFaults, NoFailingCallLosesAShortcut) {
  const std::string file = test::UniqueName("fault") + ".lnk";
  ASSERT_TRUE(world->MakeShortcut(world->Scratch() + "\\" + file, test::Sample::kProgram));
  const std::string bytes = fs.ReadWholeFile(world->Scratch() + "\\" + file).value_or("");
  ASSERT_FALSE(bytes.empty());
  auto removeFolder = [&](std::string path) {
    path.pop_back();
    fs.RemoveFolder(path);
  };

  Tally t;
  // Each move from a fresh start (no Disabled folder yet) and with the folders already there.
  for (bool disable : {true, false}) {
    for (bool foldersThere : {false, true}) {
      const std::string& from = disable ? live : sub;
      const std::string& to = disable ? sub : live;
      for (uint64_t n = 1;; ++n) {
        fs.RemoveFile(to + file);
        fs.RemoveFile(from + file);
        if (!foldersThere) {
          removeFolder(sub);
          removeFolder(world->DisabledPath());
        }
        if (!disable || foldersThere) {
          std::string path = world->DisabledPath();
          path.pop_back();
          fs.CreateFolder(path);
          path = sub;
          path.pop_back();
          fs.CreateFolder(path);
        }
        ASSERT_EQ(0u, fs.WriteWholeFile(from + file, bytes));
        // A file switched on comes from the store as the program left it there: recorded.
        if (!disable) {
          ASSERT_EQ(kRegOk, FileRecords(reg).Put(kHkeyCurrentUser,
                                                 FileRecord{file, static_cast<int64_t>(bytes.size()), Sha256Hex(bytes)}));
        }
        failing.FailCall(failing.Calls() + n);
        const MoveResult moved = disable ? engine.DisableFileItem(file, false) : engine.EnableFileItem(file, false);
        const bool reached = failing.Failed();
        failing.FailCall(0);
        const bool atSource = fs.ReadWholeFile(from + file).value_or("") == bytes;
        const bool atDestination = fs.ReadWholeFile(to + file).value_or("") == bytes;
        ++t.cases;
        if (!atSource && !atDestination) ++t.lost;
        if (fs.Attributes(from + file) && fs.Attributes(to + file)) ++t.inBoth;
        if (moved || !moved.inBothPlaces) {
          EXPECT_TRUE(moved ? atDestination && !atSource : atSource && !atDestination)
              << (disable ? "disable" : "enable") << ", call " << n << " failed, reported " << moved.Moved();
        }
        if (!reached) break;
      }
    }
  }
  fs.RemoveFile(live + file);
  fs.RemoveFile(sub + file);
  fs.RemoveFile(world->Scratch() + "\\" + file);
  Report("shortcut moves, the N-th call failing", t);
  EXPECT_EQ(0, t.lost);
  EXPECT_GT(t.cases, 15);
}

TEST_F(FileFaults, ACopyThatLeavesItsSourceIsTakenBackAndReported) {
  const std::string file = test::UniqueName("copy") + ".lnk";
  ASSERT_TRUE(world->MakeShortcut(live + file, test::Sample::kProgram));
  failing.CopyOnMove(true);
  const MoveResult r = engine.DisableFileItem(file, false);
  EXPECT_EQ(MoveFailure::kAccessDenied, r.failure);
  EXPECT_FALSE(r.inBothPlaces);
  EXPECT_EQ(r.source, r.failedAt);
  EXPECT_TRUE(world->Files().Attributes(live + file));
  EXPECT_FALSE(world->Files().Attributes(sub + file)) << "the copy is taken back";
  world->Files().RemoveFile(live + file);
}


// File moves cut off by the end of the process at each call in turn (the file system's and the ledger's calls
// counted together), each followed by the start of a new engine on what was left: both directions, into a folder
// on the same volume (one rename) and on another one (copied in steps), with and without a different file of the
// entry's name at the destination that the user agreed to replace.
class FileKillPoints : public ::testing::Test {
 protected:
  struct Count {
    int cases = 0, lost = 0, inBoth = 0, leftOver = 0, temporariesBefore = 0;
  };

  FileKillPoints() {
    reg.EndWith(&end);
    files.EndWith(&end);
  }

  // The files of this test in `folder`: the entry's name, names beginning with it, moves' temporaries.
  std::vector<std::string> Ours(const std::string& folder) {
    std::vector<std::string> names;
    FoundFile found;
    if (auto search = fs.FindFirst(folder + "*", found)) do
        if (!(found.attributes & file_attribute::kDirectory) &&
            (found.name.rfind(file, 0) == 0 || IsMoveTemporaryName(found.name)))
          names.push_back(found.name);
      while (search->Next(found));
    return names;
  }
  int Temporaries(const std::string& folder) {
    const std::vector<std::string> names = Ours(folder);
    return static_cast<int>(std::count_if(names.begin(), names.end(), IsMoveTemporaryName));
  }
  void Clear(const std::string& folder) {
    for (const std::string& name : Ours(folder)) fs.RemoveFile(folder + name);
  }

  // Ends the move at call 1, 2, ... until it runs to its end; after each, the next start settles what is left.
  void Run(bool disable, bool replace, const std::string& disabledPath, Count& count) {
    const std::string store = disabledPath + CurrentUserName(world->TheShell()) + "\\";
    for (const std::string& folder : {disabledPath, store}) fs.CreateFolder(folder.substr(0, folder.size() - 1));
    const std::string& from = disable ? live : store;
    const std::string& to = disable ? store : live;
    const std::string what = std::string(disable ? "disable" : "enable") + (replace ? ", replacing" : "") + " into " +
                             disabledPath + ", process ended at call ";
    for (uint64_t n = 1;; ++n) {
      Clear(from);
      Clear(to);
      ASSERT_EQ(0u, fs.WriteWholeFile(from + file, bytes));
      if (replace) {
        ASSERT_EQ(0u, fs.WriteWholeFile(to + file, "the file replaced"));
      }
      static_cast<void>(FileRecords(memory).Remove(kHkeyCurrentUser, file));
      if (!disable) {
        ASSERT_EQ(kRegOk, FileRecords(memory).Put(kHkeyCurrentUser, FileRecord{file, static_cast<int64_t>(bytes.size()),
                                                                               Sha256Hex(bytes)}));
      }
      clsStartUp engine(reg, files, world->TheShell(), reporter, "QuorvelManager", disabledPath);
      engine.Entries().UseLock(lock.get());
      engine.AskReplace([](const ReplaceQuestion&) { return true; });
      end.At(n);
      static_cast<void>(disable ? engine.DisableFileItem(file, false) : engine.EnableFileItem(file, false));
      const bool ended = end.Ended();
      end.At(0);
      const int temporaries = Temporaries(from) + Temporaries(to);
      count.temporariesBefore += temporaries > 0;

      clsStartUp next(memory, fs, world->TheShell(), reporter, "QuorvelManager", disabledPath);
      next.Entries().UseLock(lock.get());
      const std::vector<std::string> notes = next.Entries().Recover();
      EXPECT_TRUE(notes.empty()) << what << n << ": " << (notes.empty() ? "" : notes[0]);
      const bool atSource = fs.ReadWholeFile(from + file) == bytes, arrived = fs.ReadWholeFile(to + file) == bytes;
      ++count.cases;
      count.lost += !atSource && !arrived;
      count.inBoth += atSource && arrived;
      EXPECT_NE(atSource, arrived) << what << n << ": the entry is in exactly one place";
      // Nothing else is left: no temporary, no parked file; what was replaced is back unless the move arrived.
      const std::vector<std::string> one{file}, none;
      const bool leftOver = Ours(from) != (atSource ? one : none) || Ours(to) != (arrived || replace ? one : none);
      count.leftOver += leftOver;
      EXPECT_FALSE(leftOver) << what << n << ": " << Ours(from).size() << " and " << Ours(to).size() << " files left";
      if (replace && !arrived) {
        EXPECT_EQ("the file replaced", fs.ReadWholeFile(to + file)) << what << n;
      }
      EXPECT_TRUE(MoveJournal(memory).Open(kHkeyCurrentUser).empty()) << what << n;
      // Listed as it is: once in the place it is in, and as the program's own when it is in the store.
      const std::vector<StartupEntry> listed = next.Entries().ReadEntries(LocationId::kUserStartUp);
      int shown = 0;
      for (const StartupEntry& entry : listed) {
        if (entry.name != file) continue;
        ++shown;
        const bool inStore = entry.state == EntryState::kOff;
        const bool isTheEntry = fs.ReadWholeFile((inStore ? store : live) + file) == bytes;
        if (inStore && isTheEntry) {
          EXPECT_EQ(FileTrust::kRecorded, entry.trust) << what << n;
        }
      }
      EXPECT_EQ(static_cast<int>(Ours(live).size() + Ours(store).size()), shown) << what << n;
      if (!ended) break;
    }
    Clear(from);
    Clear(to);
  }

  std::unique_ptr<test::EngineWorld> world = test::MakeEngineWorld();
  FileSystem& fs = world->Files();
  MemoryRegistry memory;
  FailingRegistry reg{memory};
  FailingFileSystem files{fs, 0};
  ProcessEnd end;
  std::unique_ptr<MoveLock> lock = test::MakeMoveLock();
  test::RecordingReporter reporter;
  const std::string live = world->StartUpFolder(false) + "\\";
  const std::string file = test::UniqueName("kill") + ".lnk";
  const std::string bytes = [] {
    std::string b(4096, '\0');
    for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<char>(i * 7 + i / 251);
    return b;
  }();
};

TEST_F(FileKillPoints, AfterAnyKillTheNextStartLeavesEachFileInOnePlaceAndNothingElse) {
  const std::string sameVolume = world->Scratch() + "\\same\\";
  fs.CreateFolder(sameVolume.substr(0, sameVolume.size() - 1));
  Count same, other;
  for (bool disable : {true, false})
    for (bool replace : {false, true}) {
      Run(disable, replace, sameVolume + "Disabled\\", same);
      if (!world->OtherVolume().empty()) Run(disable, replace, world->OtherVolume() + "\\Disabled\\", other);
    }
  for (const auto& [what, c] : {std::pair{"one volume", same}, std::pair{"two volumes", other}}) {
    std::printf("file moves on %s, the process ended at each call in turn: %d kill points, %d lost, %d in both "
                "places, %d with files left over after the next start (%d had left a temporary)\n",
                what, c.cases, c.lost, c.inBoth, c.leftOver, c.temporariesBefore);
    EXPECT_EQ(0, c.lost + c.inBoth + c.leftOver) << what;
  }
  RecordProperty("kill_points", same.cases + other.cases);
  EXPECT_GT(same.cases, 40);
  if (world->OtherVolume().empty()) GTEST_SKIP() << "no second volume on this machine";
  EXPECT_GT(other.temporariesBefore, 0) << "a process ended during a copy to another volume leaves its temporary";
}

}  // namespace
}  // namespace kqm
