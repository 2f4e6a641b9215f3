#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/raster.h"

namespace kqm::testing {

// Rows y0..y1-1, columns 0..width-1 of the raster as characters: each colour in `legend` by its letter,
// `background` as '.', anything else as '?'.
inline std::vector<std::string> Picture(const Raster& r, int y0, int y1, int width, ColorRef background,
                                        const std::map<ColorRef, char>& legend) {
  std::vector<std::string> rows;
  for (int y = y0; y < y1; ++y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      const ColorRef c = r.Pixel(x, y);
      auto it = legend.find(c);
      row += c == background ? '.' : (it != legend.end() ? it->second : '?');
    }
    rows.push_back(row);
  }
  return rows;
}

// Number of pixels in the rectangle (x, y, w, h) that have the colour.
inline int CountColour(const Raster& r, int x, int y, int w, int h, ColorRef colour) {
  int n = 0;
  for (int yy = y; yy < y + h; ++yy) {
    for (int xx = x; xx < x + w; ++xx) n += r.Pixel(xx, yy) == colour ? 1 : 0;
  }
  return n;
}

}  // namespace kqm::testing
