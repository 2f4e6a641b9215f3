// The registry locations against a registry of the test's own, so that every key starts empty.
#include <gtest/gtest.h>

#include "engine/clsStartUp.h"
#include "engine_world.h"
#include "platform/substitute/memory_list_view.h"
#include "platform/substitute/memory_registry.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/substitute_shell.h"
#include "recording_reporter.h"
#include "reg_helpers.h"

namespace kqm {
namespace {

using test::RowData;
constexpr const char* kHkcu = "-2147483647";
constexpr const char* kHklm = "-2147483646";

class EngineRegistry : public ::testing::Test {
 protected:
  EngineRegistry() : shell_(files_), engine_(reg_, files_, shell_, reporter_, "QuorvelManager", "C:\\p\\Disabled\\") {}

  std::string Store(const std::string& rest) { return std::string(test::kStore) + rest; }

  MemoryRegistry reg_;
  PosixFileSystem files_;
  SubstituteShell shell_;
  test::RecordingReporter reporter_;
  clsStartUp engine_;
  MemoryListView list_;
};

TEST_F(EngineRegistry, ActiveRowsComeFirstThenStoredOnesEachInEnumerationOrder) {
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, "b", "B.exe");
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, "a", "A.exe /x");
  test::PutText(reg_, kHkeyLocalMachine, Store("HKCU\\R"), "d", "D.exe");
  test::PutText(reg_, kHkeyLocalMachine, Store("HKCU\\R"), "c", "C.exe");
  engine_.LoadHKCURItems(list_);
  EXPECT_EQ("R", list_.Tag());
  EXPECT_EQ((std::vector<RowData>{{"b", true, kHkcu, 1, "B.exe"},
                                  {"a", true, kHkcu, 1, "A.exe /x"},
                                  {"d", false, kHkcu, 1, "D.exe"},
                                  {"c", false, kHkcu, 1, "C.exe"}}),
            test::Rows(list_))
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
    const std::string id = std::string(l.store);
    test::PutText(reg_, l.root, l.live, "live " + id, "L");
    test::PutText(reg_, kHkeyLocalMachine, Store(l.store), "stored " + id, "S");
  }
  for (const Location& l : locations) {
    const std::string id = std::string(l.store);
    list_.Tag("before");
    (engine_.*l.load)(list_);
    EXPECT_EQ(l.tag, list_.Tag()) << id;
    EXPECT_EQ((std::vector<RowData>{{"live " + id, true, l.rootTag, 1, "L"}, {"stored " + id, false, l.rootTag, 1, "S"}}),
              test::Rows(list_))
        << id << ": nothing of the other locations or of the previous load remains";
  }
}

TEST_F(EngineRegistry, DataIsShownAsTheRegistryObjectReadsIt) {
  shell_.SetEnvironmentVariable("KQM_HOME", "unused by the registry");
  reg_.SetEnvironment("KQM_HOME", "C:\\Tools");
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, "", "default.exe");
  test::PutDword(reg_, kHkeyLocalMachine, test::kRunKey, "dword", 42);
  test::PutDword(reg_, kHkeyLocalMachine, test::kRunKey, "negative", 0xFFFFFFFEu);
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, "expand", "%KQM_HOME%\\x.exe", kRegExpandSz);
  test::Put(reg_, kHkeyLocalMachine, test::kRunKey, "binary", kRegBinary, std::string("\x01\xAB\x00", 3));
  test::Put(reg_, kHkeyLocalMachine, test::kRunKey, "empty", kRegSz, "");
  engine_.LoadHKLMRItems(list_);
  EXPECT_EQ((std::vector<RowData>{{"", true, kHklm, 1, "default.exe"},
                                  {"dword", true, kHklm, 1, "42"},
                                  {"negative", true, kHklm, 1, "-2"},
                                  {"expand", true, kHklm, 1, "C:\\Tools\\x.exe"},
                                  {"binary", true, kHklm, 1, "01 AB 00"},
                                  {"empty", true, kHklm, 1, ""}}),
            test::Rows(list_));
}

