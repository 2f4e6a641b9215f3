#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/raster.h"

namespace kqm {

// A font: face name, size in points (fractional sizes kept), weight (400 normal, 700 bold).
struct TextFont {
  std::string name = "MS Sans Serif";
  double size = 8.25;
  std::int32_t weight = 400;
  bool italic = false;
  bool underline = false;
  bool operator==(const TextFont&) const = default;
};

// Measures and draws captions. Text is UTF-8 and wrapped at word breaks to the rectangle's width (a word
// longer than the width overflows its own line); each line is centred horizontally, the first at the
// rectangle's top. "&" underlines the character after it and "&&" shows one ampersand.
class TextRenderer {
 public:
  virtual ~TextRenderer() = default;
  // The extent of the wrapped text: left and top of bounds kept, right and bottom where the text ends.
  // Empty text gives right = left and the height of one line.
  virtual PixelRect Measure(std::string_view text, const TextFont& font, const PixelRect& bounds) = 0;
  // Draws the wrapped text inside r in the colour, without background, clipped to r.
  virtual void Draw(Raster& target, std::string_view text, const TextFont& font, const PixelRect& r,
                    ColorRef colour) = 0;
};

}  // namespace kqm
