#include <gtest/gtest.h>

#include "controls/skin_button/button_caption.h"
#include "platform/substitute/fixed_text_renderer.h"

namespace kqm {
namespace {

// A 60 x 30 button with a 16 x 16 picture; the fixed renderer's default font has 6 x 16 cells.
struct Layout {
  FixedTextRenderer text;
  ButtonLook look;
  CaptionLayout layout;

  Layout() {
    look.width = 60;
    look.height = 30;
    auto picture = std::make_shared<ButtonPicture>();
    picture->width = picture->height = 16;
    picture->pixels.assign(256, 0);
    look.pictureNormal = picture;
  }
  const CaptionLayout& For(sknPicturePosition position, std::string caption) {
    look.picturePosition = position;
    look.caption = std::move(caption);
    LayoutCaption(layout, look, CaptionFont(look.font), text);
    return layout;
  }
};

TEST(CaptionLayout, CaptionAndPictureRectanglesForTheFivePositions) {
  Layout l;
  const CaptionLayout& left = l.For(sknPicturePosition::ppLeft, "Go");
  EXPECT_EQ(left.rcText, (PixelRect{32, 7, 44, 23}));
  EXPECT_EQ(left.rcTextDown, (PixelRect{33, 8, 45, 24}));
  EXPECT_EQ(left.captionWidth, 12);
  EXPECT_EQ(left.captionHeight, 16);
  EXPECT_EQ(left.pictureX, 12);
  EXPECT_EQ(left.pictureY, 7);

  const CaptionLayout& right = l.For(sknPicturePosition::ppRight, "Go");
  EXPECT_EQ(right.rcText, (PixelRect{14, 7, 26, 23}));
  EXPECT_EQ(right.pictureX, 30);
  EXPECT_EQ(right.pictureY, 7);

  // A 16-pixel picture, a 2-pixel gap and a 16-pixel line do not fit a 30-pixel face: each goes to its edge.
  const CaptionLayout& top = l.For(sknPicturePosition::ppTop, "Go");
  EXPECT_EQ(top.rcText, (PixelRect{24, 14, 36, 30}));
  EXPECT_EQ(top.rcTextDown, (PixelRect{25, 15, 37, 31}));
  EXPECT_EQ(top.pictureX, 22);
  EXPECT_EQ(top.pictureY, 0);

  const CaptionLayout& bottom = l.For(sknPicturePosition::ppBottom, "Go");
  EXPECT_EQ(bottom.rcText, (PixelRect{24, 0, 36, 16}));
  EXPECT_EQ(bottom.pictureX, 22);
  EXPECT_EQ(bottom.pictureY, 14);

  const CaptionLayout& behind = l.For(sknPicturePosition::ppBehind, "Go");
  EXPECT_EQ(behind.rcText, (PixelRect{24, 7, 36, 23}));
  EXPECT_EQ(behind.pictureX, 22);
  EXPECT_EQ(behind.pictureY, 7);
}

TEST(CaptionLayout, PictureAndCaptionStayInsideTheFace) {
  Layout l;
  // Where they fit, picture and caption keep their places and their gap.
  l.look.height = 40;
  const CaptionLayout& top = l.For(sknPicturePosition::ppTop, "Go");
  EXPECT_EQ(top.rcText, (PixelRect{24, 20, 36, 36}));
  EXPECT_EQ(top.pictureY, 2);
  const CaptionLayout& bottom = l.For(sknPicturePosition::ppBottom, "Go");
  EXPECT_EQ(bottom.rcText, (PixelRect{24, 2, 36, 18}));
  EXPECT_EQ(bottom.pictureY, 20);
  // A 42-pixel caption beside the picture in a 62-pixel face: the pair moves inside, still 4 pixels apart.
  l.look.height = 30;
  l.look.width = 62;
  const CaptionLayout& left = l.For(sknPicturePosition::ppLeft, "Caption");
  EXPECT_EQ(left.pictureX, 0);
  EXPECT_EQ(left.rcText, (PixelRect{20, 7, 62, 23}));
  EXPECT_EQ(left.rcTextDown, (PixelRect{21, 8, 63, 24}));
  const CaptionLayout& right = l.For(sknPicturePosition::ppRight, "Caption");
  EXPECT_EQ(right.pictureX, 46);
  EXPECT_EQ(right.rcText, (PixelRect{0, 7, 42, 23}));
  // Too wide for both: the picture keeps to its edge and the caption to the other.
  l.look.width = 60;
  const CaptionLayout& narrow = l.For(sknPicturePosition::ppLeft, "Caption");
  EXPECT_EQ(narrow.pictureX, 0);
  EXPECT_EQ(narrow.rcText.right, 60);
}

TEST(CaptionLayout, CaptionOfSpacesCentresThePictureButKeepsThePositionsTextRectangle) {
  Layout l;
  const CaptionLayout& spaces = l.For(sknPicturePosition::ppLeft, "   ");
  EXPECT_EQ(spaces.rcText, (PixelRect{29, 7, 47, 23}));
  EXPECT_EQ(spaces.pictureX, 22);
  EXPECT_EQ(spaces.pictureY, 7);
  const CaptionLayout& empty = l.For(sknPicturePosition::ppRight, "");
  EXPECT_EQ(empty.captionWidth, 0);
  EXPECT_EQ(empty.captionHeight, 16);
  EXPECT_EQ(empty.pictureX, 22);
}

TEST(CaptionLayout, WrappedCaptionGrowsDownwardsAndMnemonicsDoNotTakeACell) {
  Layout l;
  l.look.pictureNormal = nullptr;
  const CaptionLayout& wrapped = l.For(sknPicturePosition::ppBehind, "Open the read&me file");
  EXPECT_EQ(wrapped.captionWidth, 48);  // 57 pixels hold 9 cells: "Open the", "readme", "file"
  EXPECT_EQ(wrapped.captionHeight, 48);
  const CaptionLayout& amp = l.For(sknPicturePosition::ppBehind, "A&&B");
  EXPECT_EQ(amp.captionWidth, 18);
}

TEST(CaptionLayout, PictureKeepsItsPlaceWithoutPicturesAndOverPictureIsNeverMeasured) {
  Layout l;
  l.look.pictureNormal = nullptr;
  l.layout.pictureX = 99;
  l.layout.pictureY = 98;
  l.For(sknPicturePosition::ppLeft, "Go");
  EXPECT_EQ(l.layout.pictureX, 99);
  EXPECT_EQ(l.layout.pictureY, 98);
  auto over = std::make_shared<ButtonPicture>();
  over->width = over->height = 16;
  l.look.pictureOver = over;
  l.For(sknPicturePosition::ppLeft, "Go");
  EXPECT_EQ(l.layout.pictureWidth, 0);
  EXPECT_EQ(l.layout.pictureX, l.layout.rcText.left - 4);
  EXPECT_EQ(l.layout.pictureY, 15);
}

TEST(CaptionLayout, PictureSizeComesFromItsHiMetricSizeAtTheDisplayResolution) {
  Layout l;
  auto picture = std::make_shared<ButtonPicture>();
  picture->width = picture->height = 16;
  picture->widthHiMetric = 847;   // 32.0 pixels at 96 per inch
  picture->heightHiMetric = 344;  // 13.0
  l.look.pictureNormal = picture;
  MeasurePicture(l.layout, l.look);
  EXPECT_EQ(l.layout.pictureWidth, 32);
  EXPECT_EQ(l.layout.pictureHeight, 13);
  l.look.pixelsPerInch = 144;
  MeasurePicture(l.layout, l.look);
  EXPECT_EQ(l.layout.pictureWidth, 48);
}

}  // namespace
}  // namespace kqm
