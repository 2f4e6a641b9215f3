#include "controls/skin_button/button_caption.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kqm {

namespace {

int TypeOf(const ButtonLook& look) { return static_cast<int>(look.buttonType); }
int PositionOf(const ButtonLook& look) { return static_cast<int>(look.picturePosition); }
int EffectOf(const ButtonLook& look) { return static_cast<int>(look.specialEffect); }

ColorRef Shift(const FaceContext& face, ColorRef colour, int amount) {
  return ShiftColor(colour, amount, false, face.look.softBevel);
}

void DrawText(FaceContext& face, const PixelRect& r, ColorRef colour) { DrawCaptionText(face, r, colour); }

// How far captions may be drawn past their measured rectangle without changing how they wrap: a line's height
// (no glyph reaches further), less where a wider rectangle would wrap the caption differently.
std::int32_t InkMargin(const ButtonLook& look, const TextFont& font, TextRenderer& text, const PixelRect& start,
                       const PixelRect& measured) {
  const PixelRect line = text.Measure("", font, start);
  const std::int32_t margin = std::max(line.bottom - line.top, 0);
  const std::int32_t width = measured.right - measured.left;
  if (width + 2 * margin <= start.right - start.left) return margin;
  const PixelRect wider{measured.left - margin, measured.top, measured.right + margin, measured.bottom};
  const PixelRect again = text.Measure(look.caption, font, wider);
  if (again.right - again.left == width && again.bottom - again.top == measured.bottom - measured.top) return margin;
  return std::max((start.right - start.left - width) / 2, 0);
}

// Along one axis: moves the picture [p, p + pl) and the caption [c, c + cl), `gap` apart, inside [0, size).
void KeepInside(std::int32_t size, std::int32_t& p, std::int32_t pl, std::int32_t& c, std::int32_t cl,
                std::int32_t gap, bool pictureFirst) {
  const std::int32_t lo = std::min(p, c);
  const std::int32_t hi = std::max(p + pl, c + cl);
  if (lo >= 0 && hi <= size) return;
  if (pl + gap + cl <= size) {
    const std::int32_t d = lo < 0 ? -lo : size - hi;
    p += d;
    c += d;
    return;
  }
  if (pictureFirst) {
    p = 0;
    c = std::max(size - cl, 0);
  } else {
    c = 0;
    p = std::max(size - pl, 0);
  }
}

void Blend(FaceContext& face, std::int32_t x, std::int32_t y, const ButtonPicture& picture, std::int32_t brush,
           bool threshold, bool greyscale, bool fade) {
  BlendPicture(face.surface, x, y, face.layout.pictureWidth, face.layout.pictureHeight, picture, face.colors.cMask,
               brush, threshold, greyscale, fade, face.look.useMaskColor, face.colors.cMask);
}

std::int32_t HiMetricToPixel(std::int32_t hiMetric, std::int32_t pixelsPerInch) {
  return static_cast<std::int32_t>(std::lround(static_cast<double>(hiMetric) * pixelsPerInch / 2540.0));
}

}  // namespace

void MeasurePicture(CaptionLayout& layout, const ButtonLook& look) {
  if (!look.pictureNormal) {
    layout.pictureWidth = 0;
    layout.pictureHeight = 0;
    return;
  }
  const ButtonPicture& p = *look.pictureNormal;
  layout.pictureWidth = p.widthHiMetric > 0 ? HiMetricToPixel(p.widthHiMetric, look.pixelsPerInch) : p.width;
  layout.pictureHeight = p.heightHiMetric > 0 ? HiMetricToPixel(p.heightHiMetric, look.pixelsPerInch) : p.height;
}

bool HasVisibleText(const std::string& caption) { return caption.find_first_not_of(' ') != std::string::npos; }

