// The registry locations through the suite's registry: in memory natively, the Wine prefix's real one in the
// Windows build. Entries get unique names in the real launch keys and are removed afterwards; rows are picked by
// that name, since the real keys may hold other entries. Names are created in name order, because Wine enumerates
// values sorted by name where Windows keeps their creation order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "engine/clsStartUp.h"
#include "engine/startup_approval.h"
#include "engine_world.h"
#include "platform/substitute/failing_registry.h"
#include "platform/substitute/memory_list_view.h"
#include "platform/substitute/memory_registry.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/substitute_shell.h"
#include "platform/text.h"
#include "recording_reporter.h"
#include "reg_helpers.h"
#include "registry_backend.h"

namespace kqm {
namespace {

using test::RowData;
constexpr const char* kHkcu = "-2147483647";
constexpr const char* kHklm = "-2147483646";

std::string Store(const std::string& rest) { return std::string(test::kStore) + rest; }
// A user's own store, below his HKEY_CURRENT_USER.
constexpr const char* kUserStore = "Software\\Kestrum\\QuorvelManager\\Disabled\\HKCU\\";
// The "Path" column of a user's entry that an earlier version kept in the machine's shared store.
std::string Shared(const std::string& shown) { return shown + kSharedStoreMark; }

class EngineRegistry : public ::testing::Test {
 protected:
  explicit EngineRegistry(RegistryApi& registry = test::Registry())
      : reg_(registry), shell_(files_), engine_(registry, files_, shell_, reporter_, "QuorvelManager", "C:\\p\\D\\") {
    engine_.Entries().UseLock(lock_.get());  // as every copy of the program: tests run side by side
  }
  ~EngineRegistry() override {
    for (int32_t root : {kHkeyCurrentUser, kHkeyLocalMachine})
      for (const char* live : {test::kRunKey, test::kRunOnceKey, test::kRunServicesKey})
        for (const auto& name : names_) test::Remove(reg_, root, live, name);
    for (const char* store : {"HKCU\\R", "HKCU\\RO", "HKLM\\R", "HKLM\\RO", "HKLM\\RS"})
      for (const auto& name : names_) test::Remove(reg_, kHkeyLocalMachine, Store(store), name);
    for (const char* store : {"R", "RO"})
      for (const auto& name : names_) test::Remove(reg_, kHkeyCurrentUser, std::string(kUserStore) + store, name);
  }
  // A name of this test's own (starting with prefix_), removed from every launch and store key at the end.
  std::string N(const std::string& stem) { return names_.emplace_back(prefix_ + stem); }
  std::vector<RowData> Ours() { return test::Rows(list_, prefix_); }

  RegistryApi& reg_;
  std::unique_ptr<MoveLock> lock_ = test::MakeMoveLock();
  PosixFileSystem files_;
  SubstituteShell shell_;
  test::RecordingReporter reporter_;
  clsStartUp engine_;
  MemoryListView list_;
  std::string prefix_ = test::UniqueName("reg") + "-";
  std::vector<std::string> names_;
};

TEST_F(EngineRegistry, ActiveRowsComeFirstThenStoredOnesEachInEnumerationOrder) {
  const std::string a = N("1"), b = N("2"), c = N("3"), d = N("4");
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, a, "A.exe /x");
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, b, "B.exe");
  test::PutText(reg_, kHkeyLocalMachine, Store("HKCU\\R"), c, "C.exe");
  test::PutText(reg_, kHkeyLocalMachine, Store("HKCU\\R"), d, "D.exe");
  engine_.LoadHKCURItems(list_);
  EXPECT_EQ("R", list_.Tag());
  EXPECT_EQ((std::vector<RowData>{{a, true, kHkcu, 1, "A.exe /x"},
                                  {b, true, kHkcu, 1, "B.exe"},
                                  {c, false, kHkcu, 1, Shared("C.exe")},
                                  {d, false, kHkcu, 1, Shared("D.exe")}}),
            Ours())
      << "stored rows carry the live root's tag although they lie under HKEY_LOCAL_MACHINE";
}

TEST_F(EngineRegistry, EachLocationReadsItsOwnKeysAndNamesItself) {
  struct Location {
    void (clsStartUp::*load)(ListView&);
    const char* tag;
    int32_t root;
    const char* live;
    const char* store;
    const char* rootTag;
  };
  const Location locations[] = {
      {&clsStartUp::LoadHKCURItems, "R", kHkeyCurrentUser, test::kRunKey, "HKCU\\R", kHkcu},
      {&clsStartUp::LoadHKCUROItems, "RO", kHkeyCurrentUser, test::kRunOnceKey, "HKCU\\RO", kHkcu},
      {&clsStartUp::LoadHKLMRItems, "R", kHkeyLocalMachine, test::kRunKey, "HKLM\\R", kHklm},
      {&clsStartUp::LoadHKLMROItems, "RO", kHkeyLocalMachine, test::kRunOnceKey, "HKLM\\RO", kHklm},
      {&clsStartUp::LoadHKLMRSItems, "RS", kHkeyLocalMachine, test::kRunServicesKey, "HKLM\\RS", kHklm},
  };
  for (const Location& l : locations) {
    test::PutText(reg_, l.root, l.live, N(std::string("live ") + l.store), "L");
    test::PutText(reg_, kHkeyLocalMachine, Store(l.store), N(std::string("stored ") + l.store), "S");
  }
  for (const Location& l : locations) {
    list_.Tag("before");
    (engine_.*l.load)(list_);
    EXPECT_EQ(l.tag, list_.Tag()) << l.store;
    EXPECT_EQ((std::vector<RowData>{{prefix_ + "live " + l.store, true, l.rootTag, 1, "L"},
                                    {prefix_ + "stored " + l.store, false, l.rootTag, 1,
                                     l.root == kHkeyCurrentUser ? Shared("S") : "S"}}),
              Ours())
        << l.store << ": nothing of the other locations or of the previous load remains";
  }
}

