#include <gtest/gtest.h>

#include "controls/skin_button/button_caption.h"
#include "paint_test_support.h"

namespace kqm {
namespace {

constexpr ColorRef kMask = Rgb(192, 192, 192);
constexpr ColorRef kFace = Rgb(10, 20, 30);

// A one-row bitmap picture from packed colours.
ButtonPicture Row(std::vector<ColorRef> colours) {
  ButtonPicture p;
  p.width = static_cast<std::int32_t>(colours.size());
  p.height = 1;
  for (ColorRef c : colours) p.pixels.push_back(ToPixel(c));
  return p;
}

// Counts drawing calls: compositing must work on blocks only.
class CountingRaster : public Raster {
 public:
  using Raster::Raster;
  int calls = 0;
  void FillBox(std::int32_t, std::int32_t, std::int32_t, std::int32_t, ColorRef) override { ++calls; }
  void SetPixel(std::int32_t, std::int32_t, ColorRef) override { ++calls; }
  void Line(std::int32_t, std::int32_t, std::int32_t, std::int32_t, ColorRef) override { ++calls; }
};

TEST(CaptionBlend, MaskColourLeavesTheFaceUnlessMaskingIsOff) {
  Raster face(3, 1, kFace);
  const ButtonPicture p = Row({kMask, Rgb(255, 0, 0), Rgb(192, 192, 193)});
  BlendPicture(face, 0, 0, 3, 1, p, kMask, kNoBrush, false, false, false, true, kMask);
  EXPECT_EQ(face.Pixel(0, 0), kFace);
  EXPECT_EQ(face.Pixel(1, 0), Rgb(255, 0, 0));
  EXPECT_EQ(face.Pixel(2, 0), Rgb(192, 192, 193));
  BlendPicture(face, 0, 0, 3, 1, p, kMask, kNoBrush, false, false, false, false, kMask);
  EXPECT_EQ(face.Pixel(0, 0), kMask);
}

TEST(CaptionBlend, GreyscaleRoundsTheRedTermFirstAndTiesToEven) {
  Raster face(4, 1, kFace);
  BlendPicture(face, 0, 0, 4, 1, Row({Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255), Rgb(255, 255, 255)}), kMask,
               kNoBrush, false, true, false, true, kMask);
  EXPECT_EQ(face.Pixel(0, 0), Rgb(76, 76, 76));
  EXPECT_EQ(face.Pixel(1, 0), Rgb(150, 150, 150));
  EXPECT_EQ(face.Pixel(2, 0), Rgb(28, 28, 28));
  EXPECT_EQ(face.Pixel(3, 0), Rgb(254, 254, 254));
}

TEST(CaptionBlend, FadeMixesOneThirdFaceWithTwoThirdsPicture) {
  Raster face(2, 1, Rgb(0, 255, 9));
  BlendPicture(face, 0, 0, 2, 1, Row({Rgb(255, 0, 10), Rgb(1, 1, 1)}), kMask, kNoBrush, false, false, true, true,
               kMask);
  EXPECT_EQ(face.Pixel(0, 0), Rgb(170, 85, 9));
  EXPECT_EQ(face.Pixel(1, 0), Rgb(0, 85, 3));
}

TEST(CaptionBlend, BrushDrawsTheSilhouetteAndThresholdLeavesLightPixelsOut) {
  Raster face(3, 1, kFace);
  const ButtonPicture p = Row({Rgb(200, 100, 85), Rgb(200, 100, 84), kMask});
  BlendPicture(face, 0, 0, 3, 1, p, kMask, static_cast<std::int32_t>(Rgb(1, 2, 3)), true, false, false, true, kMask);
  EXPECT_EQ(face.Pixel(0, 0), kFace);  // 385 > 384
  EXPECT_EQ(face.Pixel(1, 0), Rgb(1, 2, 3));
  EXPECT_EQ(face.Pixel(2, 0), kFace);
  BlendPicture(face, 0, 0, 3, 1, p, kMask, 0, false, true, true, true, kMask);  // brush 0 is black; grey/fade ignored
  EXPECT_EQ(face.Pixel(0, 0), Rgb(0, 0, 0));
  EXPECT_EQ(face.Pixel(1, 0), Rgb(0, 0, 0));
  EXPECT_EQ(face.Pixel(2, 0), kFace);
}

TEST(CaptionBlend, SizeRulesClippingAndAPictureSmallerThanTheBlock) {
  Raster face(4, 3, kFace);
  ButtonPicture p;
  p.width = 2;
  p.height = 2;
  p.pixels.assign(4, ToPixel(Rgb(9, 9, 9)));
  BlendPicture(face, 0, 0, 0, 2, p, kMask, kNoBrush, false, false, false, true, kMask);
  EXPECT_EQ(testing::CountColour(face, 0, 0, 4, 3, kFace), 12);
  BlendPicture(face, 1, 1, -1, -1, p, kMask, kNoBrush, false, false, false, true, kMask);  // the picture's own size
  EXPECT_EQ(testing::CountColour(face, 0, 0, 4, 3, Rgb(9, 9, 9)), 4);
  EXPECT_EQ(face.Pixel(2, 2), Rgb(9, 9, 9));
  EXPECT_EQ(face.Pixel(3, 2), kFace);
  face.Clear(kFace);
  BlendPicture(face, -1, 0, 4, 4, p, kMask, kNoBrush, false, false, false, true, kMask);  // block larger than picture
  EXPECT_EQ(testing::CountColour(face, 0, 0, 4, 3, Rgb(9, 9, 9)), 2);
  EXPECT_EQ(face.Pixel(0, 0), Rgb(9, 9, 9));
  EXPECT_EQ(face.Pixel(1, 0), kFace);
  ButtonPicture broken;  // no pixels: the face stays as it was
  broken.width = 3;
  broken.height = 3;
  BlendPicture(face, 0, 0, 3, 3, broken, kMask, kNoBrush, false, false, false, false, kMask);
  EXPECT_EQ(testing::CountColour(face, 0, 0, 4, 3, Rgb(9, 9, 9)), 2);
}

TEST(CaptionBlend, IconsAreLaidOverTheMaskColourFirst) {
  Raster face(3, 1, kFace);
  ButtonPicture icon;
  icon.kind = ButtonPicture::Kind::Icon;
  icon.width = 3;
  icon.height = 1;
  icon.pixels = {0x00FF0000u, 0xFF00FF00u, 0x800000FFu};
  BlendPicture(face, 0, 0, 3, 1, icon, kMask, kNoBrush, false, false, false, true, kMask);
  EXPECT_EQ(face.Pixel(0, 0), kFace);             // transparent: the mask colour, left out
  EXPECT_EQ(face.Pixel(1, 0), Rgb(0, 255, 0));
  EXPECT_EQ(face.Pixel(2, 0), Rgb(96, 96, 224));  // half over the mask colour
  BlendPicture(face, 0, 0, 4, 1, icon, kMask, kNoBrush, false, false, false, false, kMask);
  EXPECT_EQ(face.Pixel(0, 0), kMask);
}

TEST(CaptionBlend, OneBlockReadAndWriteAndNoDrawingCalls) {
  CountingRaster face(32, 32, kFace);
  ButtonPicture p;
  p.width = p.height = 32;
  p.pixels.assign(32 * 32, ToPixel(Rgb(1, 1, 1)));
  BlendPicture(face, 0, 0, 32, 32, p, kMask, kNoBrush, false, true, false, true, kMask);
  BlendPicture(face, 0, 0, 32, 32, p, kMask, 5, true, false, false, true, kMask);
  EXPECT_EQ(face.calls, 0);
  EXPECT_EQ(face.Pixel(31, 31), Rgb(5, 0, 0));
}

}  // namespace
}  // namespace kqm
