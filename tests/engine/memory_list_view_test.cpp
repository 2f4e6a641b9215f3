#include <gtest/gtest.h>

#include "platform/substitute/memory_list_view.h"

namespace kqm {
namespace {

TEST(MemoryListView, RowsFollowTheCallsAndKeepWhatWasStoredWithThem) {
  MemoryListView list;
  list.Add("old", 1);
  list.Clear();
  ListItem* first = list.Add("first", 2);
  ListItem* second = list.Add("second", 1);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first, list.Item(1)) << "the first Add after Clear gives the first row";
  EXPECT_EQ(second, list.Item(2));
  EXPECT_EQ(nullptr, list.Item(3));
  first->Tag("-2147483647");
  first->AddSubItem("C:\\x.exe");
  first->AddSubItem("ignored by the Path column");
  list.Tag("ALL");
  EXPECT_EQ("-2147483647", first->Tag());
  EXPECT_EQ("C:\\x.exe", first->SubItem(1));
  EXPECT_EQ("", second->SubItem(1));
  EXPECT_EQ(2, first->SmallIcon());
  EXPECT_EQ("ALL", list.Tag());
  EXPECT_EQ(nullptr, list.SelectedItem());
  list.Select(2);
  EXPECT_EQ(second, list.SelectedItem());
  list.Clear();
  EXPECT_EQ(nullptr, list.SelectedItem()) << "a cleared list has no selection";
}

TEST(MemoryListView, EveryChangeOfATickIsRaisedOnceWithTheNewState) {
  MemoryListView list;
  std::vector<std::pair<std::string, bool>> events;
  list.OnItemCheck([&](ListItem& row) { events.emplace_back(row.Text(), row.Checked()); });
  ListItem* a = list.Add("a", 1);
  ListItem* b = list.Add("b", 1);
  a->Checked(true);
  a->Checked(true);
  b->Checked(false);
  list.ClickTickBox(2);
  list.ClickTickBox(1);
  EXPECT_EQ((std::vector<std::pair<std::string, bool>>{{"a", true}, {"b", true}, {"a", false}}), events)
      << "writes that change nothing raise nothing";

  events.clear();
  list.OnItemCheck([&](ListItem& row) {
    events.emplace_back(row.Text(), row.Checked());
    if (!row.Checked()) row.Checked(true);  // a handler that puts the tick back
  });
  list.ClickTickBox(2);
  EXPECT_EQ((std::vector<std::pair<std::string, bool>>{{"b", false}, {"b", true}}), events);
  EXPECT_TRUE(b->Checked());
}

}  // namespace
}  // namespace kqm
