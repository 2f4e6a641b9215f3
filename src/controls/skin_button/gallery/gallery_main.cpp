// Shows every button type in every look and colour scheme as real skinned button windows and captures what the
// screen shows into one image: gallery.exe <output.bmp>. The picture variants cover the four special effects and
// three picture positions. Each block of buttons lives in a window of its own painted in the sheet's colour, with
// stripes behind the transparent type, so the windows' shapes and the transparent type show the real parent.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "controls/skin_button/property_bag.h"
#include "controls/skin_button/win32/skin_button_host.h"
#include "platform/text.h"
#include "platform/win32/dib_raster.h"
#include "platform/win32/win32_window.h"

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
  const SelectedObject font = Select(sheet.Dc(), bold ? strong.get() : normal.get());
  SetBkMode(sheet.Dc(), TRANSPARENT);
  SetTextColor(sheet.Dc(), RGB(20, 30, 60));
  TextOutW(sheet.Dc(), x, y, reinterpret_cast<const wchar_t*>(wide.c_str()), static_cast<int>(wide.size()));
}

constexpr int kStageW = 5 * kCellW;
constexpr int kStageH = 14 * kCellH;
constexpr int kTransparentRow = 11 - 1;

// The stage's face: the sheet's colour, with stripes where the transparent type's buttons stand.
void PaintStage(HDC dc) {
  const UniqueBrush sheet(CreateSolidBrush(kSheet));
  RECT all{0, 0, kStageW, kStageH};
  FillRect(dc, &all, sheet.get());
  const UniquePen stripe(CreatePen(PS_SOLID, 1, Rgb(170, 190, 215)));
  const SelectedObject pen = Select(dc, stripe.get());
  for (int look = 0; look < 5; ++look) {
    const int x0 = look * kCellW + 3, y0 = kTransparentRow * kCellH + 3;
    const UniqueRegion clip(CreateRectRgn(x0, y0, x0 + kButtonW, y0 + kButtonH));
    SelectClipRgn(dc, clip.get());
    for (int x = -kButtonH; x < kButtonW; x += 6) {
      MoveToEx(dc, x0 + x, y0 + kButtonH, nullptr);
      LineTo(dc, x0 + x + kButtonH, y0);
    }
    SelectClipRgn(dc, nullptr);
  }
}

// The window one block of buttons lives in, its face drawn by PaintStage.
class Stage final : public Win32Window<Stage> {
 public:
  static constexpr const wchar_t* kClassName = L"KestrumQuorvelManager.GalleryStage";
  bool Create() {
    return CreateHandle(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, WS_POPUP | WS_CLIPSIBLINGS, 0, 0, kStageW, kStageH,
                        nullptr, 0, L"Gallery") != nullptr;
  }
  void Destroy() { DestroyHandle(); }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
      case WM_ERASEBKGND:
        PaintStage(reinterpret_cast<HDC>(wParam));
        return 1;
      case WM_PAINT:
        return PaintWith(msg, wParam, [](HDC, const RECT&) {});
      default:
        return DefaultMessage(msg, wParam, lParam);
    }
  }
};

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
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

// One block of the sheet: the 14 types in the 5 looks of one scheme and variant, as real windows, captured.
bool CaptureBlock(DibRaster& sheet, int left, int top, int scheme, const Variant& variant, const PicturePtr& disc,
                  int variantIndex) {
  Stage window;
  if (!window.Create()) return false;
  const HWND stage = window.Window();
  ShowWindow(stage, SW_SHOWNOACTIVATE);
  UpdateWindow(stage);
  Pump();
  std::vector<std::unique_ptr<SkinButtonHost>> buttons;
  for (int type = 1; type <= 14; ++type) {
    for (int look = 0; look < 5; ++look) {
      TextPropertyBag bag;
      bag.WriteLong("BTYPE", type);
      bag.WriteString("TX", type % 2 ? "&Readme" : "Visit &web");
      bag.WriteLong("COLTYPE", scheme);
      bag.WriteLong("BCOL", static_cast<std::int32_t>(Rgb(58, 110, 165)));
      bag.WriteLong("BCOLO", static_cast<std::int32_t>(Rgb(84, 140, 200)));
      bag.WriteLong("FCOL", static_cast<std::int32_t>(Rgb(255, 255, 255)));
      bag.WriteLong("FCOLO", static_cast<std::int32_t>(Rgb(255, 236, 160)));
      bag.WriteLong("FX", static_cast<std::int32_t>(variant.effect));
      bag.WriteLong("PICPOS", static_cast<std::int32_t>(variant.position));
      if (variant.picture) bag.WritePicture("PICN", disc);
      bag.WriteBool("ENAB", look != 3);
      bag.WriteBool("CHECK", look == 4);
      bag.WriteBool("VALUE", look == 4);
      SkinButtonHost::Options options;
      options.containerBackColor = Rgb(236, 233, 216);
      options.containerForeColor = Rgb(60, 40, 20);
      auto host = SkinButtonHost::Create(stage, type * 10 + look, look * kCellW + 3, (type - 1) * kCellH + 3,
                                         kButtonW, kButtonH, options, &bag);
      if (!host) return false;
      sknButton& b = host->Button();
      if (look == 0 && variantIndex == 0) host->Input().FocusGained();
      if (look == 0 && variantIndex == 1) host->SetDefault(true);
      if (look == 1) {
        b.IsOver(true);
        b.PaintButton(kStateUp, true);
      }
      if (look == 2) b.PaintButton(kStateDown, true);
      buttons.push_back(std::move(host));
    }
  }
  RedrawWindow(stage, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  GdiFlush();
  bool ok = false;
  // The stage's surface with its children on it, as the screen shows it.
  if (const UniqueWindowDc dc = UniqueWindowDc(GetDCEx(stage, nullptr, DCX_CACHE), WindowDcCloser{stage})) {
    ok = BitBlt(sheet.Dc(), left, top, kStageW, kStageH, dc.get(), 0, 0, SRCCOPY) != 0;
  }
  GdiFlush();
  buttons.clear();
  window.Destroy();
  Pump();
  return ok;
}

int Run(const char* output) {
  if (!Stage::RegisterWindowClass() || !RegisterSkinButtonClass()) return 2;
  // Keep the pointer off the stage, so that no button takes up the hover look of its own.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
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
      Label(*sheet, 6, top + kHeaderH + (type - 1) * kCellH + 9, kTypeNames[type], false);
    }
    for (int v = 0; v < 4; ++v) {
      if (!CaptureBlock(*sheet, kLabelW + v * 5 * kCellW, top + kHeaderH, scheme, kVariants[v], disc, v)) return 4;
      painted += 14 * 5;
    }
  }
  if (!WriteBmp(*sheet, output)) return 3;
  std::printf("%d buttons shown and captured, %dx%d image written to %s\n", painted, width, height, output);
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
