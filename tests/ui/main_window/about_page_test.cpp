#include "ui/main_window/about_page.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <tuple>

#include "controls/skin_button/model_test_site.h"
#include "controls/skin_button/property_bag.h"
#include "platform/substitute/fixed_system_colors.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/substitute_shell.h"
#include "ui/main_window/panel_colors.h"

namespace kqm {
namespace {

constexpr char kAppPath[] = "C:\\Program Files\\Kestrum\\QuorvelManager\\";

class AboutPageTest : public ::testing::Test {
 protected:
  PosixFileSystem fs_;
  SubstituteShell shell_{fs_};
  AboutPage page_{shell_, kAppPath};
};

TEST_F(AboutPageTest, ButtonsKeepTheirMarginsToTheCornerAndBetweenThem) {
  for (const auto& [w, h] : {std::pair{5385, 5805}, {8000, 3000}, {20000, 12345}, {3000, 1000}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    const AboutLayout& l = page_.Resize(w, h);
    EXPECT_EQ(l.cmdWeb.left + l.cmdWeb.width, w - 240);
    EXPECT_EQ(l.cmdWeb.top + l.cmdWeb.height, h - 240);
    EXPECT_EQ(l.cmdReadme.left + l.cmdReadme.width + 240, l.cmdWeb.left);
    EXPECT_EQ(l.cmdReadme.top, l.cmdWeb.top);
    EXPECT_EQ(l.cmdReadme.width, 1365);
    EXPECT_EQ(l.cmdWeb.height, 435);
  }
  const AboutLayout& design = page_.Resize(5385, 5805);
  EXPECT_EQ(design.cmdWeb, (TwipRect{3780, 5130, 1365, 435}));
  EXPECT_EQ(design.cmdReadme, (TwipRect{2175, 5130, 1365, 435}));
}

TEST_F(AboutPageTest, WideningMovesBothButtonsByTheSameAmountAndLeavesTheRestAlone) {
  const AboutLayout before = page_.Resize(5385, 5805);
  const AboutLayout after = page_.Resize(5385 + 1500, 5805);
  EXPECT_EQ(after.cmdWeb.left - before.cmdWeb.left, 1500);
  EXPECT_EQ(after.cmdReadme.left - before.cmdReadme.left, 1500);
  EXPECT_EQ(after.cmdWeb.top, before.cmdWeb.top);
  EXPECT_EQ(after.Line1.x2 - before.Line1.x2, 1500);
  EXPECT_EQ(after.Picture1, before.Picture1);
  EXPECT_EQ(after.Label2, before.Label2);
  EXPECT_EQ(after.Line1.x1, 240);
  EXPECT_EQ(after.Line1.y1, 1350);
  EXPECT_EQ(after.Line1.y2, 1350);
}

TEST_F(AboutPageTest, RuleKeepsEqualMarginsAndCollapsesToAPointOnANarrowPage) {
  EXPECT_EQ(page_.Resize(5385, 5805).Line1.x2, 5385 - 240);
  EXPECT_EQ(page_.Resize(481, 5805).Line1.x2, 241);
  // From 480 twips down the rule would run backwards; it becomes a point at its left end instead.
  for (int w : {480, 300, 240, 0, -15}) {
    SCOPED_TRACE(w);
    EXPECT_EQ(page_.Resize(w, 100).Line1, (TwipLine{240, 1350, 240, 1350}));
  }
  EXPECT_EQ(page_.Resize(482, 100).Line1.x2, 242);
}

TEST_F(AboutPageTest, AnEmptyOrHugePageGivesPositionsWithoutWrapAround) {
  const AboutLayout& empty = page_.Resize(0, 0);
  EXPECT_EQ(empty.cmdWeb.left, -1605);
  EXPECT_EQ(empty.cmdReadme.left, -3210);
  EXPECT_EQ(empty.cmdWeb.top, -675);
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  const AboutLayout& tiny = page_.Resize(kMin, kMin);
  EXPECT_EQ(tiny.cmdReadme.left, kMin);
  EXPECT_EQ(tiny.cmdWeb.top, kMin);
  const AboutLayout& huge = page_.Resize(kMax, kMax);
  EXPECT_EQ(huge.cmdWeb.left, kMax - 1605);
  EXPECT_EQ(huge.Line1.x2, kMax - 240);
}

TEST_F(AboutPageTest, ReadmeOpensTheFileInTheProgramFolderAndWebOpensABareHostName) {
  page_.cmdReadme_Click();
  page_.cmdWeb_Click();
  ASSERT_EQ(shell_.OpenedPaths().size(), 2u);
  EXPECT_EQ(shell_.OpenedPaths()[0], std::string(kAppPath) + "readme.txt");
  EXPECT_EQ(shell_.OpenedPaths()[1], AboutPage::kWebAddress);
}

TEST_F(AboutPageTest, AFailedOpenChangesNothingAndLaterClicksStillOpen) {
  shell_.SetOpenResult(2);
  page_.cmdReadme_Click();
  shell_.SetOpenResult(0);
  page_.cmdReadme_Click();
  EXPECT_EQ(shell_.OpenedPaths(),
            (std::vector<std::string>{page_.ReadmePath(), std::string(kAppPath) + "readme.txt"}));
  EXPECT_EQ(page_.Layout(), AboutLayout{});
}

TEST(AboutPageButtons, SettingsLoadIntoAButtonExactlyAsWritten) {
  TextPropertyBag written;
  AboutPage::WriteButtonSettings(written, "Readme.txt");
  // Through the bag's text form, as a container stores it.
  TextPropertyBag bag;
  ASSERT_TRUE(bag.Load(written.Save()));
  testing::TestSite site;
  sknButton button(site);
  button.ReadProperties(bag);
  EXPECT_TRUE(bag.Errors().empty());
  EXPECT_EQ(button.Caption(), "Readme.txt");
  EXPECT_EQ(button.ButtonType(), sknButtonType::btRoundedGradient);
  EXPECT_EQ(button.ColorScheme(), sknColorScheme::csSystem);
  EXPECT_EQ(button.BackColor(), Rgb(212, 208, 200));
  EXPECT_EQ(button.ForeColor(), Rgb(0, 0, 0));
  EXPECT_EQ(button.MaskColor(), Rgb(192, 192, 192));
  EXPECT_EQ(button.MousePointer(), 1);
  EXPECT_FALSE(button.CheckBoxBehaviour());
  EXPECT_EQ(button.PictureNormal(), nullptr);
  EXPECT_EQ(button.Font(), (ButtonFont{"MS Sans Serif", 8.25, 400, false, false}));
  // The button saves the very same record: every key is one the button knows, none is missing.
  TextPropertyBag saved;
  button.WriteProperties(saved);
  EXPECT_EQ(saved.Save(), written.Save());
}

TEST(AboutPagePicture, IsDrawnAtEachResolutionWithItsLinesAsThickAsTheResolutionAsks) {
  // 100 %, 150 % and 200 %: the size, and the emblem box's white edge (3 pixels at 100 %), drawn at that size.
  for (const auto& [dpi, width, height, edge] : {std::tuple{96, 184, 87, 3}, {144, 276, 131, 5}, {192, 368, 174, 6}}) {
    SCOPED_TRACE(dpi);
    const std::vector<std::uint32_t> px = AboutPage::PictureBackground(dpi);
    ASSERT_EQ(AboutPage::PictureWidth(dpi), width);
    ASSERT_EQ(AboutPage::PictureHeight(dpi), height);
    ASSERT_EQ(px.size(), static_cast<size_t>(width * height));
    const int left = (12 * dpi + 48) / 96, row = (30 * dpi + 48) / 96;
    auto at = [&](int x, int y) { return FromPixel(px[static_cast<size_t>(y) * width + x]); };
    EXPECT_NE(at(left - 1, row), Rgb(255, 255, 255));
    for (int x = left; x < left + edge; ++x) EXPECT_EQ(at(x, row), Rgb(255, 255, 255)) << x;
    EXPECT_NE(at(left + edge, row), Rgb(255, 255, 255));
  }
}

TEST(AboutPagePicture, FillsItsWholeSizeWithTheProgramsBlues) {
  const std::vector<std::uint32_t> px = AboutPage::PictureBackground();
  constexpr int w = AboutPage::kPictureWidthPx, h = AboutPage::kPictureHeightPx;
  EXPECT_EQ(FromPixel(px[0]), Rgb(97, 167, 231));
  const ColorRef last = FromPixel(px.back());
  EXPECT_LE(std::abs(RedOf(last) - 14) + std::abs(GreenOf(last) - 54) + std::abs(BlueOf(last) - 90), 6);
  for (size_t i = 0; i < px.size(); ++i) {
    ASSERT_EQ(px[i] >> 24, 0u) << "pixel " << i % w << "," << i / w;
    const ColorRef c = FromPixel(px[i]);
    ASSERT_GE(BlueOf(c), RedOf(c)) << "pixel " << i % w << "," << i / w;  // blue everywhere, white at most
  }
  // The light top-left corner runs into the dark bottom-right one along both edges.
  EXPECT_GT(BlueOf(FromPixel(px[w - 1])), BlueOf(last));
  EXPECT_GT(BlueOf(FromPixel(px[static_cast<size_t>(h - 1) * w])), BlueOf(last));
  EXPECT_LT(BlueOf(FromPixel(px[w - 1])), 231);
}

TEST(PanelColours, HighContrastTakesTheSystemColoursAndOtherwiseTheProgramsOwn) {
  FixedSystemColors system;
  system.Set(5, Rgb(0, 0, 0));        // window
  system.Set(8, Rgb(255, 255, 255));  // window text
  system.Set(15, Rgb(0, 0, 128));     // button face
  system.Set(18, Rgb(255, 255, 0));   // button text
  const PanelColors own = PanelColorsFor(system);
  EXPECT_EQ(own.headerBack, Rgb(97, 167, 231));
  EXPECT_EQ(own.headerText, Rgb(255, 255, 255));
  EXPECT_EQ(own.pageBack, Rgb(255, 255, 255));
  EXPECT_EQ(own.pageText, Rgb(0, 0, 0)) << "dark text on the fixed white page, whatever the theme's text colour";
  EXPECT_EQ(own.rule, Rgb(97, 167, 231));
  system.HighContrast(true);
  const PanelColors hc = PanelColorsFor(system);
  EXPECT_EQ(hc.headerBack, Rgb(0, 0, 128));
  EXPECT_EQ(hc.headerText, Rgb(255, 255, 0));
  EXPECT_EQ(hc.pageBack, Rgb(0, 0, 0));
  EXPECT_EQ(hc.pageText, Rgb(255, 255, 255));
  EXPECT_EQ(hc.rule, Rgb(255, 255, 255));
}

}  // namespace
}  // namespace kqm
