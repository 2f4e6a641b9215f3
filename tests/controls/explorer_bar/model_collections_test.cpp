#include <gtest/gtest.h>

#include "bar_fixture.h"
#include "controls/explorer_bar/explorer_bar.h"

namespace kqm {
namespace {

TEST(ExplorerBarCollections, GroupsAndItemsKeepTheirOrderAndValues) {
  ExplorerBar bar;
  test::FillNavigation(bar);
  ASSERT_EQ(bar.Groups().Count(), 3u);
  EXPECT_EQ(bar.Groups().Item(0).Caption(), "Location");
  EXPECT_EQ(bar.Groups().Item(1).Caption(), "Actions");
  EXPECT_EQ(bar.Groups().Item(2).Caption(), "Help && About");
  EXPECT_TRUE(bar.Groups().Item(0).Special());
  EXPECT_FALSE(bar.Groups().Item(1).Special());
  EXPECT_EQ(bar.Groups().Item(2).IconIndex(), 2);
  const ExplorerBarItems& places = bar.Groups().Item(0).Items();
  ASSERT_EQ(places.Count(), 9u);
  EXPECT_EQ(places.Item(0).Key(), "HKLMR");
  EXPECT_EQ(places.Item(8).Key(), "SYSTEMINI");
  EXPECT_EQ(places.Item(5).Caption(), "User StartUp Folder");
  EXPECT_EQ(places.Item(7).IconIndex(), 2);
  EXPECT_EQ(&places.Item(3).Group(), &bar.Groups().Item(0));
  EXPECT_EQ(bar.Groups().Item(1).Items().Item(1).Key(), "ENABLE");
  EXPECT_THROW(places.Item(9), std::out_of_range);
}

TEST(ExplorerBarCollections, AddReturnsTheNewEntryThatStaysValidAsMoreAreAdded) {
  ExplorerBar bar;
  ExplorerBarGroup& first = bar.Groups().Add("One");
  ExplorerBarItem& item = first.Items().Add("A", "Alpha", 4);
  for (int i = 0; i < 50; ++i) {
    const std::string n = std::to_string(i);
    bar.Groups().Add(std::string(1, 'G').append(n)).Items().Add(std::string(1, 'K').append(n), "x");
    first.Items().Add(std::string(1, 'B').append(n), "y");
  }
  EXPECT_EQ(&bar.Groups().Item(0), &first);
  EXPECT_EQ(&first.Items().Item(0), &item);
  EXPECT_EQ(item.Key(), "A");
  EXPECT_EQ(item.IconIndex(), 4);
}

TEST(ExplorerBarCollections, FindComparesKeysExactlyIncludingCase) {
  ExplorerBar bar;
  test::FillNavigation(bar);
  const ExplorerBarItems& places = bar.Groups().Item(0).Items();
  ASSERT_NE(places.Find("HKCURO"), nullptr);
  EXPECT_EQ(places.Find("HKCURO")->Caption(), "HKCU\\Run Once");
  EXPECT_EQ(places.Find("hkcur"), nullptr);
  EXPECT_EQ(places.Find("HKCUR "), nullptr);
  EXPECT_EQ(places.Find("HKCU"), nullptr);
  EXPECT_EQ(places.Find(""), nullptr);
}

TEST(ExplorerBarCollections, DoubledAmpersandShowsOneAndAccessKeyMarksVanish) {
  EXPECT_EQ(ExplorerBarDisplayText("Help && About"), "Help & About");
  EXPECT_EQ(ExplorerBarDisplayText("&File"), "File");
  EXPECT_EQ(ExplorerBarDisplayText("a&&&&b"), "a&&b");
  EXPECT_EQ(ExplorerBarDisplayText("&&&x"), "&x");
  EXPECT_EQ(ExplorerBarDisplayText("trailing&"), "trailing&");
  EXPECT_EQ(ExplorerBarDisplayText(""), "");
  ExplorerBar bar;
  test::FillNavigation(bar);
  EXPECT_EQ(bar.Groups().Item(2).DisplayText(), "Help & About");
  EXPECT_EQ(bar.Groups().Item(2).Items().Item(0).DisplayText(), "Help & About");
  EXPECT_EQ(bar.Groups().Item(2).Items().Item(0).Caption(), "Help && About");
}

TEST(ExplorerBarCollections, WidthIsReportedInTwipsAtTheExactResolutionScrollBarIncluded) {
  ExplorerBar bar;
  EXPECT_EQ(bar.Width(), ExplorerBar::kDefaultWidthTwips);
  bar.SetClientSize(197, 400);
  EXPECT_EQ(bar.Width(), 2955);
  bar.SetDpi(192);
  bar.SetClientSize(394, 400);
  EXPECT_EQ(bar.Width(), 2955) << "1440 / 192 is 7.5 twips a pixel, not 7";
  bar.SetDpi(144);
  bar.SetClientSize(296, 400);
  EXPECT_EQ(bar.Width(), 2960);
  bar.SetDpi(0);
  EXPECT_EQ(bar.Dpi(), 144);
  bar.SetDpi(96);
  bar.SetClientSize(180, 400);
  bar.SetFrameWidth(17);
  EXPECT_EQ(bar.Width(), 2955) << "a scroll bar beside the client area is part of the bar's width";
  bar.SetFrameWidth(0);
  bar.SetClientSize(-5, -5);
  EXPECT_EQ(bar.Width(), 0);
}

TEST(ExplorerBarCollections, RedrawOffHoldsRepaintsUntilSwitchedBackOn) {
  ExplorerBar bar;
  int repaints = 0;
  bar.OnInvalidate([&] { ++repaints; });
  bar.SetRedraw(false);
  bar.SetBorderStyle(0);
  bar.SetItemImageList(1);
  test::FillNavigation(bar);
  bar.MouseMove(20, 40);
  EXPECT_EQ(repaints, 0);
  EXPECT_FALSE(bar.Redraw());
  bar.SetRedraw(true);
  EXPECT_EQ(repaints, 1);
  bar.SetRedraw(true);
  EXPECT_EQ(repaints, 1);
  bar.Groups().Item(1).SetIconIndex(5);
  EXPECT_EQ(repaints, 2);
}

}  // namespace
}  // namespace kqm
