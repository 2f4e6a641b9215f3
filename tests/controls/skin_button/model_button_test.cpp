#include <gtest/gtest.h>

#include <functional>

#include "controls/skin_button/button_paint.h"
#include "model_test_site.h"

namespace kqm {
namespace {

using Keys = std::vector<std::string>;

PicturePtr Solid(std::int32_t w, std::int32_t h, std::uint32_t pixel) {
  return MakePicture(ButtonPicture::Kind::Bitmap, w, h, std::vector<std::uint32_t>(static_cast<size_t>(w * h), pixel));
}

TEST(ButtonModel, NewControlTakesContainerNameFontAndSystemColoursWithoutNotifying) {
  testing::TestSite site;
  site.displayName = "cmdReadme";
  site.userMode = false;
  sknButton b(site);
  b.InitProperties();
  EXPECT_EQ(b.Caption(), "cmdReadme");
  EXPECT_EQ(b.Font(), site.ambientFont);
  EXPECT_EQ(b.ButtonType(), sknButtonType::btClassic3D);
  EXPECT_EQ(b.ColorScheme(), sknColorScheme::csSystem);
  EXPECT_EQ(b.BackColor(), Rgb(212, 208, 200));  // the face colour itself, not a reference
  EXPECT_EQ(b.BackOver(), b.BackColor());
  EXPECT_EQ(b.ForeColor(), Rgb(0, 0, 0));
  EXPECT_EQ(b.ForeOver(), b.ForeColor());
  EXPECT_EQ(b.MaskColor(), Rgb(192, 192, 192));
  EXPECT_TRUE(b.Enabled());
  EXPECT_TRUE(b.ShowFocusRect());
  EXPECT_TRUE(b.UseMaskColor());
  EXPECT_TRUE(site.notified.empty());
  EXPECT_EQ(sknButton::Version(), "2.0.6 B");
}

TEST(ButtonModel, EachPersistedSetterNotifiesItsKey) {
  testing::ShownButton s;
  sknButton& b = s.button;
  const PicturePtr pic = Solid(2, 2, 0xFF0000);
  const std::vector<std::pair<std::function<void()>, std::string>> cases = {
      {[&] { b.BackColor(1); }, "BCOL"},
      {[&] { b.BackOver(2); }, "BCOLO"},
      {[&] { b.ForeColor(3); }, "FCOL"},
      {[&] { b.ForeOver(4); }, "FCOLO"},
      {[&] { b.MaskColor(5); }, "MCOL"},
      {[&] { b.ButtonType(sknButtonType::btOval); }, "BTYPE"},
      {[&] { b.Caption("x"); }, "TX"},
      {[&] { b.Enabled(false); }, "ENAB"},
      {[&] { b.Font(ButtonFont{"Arial", 10, 400, false, false}); }, "FONT"},
      {[&] { b.ColorScheme(sknColorScheme::csFixed); }, "COLTYPE"},
      {[&] { b.ShowFocusRect(false); }, "FOCUSR"},
      {[&] { b.MousePointer(11); }, "MPTR"},
      {[&] { b.MouseIcon(pic); }, "MICON"},
      {[&] { b.HandPointer(true); }, "HAND"},
      {[&] { b.SoftBevel(true); }, "SOFT"},
      {[&] { b.PictureNormal(pic); }, "PICN"},
      {[&] { b.PictureOver(pic); }, "PICO"},
      {[&] { b.PicturePosition(sknPicturePosition::ppTop); }, "PICPOS"},
      {[&] { b.UseMaskColor(false); }, "UMCOL"},
      {[&] { b.UseGreyscale(true); }, "NGREY"},
      {[&] { b.SpecialEffect(sknSpecialEffect::fxSunken); }, "FX"},
      {[&] { b.CheckBoxBehaviour(true); }, "CHECK"},
      {[&] { b.Value(true); }, "VALUE"},
  };
  for (const auto& [set, key] : cases) {
    s.site.notified.clear();
    set();
    EXPECT_EQ(s.site.notified, Keys{key}) << key;
  }
  s.site.notified.clear();
  b.FontBold(true);
  b.FontItalic(true);
  b.FontUnderline(true);
  b.FontSize(12);
  b.FontName("Verdana");
  EXPECT_TRUE(s.site.notified.empty());
  EXPECT_EQ(b.Font(), (ButtonFont{"Verdana", 12, 700, true, true}));
}

TEST(ButtonModel, ColourSetterLinksHoverColourOnlyAtDesignTime) {
  testing::ShownButton s;
  s.site.userMode = false;
  s.button.BackColor(Rgb(1, 2, 3));
  s.button.ForeColor(Rgb(4, 5, 6));
  EXPECT_EQ(s.button.BackOver(), Rgb(1, 2, 3));
  EXPECT_EQ(s.button.ForeOver(), Rgb(4, 5, 6));
  s.site.userMode = true;
  s.button.BackColor(Rgb(7, 8, 9));
  s.button.ForeColor(Rgb(10, 11, 12));
  EXPECT_EQ(s.button.BackOver(), Rgb(1, 2, 3));
  EXPECT_EQ(s.button.ForeOver(), Rgb(4, 5, 6));
}

TEST(ButtonModel, OutlinedTypeTurnsTheFontBoldOnlyAtDesignTime) {
  testing::ShownButton s;
  s.button.ButtonType(sknButtonType::btOutlined);
  EXPECT_FALSE(s.button.FontBold());
  s.site.userMode = false;
  s.button.ButtonType(sknButtonType::btOutlined);
  EXPECT_TRUE(s.button.FontBold());
}

TEST(ButtonModel, ChangingTheTypeRecomputesTheTypeDependentTint) {
  testing::ShownButton s;
  s.button.ColorScheme(sknColorScheme::csCustom);
  s.button.BackColor(Rgb(100, 100, 100));
  s.button.ButtonType(sknButtonType::btRoundedGradient);
  EXPECT_EQ(s.button.Painter().Colors().cTint, Rgb(148, 148, 125));
  s.button.ButtonType(sknButtonType::btClassic3D);
  EXPECT_EQ(s.button.Painter().Colors().cTint, Rgb(148, 148, 148));
}

TEST(ButtonModel, PictureOverRepaintsOnlyWhileHovered) {
  testing::ShownButton s;
  const int before = s.site.facesDrawn;
  s.button.PictureOver(Solid(2, 2, 0));
  EXPECT_EQ(s.site.facesDrawn, before);
  EXPECT_NE(s.button.PictureOver(), nullptr);
  s.button.IsOver(true);
  s.button.PictureOver(Solid(2, 2, 1));
  EXPECT_EQ(s.site.facesDrawn, before + 1);
}

TEST(ButtonModel, MaskAndGreyscaleRepaintOnlyWithAPicture) {
  testing::ShownButton s;
  const int before = s.site.facesDrawn;
  s.button.UseMaskColor(false);
  s.button.UseGreyscale(true);
  EXPECT_EQ(s.site.facesDrawn, before);
  EXPECT_FALSE(s.button.UseMaskColor());
  EXPECT_TRUE(s.button.UseGreyscale());
  s.button.PictureNormal(Solid(2, 2, 0));
  const int withPicture = s.site.facesDrawn;
  s.button.UseMaskColor(true);
  s.button.UseGreyscale(false);
  EXPECT_EQ(s.site.facesDrawn, withPicture + 2);
}

TEST(ButtonModel, DisableRefreshStoresWithoutDrawingAndRefreshDrawsOnce) {
  testing::ShownButton s;
  s.button.DisableRefresh();
  const int before = s.site.facesDrawn;
  s.button.Caption("Later");
  s.button.ColorScheme(sknColorScheme::csFixed);
  s.button.ButtonType(sknButtonType::btFramedBevel);
  EXPECT_EQ(s.site.facesDrawn, before);
  EXPECT_EQ(s.button.Caption(), "Later");
  s.button.Refresh();
  EXPECT_EQ(s.site.facesDrawn, before + 1);
  EXPECT_EQ(s.button.Painter().Colors().cFace, Rgb(192, 192, 192));
  EXPECT_EQ(s.button.Painter().LastCaption(), "Later");
}

TEST(ButtonModel, HiddenOrFlatButtonDrawsNothing) {
  testing::ShownButton s;
  s.button.Hide();
  const int before = s.site.facesDrawn;
  s.button.Caption("a");
  EXPECT_EQ(s.site.facesDrawn, before);
  s.button.Show();
  EXPECT_EQ(s.site.facesDrawn, before + 1);
  s.site.height = 0;
  s.button.Resize();
  s.button.Caption("b");
  EXPECT_EQ(s.site.facesDrawn, before + 1);
}

TEST(ButtonModel, CheckBoxValueFromOutsideRepaintsOnlyInCheckBoxMode) {
  testing::ShownButton s;
  const int before = s.site.facesDrawn;
  s.button.Value(true);
  EXPECT_EQ(s.site.facesDrawn, before);
  s.button.CheckBoxBehaviour(true);
  EXPECT_EQ(s.button.LastState(), kStateDown);
  s.button.Value(false);
  EXPECT_EQ(s.button.LastState(), kStateUp);
}

TEST(ButtonModel, HandPointerSwitchesBetweenHandAndArrow) {
  testing::ShownButton s;
  s.button.MouseIcon(Solid(2, 2, 0));
  s.button.HandPointer(true);
  EXPECT_EQ(s.site.pointerShape, kPointerCustom);
  EXPECT_EQ(s.button.MousePointer(), kPointerCustom);
  EXPECT_TRUE(s.site.handImage);
  s.button.HandPointer(false);
  EXPECT_EQ(s.site.pointerShape, kPointerArrow);
  EXPECT_EQ(s.site.pointerImage, nullptr);
  EXPECT_EQ(s.button.MouseIcon(), nullptr);
  s.site.handLoads = false;  // a cursor that cannot be loaded is ignored
  s.button.HandPointer(true);
  EXPECT_TRUE(s.button.HandPointer());
  EXPECT_EQ(s.site.pointerShape, kPointerCustom);
}

TEST(ButtonModel, FontSizeReadsBackRoundedToWholePoints) {
  testing::ShownButton s;
  s.button.Font(ButtonFont{"Tahoma", 8.25, 400, false, false});
  EXPECT_EQ(s.button.FontSize(), 8);
  s.button.Font(ButtonFont{"Tahoma", 9.75, 400, false, false});
  EXPECT_EQ(s.button.FontSize(), 10);
}

TEST(ButtonModel, EnabledReachesTheWindowAndDrawsTheDisabledFace) {
  testing::ShownButton s;
  const PixelRect text = s.button.Painter().Layout().rcText;
  const PixelRect down = s.button.Painter().Layout().rcTextDown;
  const ButtonColors& colours = s.button.Painter().Colors();
  ASSERT_EQ(s.site.surface.Pixel(text.left, text.top), colours.cText);
  s.button.Enabled(false);
  EXPECT_FALSE(s.site.enabledWindow);
  EXPECT_EQ(s.button.LastState(), kStateUp);
  // The classic type's disabled caption: an etched copy in the highlight colour under one in the shadow colour.
  EXPECT_EQ(s.site.surface.Pixel(text.left, text.top), colours.cShadow);
  EXPECT_EQ(s.site.surface.Pixel(down.left, down.top), colours.cHighlight);
  s.button.Enabled(true);
  EXPECT_TRUE(s.site.enabledWindow);
  EXPECT_EQ(s.site.surface.Pixel(text.left, text.top), colours.cText);
  EXPECT_NE(s.site.surface.Pixel(down.left, down.top), colours.cHighlight);
}

TEST(ButtonModel, TransparentTypeSnapshotsTheParentAtTheFirstSizeOnly) {
  testing::ShownButton s;
  s.button.ButtonType(sknButtonType::btTransparent);
  EXPECT_EQ(std::count(s.site.log.begin(), s.site.log.end(), "capture parent"), 1);
  EXPECT_EQ(s.site.surface.Pixel(0, 0), s.site.parentFill);
  EXPECT_EQ(s.site.surface.Pixel(79, 2), s.site.parentFill);
  s.site.width = 120;
  s.site.surface = Raster(120, 24);
  s.button.Resize();
  s.site.log.clear();
  s.button.Refresh();
  EXPECT_EQ(std::count(s.site.log.begin(), s.site.log.end(), "capture parent"), 1);
  // The snapshot keeps the 80 columns it was first taken with: they show the parent, the columns the button
  // grew by show the face.
  EXPECT_EQ(s.site.surface.Pixel(79, 2), s.site.parentFill);
  EXPECT_EQ(s.site.surface.Pixel(80, 2), s.button.Painter().Colors().cFace);
  EXPECT_EQ(s.site.surface.Pixel(119, 2), s.button.Painter().Colors().cFace);
}

TEST(ButtonModel, ResizeGivesTheWindowTheTypesShape) {
  testing::ShownButton s;
  s.button.ButtonType(sknButtonType::btFramedBevel);
  EXPECT_EQ(s.site.shape.width, 80);
  EXPECT_EQ(s.site.shape.height, 24);
  EXPECT_EQ(s.site.shape.PixelCount(), 80 * 24 - 4);
  s.button.ButtonType(sknButtonType::btOval);
  EXPECT_TRUE(s.site.shape.elliptic);
}

}  // namespace
}  // namespace kqm
