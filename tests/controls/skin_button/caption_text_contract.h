#pragma once
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/raster.h"
#include "platform/text_renderer.h"

namespace kqm::testing {

// What every caption renderer must do, whichever way it draws glyphs.
inline void CheckTextRendererContract(TextRenderer& text) {
  const TextFont font;
  const PixelRect wide{10, 5, 400, 200};
  const PixelRect empty = text.Measure("", font, wide);
  const PixelRect ab = text.Measure("ab", font, wide);
  const int line = ab.bottom - ab.top;
  EXPECT_EQ(empty.left, 10);
  EXPECT_EQ(empty.top, 5);
  EXPECT_EQ(empty.right, 10);
  EXPECT_EQ(empty.bottom - empty.top, line) << "empty text still measures one line";
  EXPECT_GT(ab.right, ab.left);
  EXPECT_GT(line, 0);

  // Mnemonics: "&" takes no room, "&&" shows one ampersand.
  EXPECT_EQ(text.Measure("a&b", font, wide), ab);
  EXPECT_GT(text.Measure("a&&b", font, wide).right, ab.right);
  EXPECT_EQ(text.Measure("a&&b", font, wide), text.Measure("a&&&b", font, wide));

  // Word wrap: a rectangle one pixel narrower than two words puts each word on its own line.
  const PixelRect two = text.Measure("word word", font, wide);
  const PixelRect narrow{10, 5, two.right - 1, 200};
  const PixelRect wrapped = text.Measure("word word word", font, narrow);
  EXPECT_EQ(wrapped.bottom - wrapped.top, 3 * line);
  EXPECT_EQ(wrapped.right, text.Measure("word", font, wide).right);
  EXPECT_EQ(text.Measure("word\nword", font, wide).bottom - wide.top, 2 * line);

  // Bold text is at least as wide.
  TextFont bold = font;
  bold.weight = 700;
  EXPECT_GE(text.Measure("word word", bold, wide).right, two.right);

  // Drawing: only the colour, only inside the rectangle, lines centred, first line at the top.
  constexpr ColorRef kBack = Rgb(200, 210, 220);
  constexpr ColorRef kInk = Rgb(10, 120, 30);
  Raster surface(120, 60, kBack);
  const PixelRect box{20, 10, 100, 50};
  text.Draw(surface, "Wide caption text that overflows", font, box, kInk);
  int inkLeft = 1000, inkRight = -1, inkTop = 1000, count = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 120; ++x) {
      const ColorRef c = surface.Pixel(x, y);
      if (c == kBack) continue;
      EXPECT_EQ(c, kInk) << x << "," << y;
      EXPECT_TRUE(box.Contains(x, y)) << x << "," << y;
      inkLeft = std::min(inkLeft, x);
      inkRight = std::max(inkRight, x);
      inkTop = std::min(inkTop, y);
      ++count;
    }
  }
  EXPECT_GT(count, 0);
  EXPECT_LT(inkTop, box.top + line);

  Raster centred(120, 30, kBack);
  text.Draw(centred, "ab", font, {0, 0, 120, 30}, kInk);
  int first = 1000, last = -1;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 120; ++x) {
      if (centred.Pixel(x, y) != kBack) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
    }
  }
  ASSERT_GE(last, first);
  EXPECT_NEAR((first + last) / 2.0, 60.0, 3.0);

  // A mnemonic underlines: "&ab" puts ink below the glyphs that "ab" leaves empty.
  Raster plain(60, 30, kBack);
  Raster marked(60, 30, kBack);
  text.Draw(plain, "ab", font, {0, 0, 60, 30}, kInk);
  text.Draw(marked, "&ab", font, {0, 0, 60, 30}, kInk);
  int extra = 0, missing = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 60; ++x) {
      const bool p = plain.Pixel(x, y) != kBack;
      const bool m = marked.Pixel(x, y) != kBack;
      extra += (m && !p) ? 1 : 0;
      missing += (p && !m) ? 1 : 0;
    }
  }
  EXPECT_GT(extra, 0);
  EXPECT_EQ(missing, 0);
}

}  // namespace kqm::testing
