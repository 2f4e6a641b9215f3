#include "platform/substitute/fixed_text_renderer.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kqm {

namespace {

struct Glyph {
  bool space = false;
  bool underlined = false;
};
using TextLine = std::vector<Glyph>;

// Splits UTF-8 text into glyphs (one per code point), applying "&" mnemonics, then into paragraphs.
std::vector<TextLine> Paragraphs(std::string_view text) {
  std::vector<TextLine> paragraphs(1);
  bool underlineNext = false;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t len = 1;
    if (c >= 0xF0) {
      len = 4;
    } else if (c >= 0xE0) {
      len = 3;
    } else if (c >= 0xC0) {
      len = 2;
    }
    if (c == '&' && !underlineNext) {
      underlineNext = true;
      ++i;
      continue;
    }
    if (c == '\r') {
      ++i;
      continue;
    }
    if (c == '\n') {
      paragraphs.emplace_back();
      underlineNext = false;
      ++i;
      continue;
    }
    const bool escapedAmpersand = underlineNext && c == '&';
    paragraphs.back().push_back(Glyph{c == ' ', underlineNext && !escapedAmpersand});
    underlineNext = false;
    i += len;
  }
  return paragraphs;
}

// Greedy word wrap to `maxCells` (no wrapping when negative); spaces at a break are dropped.
std::vector<TextLine> Wrap(const std::vector<TextLine>& paragraphs, std::int64_t maxCells) {
  std::vector<TextLine> lines;
  for (const TextLine& para : paragraphs) {
    if (maxCells < 0) {
      lines.push_back(para);
      continue;
    }
    TextLine line;
    size_t i = 0;
    bool placed = false;
    while (i < para.size()) {
      size_t spacesEnd = i;
      while (spacesEnd < para.size() && para[spacesEnd].space) ++spacesEnd;
      size_t wordEnd = spacesEnd;
      while (wordEnd < para.size() && !para[wordEnd].space) ++wordEnd;
      const size_t spaces = spacesEnd - i;
      const size_t word = wordEnd - spacesEnd;
      if (placed && word > 0 && static_cast<std::int64_t>(line.size() + spaces + word) > maxCells) {
        lines.push_back(line);
        line.assign(para.begin() + static_cast<std::ptrdiff_t>(spacesEnd), para.begin() + static_cast<std::ptrdiff_t>(wordEnd));
      } else {
        line.insert(line.end(), para.begin() + static_cast<std::ptrdiff_t>(i), para.begin() + static_cast<std::ptrdiff_t>(wordEnd));
      }
      placed = placed || word > 0;
      i = wordEnd;
    }
    lines.push_back(line);
  }
  return lines;
}

std::vector<TextLine> Layout(std::string_view text, const TextFont& font, std::int32_t width) {
  const std::int32_t cell = FixedTextRenderer::CellWidth(font);
  return Wrap(Paragraphs(text), width < 0 ? -1 : width / cell);
}

}  // namespace

std::int32_t FixedTextRenderer::CellWidth(const TextFont& font) {
  const auto px = static_cast<std::int32_t>(std::lround(font.size * 96.0 / 72.0));
  return std::max<std::int32_t>(3, (px + 1) / 2) + (font.weight >= 600 ? 1 : 0);
}

std::int32_t FixedTextRenderer::LineHeight(const TextFont& font) {
  const auto px = static_cast<std::int32_t>(std::lround(font.size * 96.0 / 72.0));
  return std::max<std::int32_t>(6, px + 5);
}

PixelRect FixedTextRenderer::Measure(std::string_view text, const TextFont& font, const PixelRect& bounds) {
  const std::vector<TextLine> lines = Layout(text, font, bounds.right - bounds.left);
  size_t widest = 0;
  for (const TextLine& line : lines) widest = std::max(widest, line.size());
  const std::int32_t lineCount = static_cast<std::int32_t>(text.empty() ? 1 : lines.size());
  return {bounds.left, bounds.top, bounds.left + static_cast<std::int32_t>(widest) * CellWidth(font),
          bounds.top + lineCount * LineHeight(font)};
}

void FixedTextRenderer::Draw(Raster& target, std::string_view text, const TextFont& font, const PixelRect& r,
                             ColorRef colour) {
  ++drawCount_;
  const std::int32_t cell = CellWidth(font);
  const std::int32_t lineHeight = LineHeight(font);
  const std::vector<TextLine> lines = Layout(text, font, r.right - r.left);
  const PixelRect clip{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, target.Width()),
                       std::min(r.bottom, target.Height())};
  auto fill = [&](std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
    x0 = std::max(x0, clip.left);
    y0 = std::max(y0, clip.top);
    x1 = std::min(x1, clip.right);
    y1 = std::min(y1, clip.bottom);
    if (x1 > x0 && y1 > y0) target.FillBox(x0, y0, x1 - x0, y1 - y0, colour);
  };
  for (size_t n = 0; n < lines.size(); ++n) {
    const TextLine& line = lines[n];
    const std::int32_t lineWidth = static_cast<std::int32_t>(line.size()) * cell;
    const std::int32_t x = r.left + (r.right - r.left - lineWidth) / 2;
    const std::int32_t y = r.top + static_cast<std::int32_t>(n) * lineHeight;
    for (size_t g = 0; g < line.size(); ++g) {
      const std::int32_t cx = x + static_cast<std::int32_t>(g) * cell;
      if (!line[g].space) fill(cx + 1, y + 2, cx + cell - 1, y + lineHeight - 4);
      if (line[g].underlined || font.underline) fill(cx, y + lineHeight - 3, cx + cell, y + lineHeight - 2);
    }
  }
}

}  // namespace kqm
