#pragma once
#include <windows.h>

#include "platform/text_renderer.h"
#include "platform/win32/dib_raster.h"

namespace kqm {

// Captions through the platform's DrawTextW (word break, centred, vertical-centre flag, mnemonics).
// A DibRaster target is drawn on directly; any other raster goes through a DIB section of its size and back.
class GdiTextRenderer : public TextRenderer {
 public:
  // pixelsPerInch converts point sizes to pixel heights.
  explicit GdiTextRenderer(int pixelsPerInch = 96);
  ~GdiTextRenderer() override;
  GdiTextRenderer(const GdiTextRenderer&) = delete;
  GdiTextRenderer& operator=(const GdiTextRenderer&) = delete;

  PixelRect Measure(std::string_view text, const TextFont& font, const PixelRect& bounds) override;
  void Draw(Raster& target, std::string_view text, const TextFont& font, const PixelRect& r,
            ColorRef colour) override;

 private:
  HFONT FontFor(const TextFont& font);
  void DrawOn(HDC dc, std::string_view text, const TextFont& font, const PixelRect& r, ColorRef colour);

  int pixelsPerInch_;
  UniqueDc measureDc_;
  UniqueFont font_;
  TextFont fontSpec_;
  bool haveFont_ = false;
};

}  // namespace kqm