TEST_F(EngineRegistry, MissingKeysGiveEmptyHalvesAndAnEmptyListKeepsItsTag) {
  test::PutText(reg_, kHkeyLocalMachine, Store("HKCU\\RO"), "only stored", "S");
  engine_.LoadHKCUROItems(list_);
  EXPECT_EQ((std::vector<RowData>{{"only stored", false, kHkcu, 1, "S"}}), test::Rows(list_));
  engine_.LoadHKLMRSItems(list_);
  EXPECT_EQ(0, list_.Count());
  EXPECT_EQ("RS", list_.Tag());
  EXPECT_FALSE(test::KeyExists(reg_, kHkeyLocalMachine, test::kRunServicesKey)) << "loading creates nothing";
}

TEST_F(EngineRegistry, SameNameLiveAndStoredGivesTwoRowsTickedFirst) {
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, "Twin", "new.exe");
  test::PutText(reg_, kHkeyLocalMachine, Store("HKCU\\R"), "Twin", "old.exe");
  engine_.LoadHKCURItems(list_);
  EXPECT_EQ((std::vector<RowData>{{"Twin", true, kHkcu, 1, "new.exe"}, {"Twin", false, kHkcu, 1, "old.exe"}}),
            test::Rows(list_));
}

TEST_F(EngineRegistry, ARowThatCannotBeAddedIsSkippedAndTheOthersAreComplete) {
  for (const char* name : {"one", "two", "three"}) test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, name, name);
  list_.RefuseAddNumber(2);
  engine_.LoadHKCURItems(list_);
  EXPECT_EQ((std::vector<RowData>{{"one", true, kHkcu, 1, "one"}, {"three", true, kHkcu, 1, "three"}}),
            test::Rows(list_));
}

TEST_F(EngineRegistry, DisableThenEnableMovesTheEntryAndLeavesTheEmptyUserKey) {
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, "X", "C:\\x.exe -q");
  ASSERT_TRUE(engine_.DisableRegItem(kHkeyCurrentUser, "R", "X", "C:\\x.exe -q"));
  EXPECT_FALSE(test::Read(reg_, kHkeyCurrentUser, test::kRunKey, "X"));
  const auto stored = test::Read(reg_, kHkeyLocalMachine, Store("HKCU\\R"), "X");
  ASSERT_TRUE(stored);
  EXPECT_EQ(kRegSz, stored->type);
  EXPECT_EQ(test::TextBytes("C:\\x.exe -q"), stored->bytes);
  EXPECT_FALSE(test::KeyExists(reg_, kHkeyCurrentUser, "Software\\Kestrum")) << "disabling touches only the store";

  ASSERT_TRUE(engine_.EnableRegItem(kHkeyCurrentUser, "R", "X", "C:\\x.exe -q"));
  EXPECT_EQ("C:\\x.exe -q", test::ReadText(reg_, kHkeyCurrentUser, test::kRunKey, "X").value_or("(none)"));
  EXPECT_FALSE(test::Read(reg_, kHkeyLocalMachine, Store("HKCU\\R"), "X"));
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
      {kHkeyUsers, "R", test::kRunKey, "HKU\\R"},
  };
  for (const Case& c : cases) {
    const std::string id = std::string(c.store) + " from '" + c.sKey + "'";
    test::PutText(reg_, c.root, c.live, id, "p");
    EXPECT_TRUE(engine_.DisableRegItem(c.root, c.sKey, id, "p")) << id;
    EXPECT_EQ("p", test::ReadText(reg_, kHkeyLocalMachine, Store(c.store), id).value_or("(none)")) << id;
    EXPECT_FALSE(test::Read(reg_, c.root, c.live, id)) << id;
    EXPECT_TRUE(engine_.EnableRegItem(c.root, c.sKey, id, "p")) << id;
    EXPECT_EQ("p", test::ReadText(reg_, c.root, c.live, id).value_or("(none)")) << id;
  }
}