TEST_F(EngineRegistry, DataIsShownAsTheRegistryObjectReadsItWithoutNulsAListCellWouldCut) {
  test::SetEnvironment("KQM_ENGINE_HOME", "C:\\Tools");
  test::PutDword(reg_, kHkeyLocalMachine, test::kRunKey, N("1 dword"), 42);
  test::PutDword(reg_, kHkeyLocalMachine, test::kRunKey, N("2 negative"), 0xFFFFFFFEu);
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, N("3 expand"), "%KQM_ENGINE_HOME%\\x.exe", kRegExpandSz);
  test::Put(reg_, kHkeyLocalMachine, test::kRunKey, N("4 binary"), kRegBinary, std::string("\x01\xAB\x00", 3));
  test::Put(reg_, kHkeyLocalMachine, test::kRunKey, N("5 empty"), kRegSz, "");
  test::Put(reg_, kHkeyLocalMachine, test::kRunKey, N("6 multi"), kRegMultiSz,
            test::TextBytes("one") + test::TextBytes("two") + std::string(2, '\0'));
  const std::string defaultData = prefix_ + "default.exe";
  test::PutText(reg_, kHkeyLocalMachine, Store("HKLM\\R"), "", defaultData);
  engine_.LoadHKLMRItems(list_);
  test::Remove(reg_, kHkeyLocalMachine, Store("HKLM\\R"), "");
  EXPECT_EQ((std::vector<RowData>{{prefix_ + "1 dword", true, kHklm, 1, "42"},
                                  {prefix_ + "2 negative", true, kHklm, 1, "-2"},
                                  {prefix_ + "3 expand", true, kHklm, 1, "C:\\Tools\\x.exe"},
                                  {prefix_ + "4 binary", true, kHklm, 1, "01 AB 00"},
                                  {prefix_ + "5 empty", true, kHklm, 1, ""},
                                  {prefix_ + "6 multi", true, kHklm, 1, "one two"}}),
            Ours());
  const auto all = test::Rows(list_);
  EXPECT_NE(all.end(), std::find(all.begin(), all.end(), RowData{"", false, kHklm, 1, defaultData}))
      << "a stored default value is a row with empty text";
}

TEST_F(EngineRegistry, SameNameLiveAndStoredGivesTwoRowsTickedFirst) {
  const std::string twin = N("twin");
  test::PutText(reg_, kHkeyCurrentUser, test::kRunOnceKey, twin, "new.exe");
  test::PutText(reg_, kHkeyLocalMachine, Store("HKCU\\RO"), twin, "old.exe");
  engine_.LoadHKCUROItems(list_);
  EXPECT_EQ((std::vector<RowData>{{twin, true, kHkcu, 1, std::string("new.exe") + kAlsoOffMark},
                                  {twin, false, kHkcu, 1, Shared("old.exe")}}),
            Ours());
}

TEST_F(EngineRegistry, DisableThenEnableMovesTheEntryAndLeavesTheEmptyUserKey) {
  const std::string x = N("x");
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, x, "C:\\x.exe -q");
  ASSERT_TRUE(engine_.DisableRegItem(kHkeyCurrentUser, "R", x, "C:\\x.exe -q"));
  EXPECT_FALSE(test::Read(reg_, kHkeyCurrentUser, test::kRunKey, x));
  const auto stored = test::Read(reg_, kHkeyCurrentUser, std::string(kUserStore) + "R", x);
  ASSERT_TRUE(stored) << "a user's own entry stays below his own HKEY_CURRENT_USER";
  EXPECT_FALSE(test::Read(reg_, kHkeyLocalMachine, Store("HKCU\\R"), x)) << "where other users could read it";
  EXPECT_EQ(kRegSz, stored->type);
  EXPECT_EQ(test::TextBytes("C:\\x.exe -q"), stored->bytes);
  engine_.LoadHKCURItems(list_);
  EXPECT_EQ((std::vector<RowData>{{x, false, std::string(kHkcu) + "|user", 1, "C:\\x.exe -q"}}), Ours());

  ASSERT_TRUE(engine_.EnableRegItem(kHkeyCurrentUser, "R", x, "C:\\x.exe -q", TagMarks("|user")));
  EXPECT_EQ("C:\\x.exe -q", test::ReadText(reg_, kHkeyCurrentUser, test::kRunKey, x).value_or("(none)"));
  EXPECT_FALSE(test::Read(reg_, kHkeyCurrentUser, std::string(kUserStore) + "R", x));
  EXPECT_TRUE(test::KeyExists(reg_, kHkeyCurrentUser, "Software\\Kestrum\\QuorvelManager\\Disabled"));
  EXPECT_TRUE(test::ValueNames(reg_, kHkeyCurrentUser, "Software\\Kestrum\\QuorvelManager\\Disabled").empty());
}

