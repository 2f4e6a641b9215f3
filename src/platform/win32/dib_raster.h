#pragma once
#include <windows.h>

#include <memory>

#include "platform/raster.h"
#include "platform/unique_handle.h"

namespace kqm {

struct GdiObjectCloser {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct DcCloser {
  void operator()(HDC h) const { DeleteDC(h); }
};
using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectCloser>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectCloser>;
using UniquePen = UniqueHandle<HPEN, GdiObjectCloser>;
using UniqueFont = UniqueHandle<HFONT, GdiObjectCloser>;
using UniqueRegion = UniqueHandle<HRGN, GdiObjectCloser>;
using UniqueDc = UniqueHandle<HDC, DcCloser>;

// A raster whose pixels are a top-down 32-bit DIB section selected into a memory device context.
// With Primitives::Gdi every drawing call is the platform's own (FillRect, FrameRect, LineTo, SetPixelV,
// Ellipse, DrawFocusRect); with Primitives::Raster the portable rules draw into the same pixels.
class DibRaster : public Raster {
 public:
  enum class Primitives { Gdi, Raster };

  // A surface of width x height filled with the colour; null when the platform refuses the bitmap.
  static std::unique_ptr<DibRaster> Create(std::int32_t width, std::int32_t height, Primitives primitives,
                                           ColorRef fill = 0);
  ~DibRaster() override;
  DibRaster(DibRaster&&) = delete;
  DibRaster& operator=(DibRaster&&) = delete;

  // The memory device context the DIB section is selected into (valid for the surface's life).
  HDC Dc() const { return dc_.get(); }
  // The DIB section, and whether drawing goes through GDI or the portable rules.
  HBITMAP Bitmap() const { return bitmap_.get(); }
  Primitives Mode() const { return primitives_; }

  void Clear(ColorRef colour) override;
  void FillBox(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, ColorRef colour) override;
  void OutlineBox(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, ColorRef colour) override;
  void Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, ColorRef colour) override;
  void SetPixel(std::int32_t x, std::int32_t y, ColorRef colour) override;
  void Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, ColorRef pen,
               ColorRef fill) override;
  void FocusRect(const PixelRect& r) override;

 protected:
  void Sync() const override { GdiFlush(); }

 private:
  DibRaster(std::int32_t width, std::int32_t height, std::uint32_t* bits, UniqueBitmap bitmap, UniqueDc dc,
            Primitives primitives);

  UniqueBitmap bitmap_;
  UniqueDc dc_;
  HGDIOBJ oldBitmap_ = nullptr;
  Primitives primitives_;
};

}  // namespace kqm
