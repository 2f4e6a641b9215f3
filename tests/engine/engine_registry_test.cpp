// The registry locations through the suite's registry: in memory natively, the Wine prefix's real one in the
// Windows build. Entries get unique names in the real launch keys and are removed afterwards; rows are picked by
// that name, since the real keys may hold other entries. Names are created in name order, because Wine enumerates
// values sorted by name where Windows keeps their creation order.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/clsStartUp.h"
#include "engine_world.h"
#include "platform/substitute/memory_list_view.h"
#include "platform/substitute/memory_registry.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/substitute_shell.h"
#include "recording_reporter.h"
#include "reg_helpers.h"
#include "registry_backend.h"

namespace kqm {
namespace {

using test::RowData;
constexpr const char* kHkcu = "-2147483647";
constexpr const char* kHklm = "-2147483646";

std::string Store(const std::string& rest) { return std::string(test::kStore) + rest; }

class EngineRegistry : public ::testing::Test {
 protected:
  explicit EngineRegistry(RegistryApi& registry = test::Registry())
      : reg_(registry), shell_(files_), engine_(registry, files_, shell_, reporter_, "QuorvelManager", "C:\\p\\D\\") {}
  ~EngineRegistry() override {
    for (int32_t root : {kHkeyCurrentUser, kHkeyLocalMachine})
      for (const char* live : {test::kRunKey, test::kRunOnceKey, test::kRunServicesKey})
        for (const auto& name : names_) test::Remove(reg_, root, live, name);
    for (const char* store : {"HKCU\\R", "HKCU\\RO", "HKLM\\R", "HKLM\\RO", "HKLM\\RS"})
      for (const auto& name : names_) test::Remove(reg_, kHkeyLocalMachine, Store(store), name);
  }
  // A name of this test's own (starting with prefix_), removed from every launch and store key at the end.
  std::string N(const std::string& stem) { return names_.emplace_back(prefix_ + stem); }
  std::vector<RowData> Ours() { return test::Rows(list_, prefix_); }

  RegistryApi& reg_;
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
                                  {c, false, kHkcu, 1, "C.exe"},
                                  {d, false, kHkcu, 1, "D.exe"}}),
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
                                    {prefix_ + "stored " + l.store, false, l.rootTag, 1, "S"}}),
              Ours())
        << l.store << ": nothing of the other locations or of the previous load remains";
  }
}

TEST_F(EngineRegistry, DataIsShownAsTheRegistryObjectReadsIt) {
  test::SetEnvironment("KQM_ENGINE_HOME", "C:\\Tools");
  test::PutDword(reg_, kHkeyLocalMachine, test::kRunKey, N("1 dword"), 42);
  test::PutDword(reg_, kHkeyLocalMachine, test::kRunKey, N("2 negative"), 0xFFFFFFFEu);
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, N("3 expand"), "%KQM_ENGINE_HOME%\\x.exe", kRegExpandSz);
  test::Put(reg_, kHkeyLocalMachine, test::kRunKey, N("4 binary"), kRegBinary, std::string("\x01\xAB\x00", 3));
  test::Put(reg_, kHkeyLocalMachine, test::kRunKey, N("5 empty"), kRegSz, "");
  const std::string defaultData = prefix_ + "default.exe";
  test::PutText(reg_, kHkeyLocalMachine, Store("HKLM\\R"), "", defaultData);
  engine_.LoadHKLMRItems(list_);
  test::Remove(reg_, kHkeyLocalMachine, Store("HKLM\\R"), "");
  EXPECT_EQ((std::vector<RowData>{{prefix_ + "1 dword", true, kHklm, 1, "42"},
                                  {prefix_ + "2 negative", true, kHklm, 1, "-2"},
                                  {prefix_ + "3 expand", true, kHklm, 1, "C:\\Tools\\x.exe"},
                                  {prefix_ + "4 binary", true, kHklm, 1, "01 AB 00"},
                                  {prefix_ + "5 empty", true, kHklm, 1, ""}}),
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
  EXPECT_EQ((std::vector<RowData>{{twin, true, kHkcu, 1, "new.exe"}, {twin, false, kHkcu, 1, "old.exe"}}), Ours());
}

TEST_F(EngineRegistry, DisableThenEnableMovesTheEntryAndLeavesTheEmptyUserKey) {
  const std::string x = N("x");
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, x, "C:\\x.exe -q");
  ASSERT_TRUE(engine_.DisableRegItem(kHkeyCurrentUser, "R", x, "C:\\x.exe -q"));
  EXPECT_FALSE(test::Read(reg_, kHkeyCurrentUser, test::kRunKey, x));
  const auto stored = test::Read(reg_, kHkeyLocalMachine, Store("HKCU\\R"), x);
  ASSERT_TRUE(stored);
  EXPECT_EQ(kRegSz, stored->type);
  EXPECT_EQ(test::TextBytes("C:\\x.exe -q"), stored->bytes);
  engine_.LoadHKCURItems(list_);
  EXPECT_EQ((std::vector<RowData>{{x, false, kHkcu, 1, "C:\\x.exe -q"}}), Ours());

  ASSERT_TRUE(engine_.EnableRegItem(kHkeyCurrentUser, "R", x, "C:\\x.exe -q"));
  EXPECT_EQ("C:\\x.exe -q", test::ReadText(reg_, kHkeyCurrentUser, test::kRunKey, x).value_or("(none)"));
  EXPECT_FALSE(test::Read(reg_, kHkeyLocalMachine, Store("HKCU\\R"), x));
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
    EXPECT_EQ("p", test::ReadText(reg_, kHkeyLocalMachine, Store(c.store), id).value_or("(none)")) << id;
    EXPECT_FALSE(test::Read(reg_, c.root, c.live, id)) << id;
    EXPECT_TRUE(engine_.EnableRegItem(c.root, c.sKey, id, "p")) << id;
    EXPECT_EQ("p", test::ReadText(reg_, c.root, c.live, id).value_or("(none)")) << id;
  }
}