TEST_F(EngineRegistry, TheKeyTextChoosesTheLaunchKeyAndTheRootChoosesTheStoreKey) {
  struct Case {
    int32_t root;
    const char* sKey;
    const char* live;
    const char* store;
  };
  const Case cases[] = {
      {kHkeyLocalMachine, "RS", test::kRunServicesKey, "HKLM\\RS"},
      {kHkeyLocalMachine, "RO", test::kRunOnceKey, "HKLM\\RO"},
      {kHkeyCurrentUser, "RO", test::kRunOnceKey, "HKCU\\RO"},
      {kHkeyLocalMachine, "R", test::kRunKey, "HKLM\\R"},
      {kHkeyLocalMachine, "rs", test::kRunKey, "HKLM\\R"},
      {kHkeyCurrentUser, "", test::kRunKey, "HKCU\\R"},
  };
  for (const Case& c : cases) {
    const std::string id = N(std::string(c.store) + " from '" + c.sKey + "'");
    test::PutText(reg_, c.root, c.live, id, "p");
    EXPECT_TRUE(engine_.DisableRegItem(c.root, c.sKey, id, "p")) << id;
    const bool user = c.root == kHkeyCurrentUser;
    EXPECT_EQ("p", test::ReadText(reg_, user ? kHkeyCurrentUser : kHkeyLocalMachine,
                                  user ? std::string(kUserStore) + (c.store + 5) : Store(c.store), id)
                       .value_or("(none)"))
        << id;
    EXPECT_FALSE(test::Read(reg_, c.root, c.live, id)) << id;
    EXPECT_TRUE(engine_.EnableRegItem(c.root, c.sKey, id, "p", TagMarks(user ? "|user" : ""))) << id;
    EXPECT_EQ("p", test::ReadText(reg_, c.root, c.live, id).value_or("(none)")) << id;
  }
}

TEST_F(EngineRegistry, SwitchingOffAndOnGivesBackTheSameTypeAndBytesInEveryLocation) {
  test::SetEnvironment("KQM_ENGINE_HOME", "C:\\Tools");
  const std::vector<test::Stored> values = {
      {kRegSz, test::TextBytes("C:\\app.exe --fmt %a%_%b%")},
      {kRegSz, test::TextBytes("odd") + "x"},
      {kRegSz, ""},
      {kRegExpandSz, test::TextBytes("%KQM_ENGINE_HOME%\\x.exe /user")},
      {kRegBinary, std::string("\x01\x00\xFF\x80", 4)},
      {kRegDword, std::string("\x2A\x00\x00\x00", 4)},
      {kRegDwordBigEndian, std::string("\x00\x00\x01\x02", 4)},
      {kRegMultiSz, test::TextBytes("one") + test::TextBytes("two") + std::string(2, '\0')},
      {kRegNone, std::string("\x05", 1)},
      {11, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
      {kRegSz, test::TextBytes(std::string(512 * 1024, 'L'))},
  };
  struct Location {
    void (clsStartUp::*load)(ListView&);
    int32_t root;
    const char* live;
  };
  const Location locations[] = {{&clsStartUp::LoadHKCURItems, kHkeyCurrentUser, test::kRunKey},
                                {&clsStartUp::LoadHKCUROItems, kHkeyCurrentUser, test::kRunOnceKey},
                                {&clsStartUp::LoadHKLMRItems, kHkeyLocalMachine, test::kRunKey},
                                {&clsStartUp::LoadHKLMROItems, kHkeyLocalMachine, test::kRunOnceKey},
                                {&clsStartUp::LoadHKLMRSItems, kHkeyLocalMachine, test::kRunServicesKey}};
  int moves = 0;
  for (const Location& l : locations) {
    std::vector<std::string> names;
    for (size_t i = 0; i < values.size(); ++i) {
      names.push_back(N(std::string(1, static_cast<char>('a' + i)) + " \xC3\xBC\xE2\x82\xAC"));
      ASSERT_TRUE(test::Put(reg_, l.root, l.live, names.back(), values[i].type, values[i].bytes));
    }
    // The unnamed default value moves too (its row has empty text). Only the user's keys take one here: the
    // machine's store holds another test's default value, and the tests run side by side on one registry.
    std::vector<test::Stored> originals = values;
    if (l.root == kHkeyCurrentUser) {
      ASSERT_TRUE(test::Put(reg_, l.root, l.live, "", kRegSz, test::TextBytes(prefix_ + "default.exe")));
      names.push_back("");
      originals.push_back({kRegSz, test::TextBytes(prefix_ + "default.exe")});
    }
    for (bool disable : {true, false}) {
      (engine_.*l.load)(list_);
      for (size_t i = 0; i < names.size(); ++i) {
        const auto rows = test::Rows(list_);
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const RowData& r) {
          return r.text == names[i] && r.checked == disable && (!names[i].empty() || r.path == prefix_ + "default.exe");
        });
        ASSERT_NE(rows.end(), row) << names[i];
        const int32_t root = std::stoi(row->tag);
        const MoveResult moved = disable ? engine_.DisableRegItem(root, list_.Tag(), row->text, row->path)
                                         : engine_.EnableRegItem(root, list_.Tag(), row->text, row->path,
                                                                 TagMarks(row->tag));
        EXPECT_TRUE(moved) << names[i] << " failure " << static_cast<int>(moved.failure);
        ++moves;
      }
    }
    for (size_t i = 0; i < names.size(); ++i) {
      const auto back = test::Read(reg_, l.root, l.live, names[i]);
      ASSERT_TRUE(back) << l.live << " " << names[i];
      EXPECT_EQ(originals[i].type, back->type) << l.live << " " << names[i];
      EXPECT_TRUE(originals[i].bytes == back->bytes) << l.live << " " << names[i];
    }
    if (l.root == kHkeyCurrentUser) test::Remove(reg_, l.root, l.live, "");
  }
  RecordProperty("round_trip_moves", moves);
}

