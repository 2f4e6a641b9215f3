#include "platform/raster.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace kqm {

namespace {

// Points of one quadrant of the ellipse inscribed in width x height, from the x axis towards the bottom
// (integer midpoint walk), relative to the bounding box's top-left.
std::vector<std::pair<int, int>> QuadrantPoints(int width, int height) {
  std::vector<std::pair<int, int>> points;
  const std::int64_t a = width - 1;
  const std::int64_t b = height - 1;
  const std::int64_t stepX = 8 * b * b;
  const std::int64_t stepY = 8 * a * a;
  std::int64_t dx = 4 * b * b * (1 - a);
  std::int64_t dy = 4 * a * a * (1 + (b % 2));
  std::int64_t err = dx + dy + a * a * (b % 2);
  int x = static_cast<int>(a);
  int y = height / 2;
  while (x >= width / 2) {
    const std::int64_t e2 = 2 * err;
    points.emplace_back(x, y);
    if (e2 >= dx) {
      --x;
      dx += stepX;
      err += dx;
    }
    if (e2 <= dy) {
      ++y;
      dy += stepY;
      err += dy;
    }
  }
  return points;
}

}  // namespace

std::vector<std::pair<int, int>> EllipseOutline(int left, int top, int right, int bottom) {
  const int width = right - left;
  const int height = bottom - top;
  std::vector<std::pair<int, int>> points = QuadrantPoints(width, height);
  for (auto& p : points) {
    p.first += right - width;
    p.second += bottom - height;
  }
  auto mirror = [](std::vector<std::pair<int, int>>& pts, bool dropMidpoint, auto flip) {
    const size_t count = pts.size();
    size_t end = 2 * count - 1;
    if (dropMidpoint) --end;
    pts.resize(end + 1);
    for (size_t i = 0; i < count; ++i) pts[end - i] = flip(pts[i]);
  };
  if (points.empty()) return points;
  mirror(points, width % 2 != 0, [&](std::pair<int, int> p) { return std::pair{left + right - 1 - p.first, p.second}; });
  mirror(points, height % 2 != 0, [&](std::pair<int, int> p) { return std::pair{p.first, top + bottom - 1 - p.second}; });
  return points;
}

Raster::Raster(std::int32_t width, std::int32_t height, ColorRef fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
  own_.assign(static_cast<size_t>(width_) * height_, ToPixel(fill));
  bits_ = own_.data();
}

Raster::Raster(std::int32_t width, std::int32_t height, std::uint32_t* external)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), bits_(external) {}

Raster::Raster(Raster&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      own_(std::move(other.own_)),
      bits_(std::exchange(other.bits_, nullptr)) {
  if (!own_.empty()) bits_ = own_.data();
}

Raster& Raster::operator=(Raster&& other) noexcept {
  if (this != &other) {
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    own_ = std::move(other.own_);
    bits_ = std::exchange(other.bits_, nullptr);
    if (!own_.empty()) bits_ = own_.data();
  }
  return *this;
}

Raster Raster::Clone() const {
  Sync();
  Raster copy(width_, height_);
  if (!copy.own_.empty()) std::memcpy(copy.own_.data(), bits_, copy.own_.size() * sizeof(std::uint32_t));
  return copy;
}

ColorRef Raster::Pixel(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  Sync();
  return FromPixel(bits_[static_cast<size_t>(y) * width_ + x]);
}

std::uint32_t* Raster::Bits() {
  Sync();
  return bits_;
}

const std::uint32_t* Raster::Bits() const {
  Sync();
  return bits_;
}

void Raster::PutClipped(std::int32_t x, std::int32_t y, std::uint32_t pixel) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  bits_[static_cast<size_t>(y) * width_ + x] = pixel;
}

void Raster::Clear(ColorRef colour) {
  Sync();
  std::fill(bits_, bits_ + static_cast<size_t>(width_) * height_, ToPixel(colour));
}

