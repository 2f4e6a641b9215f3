#include <gtest/gtest.h>

#include "controls/skin_button/button_input.h"
#include "model_test_site.h"

namespace kqm {
namespace {

using Log = std::vector<std::string>;

class PointerTest : public ::testing::Test {
 protected:
  // The log since the last call.
  Log Take() { return std::exchange(b.site.log, {}); }

  testing::ShownButton b;
  ButtonInput input{b.button};
};

TEST_F(PointerTest, LeftClickDrawsDownThenUpAndClicksAfterMouseUp) {
  input.PointerDown(kMouseLeft, 0, 5, 6);
  input.PointerUp(kMouseLeft, 0, 5, 6);
  EXPECT_EQ(Take(), (Log{"MouseDown 1 0 5 6", "paint down", "MouseUp 1 0 5 6", "paint up", "paint up", "update",
                         "Click"}));
}

TEST_F(PointerTest, ReleaseOutsideTheButtonGivesNoClick) {
  input.PointerDown(kMouseLeft, 0, 5, 6);
  input.PointerUp(kMouseLeft, 0, 90, 6);
  input.PointerDown(kMouseLeft, 0, 5, 6);
  input.PointerUp(kMouseLeft, 0, 5, -1);
  const Log log = Take();
  EXPECT_EQ(std::count(log.begin(), log.end(), "Click"), 0);
}

TEST_F(PointerTest, RightButtonRaisesEventsButDrawsNothingAndNeverClicks) {
  input.PointerDown(kMouseRight, 1, 5, 6);
  input.PointerMove(kMouseRight, 1, 7, 6);
  input.PointerUp(kMouseRight, 1, 5, 6);
  EXPECT_EQ(Take(), (Log{"MouseDown 2 1 5 6", "MouseMove 2 1 7 6", "MouseUp 2 1 5 6"}));
  input.ClickNotification();
  EXPECT_EQ(Take(), Log{});
}

TEST_F(PointerTest, MiddleButtonDrawsDownAndUpWithoutClick) {
  input.PointerDown(kMouseMiddle, 0, 5, 6);
  input.PointerUp(kMouseMiddle, 0, 5, 6);
  EXPECT_EQ(Take(), (Log{"MouseDown 4 0 5 6", "paint down", "MouseUp 4 0 5 6", "paint up"}));
}

TEST_F(PointerTest, HoverStartsTimerOnceAndLeaveTestEndsIt) {
  b.site.mouseOver = true;
  input.PointerMove(0, 0, 3, 3);
  input.PointerMove(0, 0, 4, 3);
  EXPECT_EQ(Take(), (Log{"MouseMove 0 0 3 3", "timer on", "paint up hover", "MouseOver", "MouseMove 0 0 4 3"}));
  input.TimerTick();
  EXPECT_EQ(Take(), Log{});
  EXPECT_TRUE(b.site.timerOn);
  b.site.mouseOver = false;
  input.TimerTick();
  EXPECT_EQ(Take(), (Log{"timer off", "paint up", "MouseOut"}));
  EXPECT_FALSE(b.button.IsOver());
}

TEST_F(PointerTest, PointerCoveredByAnotherWindowCountsAsLeft) {
  b.site.mouseOver = true;
  input.PointerMove(0, 0, 3, 3);
  Take();
  b.site.mouseOver = false;  // a window now lies over the button, the pointer did not move
  input.TimerTick();
  EXPECT_EQ(Take(), (Log{"timer off", "paint up", "MouseOut"}));
}

TEST_F(PointerTest, PressOnHoveredButtonDrawsDownWithHoverAndReleaseReturnsToHover) {
  b.site.mouseOver = true;
  input.PointerMove(0, 0, 3, 3);
  Take();
  input.PointerDown(kMouseLeft, 0, 3, 3);
  input.PointerUp(kMouseLeft, 0, 3, 3);
  EXPECT_EQ(Take(), (Log{"MouseDown 1 0 3 3", "paint down hover", "MouseUp 1 0 3 3", "paint up hover",
                         "paint up hover", "update", "Click"}));
}

TEST_F(PointerTest, DragOutPopsUpDragBackPressesAndNextPlainMoveHoversAgain) {
  b.site.mouseOver = true;
  input.PointerMove(0, 0, 3, 3);
  input.PointerDown(kMouseLeft, 0, 3, 3);
  Take();
  b.site.mouseOver = false;
  input.PointerMove(kMouseLeft, 0, 100, 3);
  EXPECT_EQ(Take(), (Log{"MouseMove 1 0 100 3", "paint up hover"}));
  b.site.mouseOver = true;
  input.PointerMove(kMouseLeft, 0, 3, 3);
  EXPECT_EQ(Take(), (Log{"MouseMove 1 0 3 3", "paint down hover"}));
  EXPECT_FALSE(b.button.IsOver());
  input.PointerUp(kMouseLeft, 0, 3, 3);
  EXPECT_EQ(Take(), (Log{"MouseUp 1 0 3 3", "paint up", "paint up", "update", "Click"}));
  input.PointerMove(0, 0, 4, 3);
  EXPECT_EQ(Take(), (Log{"MouseMove 0 0 4 3", "timer on", "paint up hover", "MouseOver"}));
}

TEST_F(PointerTest, RepeatedMovesOffTheButtonDrawNothingNew) {
  input.PointerMove(0, 0, 3, 3);
  input.PointerMove(0, 0, 4, 3);
  EXPECT_EQ(Take(), (Log{"MouseMove 0 0 3 3", "MouseMove 0 0 4 3"}));
}

TEST_F(PointerTest, DoubleClickPressesAtOriginCapturesAndClicksOnlyOnce) {
  input.PointerDown(kMouseLeft, 0, 5, 6);
  input.PointerUp(kMouseLeft, 0, 5, 6);
  Take();
  input.DoubleClick();
  EXPECT_EQ(Take(), (Log{"MouseDown 1 0 0 0", "paint down", "capture"}));
  input.PointerUp(kMouseLeft, 0, 5, 6);
  EXPECT_EQ(Take(), (Log{"MouseUp 1 0 5 6", "paint up"}));
}

TEST_F(PointerTest, DoubleClickAfterRightPressIsIgnored) {
  input.PointerDown(kMouseRight, 0, 5, 6);
  input.PointerUp(kMouseRight, 0, 5, 6);
  Take();
  input.DoubleClick();
  EXPECT_EQ(Take(), Log{});
}

TEST_F(PointerTest, CheckBoxModeTogglesValueOnEveryClickWithoutNotifying) {
  b.button.CheckBoxBehaviour(true);
  Take();
  b.site.notified.clear();
  input.PointerDown(kMouseLeft, 0, 5, 6);
  input.PointerUp(kMouseLeft, 0, 5, 6);
  EXPECT_TRUE(b.button.Value());
  EXPECT_EQ(Take(), (Log{"MouseDown 1 0 5 6", "paint down", "MouseUp 1 0 5 6", "paint up", "paint down",
                         "update", "Click"}));
  input.PointerDown(kMouseLeft, 0, 5, 6);
  input.PointerUp(kMouseLeft, 0, 5, 6);
  EXPECT_FALSE(b.button.Value());
  EXPECT_EQ(Take().back(), "Click");
  EXPECT_EQ(b.button.LastState(), kStateUp);
  EXPECT_TRUE(b.site.notified.empty());
}

TEST_F(PointerTest, DisabledButtonIgnoresTheClickNotification) {
  b.button.Enabled(false);
  input.PointerDown(kMouseLeft, 0, 5, 6);
  Take();
  input.ClickNotification();
  EXPECT_EQ(Take(), Log{});
}

TEST_F(PointerTest, AccessKeyClicksEvenAfterARightPress) {
  input.PointerDown(kMouseRight, 0, 5, 6);
  Take();
  input.AccessKey();
  EXPECT_EQ(Take(), (Log{"paint up", "update", "Click"}));
  EXPECT_EQ(input.LastButton(), kMouseLeft);
}

TEST_F(PointerTest, ListenerMayChangeTheButtonBeforeTheControlUsesIt) {
  struct Swap : sknButtonEvents {
    void MouseDown(std::int16_t& button, std::int16_t&, float&, float&) override { button = kMouseRight; }
  } swap;
  b.button.SetEvents(&swap);
  input.PointerDown(kMouseLeft, 0, 5, 6);
  EXPECT_EQ(input.LastButton(), kMouseRight);
  EXPECT_EQ(Take(), Log{});
}

}  // namespace
}  // namespace kqm