TEST_F(EngineRegistry, EntriesTravelAsTheShownTextWhateverTypeWasReadLast) {
  reg_.SetEnvironment("KQM_HOME", "C:\\Tools");
  test::PutDword(reg_, kHkeyCurrentUser, test::kRunKey, "number", 42);
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, "expand", "%KQM_HOME%\\x.exe", kRegExpandSz);
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, "still", "%KQM_HOME%\\%KQM_UNSET%\\y.exe", kRegExpandSz);
  engine_.LoadHKCURItems(list_);
  ASSERT_EQ(3, list_.Count());
  EXPECT_EQ(kRegExpandSz, engine_.Registry().ValueType()) << "the last value read was expandable";
  for (int32_t i = 1; i <= 3; ++i) {
    ListItem& row = *list_.Item(i);
    EXPECT_TRUE(engine_.DisableRegItem(std::stoi(row.Tag()), list_.Tag(), row.Text(), row.SubItem(1))) << row.Text();
  }
  const std::string store = Store("HKCU\\R");
  EXPECT_EQ(kRegSz, test::Read(reg_, kHkeyLocalMachine, store, "number")->type) << "a number is stored as its text";
  EXPECT_EQ("42", test::ReadText(reg_, kHkeyLocalMachine, store, "number"));
  EXPECT_EQ(kRegSz, test::Read(reg_, kHkeyLocalMachine, store, "expand")->type);
  EXPECT_EQ("C:\\Tools\\x.exe", test::ReadText(reg_, kHkeyLocalMachine, store, "expand"));
  EXPECT_EQ(kRegExpandSz, test::Read(reg_, kHkeyLocalMachine, store, "still")->type)
      << "text that still holds two % signs is stored expandable";
  EXPECT_EQ("C:\\Tools\\%KQM_UNSET%\\y.exe", test::ReadText(reg_, kHkeyLocalMachine, store, "still"));
  EXPECT_TRUE(test::ValueNames(reg_, kHkeyCurrentUser, test::kRunKey).empty());

  engine_.LoadHKCURItems(list_);
  ASSERT_EQ(3, list_.Count());
  for (int32_t i = 1; i <= 3; ++i) {
    ListItem& row = *list_.Item(i);
    EXPECT_TRUE(engine_.EnableRegItem(std::stoi(row.Tag()), list_.Tag(), row.Text(), row.SubItem(1))) << row.Text();
  }
  EXPECT_EQ("42", test::ReadText(reg_, kHkeyCurrentUser, test::kRunKey, "number"));
  EXPECT_EQ("C:\\Tools\\x.exe", test::ReadText(reg_, kHkeyCurrentUser, test::kRunKey, "expand"));
}

TEST_F(EngineRegistry, TheDestinationIsOverwrittenAndTheShownDataWinsOverNewerData) {
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, "App", "changed meanwhile.exe");
  test::PutText(reg_, kHkeyLocalMachine, Store("HKLM\\R"), "App", "older.exe");
  EXPECT_TRUE(engine_.DisableRegItem(kHkeyLocalMachine, "R", "App", "shown.exe"));
  EXPECT_EQ("shown.exe", test::ReadText(reg_, kHkeyLocalMachine, Store("HKLM\\R"), "App"));
  EXPECT_FALSE(test::Read(reg_, kHkeyLocalMachine, test::kRunKey, "App"));
}

TEST_F(EngineRegistry, AnEntryGoneFromItsSourceStillArrives) {
  EXPECT_TRUE(engine_.EnableRegItem(kHkeyCurrentUser, "RO", "Gone", "g.exe"));
  EXPECT_EQ("g.exe", test::ReadText(reg_, kHkeyCurrentUser, test::kRunOnceKey, "Gone"));
}

TEST_F(EngineRegistry, ARootWithoutAStoreNameMovesNothing) {
  constexpr int32_t kPerformanceData = static_cast<int32_t>(0x80000004u);
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, "Keep", "k.exe");
  EXPECT_FALSE(engine_.DisableRegItem(kPerformanceData, "R", "Keep", "k.exe"));
  EXPECT_FALSE(engine_.EnableRegItem(12345, "R", "Keep", "k.exe"));
  EXPECT_EQ("k.exe", test::ReadText(reg_, kHkeyLocalMachine, test::kRunKey, "Keep"));
  EXPECT_FALSE(test::KeyExists(reg_, kHkeyLocalMachine, "Software\\Kestrum"));
}

}  // namespace
}  // namespace kqm