void LayoutCaption(CaptionLayout& layout, const ButtonLook& look, const TextFont& font, TextRenderer& text) {
  MeasurePicture(layout, look);
  const std::int32_t W = look.width;
  const std::int32_t H = look.height;
  const std::int32_t PW = layout.pictureWidth;
  const std::int32_t PH = layout.pictureHeight;
  PixelRect start;
  switch (PositionOf(look)) {
    case 0:
      start = {PW + 1, 1, W - 2, H - 2};
      break;
    case 1:
      start = {1, 1, W - PW - 2, H - 2};
      break;
    case 2:
      start = {1, PH + 1, W - 2, H - 2};
      break;
    case 3:
      start = {1, 1, W - 2, H - PH - 2};
      break;
    default:
      start = {1, 1, W - 2, H - 2};
      break;
  }
  const PixelRect measured = text.Measure(look.caption, font, start);
  layout.captionWidth = measured.right - measured.left;
  layout.captionHeight = measured.bottom - measured.top;
  switch (PositionOf(look)) {
    case 1:
      layout.rcText = measured.Moved((W - measured.right - PW - 4) / 2, (H - measured.bottom) / 2);
      break;
    case 3:
      layout.rcText = measured.Moved((W - measured.right) / 2, (H - measured.bottom - PH - 4) / 2);
      break;
    default:
      layout.rcText = measured.Moved((W - measured.right) / 2, (H - measured.bottom) / 2);
      break;
  }
  layout.inkMargin = InkMargin(look, font, text, start, measured);
  layout.rcTextDown = layout.rcText.Moved(1, 1);
  PlacePicture(layout, look);
}

void PlacePicture(CaptionLayout& layout, const ButtonLook& look) {
  if (!look.pictureNormal && !look.pictureOver) return;
  const std::int32_t W = look.width;
  const std::int32_t H = look.height;
  const std::int32_t PW = layout.pictureWidth;
  const std::int32_t PH = layout.pictureHeight;
  const int position = PositionOf(look);
  if (HasVisibleText(look.caption) && position >= 0 && position <= 3) {
    PixelRect& t = layout.rcText;
    std::int32_t c = 0;
    switch (position) {
      case 0:
        layout.pictureX = t.left - PW - 4;
        layout.pictureY = (H - PH) / 2;
        c = t.left;
        KeepInside(W, layout.pictureX, PW, c, t.right - t.left, 4, true);
        t = t.Moved(c - t.left, 0);
        break;
      case 1:
        layout.pictureX = t.right + 4;
        layout.pictureY = (H - PH) / 2;
        c = t.left;
        KeepInside(W, layout.pictureX, PW, c, t.right - t.left, 4, false);
        t = t.Moved(c - t.left, 0);
        break;
      case 2:
        layout.pictureX = (W - PW) / 2;
        layout.pictureY = t.top - PH - 2;
        c = t.top;
        KeepInside(H, layout.pictureY, PH, c, t.bottom - t.top, 2, true);
        t = t.Moved(0, c - t.top);
        break;
      default:
        layout.pictureX = (W - PW) / 2;
        layout.pictureY = t.bottom + 2;
        c = t.top;
        KeepInside(H, layout.pictureY, PH, c, t.bottom - t.top, 2, false);
        t = t.Moved(0, c - t.top);
        break;
    }
    layout.rcTextDown = t.Moved(1, 1);
    return;
  }
  layout.pictureX = (W - PW) / 2;
  layout.pictureY = (H - PH) / 2;
}

void DrawCaptionText(FaceContext& face, const PixelRect& r, ColorRef colour) {
  const std::int32_t m = face.layout.inkMargin;
  face.text.Draw(face.surface, face.look.caption, face.font, {r.left - m, r.top, r.right + m, r.bottom + m}, colour);
}

void DrawCaptionEffect(FaceContext& face, const PixelRect& r) {
  const int effect = EffectOf(face.look);
  if (effect <= 0) return;
  const int type = TypeOf(face.look);
  ColorRef base = face.colors.cFace;
  if (type == 3 || type == 4 || type == 14) {
    base = face.colors.cTint;
  } else if (face.lastState == kStateUp && face.look.isOver &&
             face.look.colorScheme != sknColorScheme::csCustom && type == 9) {
    base = face.colors.cSelectPale;
  }
  const bool sunken = effect == 2;
  DrawText(face, r.Moved(1, 1), Shift(face, base, sunken ? 40 : -40));
  if (effect < 3) DrawText(face, r.Moved(-1, -1), Shift(face, base, sunken ? -40 : 40));
}

