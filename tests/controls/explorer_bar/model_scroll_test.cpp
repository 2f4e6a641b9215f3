#include <gtest/gtest.h>

#include "bar_fixture.h"
#include "controls/explorer_bar/explorer_bar.h"

namespace kqm {
namespace {

using Kind = ExplorerBarHit::Kind;

class ExplorerBarScroll : public ::testing::Test {
 protected:
  void SetUp() override {
    test::FillNavigation(bar);
    bar.SetClientSize(197, 418);
    fullHeight = bar.ContentHeight();
    bar.SetClientSize(197, 200);
  }
  ExplorerBar bar;
  int fullHeight = 0;
};

TEST_F(ExplorerBarScroll, ContentTallerThanTheBarCanScrollJustToItsEnd) {
  EXPECT_EQ(bar.ContentHeight(), fullHeight);
  EXPECT_GT(fullHeight, 200);
  EXPECT_EQ(bar.MaxScrollOffset(), fullHeight - 200);
  bar.SetScrollOffset(10000);
  EXPECT_EQ(bar.ScrollOffset(), fullHeight - 200);
  EXPECT_EQ(bar.ContentHeight(), fullHeight);
  EXPECT_LE(bar.ItemRect(2, 0).bottom, 200);
  bar.SetScrollOffset(-5);
  EXPECT_EQ(bar.ScrollOffset(), 0);
  bar.SetClientSize(197, 418);
  EXPECT_EQ(bar.MaxScrollOffset(), 0);
}

TEST_F(ExplorerBarScroll, ScrolledItemsMoveUpAndAreHitWhereTheyAreDrawn) {
  const PixelRect before = bar.ItemRect(1, 0);
  bar.SetScrollOffset(40);
  const PixelRect after = bar.ItemRect(1, 0);
  EXPECT_EQ(after.top, before.top - 40);
  EXPECT_EQ(bar.HitTest(test::CenterX(after), test::CenterY(after)), (ExplorerBarHit{Kind::Item, 1, 0}));
}

TEST_F(ExplorerBarScroll, WheelScrollsThreeRowsPerNotchAndKeepsPartialTurns) {
  const int row = bar.Metrics().itemHeight;
  bar.MouseWheel(-120);
  EXPECT_EQ(bar.ScrollOffset(), 3 * row);
  bar.MouseWheel(-60);
  EXPECT_EQ(bar.ScrollOffset(), 3 * row);
  bar.MouseWheel(-60);
  EXPECT_EQ(bar.ScrollOffset(), std::min(6 * row, bar.MaxScrollOffset()));
  bar.MouseWheel(120 * 50);
  EXPECT_EQ(bar.ScrollOffset(), 0);
}

TEST_F(ExplorerBarScroll, HoverFollowsTheContentUnderAStillPointer) {
  const PixelRect r = bar.ItemRect(0, 2);
  bar.MouseMove(test::CenterX(r), test::CenterY(r));
  bar.SetScrollOffset(bar.Metrics().itemHeight);
  EXPECT_EQ(bar.Hover(), (ExplorerBarHit{Kind::Item, 0, 3}));
  bar.MouseLeave();
  bar.SetScrollOffset(0);
  EXPECT_FALSE(bar.Hover());
}

TEST_F(ExplorerBarScroll, KeyboardFocusIsScrolledIntoView) {
  bar.KeyDown(ExplorerBarKey::End);
  const PixelRect last = bar.ItemRect(2, 0);
  EXPECT_GT(bar.ScrollOffset(), 0);
  EXPECT_GE(last.top, 0);
  EXPECT_LE(last.bottom, 200);
  bar.KeyDown(ExplorerBarKey::Home);
  const PixelRect first = bar.ItemRect(0, 0);
  EXPECT_GE(first.top, 0);
  EXPECT_LE(first.bottom, 200);
  for (int i = 0; i < 11; ++i) {
    bar.KeyDown(ExplorerBarKey::Down);
    const auto hit = *bar.FocusedItem();
    const PixelRect r = bar.ItemRect(hit.group, hit.item);
    EXPECT_GE(r.top, 0) << i;
    EXPECT_LE(r.bottom, 200) << i;
  }
}

TEST_F(ExplorerBarScroll, CollapsingGroupsPullsTheOffsetBackIntoRange) {
  bar.SetScrollOffset(bar.MaxScrollOffset());
  const int before = bar.ScrollOffset();
  bar.Groups().Item(0).SetExpanded(false);
  EXPECT_LT(bar.ScrollOffset(), before);
  EXPECT_EQ(bar.ScrollOffset(), bar.MaxScrollOffset());
  bar.Groups().Item(1).SetExpanded(false);
  EXPECT_EQ(bar.MaxScrollOffset(), 0);
  EXPECT_EQ(bar.ScrollOffset(), 0);
}

}  // namespace
}  // namespace kqm
