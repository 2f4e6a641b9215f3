// Renders every button type in every look and colour scheme through the real GDI surface and text into one
// image: gallery.exe <output.bmp>. The picture variants cover the four special effects and three picture
// positions; each button is cut to its window shape over the sheet's background.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "controls/skin_button/button_paint.h"
#include "platform/text.h"
#include "platform/win32/dib_raster.h"
#include "platform/win32/gdi_text_renderer.h"
#include "platform/win32/win32_system_colors.h"

namespace kqm {
namespace {

constexpr int kButtonW = 91;
constexpr int kButtonH = 29;
constexpr int kCellW = kButtonW + 6;
constexpr int kCellH = kButtonH + 6;
constexpr int kLabelW = 128;
constexpr int kHeaderH = 34;
constexpr ColorRef kSheet = Rgb(214, 222, 232);

const char* const kTypeNames[] = {"",           "1 FramedBevel",   "2 Classic3D",   "3 RoundedGradient",
                                  "4 RoundedFramed", "5 Outlined", "6 LightBevel",  "7 ThinRaised",
                                  "8 HoverThin",  "9 HoverHighlight", "10 PictureOnly", "11 Transparent",
                                  "12 HoverRaised", "13 Oval",     "14 GradientFramed"};
const char* const kSchemeNames[] = {"", "System colours", "Custom colours", "Fixed grey", "Container colours"};
const char* const kLookNames[] = {"up", "hover", "down", "disabled", "toggled"};

struct Variant {
  bool picture;
  sknPicturePosition position;
  sknSpecialEffect effect;
  const char* name;
};
const Variant kVariants[] = {
    {false, sknPicturePosition::ppLeft, sknSpecialEffect::fxNone, "caption"},
    {true, sknPicturePosition::ppLeft, sknSpecialEffect::fxRaised, "picture left, raised"},
    {true, sknPicturePosition::ppTop, sknSpecialEffect::fxSunken, "picture top, sunken"},
    {true, sknPicturePosition::ppBehind, sknSpecialEffect::fxShadow, "picture behind, shadow"},
};

// A 16 x 16 picture: a shaded disc with a light spot on the mask colour.
PicturePtr DiscPicture() {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int dx = 2 * x - 15, dy = 2 * y - 15;
      const int d = dx * dx + dy * dy;
      if (d > 225) {
        pixels.push_back(ToPixel(Rgb(192, 192, 192)));
      } else if ((x - 5) * (x - 5) + (y - 5) * (y - 5) < 6) {
        pixels.push_back(ToPixel(Rgb(255, 250, 220)));
      } else {
        pixels.push_back(ToPixel(Rgb(30 + x * 6, 90 + y * 8, 200 - d / 3)));
      }
    }
  }
  auto p = std::make_shared<ButtonPicture>();
  p->width = p->height = 16;
  p->pixels = std::move(pixels);
  p->widthHiMetric = p->heightHiMetric = 423;
  return p;
}

void Label(DibRaster& sheet, int x, int y, const std::string& text, bool bold) {
  static UniqueFont normal(CreateFontW(-11, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                                       L"Tahoma"));
  static UniqueFont strong(CreateFontW(-12, 0, 0, 0, 700, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                                       L"Tahoma"));
  const std::u16string wide = Utf8ToUtf16(text);
  const HGDIOBJ old = SelectObject(sheet.Dc(), bold ? strong.get() : normal.get());
  SetBkMode(sheet.Dc(), TRANSPARENT);
  SetTextColor(sheet.Dc(), RGB(20, 30, 60));
  TextOutW(sheet.Dc(), x, y, reinterpret_cast<const wchar_t*>(wide.c_str()), static_cast<int>(wide.size()));
  SelectObject(sheet.Dc(), old);
}

// What lies behind the transparent type: stripes of the sheet.
Raster Backdrop(int w, int h) {
  Raster r(w, h, kSheet);
  for (int x = -h; x < w; x += 6) r.Line(x, h, x + h, 0, Rgb(170, 190, 215));
  return r;
}