void DrawCaption(FaceContext& face, int style) {
  face.lastCaptionStyle = style;
  const ButtonColors& c = face.colors;
  const CaptionLayout& l = face.layout;
  switch (style) {
    case 0:
      DrawCaptionEffect(face, l.rcText);
      DrawText(face, l.rcText, c.cText);
      break;
    case 1:
      DrawCaptionEffect(face, l.rcText);
      DrawText(face, l.rcText, c.cTextOver);
      break;
    case 2:
      DrawCaptionEffect(face, l.rcTextDown);
      DrawText(face, l.rcTextDown, TypeOf(face.look) == 4 ? c.cLight : c.cTextOver);
      break;
    case 3:
      DrawText(face, l.rcTextDown, c.cHighlight);
      DrawText(face, l.rcText, c.cShadow);
      break;
    case 4:
      DrawText(face, l.rcText, c.cShadow);
      break;
    case 5:
      DrawText(face, l.rcText, ShiftColor(c.cTint, -104, true, face.look.softBevel));
      break;
    case 6:
      DrawText(face, l.rcTextDown, c.cHighlight);
      DrawText(face, l.rcText, c.cFace);
      break;
    case 7:
      DrawText(face, l.rcTextDown, Shift(face, c.cShadow, -50));
      DrawText(face, l.rcText, c.cHighlight);
      break;
    default:
      break;
  }
}

void DrawPictureEffect(FaceContext& face, int offset, const ButtonPicture& picture) {
  const int effect = EffectOf(face.look);
  if (effect <= 0) return;
  ColorRef base = face.colors.cSelectPale;
  if (TypeOf(face.look) == 3) {
    base = face.colors.cTint;
  } else if (offset != -1 || face.look.colorScheme == sknColorScheme::csCustom) {
    base = face.colors.cFace;
  }
  const bool sunken = effect == 2;
  const std::int32_t x = face.layout.pictureX + offset;
  const std::int32_t y = face.layout.pictureY + offset;
  Blend(face, x + 1, y + 1, picture, static_cast<std::int32_t>(Shift(face, base, sunken ? 40 : -40)), false, false,
        false);
  if (effect < 3) {
    Blend(face, x - 1, y - 1, picture, static_cast<std::int32_t>(Shift(face, base, sunken ? -40 : 40)), false, false,
          false);
  }
}

void DrawPicture(FaceContext& face, int pictureState) {
  if (!face.look.pictureNormal) return;
  const ButtonPicture& normal = *face.look.pictureNormal;
  const ButtonPicture* over = face.look.pictureOver.get();
  const int type = TypeOf(face.look);
  const std::int32_t X = face.layout.pictureX;
  const std::int32_t Y = face.layout.pictureY;
  const bool isOver = face.look.isOver;
  switch (pictureState) {
    case 0:
      if (isOver && type == 9) {
        DrawPictureEffect(face, -1, normal);
        Blend(face, X + 1, Y + 1, normal, static_cast<std::int32_t>(face.colors.cShadow), false, false, false);
        Blend(face, X - 1, Y - 1, normal, kNoBrush, false, false, false);
      } else if (isOver && over != nullptr) {
        DrawPictureEffect(face, 0, *over);
        Blend(face, X, Y, *over, kNoBrush, false, false, false);
      } else if (isOver) {
        DrawPictureEffect(face, 0, normal);
        Blend(face, X, Y, normal, kNoBrush, false, false, false);
      } else {
        DrawPictureEffect(face, 0, normal);
        Blend(face, X, Y, normal, kNoBrush, false, face.look.useGreyscale, type == 9);
      }
      break;
    case 1:
      if (over == nullptr || type == 9) {
        if (type == 5 || type == 9) {
          DrawPictureEffect(face, 0, normal);
          Blend(face, X, Y, normal, kNoBrush, false, false, false);
        } else {
          DrawPictureEffect(face, 1, normal);
          Blend(face, X + 1, Y + 1, normal, kNoBrush, false, false, false);
        }
      } else {
        const std::int32_t d = type == 5 ? 0 : 1;
        Blend(face, X + d, Y + d, *over, kNoBrush, false, false, false);
      }
      break;
    default:
      if (type == 3) {
        Blend(face, X + 1, Y + 1, normal, kNoBrush, false, true, false);
      } else if (type == 5 || type == 6 || type == 9) {
        const ColorRef brush = type == 9 ? Shift(face, face.colors.cShadow, 13) : face.colors.cShadow;
        Blend(face, X, Y, normal, static_cast<std::int32_t>(brush), true, false, false);
      } else {
        Blend(face, X + 1, Y + 1, normal, static_cast<std::int32_t>(face.colors.cHighlight), true, false, false);
        Blend(face, X, Y, normal, static_cast<std::int32_t>(face.colors.cShadow), true, false, false);
      }
      break;
  }
  if (face.look.picturePosition == sknPicturePosition::ppBehind && face.drawsCaption) {
    DrawCaption(face, face.lastCaptionStyle);
  }
}

