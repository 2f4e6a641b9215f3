#pragma once
#include "platform/text_renderer.h"

namespace kqm {

// A deterministic text renderer for tests: every character is one cell of a fixed size derived from the
// font (size and weight), drawn as a solid block inset in its cell; mnemonic and font underlines are a
// row near the cell's bottom. Wrapping, centring, clipping and mnemonics follow the TextRenderer contract.
class FixedTextRenderer : public TextRenderer {
 public:
  PixelRect Measure(std::string_view text, const TextFont& font, const PixelRect& bounds) override;
  void Draw(Raster& target, std::string_view text, const TextFont& font, const PixelRect& r,
            ColorRef colour) override;

  // Cell width and line height in pixels for a font.
  static std::int32_t CellWidth(const TextFont& font);
  static std::int32_t LineHeight(const TextFont& font);
  // Number of Draw calls so far (tests count caption drawings).
  int DrawCount() const { return drawCount_; }

 private:
  int drawCount_ = 0;
};

}  // namespace kqm
