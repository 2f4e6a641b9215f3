#pragma once
#include <cstdint>
#include <utility>
#include <vector>

namespace kqm {

// A colour packed as red + 256 x green + 65536 x blue (the high byte is ignored by drawing).
using ColorRef = std::uint32_t;

constexpr ColorRef Rgb(int r, int g, int b) {
  return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(ColorRef c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(ColorRef c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(ColorRef c) { return static_cast<int>((c >> 16) & 0xFF); }
// A packed colour as a 32-bit DIB pixel (0x00RRGGBB, blue in the low byte, alpha byte 0).
constexpr std::uint32_t ToPixel(ColorRef c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
// A 32-bit DIB pixel as a packed colour (the alpha byte is dropped).
constexpr ColorRef FromPixel(std::uint32_t p) {
  return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

// Rectangle of pixel edges: columns left..right-1, rows top..bottom-1.
struct PixelRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  PixelRect Moved(std::int32_t dx, std::int32_t dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  bool Contains(std::int32_t x, std::int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const PixelRect&) const = default;
};

// The closed outline of the ellipse inscribed in (left, top)-(right, bottom), as consecutive pixel points
// (the pixels a 1-pixel pen would draw). Empty for an empty box.
std::vector<std::pair<int, int>> EllipseOutline(int left, int top, int right, int bottom);

// A 32-bit drawing surface: top-down rows of 0x00RRGGBB pixels, the memory layout of a top-down 32-bit DIB.
// The drawing rules are those of the platform's GDI: boxes exclude their right and bottom edges, lines
// exclude their end pixel, ellipses are drawn with a 2-pixel pen. Everything is clipped to the surface.
// Windows builds derive a surface whose pixels are a DIB section and whose primitives are real GDI calls.
class Raster {
 public:
  Raster() = default;
  // A surface of width x height pixels (negative sizes count as 0), filled with the colour.
  Raster(std::int32_t width, std::int32_t height, ColorRef fill = 0);
  virtual ~Raster() = default;
  Raster(Raster&& other) noexcept;
  Raster& operator=(Raster&& other) noexcept;
  Raster(const Raster&) = delete;
  Raster& operator=(const Raster&) = delete;

  // A surface of its own with the same size and pixels.
  Raster Clone() const;

  // Size in pixels.
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  // The colour at (x, y); 0 outside the surface.
  ColorRef Pixel(std::int32_t x, std::int32_t y) const;
  // The first row's first pixel; rows follow each other without padding.
  std::uint32_t* Bits();
  const std::uint32_t* Bits() const;

  // Every pixel becomes the colour.
  virtual void Clear(ColorRef colour);
  // Columns x..x+w-1 and rows y..y+h-1 filled; a negative w fills columns x+w+1..x (and a negative h
  // rows y+h+1..y) instead; nothing when w or h is 0.
  virtual void FillBox(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, ColorRef colour);
  // The one-pixel border of columns x..x+w-1 and rows y..y+h-1; nothing when w or h is 0 or less.
  virtual void OutlineBox(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, ColorRef colour);
  // A 1-pixel line from (x1, y1) to (x2, y2): the start pixel drawn, the end pixel not.
  virtual void Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, ColorRef colour);
  // One pixel.
  virtual void SetPixel(std::int32_t x, std::int32_t y, ColorRef colour);
  // The ellipse inscribed in (left, top)-(right, bottom), filled, outlined with a 2-pixel pen.
  virtual void Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, ColorRef pen,
                       ColorRef fill);
  // The dotted focus frame round r: every other pixel of its border inverted; drawing it twice erases it.
  virtual void FocusRect(const PixelRect& r);
  // The w x h pixels at (x, y) as 0x00RRGGBB, row by row; pixels outside the surface read as 0.
  void ReadBlock(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                 std::vector<std::uint32_t>& out) const;
  // Writes w x h pixels (0x00RRGGBB, row by row) to (x, y); pixels outside the surface are dropped.
  void WriteBlock(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const std::uint32_t* pixels);

 protected:
  // A surface over pixels owned by someone else (a DIB section); they must outlive the surface.
  Raster(std::int32_t width, std::int32_t height, std::uint32_t* external);
  // Runs before the pixels are read or written directly (a GDI surface flushes its batch here).
  virtual void Sync() const {}

 private:
  void PutClipped(std::int32_t x, std::int32_t y, std::uint32_t pixel);

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<std::uint32_t> own_;
  std::uint32_t* bits_ = nullptr;
};

}  // namespace kqm
