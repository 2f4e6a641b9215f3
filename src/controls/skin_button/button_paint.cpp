#include "controls/skin_button/button_paint.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <set>

#include "controls/skin_button/button_caption.h"

namespace kqm {

namespace {

constexpr int kSysHighlight = 13;
constexpr int kSysFace = 15;
constexpr int kSysShadow = 16;
constexpr int kSysText = 18;
constexpr int kSysHighlight3d = 20;
constexpr int kSysDarkShadow = 21;
constexpr int kSysLight = 22;

int Clamp255(int v) { return std::clamp(v, 0, 255); }

// Row spans [first, last] of an elliptic shape, one per row (first > last: empty row).
std::vector<std::pair<int, int>> EllipticSpans(std::int32_t width, std::int32_t height) {
  std::vector<std::pair<int, int>> spans(static_cast<size_t>(std::max(height, 0)), {0, -1});
  const int right = width - 1;
  const int bottom = height - 1;
  if (right < 2 || bottom < 2) {
    for (int y = 0; y < bottom && y < height; ++y) spans[static_cast<size_t>(y)] = {0, right - 1};
    return spans;
  }
  for (const auto& [x, y] : EllipseOutline(0, 0, right, bottom)) {
    if (y < 0 || y >= height) continue;
    auto& span = spans[static_cast<size_t>(y)];
    if (span.first > span.second) {
      span = {x, x};
    } else {
      span.first = std::min(span.first, x);
      span.second = std::max(span.second, x);
    }
  }
  return spans;
}

// Draws one button face: the sequences of every type and state over a FaceContext.
class FaceDrawer {
 public:
  FaceDrawer(FaceContext& face, CaptionLayout& layout, const PixelRect& focus, const Raster& background)
      : f_(face), c_(face.colors), look_(face.look), s_(face.surface), W(face.look.width), H(face.look.height),
        layout_(layout), focus_(focus), background_(background) {}

  // The sequences of each type, as the style table names them.
  void FramedBevelUp();
  void FramedBevelDown();
  void FramedBevelDisabled();
  void Classic3DUp();
  void Classic3DDown();
  void Classic3DDisabled();
  void RoundedGradientUp();
  void RoundedGradientDown();
  void RoundedGradientDisabled();
  void RoundedFramedUp() { Type4Up(false); }
  void RoundedFramedDown();
  void RoundedFramedDisabled() { Type4Up(true); }
  void OutlinedUp();
  void OutlinedDown();
  void OutlinedDisabled();
  void LightBevelUp();
  void LightBevelDown();
  void LightBevelDisabled();
  void ThinRaisedUp();
  void ThinDown();
  void ThinRaisedDisabled();
  void HoverThinUp();
  void HoverHighlightUp();
  void HoverHighlightDown();
  void HoverHighlightDisabled() { Caption(4); }
  void Nothing() {}
  void TransparentUp();
  void TransparentDown();
  void TransparentDisabled();
  void HoverRaisedUp();
  void HoverRaisedDown();
  void OvalUp();
  void OvalDown();
  void CaptionOnlyDisabled() { Caption(3); }
  void GradientFramedUp();
  void GradientFramedDown();
  void GradientFramedDisabled();

 private:
  ColorRef S(ColorRef colour, int amount) const { return ShiftColor(colour, amount, false, look_.softBevel); }
  ColorRef P(ColorRef colour, int amount) const { return ShiftColor(colour, amount, true, look_.softBevel); }
  void Box(int x, int y, int w, int h, ColorRef c) { s_.FillBox(x, y, w, h, c); }
  void Outline(int x, int y, int w, int h, ColorRef c) { s_.OutlineBox(x, y, w, h, c); }
  void Line(int x1, int y1, int x2, int y2, ColorRef c) { s_.Line(x1, y1, x2, y2, c); }
  void Px(int x, int y, ColorRef c) { s_.SetPixel(x, y, c); }
  void Caption(int style) { DrawCaption(f_, style); }
  void CaptionHover() { Caption(look_.isOver ? 1 : 0); }
  void Focus() {
    if (look_.showFocusRect && look_.hasFocus) s_.FocusRect(focus_);
  }
  void Bevel(ColorRef a1, ColorRef b1, ColorRef a2, ColorRef b2, int inset, bool singleRing);
  void Corners(ColorRef c) {
    Px(1, 1, c);
    Px(1, H - 2, c);
    Px(W - 2, 1, c);
    Px(W - 2, H - 2, c);
  }
  void CopyBackground();
  void CaptionFrame();
  void Type3Gradient(bool down);
  void Type4Up(bool disabled);
  void Type14Gradient();
  void Type14Frame();