void Raster::FillBox(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, ColorRef colour) {
  // An inverted box keeps its start column or row and leaves out the other end, as GDI does.
  if (w < 0) {
    x += w + 1;
    w = -w;
  }
  if (h < 0) {
    y += h + 1;
    h = -h;
  }
  if (w == 0 || h == 0) return;
  Sync();
  const std::int32_t x0 = std::max(x, 0);
  const std::int32_t y0 = std::max(y, 0);
  const std::int32_t x1 = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{x} + w, width_));
  const std::int32_t y1 = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{y} + h, height_));
  const std::uint32_t pixel = ToPixel(colour);
  for (std::int32_t row = y0; row < y1; ++row) {
    std::uint32_t* line = bits_ + static_cast<size_t>(row) * width_;
    std::fill(line + x0, line + std::max(x0, x1), pixel);
  }
}

void Raster::OutlineBox(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, ColorRef colour) {
  if (w <= 0 || h <= 0) return;
  FillBox(x, y, w, 1, colour);
  FillBox(x, y + h - 1, w, 1, colour);
  FillBox(x, y, 1, h, colour);
  FillBox(x + w - 1, y, 1, h, colour);
}

void Raster::Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, ColorRef colour) {
  Sync();
  const int dx = x2 - x1;
  const int dy = y2 - y1;
  const int adx = std::abs(dx);
  const int ady = std::abs(dy);
  int octant;
  if (dy > 0) {
    octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
  } else {
    octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
  }
  const bool major = octant == 1 || octant == 4 || octant == 5 || octant == 8;
  // Ties between two candidate pixels are broken as the platform's rasteriser breaks them: towards the
  // minor axis step in octants 3, 5, 6 and 8.
  const int bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
  const int xStep = dx > 0 ? 1 : -1;
  const int yStep = dy > 0 ? 1 : -1;
  const std::uint32_t pixel = ToPixel(colour);
  int x = x1;
  int y = y1;
  if (major) {
    int err = 2 * ady - adx;
    for (int n = adx; n > 0; --n) {
      PutClipped(x, y, pixel);
      if (err + bias > 0) {
        y += yStep;
        err += 2 * ady - 2 * adx;
      } else {
        err += 2 * ady;
      }
      x += xStep;
    }
  } else {
    int err = 2 * adx - ady;
    for (int n = ady; n > 0; --n) {
      PutClipped(x, y, pixel);
      if (err + bias > 0) {
        x += xStep;
        err += 2 * adx - 2 * ady;
      } else {
        err += 2 * adx;
      }
      y += yStep;
    }
  }
}

void Raster::SetPixel(std::int32_t x, std::int32_t y, ColorRef colour) {
  Sync();
  PutClipped(x, y, ToPixel(colour));
}

void Raster::Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, ColorRef pen,
                     ColorRef fill) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (left == right || top == bottom) return;
  Sync();
  std::vector<std::pair<int, int>> path;
  if (right - left <= 2 || bottom - top <= 2) {
    for (int x = right - 1; x > left; --x) path.emplace_back(x, bottom - 1);
    for (int y = bottom - 1; y > top; --y) path.emplace_back(left, y);
    for (int x = left; x < right - 1; ++x) path.emplace_back(x, top);
    for (int y = top; y < bottom - 1; ++y) path.emplace_back(right - 1, y);
    if (path.empty()) path.emplace_back(left, top);
  } else {
    path = EllipseOutline(left, top, right, bottom);
  }
  // The 2-pixel pen covers the pixel of each outline point and its neighbours to the left and above;
  // a diagonal step also covers the lower free corner of the 2x2 block it crosses.
  const int w = right - left + 4;
  const int h = bottom - top + 4;
  const int ox = left - 2;
  const int oy = top - 2;
  std::vector<std::uint8_t> ink(static_cast<size_t>(w) * h, 0);
  auto mark = [&](int x, int y) {
    if (x - ox >= 0 && x - ox < w && y - oy >= 0 && y - oy < h) ink[static_cast<size_t>(y - oy) * w + (x - ox)] = 1;
  };
  std::vector<int> rowMin(static_cast<size_t>(h), w + ox);
  std::vector<int> rowMax(static_cast<size_t>(h), ox - 1);
  const size_t n = path.size();
  for (size_t i = 0; i < n; ++i) {
    const auto [px, py] = path[i];
    mark(px, py);
    mark(px - 1, py);
    mark(px, py - 1);
    mark(px - 1, py - 1);
    rowMin[static_cast<size_t>(py - oy)] = std::min(rowMin[static_cast<size_t>(py - oy)], px);
    rowMax[static_cast<size_t>(py - oy)] = std::max(rowMax[static_cast<size_t>(py - oy)], px);
    const auto [qx, qy] = path[(i + 1) % n];
    if (std::abs(qx - px) == 1 && std::abs(qy - py) == 1) {
      const int lowY = std::max(py, qy);
      if ((qx - px) * (qy - py) > 0) {
        mark(std::min(px, qx) - 1, lowY);
      } else {
        mark(std::max(px, qx), lowY);
      }
    }
  }
  const std::uint32_t penPixel = ToPixel(pen);
  const std::uint32_t fillPixel = ToPixel(fill);
  for (int row = 0; row < h; ++row) {
    for (int col = rowMin[static_cast<size_t>(row)]; col <= rowMax[static_cast<size_t>(row)]; ++col) {
      if (!ink[static_cast<size_t>(row) * w + (col - ox)]) PutClipped(col, row + oy, fillPixel);
    }
    for (int col = 0; col < w; ++col) {
      if (ink[static_cast<size_t>(row) * w + col]) PutClipped(col + ox, row + oy, penPixel);
    }
  }
}

