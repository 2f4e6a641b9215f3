#include <gtest/gtest.h>

#include "bar_fixture.h"
#include "controls/explorer_bar/explorer_bar.h"

namespace kqm {
namespace {

using Kind = ExplorerBarHit::Kind;
using Keys = std::vector<std::string>;

class ExplorerBarInput : public ::testing::Test {
 protected:
  void SetUp() override {
    test::FillNavigation(bar);
    log.Attach(bar);
  }
  void ClickItem(int group, int item) {
    const PixelRect r = bar.ItemRect(group, item);
    bar.MouseDown(test::CenterX(r), test::CenterY(r));
    bar.MouseUp(test::CenterX(r), test::CenterY(r));
  }
  std::string Focused() const {
    const auto hit = bar.FocusedItem();
    return hit ? bar.ItemAt(*hit)->Key() : std::string("(none)");
  }
  ExplorerBar bar;
  test::ClickLog log;
};

TEST_F(ExplorerBarInput, EachClickRaisesTheEventOnceWithTheClickedItem) {
  const PixelRect r = bar.ItemRect(0, 3);
  bar.MouseDown(test::CenterX(r), test::CenterY(r));
  EXPECT_EQ(bar.Pressed(), (ExplorerBarHit{Kind::Item, 0, 3}));
  EXPECT_TRUE(log.keys.empty());
  bar.MouseUp(test::CenterX(r), test::CenterY(r));
  EXPECT_EQ(log.keys, (Keys{"HKCUR"}));
  EXPECT_EQ(Focused(), "HKCUR");
  ClickItem(0, 3);
  ClickItem(1, 0);
  ClickItem(2, 0);
  EXPECT_EQ(log.keys, (Keys{"HKCUR", "HKCUR", "DISABLE", "HELP"}));
}

TEST_F(ExplorerBarInput, ReleaseAwayFromThePressedItemIsNoClick) {
  const PixelRect a = bar.ItemRect(0, 0);
  const PixelRect b = bar.ItemRect(0, 1);
  bar.MouseDown(test::CenterX(a), test::CenterY(a));
  bar.MouseUp(test::CenterX(b), test::CenterY(b));
  bar.MouseUp(test::CenterX(a), test::CenterY(a));
  bar.MouseDown(2, 2);
  bar.MouseUp(test::CenterX(a), test::CenterY(a));
  bar.MouseUp(test::CenterX(b), test::CenterY(b));
  EXPECT_TRUE(log.keys.empty());
  EXPECT_FALSE(bar.Pressed());
  bar.MouseDown(test::CenterX(a), test::CenterY(a));
  bar.MouseCancel();
  bar.MouseUp(test::CenterX(a), test::CenterY(a));
  EXPECT_TRUE(log.keys.empty());
}

TEST_F(ExplorerBarInput, HeaderClickTogglesTheGroupAndRaisesNoItemClick) {
  const PixelRect header = bar.Layout()[1].header;
  bar.MouseDown(test::CenterX(header), test::CenterY(header));
  bar.MouseUp(test::CenterX(header), test::CenterY(header));
  EXPECT_FALSE(bar.Groups().Item(1).Expanded());
  bar.MouseDown(test::CenterX(header), test::CenterY(header));
  bar.MouseUp(test::CenterX(header), test::CenterY(header));
  EXPECT_TRUE(bar.Groups().Item(1).Expanded());
  EXPECT_TRUE(log.keys.empty());
}

TEST_F(ExplorerBarInput, HoverFollowsThePointerAndLeaves) {
  int repaints = 0;
  bar.OnInvalidate([&] { ++repaints; });
  const PixelRect r = bar.ItemRect(0, 2);
  bar.MouseMove(test::CenterX(r), test::CenterY(r));
  EXPECT_EQ(bar.Hover(), (ExplorerBarHit{Kind::Item, 0, 2}));
  bar.MouseMove(test::CenterX(r) + 1, test::CenterY(r));
  EXPECT_EQ(repaints, 1);
  bar.MouseMove(1, 1);
  EXPECT_FALSE(bar.Hover());
  bar.MouseMove(test::CenterX(r), test::CenterY(r));
  bar.MouseLeave();
  EXPECT_FALSE(bar.Hover());
  EXPECT_EQ(repaints, 4);
}

TEST_F(ExplorerBarInput, ArrowsHomeAndEndWalkTheItemsAcrossGroups) {
  EXPECT_EQ(Focused(), "(none)");
  EXPECT_TRUE(bar.KeyDown(ExplorerBarKey::Down));
  EXPECT_EQ(Focused(), "HKLMR");
  EXPECT_TRUE(bar.KeyDown(ExplorerBarKey::Up));
  EXPECT_EQ(Focused(), "HKLMR");
  EXPECT_TRUE(bar.KeyDown(ExplorerBarKey::End));
  EXPECT_EQ(Focused(), "HELP");
  EXPECT_TRUE(bar.KeyDown(ExplorerBarKey::Down));
  EXPECT_EQ(Focused(), "HELP");
  bar.KeyDown(ExplorerBarKey::Up);
  EXPECT_EQ(Focused(), "ENABLE");
  bar.KeyDown(ExplorerBarKey::Up);
  bar.KeyDown(ExplorerBarKey::Up);
  EXPECT_EQ(Focused(), "SYSTEMINI");
  bar.KeyDown(ExplorerBarKey::Home);
  EXPECT_EQ(Focused(), "HKLMR");
  EXPECT_TRUE(log.keys.empty());
}

TEST_F(ExplorerBarInput, UpWithoutFocusStartsAtTheLastItem) {
  bar.KeyDown(ExplorerBarKey::Up);
  EXPECT_EQ(Focused(), "HELP");
}

TEST_F(ExplorerBarInput, EnterAndSpaceClickTheFocusedItemOnce) {
  EXPECT_FALSE(bar.KeyDown(ExplorerBarKey::Enter));
  EXPECT_TRUE(log.keys.empty());
  bar.KeyDown(ExplorerBarKey::Down);
  bar.KeyDown(ExplorerBarKey::Down);
  EXPECT_TRUE(bar.KeyDown(ExplorerBarKey::Enter));
  EXPECT_TRUE(bar.KeyDown(ExplorerBarKey::Space));
  EXPECT_EQ(log.keys, (Keys{"HKLMRO", "HKLMRO"}));
}

TEST_F(ExplorerBarInput, CollapsedGroupsAreSkippedAndLoseTheFocus) {
  ClickItem(0, 8);
  log.keys.clear();
  EXPECT_EQ(Focused(), "SYSTEMINI");
  bar.Groups().Item(0).SetExpanded(false);
  EXPECT_EQ(Focused(), "(none)");
  bar.KeyDown(ExplorerBarKey::Home);
  EXPECT_EQ(Focused(), "DISABLE");
  bar.Groups().Item(1).SetExpanded(false);
  bar.Groups().Item(2).SetExpanded(false);
  EXPECT_FALSE(bar.KeyDown(ExplorerBarKey::Down));
  EXPECT_FALSE(bar.KeyDown(ExplorerBarKey::Space));
  EXPECT_TRUE(log.keys.empty());
}

TEST_F(ExplorerBarInput, HandlerMayChangeTheBarDuringTheClick) {
  bar.OnItemClick([this](ExplorerBarItem& item) {
    log.keys.push_back(item.Key());
    bar.Groups().Add("More").Items().Add("X", "x");
    item.Group().SetExpanded(false);
  });
  ClickItem(1, 0);
  EXPECT_EQ(log.keys, (Keys{"DISABLE"}));
  EXPECT_EQ(bar.Groups().Count(), 4u);
  EXPECT_FALSE(bar.FocusedItem());
}

TEST(ExplorerBarInputEmpty, AnEmptyBarIgnoresInput) {
  ExplorerBar bar;
  test::ClickLog log;
  log.Attach(bar);
  bar.MouseDown(50, 50);
  bar.MouseUp(50, 50);
  EXPECT_FALSE(bar.KeyDown(ExplorerBarKey::Down));
  EXPECT_FALSE(bar.KeyDown(ExplorerBarKey::Enter));
  EXPECT_TRUE(log.keys.empty());
}

}  // namespace
}  // namespace kqm