TEST_F(EngineRegistry, EntriesTravelAsTheShownTextWhateverTypeWasReadLast) {
  test::SetEnvironment("KQM_ENGINE_HOME", "C:\\Tools");
  const std::string number = N("1 number"), expand = N("2 expand"), still = N("3 still");
  test::PutDword(reg_, kHkeyCurrentUser, test::kRunKey, number, 42);
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, expand, "%KQM_ENGINE_HOME%\\x.exe", kRegExpandSz);
  test::PutText(reg_, kHkeyCurrentUser, test::kRunKey, still, "%KQM_ENGINE_HOME%\\%KQM_UNSET%\\y.exe", kRegExpandSz);
  engine_.LoadHKCURItems(list_);
  const auto rows = Ours();
  ASSERT_EQ(3u, rows.size());
  // The worst case for the registry object: a number was the last value it read before each write.
  const std::string probe = N("probe");
  test::PutDword(reg_, kHkeyCurrentUser, test::kRunOnceKey, probe, 1);
  auto readNumber = [&] {
    engine_.Registry().ClassKey(kHkeyCurrentUser);
    engine_.Registry().SectionKey(test::kRunOnceKey);
    engine_.Registry().ValueKey(probe);
    engine_.Registry().Value();
    ASSERT_EQ(kRegDword, engine_.Registry().ValueType());
  };
  for (const auto& row : rows) {
    readNumber();
    EXPECT_TRUE(engine_.DisableRegItem(std::stoi(row.tag), list_.Tag(), row.text, row.path)) << row.text;
  }
  const std::string store = Store("HKCU\\R");
  EXPECT_EQ("42", test::ReadText(reg_, kHkeyLocalMachine, store, number));
  EXPECT_EQ(kRegSz, test::Read(reg_, kHkeyLocalMachine, store, expand).value_or(test::Stored{}).type);
  EXPECT_EQ("C:\\Tools\\x.exe", test::ReadText(reg_, kHkeyLocalMachine, store, expand));
  EXPECT_EQ(kRegExpandSz, test::Read(reg_, kHkeyLocalMachine, store, still).value_or(test::Stored{}).type)
      << "text that still holds two % signs is stored expandable";
  EXPECT_EQ("C:\\Tools\\%KQM_UNSET%\\y.exe", test::ReadText(reg_, kHkeyLocalMachine, store, still));
  for (const auto& row : rows) EXPECT_FALSE(test::Read(reg_, kHkeyCurrentUser, test::kRunKey, row.text));

  for (const auto& row : rows) EXPECT_TRUE(engine_.EnableRegItem(kHkeyCurrentUser, "R", row.text, row.path));
  EXPECT_EQ("42", test::ReadText(reg_, kHkeyCurrentUser, test::kRunKey, number));
  EXPECT_EQ("C:\\Tools\\x.exe", test::ReadText(reg_, kHkeyCurrentUser, test::kRunKey, expand));
}

TEST_F(EngineRegistry, TheDestinationIsOverwrittenAndTheShownDataWinsOverNewerData) {
  const std::string app = N("app");
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, app, "changed meanwhile.exe");
  test::PutText(reg_, kHkeyLocalMachine, Store("HKLM\\R"), app, "older.exe");
  EXPECT_TRUE(engine_.DisableRegItem(kHkeyLocalMachine, "R", app, "shown.exe"));
  EXPECT_EQ("shown.exe", test::ReadText(reg_, kHkeyLocalMachine, Store("HKLM\\R"), app));
  EXPECT_FALSE(test::Read(reg_, kHkeyLocalMachine, test::kRunKey, app));
}

TEST_F(EngineRegistry, AnEntryGoneFromItsSourceStillArrivesAndARootWithoutStoreMovesNothing) {
  const std::string gone = N("gone"), keep = N("keep");
  EXPECT_TRUE(engine_.EnableRegItem(kHkeyCurrentUser, "RO", gone, "g.exe"));
  EXPECT_EQ("g.exe", test::ReadText(reg_, kHkeyCurrentUser, test::kRunOnceKey, gone));

  constexpr int32_t kPerformanceData = static_cast<int32_t>(0x80000004u);
  test::PutText(reg_, kHkeyLocalMachine, test::kRunKey, keep, "k.exe");
  EXPECT_FALSE(engine_.DisableRegItem(kPerformanceData, "R", keep, "k.exe"));
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
  EXPECT_EQ((std::vector<RowData>{{prefix_ + "1", false, kHkcu, 1, "1"}, {prefix_ + "3", false, kHkcu, 1, "3"}}),
            Ours());
}

}  // namespace
}  // namespace kqm
