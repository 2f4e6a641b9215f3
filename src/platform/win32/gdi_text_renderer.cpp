#include "platform/win32/gdi_text_renderer.h"

#include <cmath>
#include <cstring>
#include <string>

#include "platform/text.h"

namespace kqm {

namespace {

constexpr UINT kLayoutFlags = DT_WORDBREAK | DT_CENTER | DT_VCENTER;

std::wstring Wide(std::string_view text) {
  const std::u16string u16 = Utf8ToUtf16(text);
  return std::wstring(u16.begin(), u16.end());
}

}  // namespace

GdiTextRenderer::GdiTextRenderer(int pixelsPerInch)
    : pixelsPerInch_(pixelsPerInch), measureDc_(CreateCompatibleDC(nullptr)) {}

GdiTextRenderer::~GdiTextRenderer() = default;

HFONT GdiTextRenderer::FontFor(const TextFont& font) {
  if (haveFont_ && fontSpec_ == font) return font_.get();
  const std::wstring face = Wide(font.name);
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround(font.size * pixelsPerInch_ / 72.0));
  lf.lfWeight = font.weight;
  lf.lfItalic = font.italic ? TRUE : FALSE;
  lf.lfUnderline = font.underline ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  // Unsmoothed glyphs: the same pixels on every machine with the same fonts.
  lf.lfQuality = NONANTIALIASED_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  font_.reset(CreateFontIndirectW(&lf));
  fontSpec_ = font;
  haveFont_ = static_cast<bool>(font_);
  return font_.get();
}

PixelRect GdiTextRenderer::Measure(std::string_view text, const TextFont& font, const PixelRect& bounds) {
  const std::wstring wide = Wide(text);
  RECT r{bounds.left, bounds.top, bounds.right, bounds.bottom};
  const HGDIOBJ old = SelectObject(measureDc_.get(), FontFor(font));
  DrawTextW(measureDc_.get(), wide.c_str(), static_cast<int>(wide.size()), &r, kLayoutFlags | DT_CALCRECT);
  SelectObject(measureDc_.get(), old);
  return {r.left, r.top, r.right, r.bottom};
}

void GdiTextRenderer::DrawOn(HDC dc, std::string_view text, const TextFont& font, const PixelRect& r,
                             ColorRef colour) {
  const std::wstring wide = Wide(text);
  RECT rect{r.left, r.top, r.right, r.bottom};
  const HGDIOBJ old = SelectObject(dc, FontFor(font));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, colour & 0xFFFFFFu);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect, kLayoutFlags);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
  SelectObject(dc, old);
}

void GdiTextRenderer::Draw(Raster& target, std::string_view text, const TextFont& font, const PixelRect& r,
                           ColorRef colour) {
  if (auto* dib = dynamic_cast<DibRaster*>(&target)) {
    DrawOn(dib->Dc(), text, font, r, colour);
    GdiFlush();
    return;
  }
  std::unique_ptr<DibRaster> scratch =
      DibRaster::Create(target.Width(), target.Height(), DibRaster::Primitives::Raster);
  if (!scratch) return;
  const size_t count = static_cast<size_t>(target.Width()) * target.Height();
  std::memcpy(scratch->Bits(), target.Bits(), count * sizeof(std::uint32_t));
  DrawOn(scratch->Dc(), text, font, r, colour);
  GdiFlush();
  std::memcpy(target.Bits(), scratch->Bits(), count * sizeof(std::uint32_t));
}

}  // namespace kqm
