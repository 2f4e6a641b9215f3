#include <gtest/gtest.h>

#include "controls/skin_button/button_caption.h"
#include "paint_test_support.h"
#include "platform/substitute/fixed_system_colors.h"
#include "platform/substitute/fixed_text_renderer.h"

namespace kqm {
namespace {

// Records every caption drawing (rectangle and colour) and draws nothing.
class RecordingText : public FixedTextRenderer {
 public:
  struct Call {
    PixelRect r;
    ColorRef colour;
    bool operator==(const Call&) const = default;
  };
  std::vector<Call> calls;
  void Draw(Raster&, std::string_view, const TextFont&, const PixelRect& r, ColorRef colour) override {
    calls.push_back({r, colour});
  }
};
using Calls = std::vector<RecordingText::Call>;

// A face with distinct colours so that every caption colour can be told apart.
struct CaptionFace {
  FixedSystemColors sys;
  RecordingText text;
  ButtonLook look;
  ButtonColors colors;
  CaptionLayout layout;
  Raster surface{40, 30, Rgb(50, 50, 50)};
  int lastStyle = -1;

  CaptionFace() {
    look.caption = "Hi";
    look.width = 40;
    look.height = 30;
    colors.cFace = Rgb(100, 100, 100);
    colors.cLight = Rgb(1, 0, 0);
    colors.cHighlight = Rgb(2, 0, 0);
    colors.cShadow = Rgb(120, 120, 120);
    colors.cText = Rgb(4, 0, 0);
    colors.cTextOver = Rgb(5, 0, 0);
    colors.cTint = Rgb(150, 150, 150);
    colors.cSelectPale = Rgb(200, 200, 200);
    colors.cMask = Rgb(192, 192, 192);
    layout.rcText = {10, 8, 22, 24};
    layout.rcTextDown = {11, 9, 23, 25};
  }
  Calls Draw(int style, int state = kStateUp) {
    text.calls.clear();
    FaceContext face{look, colors, layout, surface, text, CaptionFont(look.font), state, lastStyle};
    DrawCaption(face, style);
    return text.calls;
  }
  Calls Picture(int pictureState) {
    text.calls.clear();
    FaceContext face{look, colors, layout, surface, text, CaptionFont(look.font), kStateUp, lastStyle};
    DrawPicture(face, pictureState);
    return text.calls;
  }
};

TEST(CaptionDraw, EachStyleDrawsItsColoursAtItsRectangles) {
  CaptionFace f;
  const PixelRect up = f.layout.rcText;
  const PixelRect down = f.layout.rcTextDown;
  EXPECT_EQ(f.Draw(0), (Calls{{up, Rgb(4, 0, 0)}}));
  EXPECT_EQ(f.lastStyle, 0);
  EXPECT_EQ(f.Draw(1), (Calls{{up, Rgb(5, 0, 0)}}));
  EXPECT_EQ(f.Draw(2), (Calls{{down, Rgb(5, 0, 0)}}));
  EXPECT_EQ(f.Draw(3), (Calls{{down, Rgb(2, 0, 0)}, {up, Rgb(120, 120, 120)}}));
  EXPECT_EQ(f.Draw(4), (Calls{{up, Rgb(120, 120, 120)}}));
  EXPECT_EQ(f.Draw(5), (Calls{{up, Rgb(46, 46, 69)}}));  // tint shifted by -104, blue in proportion
  EXPECT_EQ(f.Draw(6), (Calls{{down, Rgb(2, 0, 0)}, {up, Rgb(100, 100, 100)}}));
  EXPECT_EQ(f.Draw(7), (Calls{{down, Rgb(70, 70, 70)}, {up, Rgb(2, 0, 0)}}));
  EXPECT_EQ(f.lastStyle, 7);
  f.look.buttonType = sknButtonType::btRoundedFramed;
  EXPECT_EQ(f.Draw(2), (Calls{{down, Rgb(1, 0, 0)}}));  // pressed caption of this type uses the light colour
}

TEST(CaptionDraw, EffectsAddShiftedCopiesBeforeTheCaption) {
  CaptionFace f;
  const PixelRect up = f.layout.rcText;
  f.look.specialEffect = sknSpecialEffect::fxRaised;
  EXPECT_EQ(f.Draw(0), (Calls{{up.Moved(1, 1), Rgb(60, 60, 60)}, {up.Moved(-1, -1), Rgb(140, 140, 140)},
                              {up, Rgb(4, 0, 0)}}));
  f.look.specialEffect = sknSpecialEffect::fxSunken;
  EXPECT_EQ(f.Draw(2), (Calls{{f.layout.rcTextDown.Moved(1, 1), Rgb(140, 140, 140)},
                              {f.layout.rcTextDown.Moved(-1, -1), Rgb(60, 60, 60)},
                              {f.layout.rcTextDown, Rgb(5, 0, 0)}}));
  f.look.specialEffect = static_cast<sknSpecialEffect>(7);  // anything from 3 up is a shadow
  EXPECT_EQ(f.Draw(1), (Calls{{up.Moved(1, 1), Rgb(60, 60, 60)}, {up, Rgb(5, 0, 0)}}));
  EXPECT_EQ(f.Draw(3).size(), 2u);  // disabled styles have no effect copies
  f.look.buttonType = sknButtonType::btGradientFramed;  // tint-based effect colour
  EXPECT_EQ(f.Draw(0).front().colour, Rgb(110, 110, 110));
  f.look.buttonType = sknButtonType::btHoverHighlight;
  f.look.isOver = true;
  EXPECT_EQ(f.Draw(1, kStateUp).front().colour, Rgb(160, 160, 160));  // over the pale selection face
  EXPECT_EQ(f.Draw(2, kStateDown).front().colour, Rgb(60, 60, 60));
  f.look.colorScheme = sknColorScheme::csCustom;
  EXPECT_EQ(f.Draw(1, kStateUp).front().colour, Rgb(60, 60, 60));
}

// A 2 x 2 picture: one dark, one light, one mask-coloured, one mid pixel.
std::shared_ptr<ButtonPicture> Quad() {
  auto p = std::make_shared<ButtonPicture>();
  p->width = p->height = 2;
  p->pixels = {ToPixel(Rgb(0, 0, 90)), ToPixel(Rgb(250, 250, 250)), ToPixel(Rgb(192, 192, 192)),
               ToPixel(Rgb(100, 100, 100))};
  return p;
}

TEST(CaptionDraw, DisabledPicturesAreEmbossedSilhouettesExceptForTheFlatTypes) {
  CaptionFace f;
  f.look.pictureNormal = Quad();
  f.layout.pictureWidth = f.layout.pictureHeight = 2;
  f.layout.pictureX = 5;
  f.layout.pictureY = 6;
  f.look.buttonType = sknButtonType::btClassic3D;
  f.Picture(2);
  EXPECT_EQ(f.surface.Pixel(5, 6), Rgb(120, 120, 120));  // dark pixel in the shadow colour
  EXPECT_EQ(f.surface.Pixel(6, 6), Rgb(50, 50, 50));     // light pixel: a hole
  EXPECT_EQ(f.surface.Pixel(7, 8), Rgb(2, 0, 0));        // highlight copy one pixel down-right
  EXPECT_EQ(f.surface.Pixel(7, 7), Rgb(50, 50, 50));     // ... where the light pixel is a hole too
  EXPECT_EQ(f.surface.Pixel(5, 7), Rgb(50, 50, 50));     // mask colour
  f.surface.Clear(Rgb(50, 50, 50));
  f.look.buttonType = sknButtonType::btLightBevel;
  f.Picture(2);
  EXPECT_EQ(f.surface.Pixel(5, 6), Rgb(120, 120, 120));
  EXPECT_EQ(f.surface.Pixel(7, 8), Rgb(50, 50, 50));
  f.look.buttonType = sknButtonType::btHoverHighlight;
  f.Picture(2);
  EXPECT_EQ(f.surface.Pixel(5, 6), Rgb(133, 133, 133));
  f.look.buttonType = sknButtonType::btRoundedGradient;
  f.Picture(2);
  EXPECT_EQ(f.surface.Pixel(6, 7), Rgb(10, 10, 10));  // greyscale one pixel down-right: round(0.11 x 90)
}

TEST(CaptionDraw, UpDownAndHoverPictureRules) {
  CaptionFace f;
  f.look.pictureNormal = Quad();
  f.layout.pictureWidth = f.layout.pictureHeight = 2;
  f.layout.pictureX = 5;
  f.layout.pictureY = 6;
  f.look.buttonType = sknButtonType::btHoverHighlight;
  f.Picture(0);  // at rest: faded over the face
  EXPECT_EQ(f.surface.Pixel(5, 6), Rgb(16, 16, 76));
  f.surface.Clear(Rgb(50, 50, 50));
  f.look.isOver = true;
  f.Picture(0);  // lifted: shadow down-right, picture up-left
  EXPECT_EQ(f.surface.Pixel(4, 5), Rgb(0, 0, 90));
  EXPECT_EQ(f.surface.Pixel(6, 7), Rgb(120, 120, 120));
  f.surface.Clear(Rgb(50, 50, 50));
  f.look.buttonType = sknButtonType::btClassic3D;
  f.look.isOver = false;
  f.Picture(1);  // pressed: moved one pixel down-right
  EXPECT_EQ(f.surface.Pixel(6, 7), Rgb(0, 0, 90));
  EXPECT_EQ(f.surface.Pixel(5, 6), Rgb(50, 50, 50));
  auto over = Quad();
  over->pixels[0] = ToPixel(Rgb(7, 7, 7));
  f.look.pictureOver = over;
  f.look.isOver = true;
  f.Picture(0);
  EXPECT_EQ(f.surface.Pixel(5, 6), Rgb(7, 7, 7));
  f.look.buttonType = sknButtonType::btOutlined;
  f.Picture(1);  // this type's pressed picture does not move
  EXPECT_EQ(f.surface.Pixel(5, 6), Rgb(7, 7, 7));
}

TEST(CaptionDraw, OverPictureAloneShowsNothingAndPictureBehindRedrawsTheCaption) {
  CaptionFace f;
  f.look.pictureOver = Quad();
  f.look.isOver = true;
  f.layout.pictureWidth = f.layout.pictureHeight = 2;
  f.Picture(0);
  EXPECT_EQ(testing::CountColour(f.surface, 0, 0, 40, 30, Rgb(50, 50, 50)), 1200);
  f.look.pictureNormal = Quad();
  f.look.picturePosition = sknPicturePosition::ppBehind;
  f.Draw(3);
  EXPECT_EQ(f.Picture(0).size(), 2u);  // style 3 again: two colours
}

TEST(CaptionDraw, PictureEffectsUseTheFaceOrTintColours) {
  CaptionFace f;
  f.look.pictureNormal = Quad();
  f.layout.pictureWidth = f.layout.pictureHeight = 2;
  f.layout.pictureX = 5;
  f.layout.pictureY = 6;
  f.look.specialEffect = sknSpecialEffect::fxShadow;
  f.look.buttonType = sknButtonType::btClassic3D;
  f.Picture(0);
  EXPECT_EQ(f.surface.Pixel(7, 7), Rgb(60, 60, 60));  // shadow copy: face shifted by -40
  EXPECT_EQ(f.surface.Pixel(4, 5), Rgb(50, 50, 50));  // no light copy for the shadow effect
  f.look.specialEffect = sknSpecialEffect::fxRaised;
  f.look.buttonType = sknButtonType::btRoundedGradient;
  f.Picture(0);
  EXPECT_EQ(f.surface.Pixel(7, 7), Rgb(110, 110, 110));
  EXPECT_EQ(f.surface.Pixel(4, 5), Rgb(190, 190, 190));
}

}  // namespace
}  // namespace kqm