  FaceContext& f_;
  ButtonColors& c_;
  const ButtonLook& look_;
  Raster& s_;
  const int W;
  const int H;
  CaptionLayout& layout_;
  const PixelRect focus_;
  const Raster& background_;
};

// The window shapes of the types.
enum class Shape : std::uint8_t {
  Rectangle,    // the full client rectangle
  CutCorners,   // the four corner pixels removed
  CutTwo,       // the bottom-left and top-right corner pixels removed
  Rounded,      // three pixels removed at each corner
  Ellipse,      // the ellipse inscribed in the client rectangle
};

// Everything one button type knows about its look.
struct FaceStyle {
  void (FaceDrawer::*up)();
  void (FaceDrawer::*down)();
  void (FaceDrawer::*disabled)();
  Shape shape;
  std::int8_t focusInset;   // the focus rectangle shrinks by this on every side...
  std::int8_t focusShift;   // ...and then moves this far right and down
  bool drawsCaption;        // false: no caption in any state (the picture-only type)
};

using D = FaceDrawer;
// Indexed by sknButtonType - 1.
constexpr FaceStyle kFaceStyles[] = {
    {&D::FramedBevelUp, &D::FramedBevelDown, &D::FramedBevelDisabled, Shape::CutCorners, 4, 0, true},
    {&D::Classic3DUp, &D::Classic3DDown, &D::Classic3DDisabled, Shape::Rectangle, 4, 0, true},
    {&D::RoundedGradientUp, &D::RoundedGradientDown, &D::RoundedGradientDisabled, Shape::Rounded, 4, 0, true},
    {&D::RoundedFramedUp, &D::RoundedFramedDown, &D::RoundedFramedDisabled, Shape::Rounded, 4, 0, true},
    {&D::OutlinedUp, &D::OutlinedDown, &D::OutlinedDisabled, Shape::CutTwo, 4, 0, true},
    {&D::LightBevelUp, &D::LightBevelDown, &D::LightBevelDisabled, Shape::Rectangle, 4, 0, true},
    {&D::ThinRaisedUp, &D::ThinDown, &D::ThinRaisedDisabled, Shape::Rectangle, 3, 0, true},
    {&D::HoverThinUp, &D::ThinDown, &D::CaptionOnlyDisabled, Shape::Rectangle, 3, 0, true},
    {&D::HoverHighlightUp, &D::HoverHighlightDown, &D::HoverHighlightDisabled, Shape::Rectangle, 3, 0, true},
    {&D::Nothing, &D::Nothing, &D::Nothing, Shape::Rectangle, 3, 0, false},
    {&D::TransparentUp, &D::TransparentDown, &D::TransparentDisabled, Shape::Rectangle, 3, 0, true},
    {&D::HoverRaisedUp, &D::HoverRaisedDown, &D::CaptionOnlyDisabled, Shape::Rectangle, 3, 0, true},
    {&D::OvalUp, &D::OvalDown, &D::CaptionOnlyDisabled, Shape::Ellipse, 3, 0, true},
    {&D::GradientFramedUp, &D::GradientFramedDown, &D::GradientFramedDisabled, Shape::CutCorners, 5, 1, true},
};
static_assert(std::size(kFaceStyles) == 14, "one face style for every sknButtonType");

// The style of a type; null for a value outside 1..14 (those draw only the face fill).
const FaceStyle* StyleOf(sknButtonType type) {
  const auto index = static_cast<std::int64_t>(type) - 1;
  if (index < 0 || index >= static_cast<std::int64_t>(std::size(kFaceStyles))) return nullptr;
  return &kFaceStyles[index];
}

void FaceDrawer::Bevel(ColorRef a1, ColorRef b1, ColorRef a2, ColorRef b2, int inset, bool singleRing) {
  const int t = std::abs(inset);
  const int r = W + inset - 1;
  const int b = H + inset - 1;
  Line(t, b, t, t, a1);
  Line(t, t, r, t, a1);
  Line(r, t, r, b, b1);
  Line(r, b, t - 1, b, b1);
  if (singleRing) return;
  Line(t + 1, b - 1, t + 1, t + 1, a2);
  Line(t + 1, t + 1, r - 1, t + 1, a2);
  Line(r - 1, t + 1, r - 1, b - 1, b2);
  Line(r - 1, b - 1, t, b - 1, b2);
}

void FaceDrawer::CopyBackground() {
  const int w = std::min(W, background_.Width());
  const int h = std::min(H, background_.Height());
  if (w <= 0 || h <= 0) return;
  std::vector<std::uint32_t> block;
  background_.ReadBlock(0, 0, w, h, block);
  s_.WriteBlock(0, 0, w, h, block.data());
}

void FaceDrawer::CaptionFrame() {
  if (!(look_.hasFocus && look_.showFocusRect)) return;
  const CaptionLayout& l = f_.layout;
  Outline(l.rcText.left - 2, l.rcText.top - 1, l.captionWidth + 4, l.captionHeight + 2, Rgb(153, 153, 204));
}

void FaceDrawer::Type3Gradient(bool down) {
  const float s = 25.0f / static_cast<float>(H);
  const ColorRef base = down ? P(c_.cTint, -32) : c_.cTint;
  for (int i = 1; i <= H; ++i) {
    const int step = static_cast<int>(std::nearbyint(static_cast<double>(s) * i));
    const int y = down ? H - i : i;
    Line(0, y, W, y, P(base, -step));
  }
}

void FaceDrawer::Type4Up(bool disabled) {
  Box(1, 1, W - 2, H - 2, c_.cLight);
  Caption(disabled ? 3 : (look_.isOver ? 1 : 0));
  Outline(0, 0, W, H, c_.cDarkShadow);
  Corners(c_.cDarkShadow);
  Line(1, 2, 2, 0, c_.cFace);
  Line(3, 2, W - 3, 2, c_.cHighlight);
  Line(2, 2, 2, H - 3, c_.cHighlight);
  Px(3, 3, c_.cHighlight);
  Line(W - 3, 1, W - 3, H - 3, c_.cFace);
  Line(1, H - 3, W - 3, H - 3, c_.cFace);
  Px(W - 4, H - 4, c_.cFace);
  Line(W - 2, 2, W - 2, H - 2, c_.cShadow);
  Line(2, H - 2, W - 2, H - 2, c_.cShadow);
  Px(W - 3, H - 3, c_.cShadow);
}

void FaceDrawer::Type14Gradient() {
  const float u = 58.0f / static_cast<float>(H);
  for (int i = 1; i <= H; ++i) {
    const int step = static_cast<int>(std::nearbyint(static_cast<double>(u) * i));
    Line(0, i, W, i, S(c_.cHighlight, -step));
  }
}

void FaceDrawer::Type14Frame() {
  Outline(0, 0, W, H, S(c_.cShadow, -50));
  Outline(1, 1, W - 2, H - 2, S(c_.cFace, -9));
  Box(2, 2, W - 4, 2, c_.cHighlight);
  Box(2, 4, 2, H - 6, c_.cHighlight);
}

void FaceDrawer::FramedBevelUp() {
  CaptionHover();
  Bevel(c_.cHighlight, c_.cShadow, c_.cHighlight, c_.cShadow, -1, false);
  Outline(0, 0, W, H, c_.cDarkShadow);
  Focus();
}

void FaceDrawer::FramedBevelDown() {
  Caption(2);
  Bevel(c_.cShadow, c_.cHighlight, c_.cShadow, c_.cHighlight, -1, false);
  Outline(0, 0, W, H, c_.cDarkShadow);
  Focus();
}

void FaceDrawer::FramedBevelDisabled() {
  Caption(3);
  Bevel(c_.cHighlight, c_.cShadow, c_.cHighlight, c_.cShadow, -1, false);
  Outline(0, 0, W, H, c_.cDarkShadow);
}

void FaceDrawer::Classic3DUp() {
  CaptionHover();
  if (look_.displayAsDefault && look_.showFocusRect) {
    Bevel(c_.cHighlight, c_.cDarkShadow, c_.cLight, c_.cShadow, -1, false);
    Focus();
    Outline(0, 0, W, H, c_.cDarkShadow);
  } else {
    Bevel(c_.cHighlight, c_.cDarkShadow, c_.cLight, c_.cShadow, 0, false);
  }
}

void FaceDrawer::Classic3DDown() {
  Caption(2);
  if (look_.displayAsDefault && look_.showFocusRect) {
    Outline(0, 0, W, H, c_.cDarkShadow);
    Outline(1, 1, W - 2, H - 2, c_.cShadow);
    Focus();
  } else {
    Bevel(c_.cDarkShadow, c_.cHighlight, c_.cShadow, c_.cLight, 0, false);
  }
}

void FaceDrawer::Classic3DDisabled() {
  Caption(3);
  Bevel(c_.cHighlight, c_.cDarkShadow, c_.cLight, c_.cShadow, 0, false);
}

void FaceDrawer::RoundedGradientUp() {
  Type3Gradient(false);
  CaptionHover();
  Outline(0, 0, W, H, Rgb(0, 60, 115));
  Corners(Rgb(16, 77, 123));
  ColorRef c1 = 0, c2 = 0, c3 = 0, c4 = 0, c5 = 0;
  bool lit = true;
  if (look_.isOver) {
    c1 = Rgb(255, 178, 49);
    c2 = Rgb(231, 150, 0);
    c3 = Rgb(255, 243, 206);
    c4 = Rgb(255, 219, 140);
    c5 = Rgb(255, 203, 107);
  } else if ((look_.displayAsDefault || look_.hasFocus) && look_.showFocusRect) {
    c1 = Rgb(140, 174, 231);
    c2 = Rgb(107, 130, 239);
    c3 = Rgb(206, 231, 255);
    c4 = Rgb(189, 215, 247);
    c5 = Rgb(181, 209, 240);
  } else {
    lit = false;
  }
  if (lit) {
    Outline(1, 2, W - 2, H - 4, c1);
    Line(2, H - 2, W - 2, H - 2, c2);
    Line(2, 1, W - 2, 1, c3);
    Line(1, 2, W - 1, 2, c4);
    Line(2, 3, 2, H - 3, c5);
    Line(W - 3, 3, W - 3, H - 3, c5);
  } else {
    const ColorRef t = c_.cTint;
    Line(2, H - 2, W - 2, H - 2, P(t, -48));
    Line(1, H - 3, W - 2, H - 3, P(t, -32));
    Line(W - 2, 2, W - 2, H - 2, P(t, -36));
    Line(W - 3, 3, W - 3, H - 3, P(t, -24));
    Line(2, 1, W - 2, 1, P(t, 16));
    Line(1, 2, W - 2, 2, P(t, 10));
    Line(1, 2, 1, H - 2, P(t, -5));
    Line(2, 3, 2, H - 3, P(t, -10));
  }
}

void FaceDrawer::RoundedGradientDown() {
  Type3Gradient(true);
  Caption(2);
  Outline(0, 0, W, H, Rgb(0, 60, 115));
  Corners(Rgb(16, 77, 123));
  const ColorRef B = P(c_.cTint, -32);
  Line(2, H - 2, W - 2, H - 2, P(B, 16));
  Line(1, H - 3, W - 2, H - 3, P(B, 10));
  Line(W - 2, 2, W - 2, H - 2, P(B, 5));
  Line(W - 3, 3, W - 3, H - 3, c_.cTint);
  Line(2, 1, W - 2, 1, P(B, -32));
  Line(1, 2, W - 2, 2, P(B, -24));
  Line(1, 2, 1, H - 2, P(B, -32));
  Line(2, 2, 2, H - 2, P(B, -22));
}

void FaceDrawer::RoundedGradientDisabled() {
  Box(0, 0, W, H, P(c_.cTint, -24));
  Caption(5);
  Outline(0, 0, W, H, P(c_.cTint, -84));
  Corners(P(c_.cTint, -72));
}

void FaceDrawer::RoundedFramedDown() {
  const ColorRef sh = c_.cShadow;
  Box(1, 1, W - 2, H - 2, S(sh, -16));
  c_.cTint = S(sh, -16);
  Caption(2);
  c_.cTint = S(c_.cFace, 48);
  Outline(0, 0, W, H, c_.cDarkShadow);
  Outline(1, 1, W - 2, H - 2, S(sh, -64));
  Outline(2, 2, W - 4, H - 4, S(sh, -32));
  Px(2, 2, S(sh, -64));
  Px(3, 3, S(sh, -32));
  Corners(c_.cDarkShadow);
  Line(W - 3, 1, W - 3, H - 3, sh);
  Line(1, H - 3, W - 2, H - 3, sh);
  Px(W - 4, H - 4, sh);
  Line(W - 2, 3, W - 2, H - 2, S(sh, -16));
  Line(3, H - 2, W - 2, H - 2, S(sh, -16));
  Line(W - 2, H - 3, W - 4, H - 1, S(sh, -32));
  Px(2, H - 2, S(sh, -32));
  Px(W - 2, 2, S(sh, -32));
}

void FaceDrawer::OutlinedUp() {
  Box(1, 1, W - 1, H - 1, S(c_.cFace, 12));
  CaptionHover();
  Outline(1, 1, W - 1, H - 1, c_.cHighlight);
  Outline(0, 0, W - 1, H - 1, S(c_.cShadow, -26));
  Px(1, H - 2, S(c_.cShadow, 26));
  Px(W - 2, 1, S(c_.cShadow, 26));
  CaptionFrame();
}

void FaceDrawer::OutlinedDown() {
  Box(1, 1, W - 2, H - 2, S(c_.cShadow, 16));
  Outline(0, 0, W - 1, H - 1, S(c_.cShadow, -26));
  Line(W - 1, 1, W - 1, H, c_.cHighlight);
  Line(1, H - 1, W - 1, H - 1, c_.cHighlight);
  DrawCaptionText(f_, f_.layout.rcText, c_.cTextOver);
  CaptionFrame();
}

void FaceDrawer::OutlinedDisabled() {
  Caption(4);
  Outline(0, 0, W, H, c_.cShadow);
}

void FaceDrawer::LightBevelUp() {
  const ColorRef L = S(c_.cLight, 8);
  CaptionHover();
  Bevel(L, c_.cShadow, L, c_.cShadow, 0, false);
  Focus();
}

void FaceDrawer::LightBevelDown() {
  const ColorRef L = S(c_.cLight, 8);
  Caption(2);
  Bevel(c_.cShadow, L, c_.cShadow, L, 0, false);
  Focus();
}

void FaceDrawer::LightBevelDisabled() {
  const ColorRef L = S(c_.cLight, 8);
  Caption(4);
  Bevel(L, c_.cShadow, L, c_.cShadow, 0, false);
}

void FaceDrawer::ThinRaisedUp() {
  CaptionHover();
  Bevel(c_.cHighlight, c_.cShadow, 0, 0, 0, true);
  Focus();
}

void FaceDrawer::ThinDown() {
  Caption(2);
  Bevel(c_.cShadow, c_.cHighlight, 0, 0, 0, true);
  Focus();
}

void FaceDrawer::ThinRaisedDisabled() {
  Caption(3);
  Bevel(c_.cHighlight, c_.cShadow, 0, 0, 0, true);
}

void FaceDrawer::HoverThinUp() {
  CaptionHover();
  if (look_.isOver) Bevel(c_.cHighlight, c_.cShadow, 0, 0, 0, true);
  Focus();
}

void FaceDrawer::HoverHighlightUp() {
  if (look_.isOver) Box(1, 1, W, H, c_.cSelectPale);
  CaptionHover();
  if (look_.isOver) Outline(0, 0, W, H, c_.cSelect);
  Focus();
}

void FaceDrawer::HoverHighlightDown() {
  if (look_.isOver) {
    Box(0, 0, W, H,
        look_.colorScheme == sknColorScheme::csCustom ? S(c_.cSelectPale, -32) : LightenColor(c_.cSelect, 128));
  }
  Caption(2);
  Outline(0, 0, W, H, c_.cSelect);
  Focus();
}

void FaceDrawer::TransparentUp() {
  CopyBackground();
  CaptionHover();
  Focus();
}

void FaceDrawer::TransparentDown() {
  CopyBackground();
  Caption(2);
  Focus();
}

void FaceDrawer::TransparentDisabled() {
  CopyBackground();
  Caption(3);
}

void FaceDrawer::HoverRaisedUp() {
  CaptionHover();
  if (look_.isOver) Bevel(c_.cHighlight, c_.cDarkShadow, c_.cLight, c_.cShadow, 0, false);
  Focus();
}

void FaceDrawer::HoverRaisedDown() {
  Caption(2);
  Bevel(c_.cDarkShadow, c_.cHighlight, c_.cShadow, c_.cLight, 0, false);
  Focus();
}

void FaceDrawer::OvalUp() {
  s_.Ellipse(0, 0, W, H, look_.isOver ? c_.cShadow : c_.cFace, c_.cFace);
  CaptionHover();
}

void FaceDrawer::OvalDown() {
  s_.Ellipse(0, 0, W, H, c_.cDarkShadow, S(c_.cFace, -32));
  Caption(2);
}

void FaceDrawer::GradientFramedUp() {
  if (look_.isOver) {
    Box(0, 0, W, H, c_.cLight);
  } else {
    Type14Gradient();
  }
  if (look_.displayAsDefault) {
    // The default button shows its caption in bold: the layout follows the bold font for the caption and
    // returns to the button's own font before anything else is drawn.
    ButtonLook bold = look_;
    bold.font.weight = 700;
    f_.font = CaptionFont(bold.font);
    LayoutCaption(layout_, bold, f_.font, f_.text);
    CaptionHover();
    f_.font = CaptionFont(look_.font);
    LayoutCaption(layout_, look_, f_.font, f_.text);
  } else {
    CaptionHover();
  }
  Type14Frame();
  Focus();
}

void FaceDrawer::GradientFramedDown() {
  Box(1, 1, W, H, S(c_.cFace, -9));
  Outline(0, 0, W, H, S(c_.cShadow, -48));
  Line(2, H - 2, W - 2, H - 2, c_.cHighlight);
  Line(W - 2, 2, W - 2, H - 1, c_.cHighlight);
  Caption(7);
  Focus();
}

void FaceDrawer::GradientFramedDisabled() {
  Type14Gradient();
  Type14Frame();
  Caption(6);
}

}  // namespace

ColorRef ShiftColor(ColorRef colour, std::int32_t amount, bool proportionalBlue, bool softBevel) {
  if (softBevel) amount /= 2;
  int r = RedOf(colour);
  int g = GreenOf(colour);
  int b = BlueOf(colour);
  g += amount;
  r += amount;
  b += proportionalBlue ? (b * amount) / 192 : amount;
  if (amount > 0) {
    r = std::min(r, 255);
    g = std::min(g, 255);
    b = std::min(b, 255);
  } else if (amount < 0) {
    r = std::max(r, 0);
    g = std::max(g, 0);
    b = std::max(b, 0);
  }
  return Rgb(Clamp255(r), Clamp255(g), Clamp255(b));
}

ColorRef LightenColor(ColorRef colour, std::int32_t amount) {
  auto lighten = [amount](int c) { return std::min(amount + c * (255 - amount) / 255, 255); };
  return Rgb(Clamp255(lighten(RedOf(colour))), Clamp255(lighten(GreenOf(colour))), Clamp255(lighten(BlueOf(colour))));
}

ButtonColors ComputeColors(const ButtonLook& look, const SystemColors& system) {
  ButtonColors c;
  auto S = [&](ColorRef x, int n) { return ShiftColor(x, n, false, look.softBevel); };
  auto sys = [&](int index) { return system.SysColor(index) & 0xFFFFFFu; };
  // In high contrast every scheme gives way to the system colours the user chose.
  switch (system.HighContrast() ? sknColorScheme::csSystem : look.colorScheme) {
    case sknColorScheme::csCustom:
      c.cFace = TranslateColor(look.backColor, system);
      c.cText = TranslateColor(look.foreColor, system);
      c.cTextOver = TranslateColor(look.foreOver, system);
      c.cShadow = S(c.cFace, -64);
      c.cLight = S(c.cFace, 31);
      c.cHighlight = S(c.cFace, 47);
      c.cDarkShadow = S(c.cFace, -192);
      c.cSelect = S(c.cFace, -128);
      c.cSelectPale = c.cFace;
      break;
    case sknColorScheme::csFixed:
      c.cFace = Rgb(192, 192, 192);
      c.cText = Rgb(0, 0, 0);
      c.cTextOver = Rgb(0, 0, 0);
      c.cShadow = Rgb(128, 128, 128);
      c.cLight = Rgb(223, 223, 223);
      c.cHighlight = Rgb(255, 255, 255);
      c.cDarkShadow = Rgb(0, 0, 0);
      c.cSelect = Rgb(0, 0, 128);
      c.cSelectPale = Rgb(173, 173, 209);
      break;
    case sknColorScheme::csContainer:
      c.cFace = look.containerBackColor & 0xFFFFFFu;
      c.cText = look.containerForeColor & 0xFFFFFFu;
      c.cTextOver = c.cText;
      c.cShadow = S(c.cFace, -64);
      c.cLight = S(c.cFace, 31);
      c.cHighlight = S(c.cFace, 47);
      c.cDarkShadow = S(c.cFace, -192);
      c.cSelect = sys(kSysHighlight);
      c.cSelectPale = LightenColor(c.cSelect, 176);
      break;
    default:
      c.cFace = sys(kSysFace);
      c.cText = sys(kSysText);
      c.cTextOver = c.cText;
      c.cShadow = sys(kSysShadow);
      c.cLight = sys(kSysLight);
      c.cHighlight = sys(kSysHighlight3d);
      c.cDarkShadow = sys(kSysDarkShadow);
      c.cSelect = sys(kSysHighlight);
      c.cSelectPale = LightenColor(c.cSelect, 176);
      break;
  }
  c.cMask = TranslateColor(look.maskColor, system);
  c.cTint = ShiftColor(c.cFace, 48, look.buttonType == sknButtonType::btRoundedGradient, look.softBevel);
  return c;
}

ButtonShape MakeRegion(const ButtonLook& look) {
  ButtonShape shape;
  const std::int32_t W = look.width;
  const std::int32_t H = look.height;
  shape.width = W;
  shape.height = H;
  const FaceStyle* style = StyleOf(look.buttonType);
  switch (style ? style->shape : Shape::Rectangle) {
    case Shape::CutCorners:
      shape.removed = {{0, 0}, {W - 1, 0}, {0, H - 1}, {W - 1, H - 1}};
      break;
    case Shape::CutTwo:
      shape.removed = {{0, H - 1}, {W - 1, 0}};
      break;
    case Shape::Rounded:
      shape.removed = {{0, 0},         {1, 0},         {0, 1},         {W - 2, 0},     {W - 1, 0},     {W - 1, 1},
                       {0, H - 1},     {1, H - 1},     {0, H - 2},     {W - 2, H - 1}, {W - 1, H - 1}, {W - 1, H - 2}};
      break;
    case Shape::Ellipse:
      shape.elliptic = true;
      break;
    case Shape::Rectangle:
      break;
  }
  return shape;
}

bool ButtonShape::Contains(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return false;
  if (elliptic) {
    const auto spans = EllipticSpans(width, height);
    const auto& span = spans[static_cast<size_t>(y)];
    return x >= span.first && x <= span.second;
  }
  return std::find(removed.begin(), removed.end(), std::pair{x, y}) == removed.end();
}

std::int64_t ButtonShape::PixelCount() const {
  if (width <= 0 || height <= 0) return 0;
  if (elliptic) {
    std::int64_t count = 0;
    for (const auto& [first, last] : EllipticSpans(width, height)) {
      if (last >= first) count += std::min(last, width - 1) - std::max(first, 0) + 1;
    }
    return count;
  }
  std::set<std::pair<std::int32_t, std::int32_t>> cut;
  for (const auto& p : removed) {
    if (p.first >= 0 && p.second >= 0 && p.first < width && p.second < height) cut.insert(p);
  }
  return std::int64_t{width} * height - static_cast<std::int64_t>(cut.size());
}

TextFont CaptionFont(const ButtonFont& font) {
  TextFont t;
  t.name = font.name;
  t.size = font.size;
  t.weight = font.weight;
  t.italic = font.italic;
  t.underline = font.underline;
  return t;
}

ButtonPainter::ButtonPainter(const SystemColors& system) : system_(system) {}

void ButtonPainter::ComputeColors(const ButtonLook& look) { colors_ = kqm::ComputeColors(look, system_); }

void ButtonPainter::Resize(const ButtonLook& look, TextRenderer& text) {
  // Values outside 1..14 take the inset of the first types.
  const FaceStyle* style = StyleOf(look.buttonType);
  const int inset = style ? style->focusInset : 4;
  const int shift = style ? style->focusShift : 0;
  rcFocus_ = PixelRect{inset, inset, look.width - inset, look.height - inset}.Moved(shift, shift);
  LayoutCaption(look, text);
}

void ButtonPainter::LayoutCaption(const ButtonLook& look, TextRenderer& text) {
  kqm::LayoutCaption(layout_, look, CaptionFont(look.font), text);
}

void ButtonPainter::CaptureBackground(const Raster& snapshot) { background_ = snapshot.Clone(); }

bool ButtonPainter::PaintButton(const ButtonLook& look, int state, bool force, Raster& surface, TextRenderer& text) {
  if (look.checkBoxBehaviour && look.value) state = kStateDown;
  if (!force && look.caption == lastCaption_ && state == lastState_) return false;
  if (look.height == 0 || !look.paintEnabled) return false;
  lastState_ = state;
  lastCaption_ = look.caption;

  const bool hoverSwap = look.isOver && look.colorScheme == sknColorScheme::csCustom;
  if (hoverSwap) {
    ButtonLook hovered = look;
    hovered.backColor = look.backOver;
    colors_ = kqm::ComputeColors(hovered, system_);
  }

  surface.FillBox(0, 0, look.width, look.height, colors_.cFace);
  const FaceStyle* style = StyleOf(look.buttonType);
  FaceContext face{look,  colors_, layout_, surface, text, CaptionFont(look.font), state, lastCaptionStyle_,
                   style != nullptr && style->drawsCaption};
  FaceDrawer drawer(face, layout_, rcFocus_, background_);
  const int pictureState = !look.enabled ? 2 : (state == kStateDown ? 1 : 0);
  if (style) {
    const auto sequence = pictureState == 2 ? style->disabled : (pictureState == 1 ? style->down : style->up);
    (drawer.*sequence)();
  }
  DrawPicture(face, pictureState);

  if (hoverSwap) colors_ = kqm::ComputeColors(look, system_);
  return true;
}

}  // namespace kqm