bool WriteBmp(const Raster& image, const char* path) {
  FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  const int w = image.Width(), h = image.Height();
  const int stride = (w * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(stride) * h;
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  std::fwrite(&file, sizeof file, 1, f);
  std::fwrite(&info, sizeof info, 1, f);
  std::vector<unsigned char> row(static_cast<size_t>(stride), 0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const ColorRef c = image.Pixel(x, y);
      row[static_cast<size_t>(x) * 3] = static_cast<unsigned char>(BlueOf(c));
      row[static_cast<size_t>(x) * 3 + 1] = static_cast<unsigned char>(GreenOf(c));
      row[static_cast<size_t>(x) * 3 + 2] = static_cast<unsigned char>(RedOf(c));
    }
    std::fwrite(row.data(), 1, row.size(), f);
  }
  return std::fclose(f) == 0;
}

int Run(const char* output) {
  Win32SystemColors system;
  GdiTextRenderer text;
  const PicturePtr disc = DiscPicture();
  const int columns = 5 * 4;
  const int sectionH = kHeaderH + 14 * kCellH + 10;
  const int width = kLabelW + columns * kCellW + 8;
  const int height = 4 * sectionH + 8;
  std::unique_ptr<DibRaster> sheet = DibRaster::Create(width, height, DibRaster::Primitives::Gdi, kSheet);
  if (!sheet) return 2;
  int painted = 0;
  for (int scheme = 1; scheme <= 4; ++scheme) {
    const int top = 4 + (scheme - 1) * sectionH;
    Label(*sheet, 6, top + 2, kSchemeNames[scheme], true);
    for (int v = 0; v < 4; ++v) {
      Label(*sheet, kLabelW + v * 5 * kCellW + 4, top + 2, kVariants[v].name, false);
      for (int look = 0; look < 5; ++look) {
        Label(*sheet, kLabelW + (v * 5 + look) * kCellW + 4, top + 17, kLookNames[look], false);
      }
    }
    for (int type = 1; type <= 14; ++type) {
      const int y = top + kHeaderH + (type - 1) * kCellH;
      Label(*sheet, 6, y + 9, kTypeNames[type], false);
      for (int v = 0; v < 4; ++v) {
        for (int look = 0; look < 5; ++look) {
          ButtonLook l;
          l.buttonType = static_cast<sknButtonType>(type);
          l.colorScheme = static_cast<sknColorScheme>(scheme);
          l.backColor = Rgb(58, 110, 165);
          l.backOver = Rgb(84, 140, 200);
          l.foreColor = Rgb(255, 255, 255);
          l.foreOver = Rgb(255, 236, 160);
          l.containerBackColor = Rgb(236, 233, 216);
          l.containerForeColor = Rgb(60, 40, 20);
          l.caption = type % 2 ? "&Readme" : "Visit &web";
          l.width = kButtonW;
          l.height = kButtonH;
          l.isOver = look == 1;
          l.enabled = look != 3;
          l.checkBoxBehaviour = look == 4;
          l.value = look == 4;
          l.hasFocus = look == 0 && v == 0;
          l.displayAsDefault = look == 0 && v == 1;
          l.specialEffect = kVariants[v].effect;
          l.picturePosition = kVariants[v].position;
          if (kVariants[v].picture) l.pictureNormal = disc;
          const int x = kLabelW + (v * 5 + look) * kCellW + 3;
          std::unique_ptr<DibRaster> face = DibRaster::Create(kButtonW, kButtonH, DibRaster::Primitives::Gdi);
          if (!face) return 2;
          ButtonPainter painter(system);
          painter.ComputeColors(l);
          painter.Resize(l, text);
          painter.CaptureBackground(Backdrop(kButtonW, kButtonH));
          painter.PaintButton(l, look == 2 ? kStateDown : kStateUp, true, *face, text);
          const ButtonShape shape = painter.MakeRegion(l);
          if (type == 11) sheet->WriteBlock(x, y + 3, kButtonW, kButtonH, Backdrop(kButtonW, kButtonH).Bits());
          for (int py = 0; py < kButtonH; ++py) {
            for (int px = 0; px < kButtonW; ++px) {
              if (shape.Contains(px, py)) sheet->Raster::SetPixel(x + px, y + 3 + py, face->Pixel(px, py));
            }
          }
          ++painted;
        }
      }
    }
  }
  if (!WriteBmp(*sheet, output)) return 3;
  std::printf("%d buttons painted, %dx%d image written to %s\n", painted, width, height, output);
  return 0;
}

}  // namespace
}  // namespace kqm

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gallery <output.bmp>\n");
    return 1;
  }
  return kqm::Run(argv[1]);
}
