#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "controls/skin_button/sknButton.h"
#include "platform/raster.h"
#include "platform/system_colors.h"
#include "platform/text_renderer.h"

namespace kqm {

// Everything the painter needs to know about a button, gathered by the control before each call.
// Colours are stored values (system-colour references allowed); sizes are client pixels.
struct ButtonLook {
  sknButtonType buttonType = sknButtonType::btClassic3D;
  sknColorScheme colorScheme = sknColorScheme::csSystem;
  OleColor backColor = kSysButtonFace;
  OleColor backOver = kSysButtonFace;
  OleColor foreColor = kSysButtonText;
  OleColor foreOver = kSysButtonText;
  OleColor maskColor = kDefaultMaskColor;
  ColorRef containerBackColor = Rgb(255, 255, 255);  // background of the parent's drawing surface (scheme 4)
  ColorRef containerForeColor = Rgb(0, 0, 0);        // text colour of the parent's drawing surface (scheme 4)
  std::string caption;
  ButtonFont font;
  PicturePtr pictureNormal;
  PicturePtr pictureOver;
  sknPicturePosition picturePosition = sknPicturePosition::ppLeft;
  bool useMaskColor = true;
  bool useGreyscale = false;
  sknSpecialEffect specialEffect = sknSpecialEffect::fxNone;
  bool softBevel = false;
  bool enabled = true;
  bool showFocusRect = true;
  bool isOver = false;          // the hover look is on
  bool hasFocus = false;
  bool displayAsDefault = false;  // the container's default button ("default look")
  bool checkBoxBehaviour = false;
  bool value = false;
  bool paintEnabled = true;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t pixelsPerInch = 96;  // converts picture sizes
};

// The colour set derived from the colour scheme.
struct ButtonColors {
  ColorRef cFace = 0;
  ColorRef cLight = 0;
  ColorRef cHighlight = 0;
  ColorRef cShadow = 0;
  ColorRef cDarkShadow = 0;
  ColorRef cText = 0;
  ColorRef cTextOver = 0;
  ColorRef cMask = 0;
  ColorRef cTint = 0;
  ColorRef cSelect = 0;
  ColorRef cSelectPale = 0;
  bool operator==(const ButtonColors&) const = default;
};

// Caption and picture layout, recomputed by LayoutCaption.
struct CaptionLayout {
  PixelRect rcText;       // where the caption is drawn when up
  PixelRect rcTextDown;   // rcText moved one pixel right and down
  std::int32_t captionWidth = 0;
  std::int32_t captionHeight = 0;
  std::int32_t pictureWidth = 0;   // PictureNormal's size in pixels (0 without one)
  std::int32_t pictureHeight = 0;
  std::int32_t pictureX = 0;
  std::int32_t pictureY = 0;
  // Captions are drawn into their rectangles widened by this much left, right and below (the same layout, as
  // text is centred and starts at the top), so that glyphs reaching past their advance are not cut off.
  std::int32_t inkMargin = 0;
  bool operator==(const CaptionLayout&) const = default;
};

// The window shape: the rectangle (0, 0)-(width, height), or the ellipse inscribed in it, less single pixels.
struct ButtonShape {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool elliptic = false;
  std::vector<std::pair<std::int32_t, std::int32_t>> removed;  // (x, y) pixels cut from the rectangle

  // True when pixel (x, y) belongs to the shape.
  bool Contains(std::int32_t x, std::int32_t y) const;
  // Number of pixels in the shape.
  std::int64_t PixelCount() const;
};

// The colour moved by `amount` per component (blue in proportion to itself when proportionalBlue),
// clamped to 0..255 in the direction of the move; softBevel halves the amount first.
ColorRef ShiftColor(ColorRef colour, std::int32_t amount, bool proportionalBlue, bool softBevel);
// Each component c becomes amount + c x (255 - amount) / 255, at most 255.
ColorRef LightenColor(ColorRef colour, std::int32_t amount);
// The colour set of a look's colour scheme (ButtonType 3 tints with proportional blue).
ButtonColors ComputeColors(const ButtonLook& look, const SystemColors& system);
// The window shape of a look's type and size.
ButtonShape MakeRegion(const ButtonLook& look);
// The font a look's caption is drawn with.
TextFont CaptionFont(const ButtonFont& font);

// Draws button faces. Holds what painting keeps between calls: the colour set, the caption layout,
// the focus rectangle, the last painted state and caption, the last caption style and the type-11
// background snapshot. One painter per button.
class ButtonPainter {
 public:
  // The system colours must outlive the painter.
  explicit ButtonPainter(const SystemColors& system);

  // Recomputes the colour set from the look.
  void ComputeColors(const ButtonLook& look);
  // The colour set of the last ComputeColors (a hovered paint's temporary set is undone before it returns).
  const ButtonColors& Colors() const { return colors_; }

  // Resize handling without the window work: the focus rectangle from the size and type, then LayoutCaption.
  void Resize(const ButtonLook& look, TextRenderer& text);
  // Measures the caption and places caption and picture for the look's size, font and picture position.
  void LayoutCaption(const ButtonLook& look, TextRenderer& text);
  // The window shape for the look's type and size.
  ButtonShape MakeRegion(const ButtonLook& look) const { return kqm::MakeRegion(look); }

  // Keeps a copy of what lies behind the control (type 11), at the snapshot's own size.
  void CaptureBackground(const Raster& snapshot);
  // True once a non-empty snapshot has been captured.
  bool HasBackground() const { return background_.Width() > 0 && background_.Height() > 0; }

  // Draws the whole face in state 0 (up) or 2 (down) onto the surface. Returns false when nothing was drawn:
  // unchanged caption and state without force, zero height, or painting disabled.
  bool PaintButton(const ButtonLook& look, int state, bool force, Raster& surface, TextRenderer& text);

  // State (0 up, 2 down) and caption of the last face drawn; the no-change test compares against them.
  int LastState() const { return lastState_; }
  const std::string& LastCaption() const { return lastCaption_; }
  // Caption style of the last DrawCaption (0 before the first).
  int LastCaptionStyle() const { return lastCaptionStyle_; }
  // Caption and picture placement of the last LayoutCaption.
  const CaptionLayout& Layout() const { return layout_; }
  // The rectangle the focus frame is drawn round, from the last Resize.
  const PixelRect& FocusRect() const { return rcFocus_; }

 private:
  const SystemColors& system_;
  ButtonColors colors_;
  CaptionLayout layout_;
  PixelRect rcFocus_;
  int lastState_ = kStateUp;
  std::string lastCaption_;
  int lastCaptionStyle_ = 0;
  Raster background_;
};

}  // namespace kqm