TEST_F(EngineRegistry, AnEntryChangedOrGoneSinceItWasShownIsNotMoved) {
  const std::string changed = N("changed"), gone = N("gone");
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, changed, "changed meanwhile.exe");
  MoveResult r = engine_.DisableRegItem(kHkeyLocalMachine, "R", changed, "shown.exe");
  EXPECT_EQ(MoveFailure::kChanged, r.failure);
  EXPECT_EQ("changed meanwhile.exe", test::ReadText(reg_, kHkeyLocalMachine, test::kRunKey, changed));
  EXPECT_FALSE(test::Read(reg_, kHkeyLocalMachine, Store("HKLM\\R"), changed));

  r = engine_.EnableRegItem(kHkeyCurrentUser, "RO", gone, "g.exe");
  EXPECT_EQ(MoveFailure::kGone, r.failure);
  EXPECT_EQ("HKEY_LOCAL_MACHINE\\Software\\Kestrum\\QuorvelManager\\Disabled\\HKCU\\RO", r.source);
  EXPECT_FALSE(test::Read(reg_, kHkeyCurrentUser, test::kRunOnceKey, gone)) << "nothing is written for it";

  EXPECT_EQ(MoveFailure::kUnaddressable,
            engine_.DisableRegItem(kHkeyLocalMachine, "R", std::string("kq\0x", 4), "x").failure)
      << "a name with a NUL would address another value";
}

TEST_F(EngineRegistry, ASameNamedValueAtTheDestinationIsReplacedOnlyOnAYes) {
  const std::string app = N("app");
  std::string upper = app;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::vector<ReplaceQuestion> asked;
  bool yes = false;
  engine_.AskReplace([&](const ReplaceQuestion& q) {
    asked.push_back(q);
    return yes;
  });
  const std::string store = Store("HKLM\\R");
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, app, "mine.exe");
  test::PutText(reg_, kHkeyLocalMachine, store, app, "another user's.exe");
  EXPECT_EQ(MoveFailure::kNameTaken, engine_.DisableRegItem(kHkeyLocalMachine, "R", app, "mine.exe").failure);
  ASSERT_EQ(1u, asked.size());
  EXPECT_EQ(app, asked[0].existing);
  EXPECT_EQ("HKEY_LOCAL_MACHINE\\" + store, asked[0].destination);
  EXPECT_EQ("another user's.exe", test::ReadText(reg_, kHkeyLocalMachine, store, app)) << "No keeps it";
  EXPECT_EQ("mine.exe", test::ReadText(reg_, kHkeyLocalMachine, test::kRunKey, app));
  yes = true;
  EXPECT_TRUE(engine_.DisableRegItem(kHkeyLocalMachine, "R", app, "mine.exe"));
  EXPECT_EQ("mine.exe", test::ReadText(reg_, kHkeyLocalMachine, store, app));

  // The same entry already stored: the move only removes the source, without asking.
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, app, "mine.exe");
  EXPECT_TRUE(engine_.DisableRegItem(kHkeyLocalMachine, "R", app, "mine.exe"));
  EXPECT_EQ(2u, asked.size());
  EXPECT_FALSE(test::Read(reg_, kHkeyLocalMachine, test::kRunKey, app));

  // A name that differs only in case is another entry, even with the same data; replaced, it keeps its spelling.
  names_.push_back(upper);
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, upper, "mine.exe");
  yes = false;
  EXPECT_EQ(MoveFailure::kNameTaken, engine_.DisableRegItem(kHkeyLocalMachine, "R", upper, "mine.exe").failure);
  ASSERT_EQ(3u, asked.size());
  EXPECT_EQ(app, asked[2].existing);
  yes = true;
  EXPECT_TRUE(engine_.DisableRegItem(kHkeyLocalMachine, "R", upper, "mine.exe"));
  const auto stored = test::ValueNames(reg_, kHkeyLocalMachine, store);
  EXPECT_NE(stored.end(), std::find(stored.begin(), stored.end(), upper));
  EXPECT_EQ(stored.end(), std::find(stored.begin(), stored.end(), app));
}

constexpr const char* kWowRunKey = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kWowStore = "Software\\WOW6432Node\\Kestrum\\QuorvelManager\\Disabled\\HKLM\\R";
constexpr const char* kApproved = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";
const std::string kOffFlag("\x03\0\0\0\x10\x20\x30\x40\x50\x60\x70\x01", 12);
const std::string kOnFlag("\x02\0\0\0\0\0\0\0\0\0\0\0", 12);

