#include <gtest/gtest.h>

#include "controls/skin_button/button_input.h"
#include "controls/skin_button/property_bag.h"
#include "model_test_site.h"

namespace kqm {
namespace {

using Log = std::vector<std::string>;

class KeysTest : public ::testing::Test {
 protected:
  Log Take() { return std::exchange(b.site.log, {}); }

  testing::ShownButton b;
  ButtonInput input{b.button};
};

TEST_F(KeysTest, SpacePressAndReleaseClicksOnce) {
  input.KeyDown(kKeySpace, 0);
  input.Char(32);
  input.KeyUp(kKeySpace, 0);
  EXPECT_EQ(Take(), (Log{"KeyDown 32 0", "paint down", "KeyPress 32", "KeyUp 32 0", "paint up", "update", "Click"}));
}

TEST_F(KeysTest, SpaceReleaseAfterAnotherKeyGivesNoClick) {
  input.KeyDown(kKeySpace, 0);
  input.KeyDown(65, 0);
  input.KeyUp(kKeySpace, 0);
  EXPECT_EQ(Take(), (Log{"KeyDown 32 0", "paint down", "KeyDown 65 0", "KeyUp 32 0"}));
}

TEST_F(KeysTest, SpaceClickRepaintsOnlyWhenTheStateChanges) {
  input.KeyDown(kKeySpace, 0);
  input.KeyUp(kKeySpace, 0);
  Take();
  // Up already drawn: the space click's own repaint is not forced, so nothing new is drawn.
  input.KeyUp(kKeySpace, 0);
  EXPECT_EQ(Take(), (Log{"KeyUp 32 0", "update", "Click"}));
}

TEST_F(KeysTest, ArrowKeysMoveFocusWithoutClick) {
  for (std::int16_t key : {kKeyLeft, kKeyUp, kKeyRight, kKeyDown}) {
    input.KeyDown(key, 0);
    input.KeyUp(key, 0);
  }
  EXPECT_EQ(Take(), (Log{"KeyDown 37 0", "focus previous", "KeyUp 37 0", "KeyDown 38 0", "focus previous",
                         "KeyUp 38 0", "KeyDown 39 0", "focus next", "KeyUp 39 0", "KeyDown 40 0", "focus next",
                         "KeyUp 40 0"}));
}

TEST_F(KeysTest, LastKeyKeepsTheLowByte) {
  input.KeyDown(static_cast<std::int16_t>(256 + kKeySpace), 2);
  EXPECT_EQ(input.LastKey(), kKeySpace);
  Take();
  input.KeyUp(kKeySpace, 0);
  EXPECT_EQ(Take().back(), "Click");
}

TEST_F(KeysTest, FocusChangesRepaintTheLastStateWithTheFocusFlag) {
  input.KeyDown(kKeySpace, 0);
  Take();
  input.FocusGained();
  EXPECT_TRUE(b.button.HasFocus());
  input.FocusLost();
  EXPECT_FALSE(b.button.HasFocus());
  EXPECT_EQ(Take(), (Log{"paint down", "paint down"}));
}

TEST(AccessKey, FollowsTheFirstTwoAmpersands) {
  EXPECT_EQ(sknButton::AccessKeyOf("Save &As"), "A");
  EXPECT_EQ(sknButton::AccessKeyOf("&&Copy"), "");
  EXPECT_EQ(sknButton::AccessKeyOf("A&&B&D"), "D");
  EXPECT_EQ(sknButton::AccessKeyOf("A&&B"), "");
  EXPECT_EQ(sknButton::AccessKeyOf("X&"), "");
  EXPECT_EQ(sknButton::AccessKeyOf("&"), "");
  EXPECT_EQ(sknButton::AccessKeyOf("&x"), "x");
  EXPECT_EQ(sknButton::AccessKeyOf("a&&&b"), "b");
  EXPECT_EQ(sknButton::AccessKeyOf("a&&b&&c"), "");  // the character after the second "&" is "&"
  EXPECT_EQ(sknButton::AccessKeyOf("a&&b&"), "");   // the second "&" is last
  EXPECT_EQ(sknButton::AccessKeyOf("&&a&&b&c"), "");  // only two ampersands are examined
  // The key is a whole character, however many bytes it takes.
  EXPECT_EQ(sknButton::AccessKeyOf("&\xC3\x9C" "ber"), "\xC3\x9C");            // "&Über": Ü
  EXPECT_EQ(sknButton::AccessKeyOf("A&&B&\xE2\x82\xAC!"), "\xE2\x82\xAC");  // the euro sign
}

TEST(AccessKey, IsGivenToTheWindowWhenTheCaptionChangesAndAfterLoading) {
  testing::ShownButton b;
  b.button.Caption("&Readme");
  EXPECT_EQ(b.site.accessKeys, "R");
  b.button.Caption("No key");
  EXPECT_EQ(b.site.accessKeys, "");

  TextPropertyBag bag;
  ASSERT_TRUE(bag.Load("TX=\"Visit &Web\""));
  b.button.ReadProperties(bag);
  EXPECT_EQ(b.site.accessKeys, "W");
}

}  // namespace
}  // namespace kqm
