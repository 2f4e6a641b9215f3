#pragma once
#include <cstdint>

#include "controls/skin_button/button_paint.h"

namespace kqm {

// "No brush" for BlendPicture: the picture's own pixels are drawn.
constexpr std::int32_t kNoBrush = -1;

// What drawing the caption and the picture needs during one paint.
struct FaceContext {
  const ButtonLook& look;
  ButtonColors& colors;    // types may change cTint for one caption
  const CaptionLayout& layout;
  Raster& surface;
  TextRenderer& text;
  TextFont font;           // the caption font (type 14 may draw in bold)
  int lastState;           // the state being drawn
  int& lastCaptionStyle;   // style of the last DrawCaption call, kept by the painter
  bool drawsCaption = true;  // false for a type that shows no caption (the caption over a picture is left out too)
};

// PictureNormal's size in pixels from its 0.01 mm size (its pixel size when that is not given); 0 without one.
void MeasurePicture(CaptionLayout& layout, const ButtonLook& look);
// Lays out the caption for the look's size, caption, picture size and position, then runs PlacePicture. When the
// picture and the caption beside it would reach past the face, both move inside it, keeping their gap when they
// fit and going to opposite edges when they do not.
void LayoutCaption(CaptionLayout& layout, const ButtonLook& look, const TextFont& font, TextRenderer& text);
// Places the picture beside or behind the caption (keeps the old place when the look has no picture). A picture
// beside the caption is kept inside the face together with the caption (see LayoutCaption).
void PlacePicture(CaptionLayout& layout, const ButtonLook& look);
// True when the caption has something besides spaces.
bool HasVisibleText(const std::string& caption);

// Draws the caption text once in the colour at r (widened by the layout's ink margin), nothing else.
void DrawCaptionText(FaceContext& face, const PixelRect& r, ColorRef colour);
// Draws the caption in one of the eight caption styles (0 up, 1 hovered, 2 down, 3 to 7 disabled and
// special looks), effect copies first.
void DrawCaption(FaceContext& face, int style);
// The raised, sunken or shadow copies of the caption round r (nothing when SpecialEffect is 0).
void DrawCaptionEffect(FaceContext& face, const PixelRect& r);
// Draws the picture for picture state 0 (up), 1 (down) or 2 (disabled); nothing without PictureNormal.
void DrawPicture(FaceContext& face, int pictureState);
// The effect copies of a picture, offset by `offset` pixels (nothing when SpecialEffect is 0).
void DrawPictureEffect(FaceContext& face, int offset, const ButtonPicture& picture);

// Composites w x h pixels of the picture onto the surface at (x, y) with one block read and one block write.
// A negative w or h means the picture's own size; 0 draws nothing. With useMaskColor, source pixels equal to
// `transparent` leave the surface as it is. Without a brush (kNoBrush) the source is drawn, as grey
// (0.3 R + 0.59 G + 0.11 B) with greyscale, or a third over the surface with fade. With a brush the
// silhouette is drawn in the brush colour; with threshold, light pixels (R + G + B above 384) are left out.
// Icons are first laid over `iconBackground`; surface pixels the picture does not cover stay.
void BlendPicture(Raster& surface, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                  const ButtonPicture& picture, ColorRef transparent, std::int32_t brush, bool threshold,
                  bool greyscale, bool fade, bool useMaskColor, ColorRef iconBackground);

}  // namespace kqm
