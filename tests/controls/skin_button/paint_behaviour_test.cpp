#include <gtest/gtest.h>

#include "controls/skin_button/button_paint.h"
#include "paint_test_support.h"
#include "platform/substitute/fixed_system_colors.h"
#include "platform/substitute/fixed_text_renderer.h"

namespace kqm {
namespace {

struct Painting {
  FixedSystemColors sys;
  FixedTextRenderer text;
  ButtonPainter painter{sys};
  ButtonLook look;
  Raster surface{40, 20, Rgb(255, 0, 255)};

  Painting() {
    look.buttonType = sknButtonType::btClassic3D;
    look.colorScheme = sknColorScheme::csFixed;
    look.width = 40;
    look.height = 20;
    look.caption = "Go";
    painter.ComputeColors(look);
    painter.Resize(look, text);
  }
  bool Paint(int state, bool force) { return painter.PaintButton(look, state, force, surface, text); }
};

TEST(PaintBehaviour, RepeatedRequestForTheSameStateAndCaptionDrawsNothingUnlessForced) {
  Painting p;
  EXPECT_TRUE(p.Paint(kStateUp, true));
  p.surface.Clear(Rgb(1, 2, 3));
  EXPECT_FALSE(p.Paint(kStateUp, false));
  EXPECT_EQ(p.surface.Pixel(20, 10), Rgb(1, 2, 3));
  EXPECT_TRUE(p.Paint(kStateUp, true));
  EXPECT_TRUE(p.Paint(kStateDown, false));
  EXPECT_EQ(p.painter.LastState(), kStateDown);
  p.look.caption = "Stop";
  EXPECT_TRUE(p.Paint(kStateDown, false));
  EXPECT_EQ(p.painter.LastCaption(), "Stop");
}

TEST(PaintBehaviour, ToggledCheckBoxIsDrawnDownWhenAskedForUp) {
  Painting p;
  p.look.checkBoxBehaviour = true;
  p.look.value = true;
  EXPECT_TRUE(p.Paint(kStateUp, true));
  EXPECT_EQ(p.painter.LastState(), kStateDown);
  EXPECT_EQ(p.surface.Pixel(0, 0), Rgb(0, 0, 0));  // the pressed bevel's dark corner
  p.look.value = false;
  EXPECT_TRUE(p.Paint(kStateUp, true));
  EXPECT_EQ(p.painter.LastState(), kStateUp);
  EXPECT_EQ(p.surface.Pixel(0, 0), Rgb(255, 255, 255));
}

TEST(PaintBehaviour, ZeroHeightOrDisabledPaintingDrawsNothingAndKeepsTheLastState) {
  Painting p;
  ASSERT_TRUE(p.Paint(kStateUp, true));
  p.surface.Clear(Rgb(1, 2, 3));
  p.look.height = 0;
  EXPECT_FALSE(p.Paint(kStateDown, true));
  EXPECT_EQ(p.painter.LastState(), kStateUp);
  p.look.height = 20;
  p.look.paintEnabled = false;
  EXPECT_FALSE(p.Paint(kStateDown, true));
  EXPECT_EQ(p.painter.LastState(), kStateUp);
  EXPECT_EQ(testing::CountColour(p.surface, 0, 0, 40, 20, Rgb(1, 2, 3)), 800);
}

TEST(PaintBehaviour, HoveredCustomButtonTakesEveryShadeFromBackOverAndRestoresItsColours) {
  Painting p;
  p.look.colorScheme = sknColorScheme::csCustom;
  p.look.buttonType = sknButtonType::btFramedBevel;
  p.look.backColor = Rgb(100, 100, 100);
  p.look.backOver = Rgb(200, 150, 100);
  p.painter.ComputeColors(p.look);
  const ButtonColors before = p.painter.Colors();
  p.look.isOver = true;
  ASSERT_TRUE(p.Paint(kStateUp, true));
  EXPECT_EQ(p.surface.Pixel(20, 10), Rgb(200, 150, 100));
  EXPECT_EQ(p.surface.Pixel(1, 1), Rgb(247, 197, 147));  // highlight of BackOver
  EXPECT_EQ(p.surface.Pixel(38, 18), Rgb(136, 86, 36));  // shadow of BackOver
  EXPECT_EQ(p.surface.Pixel(0, 10), Rgb(8, 0, 0));        // dark shadow of BackOver
  EXPECT_EQ(p.painter.Colors(), before);
  p.look.isOver = false;
  ASSERT_TRUE(p.Paint(kStateUp, true));
  EXPECT_EQ(p.surface.Pixel(20, 10), Rgb(100, 100, 100));
}

TEST(PaintBehaviour, CaptionIsDrawnAgainOverAPictureBehindIt) {
  Painting p;
  auto picture = std::make_shared<ButtonPicture>();
  picture->width = picture->height = 4;
  picture->pixels.assign(16, 0x00FF0000u);
  p.look.pictureNormal = picture;
  p.look.picturePosition = sknPicturePosition::ppBehind;
  p.painter.LayoutCaption(p.look, p.text);
  ASSERT_TRUE(p.Paint(kStateUp, true));
  EXPECT_EQ(p.text.DrawCount(), 2);
  p.look.picturePosition = sknPicturePosition::ppLeft;
  p.painter.LayoutCaption(p.look, p.text);
  ASSERT_TRUE(p.Paint(kStateUp, true));
  EXPECT_EQ(p.text.DrawCount(), 3);
  p.look.pictureNormal = nullptr;  // without a picture there is nothing to draw over
  p.look.picturePosition = sknPicturePosition::ppBehind;
  ASSERT_TRUE(p.Paint(kStateUp, true));
  EXPECT_EQ(p.text.DrawCount(), 4);
}

TEST(PaintBehaviour, PictureOnlyTypeDrawsNoCaptionOverItsPictureInAnyState) {
  Painting p;
  p.look.buttonType = sknButtonType::btPictureOnly;
  auto picture = std::make_shared<ButtonPicture>();
  picture->width = picture->height = 4;
  picture->pixels.assign(16, 0x00FF0000u);
  p.look.pictureNormal = picture;
  p.look.picturePosition = sknPicturePosition::ppBehind;
  p.painter.Resize(p.look, p.text);
  for (const bool enabled : {true, false}) {
    for (const int state : {kStateUp, kStateDown}) {
      p.look.enabled = enabled;
      ASSERT_TRUE(p.Paint(state, true));
      EXPECT_EQ(p.text.DrawCount(), 0) << "enabled " << enabled << " state " << state;
      EXPECT_EQ(testing::CountColour(p.surface, 0, 0, 40, 20, Rgb(0, 0, 0)), 0);  // no caption colour anywhere
      if (enabled) {
        EXPECT_EQ(testing::CountColour(p.surface, 0, 0, 40, 20, Rgb(192, 192, 192)), 40 * 20 - 16);
      }
    }
  }
}

TEST(PaintBehaviour, PressedOutlinedCaptionKeepsTheEarlierCaptionStyle) {
  Painting p;
  p.look.buttonType = sknButtonType::btOutlined;
  auto picture = std::make_shared<ButtonPicture>();
  picture->width = picture->height = 2;
  picture->pixels.assign(4, 0x000000FFu);
  p.look.pictureNormal = picture;
  p.look.picturePosition = sknPicturePosition::ppBehind;
  p.look.isOver = true;
  ASSERT_TRUE(p.Paint(kStateUp, true));
  EXPECT_EQ(p.painter.LastCaptionStyle(), 1);
  p.look.foreOver = Rgb(9, 9, 9);
  ASSERT_TRUE(p.Paint(kStateDown, true));
  EXPECT_EQ(p.painter.LastCaptionStyle(), 1);  // the pressed caption is drawn directly, not as a style
}

TEST(PaintBehaviour, DefaultGradientFramedButtonDrawsItsCaptionInBoldOnly) {
  Painting p;
  p.look.buttonType = sknButtonType::btGradientFramed;
  p.look.caption = "ab";
  p.look.height = 30;
  p.surface = Raster(40, 30);
  p.painter.Resize(p.look, p.text);
  const CaptionLayout plain = p.painter.Layout();
  p.look.displayAsDefault = true;
  ASSERT_TRUE(p.Paint(kStateUp, true));
  EXPECT_EQ(p.painter.Layout(), plain);
  // Two bold cells of 7 pixels, centred in the 40-pixel face: the ink runs from the first glyph to the last.
  int first = 40, last = -1;
  for (int x = 0; x < 40; ++x) {
    for (int y = 6; y < 24; ++y) {
      if (p.surface.Pixel(x, y) == Rgb(0, 0, 0)) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
    }
  }
  EXPECT_EQ(last - first + 1, 2 * FixedTextRenderer::CellWidth({"x", 8.25, 700}) - 2);
  p.look.displayAsDefault = false;
  ASSERT_TRUE(p.Paint(kStateUp, true));
  first = 40;
  last = -1;
  for (int x = 0; x < 40; ++x) {
    for (int y = 6; y < 24; ++y) {
      if (p.surface.Pixel(x, y) == Rgb(0, 0, 0)) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
    }
  }
  EXPECT_EQ(last - first + 1, 2 * FixedTextRenderer::CellWidth({}) - 2);
}

TEST(PaintBehaviour, WindowShapesCutTheDocumentedCornerPixels) {
  ButtonLook look;
  look.width = 10;
  look.height = 10;
  look.buttonType = sknButtonType::btRoundedGradient;
  EXPECT_EQ(MakeRegion(look).PixelCount(), 88);
  EXPECT_FALSE(MakeRegion(look).Contains(1, 0));
  EXPECT_FALSE(MakeRegion(look).Contains(9, 8));
  EXPECT_TRUE(MakeRegion(look).Contains(1, 1));
  look.buttonType = sknButtonType::btRoundedFramed;
  EXPECT_EQ(MakeRegion(look).PixelCount(), 88);
  look.buttonType = sknButtonType::btFramedBevel;
  EXPECT_EQ(MakeRegion(look).PixelCount(), 96);
  look.buttonType = sknButtonType::btGradientFramed;
  EXPECT_EQ(MakeRegion(look).PixelCount(), 96);
  look.buttonType = sknButtonType::btOutlined;
  EXPECT_EQ(MakeRegion(look).PixelCount(), 98);
  EXPECT_FALSE(MakeRegion(look).Contains(0, 9));
  EXPECT_TRUE(MakeRegion(look).Contains(0, 0));
  look.buttonType = sknButtonType::btClassic3D;
  EXPECT_EQ(MakeRegion(look).PixelCount(), 100);
  look.width = 1;  // corner cuts that coincide or fall outside are counted once
  look.height = 1;
  look.buttonType = sknButtonType::btFramedBevel;
  EXPECT_EQ(MakeRegion(look).PixelCount(), 0);
}

// Elliptic window regions as the platform builds them (row spans sampled from GDI).
TEST(PaintBehaviour, OvalShapeIsTheEllipseInscribedInTheClientArea) {
  ButtonLook look;
  look.buttonType = sknButtonType::btOval;
  look.width = 10;
  look.height = 10;
  const ButtonShape shape = MakeRegion(look);
  EXPECT_TRUE(shape.elliptic);
  EXPECT_EQ(shape.PixelCount(), 3 + 7 + 7 + 9 + 9 + 9 + 7 + 7 + 3);
  EXPECT_FALSE(shape.Contains(0, 0));
  EXPECT_TRUE(shape.Contains(0, 4));
  EXPECT_FALSE(shape.Contains(9, 4));
  EXPECT_FALSE(shape.Contains(4, 9));
  look.width = 29;
  look.height = 13;
  EXPECT_EQ(MakeRegion(look).PixelCount(), 10 + 18 + 22 + 26 + 26 + 28 + 28 + 26 + 26 + 22 + 18 + 10);
}

}  // namespace
}  // namespace kqm