TEST_F(EngineRegistry, SameNamedEntriesOfBothViewsMoveEachInItsOwnView) {
  const std::string x = N("x");
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, x, "native.exe");
  test::PutText(reg_, kHkeyLocalMachine, kWowRunKey, x, "wow.exe");
  for (bool disable : {true, false}) {
    engine_.LoadHKLMRItems(list_);
    EXPECT_EQ((std::vector<RowData>{{x, disable, kHklm, 1, "native.exe"},
                                    {x, disable, std::string(kHklm) + "|32", 1, "wow.exe  [32-bit]"}}),
              Ours());
    for (const RowData& row : Ours()) {
      const EntryMarks marks = TagMarks(row.tag);
      EXPECT_TRUE(disable ? engine_.DisableRegItem(kHkeyLocalMachine, "R", x, row.path, marks)
                          : engine_.EnableRegItem(kHkeyLocalMachine, "R", x, row.path, marks))
          << row.path;
    }
    EXPECT_EQ(disable ? "native.exe" : "(none)",
              test::ReadText(reg_, kHkeyLocalMachine, Store("HKLM\\R"), x).value_or("(none)"));
    EXPECT_EQ(disable ? "wow.exe" : "(none)", test::ReadText(reg_, kHkeyLocalMachine, kWowStore, x).value_or("(none)"))
        << "the 32-bit view's entry is kept in that view's store";
  }
  EXPECT_EQ("native.exe", test::ReadText(reg_, kHkeyLocalMachine, test::kRunKey, x));
  EXPECT_EQ("wow.exe", test::ReadText(reg_, kHkeyLocalMachine, kWowRunKey, x));
  test::Remove(reg_, kHkeyLocalMachine, kWowRunKey, x);
}

// An entry is who it is by location, view and name folded as Windows folds it: switched off (its name spelt in
// another case) it is the same entry, the 32-bit view's entry of that name another; equality takes in all it holds.
TEST_F(EngineRegistry, EntriesKeepTheirIdentityAcrossStoresAndLetterCaseButNotAcrossViews) {
  const std::string live = N("id-\u00e9"), stored = N("ID-\u00c9");
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, live, "a.exe");
  test::PutText(reg_, kHkeyLocalMachine, kWowRunKey, live, "a.exe");
  test::PutText(reg_, kHkeyLocalMachine, Store("HKLM\\R"), stored, "a.exe");
  const auto ours = [&] {
    std::vector<StartupEntry> out;
    for (StartupEntry& e : engine_.Entries().ReadEntries(LocationId::kHklmRun))
      if (e.name.rfind(prefix_, 0) == 0) out.push_back(std::move(e));
    return out;
  };
  const std::vector<StartupEntry> first = ours();
  ASSERT_EQ(3u, first.size());
  const StartupEntry &native = first[0], &wow = first[1], &off = first[2];
  EXPECT_EQ(RegView::k32, wow.view);
  EXPECT_EQ(EntryState::kOff, off.state);
  EXPECT_EQ(native.Identity(), off.Identity()) << "the same entry, switched off";
  EXPECT_FALSE(native.Identity() == wow.Identity()) << "another view, another entry";
  EXPECT_TRUE(native.SameContent(off));
  EXPECT_FALSE(native == off);
  EXPECT_TRUE(SameEntries(first, ours())) << "a second read gives equal entries";

  test::PutText(reg_, kHkeyLocalMachine, kWowRunKey, live, "b.exe");
  const std::vector<StartupEntry> second = ours();
  EXPECT_FALSE(SameEntries(first, second));
  EXPECT_FALSE(wow.SameContent(second[1])) << "new data is new content";
  EXPECT_EQ(wow.Identity(), second[1].Identity());
  test::Remove(reg_, kHkeyLocalMachine, kWowRunKey, live);
}

// Text an installer wrote without its terminating NUL goes to the store and back with exactly its bytes.
TEST_F(EngineRegistry, TextWithoutItsTerminatorMovesWithExactlyItsBytes) {
  const std::string x = N("unterminated");
  const std::string bytes("C\0:\0\\\0a\0.\0e\0x\0e\0", 16);
  ASSERT_TRUE(test::Put(reg_, kHkeyCurrentUser, test::kRunKey, x, kRegSz, bytes));
  ASSERT_EQ(bytes, test::Read(reg_, kHkeyCurrentUser, test::kRunKey, x)->bytes);
  EXPECT_TRUE(engine_.DisableRegItem(kHkeyCurrentUser, "R", x, "C:\\a.exe"));
  EXPECT_EQ(bytes, test::Read(reg_, kHkeyCurrentUser, std::string(kUserStore) + "R", x).value_or(test::Stored{}).bytes);
  EXPECT_TRUE(engine_.EnableRegItem(kHkeyCurrentUser, "R", x, "C:\\a.exe", TagMarks("|user")));
  EXPECT_EQ(bytes, test::Read(reg_, kHkeyCurrentUser, test::kRunKey, x).value_or(test::Stored{}).bytes);
}

