// The registry locations through the registry the whole test suite shares: in memory natively, the Wine prefix's
// real one in the Windows build. Entries use unique names in the real launch keys and are removed afterwards;
// rows are picked by name, because the real keys may hold other entries and Wine enumerates values sorted by
// name where Windows keeps their creation order.
#include <gtest/gtest.h>

#include "engine/clsStartUp.h"
#include "engine_world.h"
#include "platform/substitute/memory_list_view.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/substitute_shell.h"
#include "recording_reporter.h"
#include "reg_helpers.h"
#include "registry_backend.h"

namespace kqm {
namespace {

using test::RowData;

class EngineLiveRegistry : public ::testing::Test {
 protected:
  EngineLiveRegistry()
      : shell_(files_), engine_(test::Registry(), files_, shell_, reporter_, "QuorvelManager", "C:\\p\\Disabled\\") {}
  ~EngineLiveRegistry() override {
    for (const auto& [root, path, name] : made_) test::Remove(test::Registry(), root, path, name);
  }
  // A unique value name, removed from `root`'s launch key `live` and from `store` when the test ends.
  std::string Name(const std::string& stem, int32_t root, const std::string& live, const std::string& store) {
    const std::string name = test::UniqueName(stem);
    made_.push_back({root, live, name});
    made_.push_back({kHkeyLocalMachine, std::string(test::kStore) + store, name});
    return name;
  }
  RegistryApi& reg() { return test::Registry(); }

  PosixFileSystem files_;
  SubstituteShell shell_;
  test::RecordingReporter reporter_;
  clsStartUp engine_;
  MemoryListView list_;
  std::vector<std::tuple<int32_t, std::string, std::string>> made_;
};

TEST_F(EngineLiveRegistry, AUserRunEntryIsUntickedAndTickedThroughTheRealKeys) {
  const std::string name = Name("hkcu-run", kHkeyCurrentUser, test::kRunKey, "HKCU\\R");
  ASSERT_TRUE(test::PutText(reg(), kHkeyCurrentUser, test::kRunKey, name, "C:\\probe\\x.exe /q"));
  engine_.LoadHKCURItems(list_);
  EXPECT_EQ((std::vector<RowData>{{name, true, "-2147483647", 1, "C:\\probe\\x.exe /q"}}), test::Rows(list_, name));

  ListItem* row = list_.Item(1);
  for (int32_t i = 1; i <= list_.Count(); ++i)
    if (list_.Item(i)->Text() == name) row = list_.Item(i);
  ASSERT_TRUE(engine_.DisableRegItem(std::stoi(row->Tag()), list_.Tag(), row->Text(), row->SubItem(1)));
  EXPECT_FALSE(test::Read(reg(), kHkeyCurrentUser, test::kRunKey, name));
  EXPECT_EQ("C:\\probe\\x.exe /q",
            test::ReadText(reg(), kHkeyLocalMachine, std::string(test::kStore) + "HKCU\\R", name).value_or("(none)"));
  engine_.LoadHKCURItems(list_);
  EXPECT_EQ((std::vector<RowData>{{name, false, "-2147483647", 1, "C:\\probe\\x.exe /q"}}), test::Rows(list_, name));

  ASSERT_TRUE(engine_.EnableRegItem(kHkeyCurrentUser, "R", name, "C:\\probe\\x.exe /q"));
  EXPECT_EQ("C:\\probe\\x.exe /q", test::ReadText(reg(), kHkeyCurrentUser, test::kRunKey, name).value_or("(none)"));
  EXPECT_FALSE(test::Read(reg(), kHkeyLocalMachine, std::string(test::kStore) + "HKCU\\R", name));
  EXPECT_TRUE(test::KeyExists(reg(), kHkeyCurrentUser, "Software\\Kestrum\\QuorvelManager\\Disabled"));
}

TEST_F(EngineLiveRegistry, MachineEntriesOfEveryLaunchKeyMoveWithTheirShownText) {
  test::SetEnvironment("KQM_ENGINE_HOME", "C:\\Tools");
  struct Case {
    void (clsStartUp::*load)(ListView&);
    const char* live;
    const char* store;
  };
  const Case cases[] = {{&clsStartUp::LoadHKLMRItems, test::kRunKey, "HKLM\\R"},
                        {&clsStartUp::LoadHKLMROItems, test::kRunOnceKey, "HKLM\\RO"},
                        {&clsStartUp::LoadHKLMRSItems, test::kRunServicesKey, "HKLM\\RS"}};
  for (const Case& c : cases) {
    const std::string a = Name("a-expand", kHkeyLocalMachine, c.live, c.store);
    const std::string b = Name("b-dword", kHkeyLocalMachine, c.live, c.store);
    ASSERT_TRUE(test::PutText(reg(), kHkeyLocalMachine, c.live, a, "%KQM_ENGINE_HOME%\\a.exe", kRegExpandSz));
    ASSERT_TRUE(test::PutDword(reg(), kHkeyLocalMachine, c.live, b, 7));
    (engine_.*c.load)(list_);
    std::vector<RowData> rows;
    for (const auto& r : test::Rows(list_, "kqm-")) {
      if (r.text == a || r.text == b) rows.push_back(r);
    }
    ASSERT_EQ((std::vector<RowData>{{a, true, "-2147483646", 1, "C:\\Tools\\a.exe"}, {b, true, "-2147483646", 1, "7"}}),
              rows)
        << c.store;
    for (const auto& r : rows) EXPECT_TRUE(engine_.DisableRegItem(kHkeyLocalMachine, list_.Tag(), r.text, r.path));
    const std::string store = std::string(test::kStore) + c.store;
    EXPECT_EQ("C:\\Tools\\a.exe", test::ReadText(reg(), kHkeyLocalMachine, store, a).value_or("(none)")) << c.store;
    EXPECT_EQ("7", test::ReadText(reg(), kHkeyLocalMachine, store, b).value_or("(none)")) << c.store;
    EXPECT_FALSE(test::Read(reg(), kHkeyLocalMachine, c.live, a));
    EXPECT_FALSE(test::Read(reg(), kHkeyLocalMachine, c.live, b));
    for (const auto& r : rows) EXPECT_TRUE(engine_.EnableRegItem(kHkeyLocalMachine, list_.Tag(), r.text, r.path));
    EXPECT_EQ(kRegSz, test::Read(reg(), kHkeyLocalMachine, c.live, b).value_or(test::Stored{}).type);
    EXPECT_EQ("7", test::ReadText(reg(), kHkeyLocalMachine, c.live, b).value_or("(none)"));
    EXPECT_FALSE(test::Read(reg(), kHkeyLocalMachine, store, a));
  }
}

}  // namespace
}  // namespace kqm
