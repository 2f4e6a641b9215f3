#include <gtest/gtest.h>

#include "bar_fixture.h"
#include "controls/explorer_bar/explorer_bar.h"
#include "platform/substitute/fixed_system_colors.h"

namespace kqm {
namespace {

using Kind = ExplorerBarHit::Kind;

TEST(ExplorerBarLayout, GroupsAndItemsStackTopToBottomWithoutOverlap) {
  ExplorerBar bar;
  test::FillNavigation(bar);
  bar.SetClientSize(197, 418);
  const auto layout = bar.Layout();
  ASSERT_EQ(layout.size(), 3u);
  int previousBottom = 0;
  for (const auto& group : layout) {
    EXPECT_GE(group.headerIcon.top, previousBottom);
    EXPECT_EQ(group.headerIcon.bottom, group.header.bottom);
    EXPECT_EQ(group.headerIcon.right - group.headerIcon.left, 32);
    EXPECT_EQ(group.body.top, group.header.bottom);
    int itemTop = group.body.top;
    for (const auto& item : group.items) {
      EXPECT_GE(item.top, itemTop);
      EXPECT_GE(item.left, group.body.left);
      EXPECT_LE(item.right, group.body.right);
      EXPECT_LE(item.bottom, group.body.bottom);
      itemTop = item.bottom;
    }
    previousBottom = group.body.bottom;
  }
  EXPECT_EQ(layout[0].items.size(), 9u);
  EXPECT_EQ(layout[1].items.size(), 2u);
  EXPECT_EQ(layout[2].items.size(), 1u);
}

TEST(ExplorerBarLayout, TheNavigationContentFitsTheBarsDesignSize) {
  ExplorerBar bar;
  test::FillNavigation(bar);
  bar.SetClientSize(2955 / 15, 6270 / 15);
  const auto layout = bar.Layout();
  EXPECT_LE(layout.back().body.bottom, 6270 / 15);
  EXPECT_LE(layout.front().header.right, 2955 / 15);
  EXPECT_GT(layout.front().items.front().right - layout.front().items.front().left, 150);
}

TEST(ExplorerBarLayout, WidthFollowsTheClientWidth) {
  ExplorerBar bar;
  test::FillNavigation(bar);
  bar.SetClientSize(197, 418);
  const PixelRect narrow = bar.ItemRect(1, 0);
  bar.SetClientSize(297, 418);
  const PixelRect wide = bar.ItemRect(1, 0);
  EXPECT_EQ(wide.left, narrow.left);
  EXPECT_EQ(wide.right - narrow.right, 100);
  EXPECT_EQ(wide.top, narrow.top);
  bar.SetClientSize(3, 418);
  const PixelRect squeezed = bar.ItemRect(1, 0);
  EXPECT_LE(squeezed.left, squeezed.right);
}

TEST(ExplorerBarLayout, HitTestFindsEveryItemAndHeaderAndNothingBetween) {
  ExplorerBar bar;
  test::FillNavigation(bar);
  const auto layout = bar.Layout();
  for (int g = 0; g < 3; ++g) {
    const auto& entry = layout[static_cast<std::size_t>(g)];
    EXPECT_EQ(bar.HitTest(test::CenterX(entry.header), test::CenterY(entry.header)),
              (ExplorerBarHit{Kind::GroupHeader, g, -1}));
    EXPECT_EQ(bar.HitTest(entry.headerIcon.left + 1, entry.headerIcon.top + 1),
              (ExplorerBarHit{Kind::GroupHeader, g, -1}));
    for (int i = 0; i < static_cast<int>(entry.items.size()); ++i) {
      const PixelRect& r = entry.items[static_cast<std::size_t>(i)];
      EXPECT_EQ(bar.HitTest(r.left, r.top), (ExplorerBarHit{Kind::Item, g, i}));
      EXPECT_EQ(bar.HitTest(r.right - 1, r.bottom - 1), (ExplorerBarHit{Kind::Item, g, i}));
    }
    const PixelRect first = entry.items.front();
    EXPECT_EQ(bar.HitTest(first.left - 1, first.top).kind, Kind::None);
    EXPECT_EQ(bar.HitTest(first.right, first.top).kind, Kind::None);
  }
  EXPECT_EQ(bar.HitTest(2, 2).kind, Kind::None);
  EXPECT_EQ(bar.HitTest(100, layout.back().body.bottom + 1).kind, Kind::None);
  EXPECT_EQ(bar.HitTest(-1, -1).kind, Kind::None);
}

TEST(ExplorerBarLayout, CollapsedGroupHidesItsItemsAndLiftsTheGroupsBelow) {
  ExplorerBar bar;
  test::FillNavigation(bar);
  const PixelRect actionsBefore = bar.Layout()[1].header;
  const PixelRect hiddenItem = bar.ItemRect(0, 4);
  bar.Groups().Item(0).SetExpanded(false);
  const auto layout = bar.Layout();
  EXPECT_TRUE(layout[0].items.empty());
  EXPECT_EQ(layout[0].body.top, layout[0].body.bottom);
  EXPECT_LT(layout[1].header.top, actionsBefore.top);
  EXPECT_EQ(bar.ItemRect(0, 4), PixelRect{});
  EXPECT_NE(bar.HitTest(test::CenterX(hiddenItem), test::CenterY(hiddenItem)),
            (ExplorerBarHit{Kind::Item, 0, 4}));
  EXPECT_EQ(bar.ItemRect(5, 0), PixelRect{});
  EXPECT_EQ(bar.ItemRect(1, 2), PixelRect{});
}

TEST(ExplorerBarLayout, AtTwiceTheResolutionEveryGroupAndItemIsTwiceAsLarge) {
  ExplorerBar small, large;
  test::FillNavigation(small);
  test::FillNavigation(large);
  small.SetClientSize(197, 600);
  large.SetDpi(192);
  large.SetMetrics(ExplorerBarMetrics::ForDpi(192));
  large.SetClientSize(394, 1200);
  const auto a = small.Layout(), b = large.Layout();
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t g = 0; g < a.size(); ++g) {
    EXPECT_EQ(b[g].header, (PixelRect{2 * a[g].header.left, 2 * a[g].header.top, 2 * a[g].header.right,
                                      2 * a[g].header.bottom}));
    EXPECT_EQ(b[g].headerIcon.right - b[g].headerIcon.left, 64);
    ASSERT_EQ(a[g].items.size(), b[g].items.size());
    for (std::size_t i = 0; i < a[g].items.size(); ++i) EXPECT_EQ(b[g].items[i].top, 2 * a[g].items[i].top);
  }
  EXPECT_EQ(ExplorerBarMetrics::ForDpi(144).itemIconSize, 24);
}

TEST(ExplorerBarLayout, HighContrastDrawsInTheSystemColoursInsteadOfTheBlues) {
  ExplorerBar bar;
  FixedSystemColors system;
  const ExplorerBarPalette own = ExplorerBarColors(bar, system);
  EXPECT_EQ(own.backStart, bar.BackColorStart());
  EXPECT_EQ(own.specialHeaderText, Rgb(255, 255, 255));
  system.Set(5, Rgb(0, 0, 0));        // window
  system.Set(8, Rgb(255, 255, 255));  // window text
  system.Set(13, Rgb(0, 255, 255));   // highlight
  system.Set(14, Rgb(1, 1, 1));       // highlight text
  system.Set(15, Rgb(2, 2, 2));       // button face
  system.Set(18, Rgb(255, 255, 0));   // button text
  system.Set(26, Rgb(0, 255, 0));     // hot-tracking
  EXPECT_EQ(ExplorerBarColors(bar, system).headerBack, own.headerBack) << "system colours count only in high contrast";
  system.HighContrast(true);
  const ExplorerBarPalette hc = ExplorerBarColors(bar, system);
  EXPECT_EQ(hc.backStart, Rgb(0, 0, 0));
  EXPECT_EQ(hc.backEnd, Rgb(0, 0, 0));
  EXPECT_EQ(hc.bodyBack, Rgb(0, 0, 0));
  EXPECT_EQ(hc.headerBack, Rgb(2, 2, 2));
  EXPECT_EQ(hc.headerText, Rgb(255, 255, 0));
  EXPECT_EQ(hc.specialHeaderBack, Rgb(0, 255, 255));
  EXPECT_EQ(hc.specialHeaderText, Rgb(1, 1, 1));
  EXPECT_EQ(hc.itemText, Rgb(255, 255, 255));
  EXPECT_EQ(hc.itemHotText, Rgb(0, 255, 0));
  EXPECT_EQ(hc.itemPressedBack, Rgb(0, 255, 255));
  EXPECT_EQ(hc.itemPressedText, Rgb(1, 1, 1));
}

}  // namespace
}  // namespace kqm