// A yes answers the question as it was asked: a value another program writes at the destination meanwhile is kept.
TEST_F(EngineRegistry, AValueChangedWhileTheReplaceQuestionIsOpenIsNotReplaced) {
  const std::string x = N("asked");
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, x, "mine.exe");
  test::PutText(reg_, kHkeyLocalMachine, Store("HKLM\\R"), x, "asked about.exe");
  engine_.AskReplace([&](const ReplaceQuestion&) {
    test::PutText(reg_, kHkeyLocalMachine, Store("HKLM\\R"), x, "written meanwhile.exe");
    return true;
  });
  EXPECT_EQ(MoveFailure::kDestinationChanged, engine_.DisableRegItem(kHkeyLocalMachine, "R", x, "mine.exe").failure);
  engine_.AskReplace(nullptr);
  EXPECT_EQ("written meanwhile.exe", test::ReadText(reg_, kHkeyLocalMachine, Store("HKLM\\R"), x));
  EXPECT_EQ("mine.exe", test::ReadText(reg_, kHkeyLocalMachine, test::kRunKey, x));
}

// Passes every call on; runs `beforeDelete` just before a value is deleted (another program acting at that moment).
class PausingRegistry final : public RegistryApi {
 public:
  explicit PausingRegistry(RegistryApi& inner) : in_(inner) {}
  std::function<void(const std::u16string& name)> beforeDelete;
  int32_t OpenKey(RegKey root, const std::u16string& path, uint32_t access, RegKey& out) override {
    return in_.OpenKey(root, path, access, out);
  }
  int32_t CreateKey(RegKey root, const std::u16string& path, uint32_t access, RegKey& out) override {
    return in_.CreateKey(root, path, access, out);
  }
  int32_t CloseKey(RegKey key) override { return in_.CloseKey(key); }
  int32_t QueryValue(RegKey key, const std::u16string& name, uint32_t* type, uint8_t* data, uint32_t* n) override {
    return in_.QueryValue(key, name, type, data, n);
  }
  int32_t SetValue(RegKey key, const std::u16string& name, uint32_t type, const uint8_t* data, uint32_t n) override {
    return in_.SetValue(key, name, type, data, n);
  }
  int32_t EnumValue(RegKey key, uint32_t index, char16_t* name, uint32_t* chars) override {
    return in_.EnumValue(key, index, name, chars);
  }
  int32_t EnumValueData(RegKey key, uint32_t index, char16_t* name, uint32_t* chars, uint32_t* type, uint8_t* data,
                        uint32_t* bytes) override {
    return in_.EnumValueData(key, index, name, chars, type, data, bytes);
  }
  int32_t EnumKey(RegKey key, uint32_t index, char16_t* name, uint32_t chars) override {
    return in_.EnumKey(key, index, name, chars);
  }
  int32_t QueryInfoKey(RegKey key, uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* values,
                       uint32_t* maxValueNameLen, uint32_t* maxValueBytes) override {
    return in_.QueryInfoKey(key, subKeys, maxSubKeyLen, values, maxValueNameLen, maxValueBytes);
  }
  int32_t DeleteKey(RegKey root, const std::u16string& path) override { return in_.DeleteKey(root, path); }
  int32_t FlushKey(RegKey key) override { return in_.FlushKey(key); }
  int32_t DeleteValue(RegKey key, const std::u16string& name) override {
    if (beforeDelete) beforeDelete(name);
    return in_.DeleteValue(key, name);
  }
  uint32_t ExpandEnvironment(const std::u16string& source, char16_t* buffer, uint32_t size) override {
    return in_.ExpandEnvironment(source, buffer, size);
  }

 private:
  RegistryApi& in_;
};

// Two copies of the program, one switching an entry off and caught between its copy and the delete of the source
// while the other switches the same entry on: with the lock every copy shares, the second waits, reads again and
// the entry ends in exactly one place, unchanged (without it, both copies' checks pass and the entry is lost).
TEST_F(EngineRegistry, TwoCopiesMovingOneEntryAtOnceLeaveItInExactlyOnePlace) {
  const std::string x = N("race");
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, x, "race.exe");
  PausingRegistry watched(reg_);
  const std::unique_ptr<MoveLock> lockA = test::MakeMoveLock(), lockB = test::MakeMoveLock();
  clsStartUp a(watched, files_, shell_, reporter_, "QuorvelManager", "C:\\p\\D\\");
  clsStartUp b(reg_, files_, shell_, reporter_, "QuorvelManager", "C:\\p\\D\\");
  a.Entries().UseLock(lockA.get());
  b.Entries().UseLock(lockB.get());
  std::thread other;
  std::promise<void> otherDone;
  watched.beforeDelete = [&](const std::u16string& name) {
    // About to delete the Run value, its copy in the store: the other copy starts switching the stored one on.
    if (other.joinable() || name != Utf8ToUtf16(x) || !test::ReadText(reg_, kHkeyLocalMachine, Store("HKLM\\R"), x))
      return;
    other = std::thread([&] {
      StartupEntry stored;
      stored.location = LocationId::kHklmRun;
      stored.name = x;
      stored.state = EntryState::kOff;
      if (const std::optional<StartupEntry> now = b.Entries().ReadEntry(stored))
        static_cast<void>(b.Entries().Move(*now, MoveDirection::kOn));
      otherDone.set_value();
    });
    otherDone.get_future().wait_for(std::chrono::milliseconds(300));
  };
  StartupEntry live;
  live.location = LocationId::kHklmRun;
  live.name = x;
  const std::optional<StartupEntry> shown = a.Entries().ReadEntry(live);
  ASSERT_TRUE(shown);
  static_cast<void>(a.Entries().Move(*shown, MoveDirection::kOff));
  ASSERT_TRUE(other.joinable()) << "the other copy was started between the copy and the delete";
  other.join();
  const auto inRun = test::ReadText(reg_, kHkeyLocalMachine, test::kRunKey, x);
  const auto inStore = test::ReadText(reg_, kHkeyLocalMachine, Store("HKLM\\R"), x);
  EXPECT_NE(inRun.has_value(), inStore.has_value()) << "in exactly one place";
  EXPECT_EQ("race.exe", inRun ? *inRun : inStore.value_or("(lost)"));
}

