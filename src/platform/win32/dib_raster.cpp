#include "platform/win32/dib_raster.h"

namespace kqm {

std::unique_ptr<DibRaster> DibRaster::Create(std::int32_t width, std::int32_t height, Primitives primitives,
                                             ColorRef fill) {
  if (width <= 0 || height <= 0) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: top-down rows, like the portable raster
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return nullptr;
  UniqueDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return nullptr;
  std::unique_ptr<DibRaster> raster(new DibRaster(width, height, static_cast<std::uint32_t*>(bits),
                                                  std::move(bitmap), std::move(dc), primitives));
  raster->Raster::Clear(fill);
  return raster;
}

DibRaster::DibRaster(std::int32_t width, std::int32_t height, std::uint32_t* bits, UniqueBitmap bitmap, UniqueDc dc,
                     Primitives primitives)
    : Raster(width, height, bits), bitmap_(std::move(bitmap)), dc_(std::move(dc)), primitives_(primitives) {
  oldBitmap_ = SelectObject(dc_.get(), bitmap_.get());
}

DibRaster::~DibRaster() {
  if (oldBitmap_ != nullptr) SelectObject(dc_.get(), oldBitmap_);
}

void DibRaster::Clear(ColorRef colour) {
  if (primitives_ == Primitives::Raster) return Raster::Clear(colour);
  FillBox(0, 0, Width(), Height(), colour);
}

void DibRaster::FillBox(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, ColorRef colour) {
  if (primitives_ == Primitives::Raster) return Raster::FillBox(x, y, w, h, colour);
  UniqueBrush brush(CreateSolidBrush(colour & 0xFFFFFFu));
  const RECT r{x, y, x + w, y + h};
  FillRect(dc_.get(), &r, brush.get());
}

void DibRaster::OutlineBox(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, ColorRef colour) {
  if (primitives_ == Primitives::Raster) return Raster::OutlineBox(x, y, w, h, colour);
  UniqueBrush brush(CreateSolidBrush(colour & 0xFFFFFFu));
  const RECT r{x, y, x + w, y + h};
  FrameRect(dc_.get(), &r, brush.get());
}

void DibRaster::Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, ColorRef colour) {
  if (primitives_ == Primitives::Raster) return Raster::Line(x1, y1, x2, y2, colour);
  UniquePen pen(CreatePen(PS_SOLID, 1, colour & 0xFFFFFFu));
  const HGDIOBJ old = SelectObject(dc_.get(), pen.get());
  MoveToEx(dc_.get(), x1, y1, nullptr);
  LineTo(dc_.get(), x2, y2);
  SelectObject(dc_.get(), old);
}

void DibRaster::SetPixel(std::int32_t x, std::int32_t y, ColorRef colour) {
  if (primitives_ == Primitives::Raster) return Raster::SetPixel(x, y, colour);
  SetPixelV(dc_.get(), x, y, colour & 0xFFFFFFu);
}

void DibRaster::Ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, ColorRef pen,
                        ColorRef fill) {
  if (primitives_ == Primitives::Raster) return Raster::Ellipse(left, top, right, bottom, pen, fill);
  UniquePen gdiPen(CreatePen(PS_SOLID, 2, pen & 0xFFFFFFu));
  UniqueBrush brush(CreateSolidBrush(fill & 0xFFFFFFu));
  const HGDIOBJ oldPen = SelectObject(dc_.get(), gdiPen.get());
  const HGDIOBJ oldBrush = SelectObject(dc_.get(), brush.get());
  ::Ellipse(dc_.get(), left, top, right, bottom);
  SelectObject(dc_.get(), oldBrush);
  SelectObject(dc_.get(), oldPen);
}

void DibRaster::FocusRect(const PixelRect& r) {
  if (primitives_ == Primitives::Raster) return Raster::FocusRect(r);
  const RECT rect{r.left, r.top, r.right, r.bottom};
  DrawFocusRect(dc_.get(), &rect);
}

}  // namespace kqm
