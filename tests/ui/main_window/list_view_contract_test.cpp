#include <gtest/gtest.h>

#include "engine/clsStartUp.h"
#include "list_backend.h"
#include "platform/substitute/memory_registry.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/substitute_shell.h"
#include "recording_reporter.h"
#include "reg_helpers.h"

namespace kqm::test {
namespace {

class ListViewContract : public ::testing::TestWithParam<ListBackendMaker> {
 protected:
  void SetUp() override {
    backend_ = GetParam().make();
    list().OnItemCheck([this](ListItem& row) { events_.push_back(row.Text() + (row.Checked() ? " on" : " off")); });
  }
  ListView& list() { return backend_->List(); }
  std::unique_ptr<ListBackend> backend_;
  std::vector<std::string> events_;
};

TEST_P(ListViewContract, RowsComeInCallOrderAndClearEmptiesTheList) {
  EXPECT_EQ(0, list().Count());
  EXPECT_EQ(nullptr, list().Item(1));
  list().Add("old", 1);
  list().Clear();
  EXPECT_EQ(0, list().Count());
  ListItem* a = list().Add("alpha", 1);
  ListItem* b = list().Add("beta", 2);
  list().Add("gamma", 1);
  ASSERT_EQ(3, list().Count());
  EXPECT_EQ(a, list().Item(1)) << "the first row after a clear";
  EXPECT_EQ(b, list().Item(2));
  EXPECT_EQ("gamma", list().Item(3)->Text());
  EXPECT_EQ(2, b->SmallIcon());
  EXPECT_EQ(nullptr, list().Item(0));
  EXPECT_EQ(nullptr, list().Item(4));
  EXPECT_FALSE(a->Checked()) << "a new row is unticked";
  EXPECT_TRUE(events_.empty()) << "adding rows reports no tick change";
}

TEST_P(ListViewContract, TagsTextsAndSubItemsComeBackUnchanged) {
  list().Tag("RS");
  ListItem* row = list().Add("Zürich \"quoted\"", 1);
  row->Tag("-2147483647");
  row->AddSubItem("C:\\Program Files\\a.exe /x");
  row->AddSubItem("second");
  EXPECT_EQ("RS", list().Tag());
  EXPECT_EQ("-2147483647", row->Tag());
  EXPECT_EQ("Zürich \"quoted\"", row->Text());
  EXPECT_EQ("C:\\Program Files\\a.exe /x", row->SubItem(1)) << "the first sub-item is the Path text";
  EXPECT_EQ("second", row->SubItem(2));
  EXPECT_EQ("", row->SubItem(3));
  EXPECT_EQ("", list().Add("bare", 1)->SubItem(1));
}

TEST_P(ListViewContract, EveryTickChangeIsReportedOnceWithTheNewState) {
  ListItem* a = list().Add("a", 1);
  ListItem* b = list().Add("b", 1);
  a->Checked(true);
  a->Checked(true);  // no change
  b->Checked(false);  // no change
  backend_->UserToggles(2);
  backend_->UserToggles(1);
  a->Checked(true);
  EXPECT_EQ((std::vector<std::string>{"a on", "b on", "a off", "a on"}), events_);
  EXPECT_TRUE(a->Checked());
  EXPECT_TRUE(b->Checked());
}

TEST_P(ListViewContract, AHandlerMayPutTheTickBack) {
  ListItem* a = list().Add("a", 1);
  a->Tag("x");
  bool putBack = true;
  list().OnItemCheck([&](ListItem& row) {
    events_.push_back(row.Text() + (row.Checked() ? " on" : " off"));
    if (putBack) {
      putBack = false;
      row.Checked(!row.Checked());
    }
  });
  backend_->UserToggles(1);
  EXPECT_FALSE(a->Checked()) << "the tick the handler put back stays";
  EXPECT_EQ((std::vector<std::string>{"a on", "a off"}), events_);
}

TEST_P(ListViewContract, SelectedRowAndGeometry) {
  EXPECT_EQ(nullptr, list().SelectedItem());
  list().Add("a", 1);
  ListItem* b = list().Add("b", 1);
  EXPECT_EQ(nullptr, list().SelectedItem()) << "adding selects nothing";
  backend_->UserSelects(2);
  EXPECT_EQ(b, list().SelectedItem());
  list().Clear();
  EXPECT_EQ(nullptr, list().SelectedItem());

  list().Left(2955);
  list().Width(5670);
  list().Height(6015);
  EXPECT_EQ(2955, list().Left());
  EXPECT_EQ(5670, list().Width());
  EXPECT_EQ(6015, list().Height());
  // Moved during a fill, the list answers the new place at once and stands there once the fill ends.
  list().BeginFill();
  list().Left(3000);
  list().Width(5000);
  EXPECT_EQ(3000, list().Left());
  list().EndFill();
  EXPECT_EQ(3000, list().Left());
  EXPECT_EQ(5000, list().Width());
  EXPECT_EQ(6015, list().Height());
  EXPECT_EQ(2000, list().ColumnWidth(1));
  list().ColumnWidth(2, 3670);
  EXPECT_EQ(3670, list().ColumnWidth(2));
  EXPECT_EQ(2000, list().ColumnWidth(1));
}

// The engine loads a key of thousands of values as it does a real one: every row arrives in order with its tick,
// tag and path without a tick-change event, and a tick change afterwards reaches its own row once, so the handler
// moves exactly one entry.
TEST_P(ListViewContract, ALoadOfThousandsOfRowsKeepsTheirOrderAndOneTickChangeMovesOneEntry) {
  constexpr int kLive = 2000, kStored = 1000;
  MemoryRegistry reg;
  const std::string store = std::string(test::kStore) + "HKCU\\R";
  for (int i = 0; i < kLive; ++i)
    test::PutText(reg, kHkeyCurrentUser, test::kRunKey, "live " + std::to_string(i), "C:\\l\\" + std::to_string(i));
  for (int i = 0; i < kStored; ++i)
    test::PutText(reg, kHkeyCurrentUser, store, "stored " + std::to_string(i), "C:\\s\\" + std::to_string(i));
  PosixFileSystem files;
  SubstituteShell shell(files);
  test::RecordingReporter reporter;
  clsStartUp engine(reg, files, shell, reporter, "QuorvelManager", "C:\\p\\Disabled\\");
  list().Add("stale", 1);
  engine.LoadHKCURItems(list());

  ASSERT_EQ(kLive + kStored, list().Count());
  int wrong = 0;
  for (int32_t i = 1; i <= list().Count(); ++i) {
    const bool live = i <= kLive;
    const std::string n = std::to_string(live ? i - 1 : i - 1 - kLive);
    ListItem* row = list().Item(i);
    if (row->Text() != (live ? "live " : "stored ") + n || row->Checked() != live ||
        row->Tag() != (live ? "-2147483647" : "-2147483647|user") ||
        row->SubItem(1) != (live ? "C:\\l\\" : "C:\\s\\") + n) {
      ADD_FAILURE() << "row " << i << ": " << row->Text() << " " << row->Checked() << " " << row->Tag();
      if (++wrong == 5) break;
    }
  }
  EXPECT_TRUE(events_.empty()) << "a load's ticks are no changes: the rows arrive ticked";

  int moves = 0;
  list().OnItemCheck([&](ListItem& row) {
    ++moves;
    EXPECT_TRUE(engine.EnableRegItem(kHkeyCurrentUser, "R", row.Text(), row.SubItem(1), TagMarks(row.Tag())));
  });
  backend_->UserToggles(2500);
  EXPECT_EQ(1, moves);
  EXPECT_TRUE(list().Item(2500)->Checked());
  EXPECT_EQ("C:\\s\\499", test::ReadText(reg, kHkeyCurrentUser, test::kRunKey, "stored 499").value_or("(none)"));
  EXPECT_FALSE(test::ReadText(reg, kHkeyCurrentUser, store, "stored 499"));
}

TEST_P(ListViewContract, TheTopRowComesBackAsSetAndSelectingRaisesNoTickChange) {
  EXPECT_EQ(0, list().TopIndex()) << "an empty list";
  for (int i = 1; i <= 200; ++i) list().Add("row " + std::to_string(i), 1);
  EXPECT_EQ(1, list().TopIndex());
  list().TopIndex(50);
  EXPECT_EQ(50, list().TopIndex());
  list().TopIndex(7);
  EXPECT_EQ(7, list().TopIndex()) << "back up";
  list().Select(120);
  ASSERT_NE(nullptr, list().SelectedItem());
  EXPECT_EQ("row 120", list().SelectedItem()->Text());
  list().TopIndex(7);  // a selection may scroll itself into view (the real control does): a reload sets the top after
  EXPECT_EQ(7, list().TopIndex());
  EXPECT_EQ("row 120", list().SelectedItem()->Text()) << "scrolling keeps the selection";
  list().Select(0);
  EXPECT_EQ(nullptr, list().SelectedItem());
  EXPECT_TRUE(events_.empty());
  list().Clear();
  list().Add("again", 1);
  EXPECT_EQ(1, list().TopIndex()) << "a clear starts at the top";
}

INSTANTIATE_TEST_SUITE_P(Backends, ListViewContract, ::testing::ValuesIn(ListBackends()),
                         [](const ::testing::TestParamInfo<ListBackendMaker>& paramInfo) { return paramInfo.param.name; });

}  // namespace
}  // namespace kqm::test