TEST_F(EngineRegistry, WindowsOwnStartupApprovalIsShownAndSwitchedOnInPlace) {
  const std::string off = N("1 off"), on = N("2 on"), absent = N("3 absent"), wow = N("4 wow");
  for (const auto& name : {off, on, absent}) test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, name, name + ".exe");
  test::Put(reg_, kHkeyCurrentUser, std::string(kApproved) + "Run", off, kRegBinary, kOffFlag);
  test::Put(reg_, kHkeyCurrentUser, std::string(kApproved) + "Run", on, kRegBinary, kOnFlag);
  engine_.LoadHKCURItems(list_);
  EXPECT_EQ((std::vector<RowData>{{off, false, std::string(kHkcu) + "|off", 1, off + ".exe  [switched off by Windows]"},
                                  {on, true, kHkcu, 1, on + ".exe"},
                                  {absent, true, kHkcu, 1, absent + ".exe"}}),
            Ours());
  EXPECT_TRUE(engine_.ApproveRegItem(kHkeyCurrentUser, "R", off, off + ".exe  [switched off by Windows]",
                                     TagMarks(std::string(kHkcu) + "|off")));
  EXPECT_EQ(kOnFlag, test::Read(reg_, kHkeyCurrentUser, std::string(kApproved) + "Run", off)->bytes);
  EXPECT_EQ(off + ".exe", test::ReadText(reg_, kHkeyCurrentUser, test::kRunKey, off)) << "nothing moved";

  // An entry enabled from the store while an old flag would still keep it off: the flag goes.
  ASSERT_TRUE(engine_.DisableRegItem(kHkeyCurrentUser, "R", off, off + ".exe"));
  test::Put(reg_, kHkeyCurrentUser, std::string(kApproved) + "Run", off, kRegBinary, kOffFlag);
  ASSERT_TRUE(engine_.EnableRegItem(kHkeyCurrentUser, "R", off, off + ".exe", TagMarks("|user")));
  EXPECT_EQ(kOnFlag, test::Read(reg_, kHkeyCurrentUser, std::string(kApproved) + "Run", off)->bytes);

  // The 32-bit view's entries have their flags in Run32; RunOnce has none.
  test::PutText(reg_, kHkeyLocalMachine, kWowRunKey, wow, "w.exe");
  test::Put(reg_, kHkeyLocalMachine, std::string(kApproved) + "Run32", wow, kRegBinary, kOffFlag);
  engine_.LoadHKLMRItems(list_);
  EXPECT_EQ((std::vector<RowData>{{wow, false, std::string(kHklm) + "|32|off", 1,
                                   "w.exe  [32-bit]  [switched off by Windows]"}}),
            Ours());
  EXPECT_EQ(MoveFailure::kNoPlace,
            engine_.ApproveRegItem(kHkeyCurrentUser, "RO", off, off + ".exe", TagMarks("|off")).failure);
  test::Remove(reg_, kHkeyLocalMachine, kWowRunKey, wow);
  for (const auto& name : {off, on}) test::Remove(reg_, kHkeyCurrentUser, std::string(kApproved) + "Run", name);
  test::Remove(reg_, kHkeyLocalMachine, std::string(kApproved) + "Run32", wow);
}

// Switching off also writes Windows' own "off" flag (03 00 00 00 and the time, as Windows writes it) in the list
// of the entry's root and view, so that an entry its program adds again is kept off and shown as such; RunOnce has
// no flags, and an entry added again there starts, shown beside its switched-off copy.
TEST_F(EngineRegistry, SwitchingOffKeepsAnEntryItsProgramAddsAgainOffByWindowsOwnFlag) {
  const std::string user = N("user"), wow = N("wow"), once = N("once");
  const struct {
    LocationId location;
    int32_t root;
    std::string key, name;
    const char* flags;  // the approval list, nullptr for none
    std::string reAdded, marks;
  } cases[] = {{LocationId::kHkcuRun, kHkeyCurrentUser, test::kRunKey, user, "Run", "u2.exe", kReAddedMark},
               {LocationId::kHklmRun, kHkeyLocalMachine, kWowRunKey, wow, "Run32", "w2.exe",
                std::string("  [32-bit]") + kReAddedMark},
               {LocationId::kHkcuRunOnce, kHkeyCurrentUser, test::kRunOnceKey, once, nullptr, "o2.exe", kAlsoOffMark}};
  const auto find = [this](LocationId location, const std::string& name, EntryState state) {
    for (StartupEntry& entry : engine_.Entries().ReadEntries(location))
      if (entry.name == name && entry.state == state) return std::optional<StartupEntry>(entry);
    return std::optional<StartupEntry>();
  };
  const uint64_t before = FileTimeNow();
  for (const auto& c : cases) {
    test::PutText(reg_, c.root, c.key, c.name, "first.exe");
    const std::optional<StartupEntry> entry = find(c.location, c.name, EntryState::kOn);
    ASSERT_TRUE(entry) << c.name;
    const MoveResult off = engine_.Entries().Move(*entry, MoveDirection::kOff);
    EXPECT_TRUE(off && off.notes.empty()) << c.name;
  }
  const uint64_t after = FileTimeNow();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto flag = c.flags ? test::Read(reg_, c.root, std::string(kApproved) + c.flags, c.name) : std::nullopt;
    if (c.flags) {
      ASSERT_TRUE(flag);
      EXPECT_EQ(kRegBinary, flag->type);
      ASSERT_EQ(12u, flag->bytes.size());
      EXPECT_EQ(std::string("\x03\0\0\0", 4), flag->bytes.substr(0, 4));
      uint64_t time = 0;
      for (int i = 11; i >= 4; --i) time = time << 8 | static_cast<unsigned char>(flag->bytes[i]);
      EXPECT_LE(before, time);
      EXPECT_GE(after, time);
    }
    // Its program adds it again, with another command.
    test::PutText(reg_, c.root, c.key, c.name, c.reAdded);
    const std::optional<StartupEntry> live =
        find(c.location, c.name, c.flags ? EntryState::kOffByWindows : EntryState::kOn);
    ASSERT_TRUE(live);
    EXPECT_TRUE(live->alsoOff);
    EXPECT_EQ(c.reAdded + c.marks, live->MarkedShown());
    EXPECT_TRUE(find(c.location, c.name, EntryState::kOff)) << "its switched-off copy is still listed";
    test::Remove(reg_, c.root, c.key, c.name);
    if (c.flags) test::Remove(reg_, c.root, std::string(kApproved) + c.flags, c.name);
  }
}