void Raster::FocusRect(const PixelRect& r) {
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  if (w <= 0 || h <= 0 || (w == 1 && h == 1)) return;
  Sync();
  // The dots start at the top-right corner and alternate along the border.
  auto invert = [&](int dx, int dy) {
    if (w > 1 && h > 1 && ((dx + dy + w + 1) & 1) != 0) return;
    const int x = r.left + dx;
    const int y = r.top + dy;
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    bits_[static_cast<size_t>(y) * width_ + x] ^= 0xFFFFFFFFu;
  };
  // A one-pixel-thin frame is walked there and back: the dots in between cancel out.
  if (h == 1) {
    invert(w - 1, 0);
    if (w % 2 != 0) invert(0, 0);
    return;
  }
  if (w == 1) {
    invert(0, 0);
    if (h % 2 != 0) invert(0, h - 1);
    return;
  }
  for (int dx = 0; dx < w; ++dx) {
    invert(dx, 0);
    invert(dx, h - 1);
  }
  for (int dy = 1; dy < h - 1; ++dy) {
    invert(0, dy);
    invert(w - 1, dy);
  }
}

void Raster::ReadBlock(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                       std::vector<std::uint32_t>& out) const {
  out.assign(static_cast<size_t>(std::max(w, 0)) * std::max(h, 0), 0);
  if (w <= 0 || h <= 0) return;
  Sync();
  for (std::int32_t row = 0; row < h; ++row) {
    const std::int32_t sy = y + row;
    if (sy < 0 || sy >= height_) continue;
    const std::int32_t c0 = std::max(0, -x);
    const std::int32_t c1 = std::min(w, width_ - x);
    if (c1 <= c0) continue;
    std::memcpy(out.data() + static_cast<size_t>(row) * w + c0, bits_ + static_cast<size_t>(sy) * width_ + x + c0,
                static_cast<size_t>(c1 - c0) * sizeof(std::uint32_t));
  }
}

void Raster::WriteBlock(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const std::uint32_t* pixels) {
  if (w <= 0 || h <= 0 || pixels == nullptr) return;
  Sync();
  for (std::int32_t row = 0; row < h; ++row) {
    const std::int32_t dy = y + row;
    if (dy < 0 || dy >= height_) continue;
    const std::int32_t c0 = std::max(0, -x);
    const std::int32_t c1 = std::min(w, width_ - x);
    if (c1 <= c0) continue;
    std::memcpy(bits_ + static_cast<size_t>(dy) * width_ + x + c0, pixels + static_cast<size_t>(row) * w + c0,
                static_cast<size_t>(c1 - c0) * sizeof(std::uint32_t));
  }
}

}  // namespace kqm
