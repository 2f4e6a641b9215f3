#include <gtest/gtest.h>

#include "controls/skin_button/button_paint.h"
#include "paint_test_support.h"
#include "platform/substitute/fixed_system_colors.h"
#include "platform/substitute/fixed_text_renderer.h"

namespace kqm {
namespace {

constexpr ColorRef F = Rgb(192, 192, 192);  // the fixed scheme: face
constexpr ColorRef L = Rgb(223, 223, 223);  // light
constexpr ColorRef Hi = Rgb(255, 255, 255);
constexpr ColorRef S = Rgb(128, 128, 128);
constexpr ColorRef D = Rgb(0, 0, 0);
constexpr ColorRef kSelect = Rgb(0, 0, 128);
constexpr ColorRef kPale = Rgb(173, 173, 209);
const std::map<ColorRef, char> kLegend = {{L, 'L'}, {Hi, 'H'}, {S, 'S'}, {D, 'D'}, {kSelect, 'X'}, {kPale, 'P'}};

// One button in the fixed colour scheme, without caption, painted onto its own raster.
struct Face {
  FixedSystemColors sys;
  FixedTextRenderer text;
  ButtonPainter painter{sys};
  ButtonLook look;
  Raster surface;

  Face(sknButtonType type, int w, int h) {
    look.buttonType = type;
    look.colorScheme = sknColorScheme::csFixed;
    look.width = w;
    look.height = h;
  }
  Raster& Paint(int state) {
    surface = Raster(look.width, look.height, Rgb(255, 0, 255));
    painter.ComputeColors(look);
    painter.Resize(look, text);
    painter.PaintButton(look, state, true, surface, text);
    return surface;
  }
  std::vector<std::string> Picture(int state, std::map<ColorRef, char> legend = kLegend) {
    Paint(state);
    return testing::Picture(surface, 0, look.height, look.width, F, legend);
  }
};

using Rows = std::vector<std::string>;

TEST(PaintTypes, FramedBevelHasTwoInsetRingsInsideADarkFrame) {
  Face f(sknButtonType::btFramedBevel, 8, 6);
  EXPECT_EQ(f.Picture(kStateUp), (Rows{"DDDDDDDD", "DHHHHHSD", "DHHHHSSD", "DHSSSSSD", "DSSSSSSD", "DDDDDDDD"}));
  EXPECT_EQ(f.Picture(kStateDown), (Rows{"DDDDDDDD", "DSSSSSHD", "DSSSSHHD", "DSHHHHHD", "DHHHHHHD", "DDDDDDDD"}));
  f.look.enabled = false;
  EXPECT_EQ(f.Picture(kStateDown), (Rows{"DDDDDDDD", "DHHHHHSD", "DHHHHSSD", "DHSSSSSD", "DSSSSSSD", "DDDDDDDD"}));
}

TEST(PaintTypes, Classic3DBevelsAndTheDefaultButtonFrame) {
  Face f(sknButtonType::btClassic3D, 8, 6);
  EXPECT_EQ(f.Picture(kStateUp), (Rows{"HHHHHHHD", "HLLLLLSD", "HL....SD", "HL....SD", "HSSSSSSD", "DDDDDDDD"}));
  EXPECT_EQ(f.Picture(kStateDown), (Rows{"DDDDDDDH", "DSSSSSLH", "DS....LH", "DS....LH", "DLLLLLLH", "HHHHHHHH"}));
  f.look.displayAsDefault = true;
  EXPECT_EQ(f.Picture(kStateUp), (Rows{"DDDDDDDD", "DHHHHHDD", "DHLLLSDD", "DHSSSSDD", "DDDDDDDD", "DDDDDDDD"}));
  EXPECT_EQ(f.Picture(kStateDown), (Rows{"DDDDDDDD", "DSSSSSSD", "DS....SD", "DS....SD", "DSSSSSSD", "DDDDDDDD"}));
  f.look.showFocusRect = false;  // the default frame needs the focus rectangle switched on
  EXPECT_EQ(f.Picture(kStateUp), (Rows{"HHHHHHHD", "HLLLLLSD", "HL....SD", "HL....SD", "HSSSSSSD", "DDDDDDDD"}));
  f.look.enabled = false;
  EXPECT_EQ(f.Picture(kStateUp), (Rows{"HHHHHHHD", "HLLLLLSD", "HL....SD", "HL....SD", "HSSSSSSD", "DDDDDDDD"}));
}

TEST(PaintTypes, ThinRingTypesAndTheirHoverRules) {
  Face seven(sknButtonType::btThinRaised, 6, 5);
  const Rows raised{"HHHHHS", "H....S", "H....S", "H....S", "SSSSSS"};
  const Rows pressed{"SSSSSH", "S....H", "S....H", "S....H", "HHHHHH"};
  const Rows flat{"......", "......", "......", "......", "......"};
  EXPECT_EQ(seven.Picture(kStateUp), raised);
  EXPECT_EQ(seven.Picture(kStateDown), pressed);
  seven.look.enabled = false;
  EXPECT_EQ(seven.Picture(kStateUp), raised);

  Face eight(sknButtonType::btHoverThin, 6, 5);
  EXPECT_EQ(eight.Picture(kStateUp), flat);
  EXPECT_EQ(eight.Picture(kStateDown), pressed);
  eight.look.isOver = true;
  EXPECT_EQ(eight.Picture(kStateUp), raised);
  eight.look.enabled = false;
  EXPECT_EQ(eight.Picture(kStateUp), flat);

  Face twelve(sknButtonType::btHoverRaised, 6, 5);
  EXPECT_EQ(twelve.Picture(kStateUp), flat);
  EXPECT_EQ(twelve.Picture(kStateDown), (Rows{"DDDDDH", "DSSSLH", "DS..LH", "DLLLLH", "HHHHHH"}));
  twelve.look.isOver = true;
  EXPECT_EQ(twelve.Picture(kStateUp), (Rows{"HHHHHD", "HLLLSD", "HL..SD", "HSSSSD", "DDDDDD"}));
}

TEST(PaintTypes, LightBevelUsesALightenedLightColour) {
  Face f(sknButtonType::btLightBevel, 6, 5);
  const ColorRef light = Rgb(231, 231, 231);
  std::map<ColorRef, char> legend = kLegend;
  legend[light] = 'l';
  EXPECT_EQ(f.Picture(kStateUp, legend), (Rows{"lllllS", "llllSS", "ll..SS", "lSSSSS", "SSSSSS"}));
  EXPECT_EQ(f.Picture(kStateDown, legend), (Rows{"SSSSSl", "SSSSll", "SS..ll", "Slllll", "llllll"}));
}

TEST(PaintTypes, HoverHighlightShowsTheSelectionColoursOnlyWhileHovered) {
  Face f(sknButtonType::btHoverHighlight, 6, 5);
  EXPECT_EQ(f.Picture(kStateUp), (Rows{"......", "......", "......", "......", "......"}));
  EXPECT_EQ(f.Picture(kStateDown), (Rows{"XXXXXX", "X....X", "X....X", "X....X", "XXXXXX"}));
  f.look.isOver = true;
  EXPECT_EQ(f.Picture(kStateUp), (Rows{"XXXXXX", "XPPPPX", "XPPPPX", "XPPPPX", "XXXXXX"}));
  f.Paint(kStateDown);
  EXPECT_EQ(f.surface.Pixel(2, 2), Rgb(128, 128, 191));  // LightenColor(cSelect, 128)
  EXPECT_EQ(f.surface.Pixel(0, 0), kSelect);
  f.look.colorScheme = sknColorScheme::csCustom;
  f.look.backColor = Rgb(100, 100, 100);
  f.look.backOver = Rgb(100, 100, 100);
  f.Paint(kStateDown);
  EXPECT_EQ(f.surface.Pixel(2, 2), Rgb(68, 68, 68));  // the pale colour (the face here) shifted by -32
}

TEST(PaintTypes, OutlinedTypeCutsItsFrameShortOnTheRightAndBottom) {
  Face f(sknButtonType::btOutlined, 8, 6);
  std::map<ColorRef, char> legend = kLegend;
  legend[Rgb(204, 204, 204)] = 'b';
  legend[Rgb(102, 102, 102)] = 'A';
  legend[Rgb(154, 154, 154)] = 'M';
  legend[Rgb(144, 144, 144)] = 'c';
  EXPECT_EQ(f.Picture(kStateUp, legend),
            (Rows{"AAAAAAA.", "AHHHHHMH", "AHbbbbAH", "AHbbbbAH", "AMAAAAAH", ".HHHHHHH"}));
  EXPECT_EQ(f.Picture(kStateDown, legend),
            (Rows{"AAAAAAA.", "AcccccAH", "AcccccAH", "AcccccAH", "AAAAAAAH", ".HHHHHHH"}));
  f.look.enabled = false;
  EXPECT_EQ(f.Picture(kStateUp, legend), (Rows{"SSSSSSSS", "S......S", "S......S", "S......S", "S......S", "SSSSSSSS"}));
}

TEST(PaintTypes, RoundedGradientRowsFrameAndInnerEdges) {
  Face f(sknButtonType::btRoundedGradient, 8, 10);
  f.Paint(kStateUp);
  EXPECT_EQ(f.surface.Pixel(0, 0), Rgb(0, 60, 115));
  EXPECT_EQ(f.surface.Pixel(7, 9), Rgb(0, 60, 115));
  EXPECT_EQ(f.surface.Pixel(1, 1), Rgb(16, 77, 123));
  EXPECT_EQ(f.surface.Pixel(6, 8), Rgb(16, 77, 123));
  // Row i of the gradient is the tint (240, 240, 240) shifted by -round(2.5 i), ties to even, blue in proportion.
  EXPECT_EQ(f.surface.Pixel(3, 4), Rgb(230, 230, 228));
  EXPECT_EQ(f.surface.Pixel(4, 5), Rgb(228, 228, 225));
  EXPECT_EQ(f.surface.Pixel(3, 8), Rgb(192, 192, 180));  // bottom inner edge: tint shifted by -48
  EXPECT_EQ(f.surface.Pixel(4, 1), Rgb(255, 255, 255));  // top inner edge: tint + 16, clamped
  f.look.hasFocus = true;
  f.Paint(kStateUp);
  EXPECT_EQ(f.surface.Pixel(4, 1), Rgb(206, 231, 255));
  EXPECT_EQ(f.surface.Pixel(1, 5), Rgb(140, 174, 231));
  EXPECT_EQ(f.surface.Pixel(4, 2), Rgb(189, 215, 247));
  f.look.showFocusRect = false;
  f.Paint(kStateUp);
  EXPECT_EQ(f.surface.Pixel(4, 1), Rgb(255, 255, 255));
  f.look.isOver = true;
  f.Paint(kStateUp);
  EXPECT_EQ(f.surface.Pixel(4, 1), Rgb(255, 243, 206));
  EXPECT_EQ(f.surface.Pixel(2, 4), Rgb(255, 203, 107));
  EXPECT_EQ(f.surface.Pixel(4, 8), Rgb(231, 150, 0));
  f.Paint(kStateDown);
  EXPECT_EQ(f.surface.Pixel(4, 5), Rgb(196, 196, 188));  // rows run bottom-up from the darker base
  f.look.enabled = false;
  f.Paint(kStateUp);
  EXPECT_EQ(f.surface.Pixel(4, 5), Rgb(216, 216, 210));
  EXPECT_EQ(f.surface.Pixel(0, 3), Rgb(156, 156, 135));
  EXPECT_EQ(f.surface.Pixel(1, 8), Rgb(168, 168, 150));
}

TEST(PaintTypes, RoundedFramedCornersAndPressedShades) {
  Face f(sknButtonType::btRoundedFramed, 10, 8);
  f.Paint(kStateUp);
  EXPECT_EQ(f.surface.Pixel(0, 0), D);
  EXPECT_EQ(f.surface.Pixel(8, 1), D);
  EXPECT_EQ(f.surface.Pixel(1, 1), F);  // the short steep stroke covers the corner pixel
  EXPECT_EQ(f.surface.Pixel(1, 2), F);
  EXPECT_EQ(f.surface.Pixel(5, 2), Hi);
  EXPECT_EQ(f.surface.Pixel(3, 3), Hi);
  EXPECT_EQ(f.surface.Pixel(5, 4), L);
  EXPECT_EQ(f.surface.Pixel(8, 4), S);
  EXPECT_EQ(f.surface.Pixel(7, 5), S);   // Px(W-3, H-3)
  EXPECT_EQ(f.surface.Pixel(6, 4), F);   // Px(W-4, H-4)
  f.Paint(kStateDown);
  EXPECT_EQ(f.surface.Pixel(5, 4), Rgb(112, 112, 112));
  EXPECT_EQ(f.surface.Pixel(1, 3), Rgb(64, 64, 64));
  EXPECT_EQ(f.surface.Pixel(2, 2), Rgb(64, 64, 64));
  EXPECT_EQ(f.surface.Pixel(8, 5), Rgb(96, 96, 96));  // the diagonal from (W-2, H-3)
  EXPECT_EQ(f.painter.Colors().cTint, Rgb(240, 240, 240));  // restored after the pressed caption
}

TEST(PaintTypes, GradientFramedRowsFrameSetAndPressedLook) {
  Face f(sknButtonType::btGradientFramed, 10, 8);
  f.Paint(kStateUp);
  EXPECT_EQ(f.surface.Pixel(0, 0), Rgb(78, 78, 78));
  EXPECT_EQ(f.surface.Pixel(1, 1), Rgb(183, 183, 183));
  EXPECT_EQ(f.surface.Pixel(5, 3), Hi);
  EXPECT_EQ(f.surface.Pixel(3, 5), Hi);
  EXPECT_EQ(f.surface.Pixel(5, 4), Rgb(226, 226, 226));  // 255 - round(7.25 x 4)
  EXPECT_EQ(f.surface.Pixel(7, 5), Rgb(219, 219, 219));
  f.look.isOver = true;
  f.Paint(kStateUp);
  EXPECT_EQ(f.surface.Pixel(5, 4), L);
  f.Paint(kStateDown);
  EXPECT_EQ(f.surface.Pixel(0, 0), Rgb(80, 80, 80));
  EXPECT_EQ(f.surface.Pixel(5, 4), Rgb(183, 183, 183));
  EXPECT_EQ(f.surface.Pixel(5, 6), Hi);
  EXPECT_EQ(f.surface.Pixel(8, 3), Hi);
  f.look.enabled = false;
  f.Paint(kStateDown);
  EXPECT_EQ(f.surface.Pixel(5, 4), Rgb(226, 226, 226));  // the resting gradient, even while hovered
}

TEST(PaintTypes, OvalDrawsAnEllipseFaceAndPictureOnlyDrawsTheFaceFill) {
  Face f(sknButtonType::btOval, 10, 10);
  f.Paint(kStateDown);
  EXPECT_EQ(f.surface.Pixel(0, 4), D);
  EXPECT_EQ(f.surface.Pixel(5, 5), Rgb(160, 160, 160));
  EXPECT_EQ(f.surface.Pixel(0, 0), F);
  f.look.isOver = true;
  f.Paint(kStateUp);
  EXPECT_EQ(f.surface.Pixel(0, 4), S);
  EXPECT_EQ(f.surface.Pixel(5, 5), F);
  f.look.hasFocus = true;  // no focus frame on this type
  f.Paint(kStateUp);
  EXPECT_EQ(f.surface.Pixel(6, 3), F);

  Face ten(sknButtonType::btPictureOnly, 6, 5);
  ten.look.hasFocus = true;
  EXPECT_EQ(ten.Picture(kStateDown), (Rows{"......", "......", "......", "......", "......"}));
}

TEST(PaintTypes, TransparentTypeCopiesTheSnapshotAtItsOwnSize) {
  Face f(sknButtonType::btTransparent, 6, 5);
  Raster behind(4, 3, Rgb(10, 20, 30));
  behind.SetPixel(3, 2, Rgb(1, 2, 3));
  f.painter.CaptureBackground(behind);
  behind.Clear(0);  // the painter keeps its own copy
  f.Paint(kStateDown);
  EXPECT_EQ(f.surface.Pixel(0, 0), Rgb(10, 20, 30));
  EXPECT_EQ(f.surface.Pixel(3, 2), Rgb(1, 2, 3));
  EXPECT_EQ(f.surface.Pixel(4, 0), F);  // beyond the snapshot the face stays
  EXPECT_EQ(f.surface.Pixel(0, 3), F);
}

TEST(PaintTypes, FocusFrameSitsOnTheInsetRectangleOfEachType) {
  Face f(sknButtonType::btFramedBevel, 20, 16);
  f.look.hasFocus = true;
  f.Paint(kStateUp);
  EXPECT_EQ(f.painter.FocusRect(), (PixelRect{4, 4, 16, 12}));
  EXPECT_EQ(f.surface.Pixel(15, 4), Rgb(63, 63, 63));  // the face inverted at the top-right corner
  EXPECT_EQ(f.surface.Pixel(14, 4), F);
  f.look.showFocusRect = false;
  f.Paint(kStateUp);
  EXPECT_EQ(f.surface.Pixel(15, 4), F);
  f.look.buttonType = sknButtonType::btThinRaised;
  f.Paint(kStateUp);
  EXPECT_EQ(f.painter.FocusRect(), (PixelRect{3, 3, 17, 13}));
  f.look.buttonType = sknButtonType::btGradientFramed;
  f.Paint(kStateUp);
  EXPECT_EQ(f.painter.FocusRect(), (PixelRect{6, 6, 16, 12}));
}

TEST(PaintTypes, UnknownTypeDrawsOnlyTheFaceFill) {
  Face f(static_cast<sknButtonType>(15), 6, 5);
  EXPECT_EQ(f.Picture(kStateDown), (Rows{"......", "......", "......", "......", "......"}));
}

}  // namespace
}  // namespace kqm