TEST_F(EngineRegistry, AStandardUsersOwnEntriesUseHisStoreAndMachineEntriesAreRefused) {
  FailingRegistry standardUser(reg_);
  standardUser.ReadOnlyRoot(kHkeyLocalMachine);
  clsStartUp engine(standardUser, files_, shell_, reporter_, "QuorvelManager", "C:\\p\\D\\");
  const std::string mine = N("mine"), machine = N("machine");
  const std::string userStore = "Software\\Kestrum\\QuorvelManager\\Disabled\\HKCU\\R";
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, mine, "m.exe");
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, machine, "k.exe");
  const MoveResult off = engine.DisableRegItem(kHkeyCurrentUser, "R", mine, "m.exe");
  EXPECT_TRUE(off);
  EXPECT_TRUE(off.perUserStore);
  EXPECT_EQ("m.exe", test::ReadText(reg_, kHkeyCurrentUser, userStore, mine));
  engine.LoadHKCURItems(list_);
  EXPECT_EQ((std::vector<RowData>{{mine, false, std::string(kHkcu) + "|user", 1, "m.exe"}}), Ours());
  EXPECT_TRUE(engine.EnableRegItem(kHkeyCurrentUser, "R", mine, "m.exe", TagMarks("|user")));
  EXPECT_EQ("m.exe", test::ReadText(reg_, kHkeyCurrentUser, test::kRunKey, mine));
  EXPECT_FALSE(test::Read(reg_, kHkeyCurrentUser, userStore, mine));

  const MoveResult refused = engine.DisableRegItem(kHkeyLocalMachine, "R", machine, "k.exe");
  EXPECT_EQ(MoveFailure::kAccessDenied, refused.failure);
  EXPECT_EQ("k.exe", test::ReadText(reg_, kHkeyLocalMachine, test::kRunKey, machine));
}

TEST_F(EngineRegistry, ARootWithoutStoreMovesNothing) {
  const std::string keep = N("keep");
  constexpr int32_t kPerformanceData = static_cast<int32_t>(0x80000004u);
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, keep, "k.exe");
  EXPECT_EQ(MoveFailure::kNoPlace, engine_.DisableRegItem(kPerformanceData, "R", keep, "k.exe").failure);
  EXPECT_FALSE(engine_.EnableRegItem(12345, "R", keep, "k.exe"));
  EXPECT_EQ("k.exe", test::ReadText(reg_, kHkeyLocalMachine, test::kRunKey, keep));
}

// Cases that need keys nobody else writes: a registry of the test's own.
class EngineOwnRegistry : public EngineRegistry {
 protected:
  EngineOwnRegistry() : EngineRegistry(own_) {}
  static inline MemoryRegistry own_;
};

TEST_F(EngineOwnRegistry, MissingKeysGiveEmptyHalvesAndAFailedRowLeavesTheOthersWhole) {
  engine_.LoadHKLMRSItems(list_);
  EXPECT_EQ(0, list_.Count());
  EXPECT_EQ("RS", list_.Tag()) << "an empty list still names its location";
  EXPECT_FALSE(test::KeyExists(reg_, kHkeyLocalMachine, test::kRunServicesKey)) << "loading creates nothing";

  for (const char* stem : {"1", "2", "3"}) test::PutText(reg_, kHkeyLocalMachine, Store("HKCU\\RO"), N(stem), stem);
  list_.RefuseAddNumber(2);
  engine_.LoadHKCUROItems(list_);
  EXPECT_EQ((std::vector<RowData>{{prefix_ + "1", false, kHkcu, 1, Shared("1")},
                                  {prefix_ + "3", false, kHkcu, 1, Shared("3")}}),
            Ours());
}

}  // namespace
}  // namespace kqm