void BlendPicture(Raster& surface, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                  const ButtonPicture& picture, ColorRef transparent, std::int32_t brush, bool threshold,
                  bool greyscale, bool fade, bool useMaskColor, ColorRef iconBackground) {
  if (w == 0 || h == 0) return;
  if (w < 0) w = picture.width;
  if (h < 0) h = picture.height;
  if (w <= 0 || h <= 0) return;
  const bool icon = picture.kind == ButtonPicture::Kind::Icon;
  const bool validPixels = picture.width > 0 && picture.height > 0 &&
                           picture.pixels.size() >= static_cast<size_t>(picture.width) * picture.height;
  std::vector<std::uint32_t> face;
  surface.ReadBlock(x, y, w, h, face);
  const std::uint32_t maskPixel = ToPixel(transparent);
  const std::uint32_t brushPixel = brush >= 0 ? ToPixel(static_cast<ColorRef>(brush)) : 0;
  const std::uint32_t backgroundPixel = ToPixel(iconBackground);
  for (std::int32_t row = 0; row < h; ++row) {
    for (std::int32_t col = 0; col < w; ++col) {
      const bool covered = validPixels && row < picture.height && col < picture.width;
      std::uint32_t source;
      if (icon) {
        source = backgroundPixel;
        if (covered) {
          const std::uint32_t p = picture.At(col, row);
          const std::uint32_t alpha = p >> 24;
          if (alpha == 255) {
            source = p & 0xFFFFFFu;
          } else if (alpha > 0) {
            std::uint32_t mixed = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
              const std::uint32_t s = (p >> shift) & 0xFF;
              const std::uint32_t b = (backgroundPixel >> shift) & 0xFF;
              mixed |= ((s * alpha + b * (255 - alpha) + 127) / 255) << shift;
            }
            source = mixed;
          }
        }
      } else {
        if (!covered) continue;
        source = picture.At(col, row) & 0xFFFFFFu;
      }
      std::uint32_t& dest = face[static_cast<size_t>(row) * w + col];
      if (useMaskColor && source == maskPixel) continue;
      const int r = static_cast<int>((source >> 16) & 0xFF);
      const int g = static_cast<int>((source >> 8) & 0xFF);
      const int b = static_cast<int>(source & 0xFF);
      if (brush < 0) {
        if (greyscale) {
          const double grey = std::nearbyint(std::nearbyint(0.3 * r) + 0.59 * g + 0.11 * b);
          const auto v = static_cast<std::uint32_t>(grey);
          dest = (v << 16) | (v << 8) | v;
        } else if (fade) {
          const std::uint32_t dr = (dest >> 16) & 0xFF;
          const std::uint32_t dg = (dest >> 8) & 0xFF;
          const std::uint32_t db = dest & 0xFF;
          dest = (((dr + 2 * r) / 3) << 16) | (((dg + 2 * g) / 3) << 8) | ((db + 2 * b) / 3);
        } else {
          dest = source;
        }
      } else if (threshold) {
        if (r + g + b <= 384) dest = brushPixel;
      } else {
        dest = brushPixel;
      }
    }
  }
  surface.WriteBlock(x, y, w, h, face.data());
}

}  // namespace kqm
