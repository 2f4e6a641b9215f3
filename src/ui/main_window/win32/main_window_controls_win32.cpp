#include "ui/main_window/win32/main_window_controls_win32.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "platform/main_window_view.h"
#include "platform/win32/dib_raster.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_wide_text.h"
#include "ui/main_window/panel_colors.h"

namespace kqm {

namespace {

constexpr COLORREF kMaskColour = RGB(255, 0, 255);
enum ControlId { kBarId = 100, kListId = 101, kHeaderId = 102, kAboutId = 105, kDetailsId = 106 };

// Draws `count` square icons of `size` pixels with `draw(dc, index, size)` on the mask colour, side by side on one
// strip that the image list cuts into its images: one surface, one copy and one masking for all of them.
UniqueImageList MakeIcons(int size, int count, const std::function<void(HDC, int, int)>& draw) {
  UniqueImageList list(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 0));
  if (!list) return list;
  std::unique_ptr<DibRaster> surface = DibRaster::Create(size * count, size, DibRaster::Primitives::Gdi);
  if (!surface) return list;
  const HDC dc = surface->Dc();
  UniqueBrush mask(CreateSolidBrush(kMaskColour));
  RECT all{0, 0, size * count, size};
  FillRect(dc, &all, mask.get());
  for (int i = 0; i < count; ++i) {
    // Each icon is drawn at its own origin and cannot spill into its neighbours.
    const int saved = SaveDC(dc);
    SetViewportOrgEx(dc, i * size, 0, nullptr);
    IntersectClipRect(dc, 0, 0, size, size);
    draw(dc, i, size);
    RestoreDC(dc, saved);
  }
  GdiFlush();
  // The image list copies the bitmap; it must not stay selected into the surface's context meanwhile.
  UniqueBitmap copy(static_cast<HBITMAP>(CopyImage(surface->Bitmap(), IMAGE_BITMAP, size * count, size, 0)));
  ImageList_AddMasked(list.get(), copy.get(), kMaskColour);
  return list;
}

void Shape(HDC dc, COLORREF fill, COLORREF edge, const std::function<void()>& draw) {
  UniqueBrush brush(CreateSolidBrush(fill));
  UniquePen pen(CreatePen(PS_SOLID, 1, edge));
  const HGDIOBJ oldBrush = SelectObject(dc, brush.get());
  const HGDIOBJ oldPen = SelectObject(dc, pen.get());
  draw();
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

void Stroke(HDC dc, COLORREF colour, int width, std::initializer_list<POINT> points) {
  UniquePen pen(CreatePen(PS_SOLID, width, colour));
  const HGDIOBJ old = SelectObject(dc, pen.get());
  Polyline(dc, points.begin(), static_cast<int>(points.size()));
  SelectObject(dc, old);
}

// One motif drawn on a 16-unit grid at `size` pixels (16 units: 16 pixels at 100 %, 24 at 150 %, 32 at 200 %):
// a registry stack, a folder, a page, a help mark, a clock (the history), a spare mark, a disable sign and an enable
// tick.
void DrawMotif(HDC dc, int motif, int size) {
  const auto p = [size](int v) { return (v * size + 8) / 16; };
  const int s = std::max(1, (size + 8) / 16);  // the width of a one-unit stroke
  switch (motif) {
    case 0:  // three stacked blocks
      for (int k = 0; k < 3; ++k)
        Shape(dc, RGB(60, 120, 200), RGB(20, 50, 110), [&] { Rectangle(dc, p(2), p(2 + 4 * k), p(14), p(6 + 4 * k)); });
      break;
    case 1:  // folder
      Shape(dc, RGB(240, 200, 80), RGB(150, 110, 20), [&] {
        Rectangle(dc, p(1), p(3), p(7), p(6));
        Rectangle(dc, p(1), p(5), p(15), p(14));
      });
      break;
    case 2:  // page with lines
      Shape(dc, RGB(255, 255, 255), RGB(90, 90, 90), [&] { Rectangle(dc, p(3), p(1), p(13), p(15)); });
      for (int k = 0; k < 4; ++k) Stroke(dc, RGB(90, 120, 180), s, {{p(5), p(4 + 3 * k)}, {p(11), p(4 + 3 * k)}});
      break;
    case 3:  // help: a blue disc with a white question mark
      Shape(dc, RGB(40, 110, 210), RGB(20, 60, 140), [&] { Ellipse(dc, p(1), p(1), p(15), p(15)); });
      Stroke(dc, RGB(255, 255, 255), 2 * s, {{p(6), p(6)}, {p(6), p(4)}, {p(10), p(4)}, {p(10), p(7)}, {p(8), p(8)}, {p(8), p(10)}});
      Stroke(dc, RGB(255, 255, 255), 2 * s, {{p(8), p(12)}, {p(8), p(13)}});
      break;
    case 4:  // history: a clock face
      Shape(dc, RGB(255, 255, 255), RGB(60, 90, 150), [&] { Ellipse(dc, p(1), p(1), p(15), p(15)); });
      Stroke(dc, RGB(30, 50, 100), s, {{p(8), p(4)}, {p(8), p(8)}, {p(11), p(10)}});
      break;
    case 5:  // spare: a grey diamond
      Shape(dc, RGB(170, 170, 170), RGB(90, 90, 90), [&] {
        const POINT d[4] = {{p(8), p(2)}, {p(14), p(8)}, {p(8), p(14)}, {p(2), p(8)}};
        Polygon(dc, d, 4);
      });
      break;
    case 6:  // disable: a red disc with a white bar
      Shape(dc, RGB(210, 40, 40), RGB(130, 20, 20), [&] { Ellipse(dc, p(1), p(1), p(15), p(15)); });
      Shape(dc, RGB(255, 255, 255), RGB(255, 255, 255), [&] { Rectangle(dc, p(4), p(7), p(12), p(9)); });
      break;
    default:  // enable: a green disc with a white tick
      Shape(dc, RGB(40, 160, 60), RGB(20, 100, 30), [&] { Ellipse(dc, p(1), p(1), p(15), p(15)); });
      Stroke(dc, RGB(255, 255, 255), 2 * s, {{p(4), p(8)}, {p(7), p(11)}, {p(12), p(5)}});
      break;
  }
}

// The list's background picture, drawn at the resolution given (184 by 97 at 96 dots per inch): white with a
// faint large tick at its right.
UniqueBitmap MakeListPicture(int dpi) {
  const auto s = [dpi](int v) { return ScaleForDpi(v, dpi); };
  const int width = s(184), height = s(97);
  std::unique_ptr<DibRaster> surface = DibRaster::Create(width, height, DibRaster::Primitives::Gdi);
  if (!surface) return UniqueBitmap();
  const HDC dc = surface->Dc();
  RECT all{0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  Stroke(dc, RGB(214, 230, 248), s(9), {{s(118), s(52)}, {s(140), s(74)}, {s(174), s(22)}});
  GdiFlush();
  return UniqueBitmap(static_cast<HBITMAP>(CopyImage(surface->Bitmap(), IMAGE_BITMAP, width, height, 0)));
}

UniqueFont MakeGuiFont(int dpi) {
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfHeight = -MulDiv(8, dpi, 72);
  return UniqueFont(CreateFontIndirectW(&font));
}

}  // namespace

UniqueImageList MakeActionIcons(int dpi) {
  return MakeIcons(ScaleForDpi(16, dpi), 8, [](HDC dc, int index, int size) { DrawMotif(dc, index, size); });
}

UniqueImageList MakeCategoryIcons(int dpi) {
  // Location: the folder; Actions: the tick; Help: the help mark.
  static constexpr int kMotifs[3] = {1, 7, 3};
  return MakeIcons(ScaleForDpi(32, dpi), 3, [](HDC dc, int index, int size) { DrawMotif(dc, kMotifs[index], size); });
}

Win32Panel::Win32Panel(HWND parent, int id, int32_t left, int32_t top, int32_t width, int32_t height,
                       const SystemColors& colors)
    : left_(left), top_(top), width_(width), height_(height), colors_(colors) {
  UpdateDpi(WindowDpi(parent));
  font_ = MakeGuiFont(Dpi());
  CreateHandle(0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent, id);
  Place();
}

Win32Panel::~Win32Panel() = default;

LRESULT Win32Panel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(Window(), &r);
      UniqueBrush brush(CreateSolidBrush(PanelColorsFor(colors_).headerBack));
      FillRect(reinterpret_cast<HDC>(wParam), &r, brush.get());
      return 1;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintWith(msg, wParam, [this](HDC dc, const RECT&) {
        const SelectedObject font = Select(dc, font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, PanelColorsFor(colors_).headerText);
        for (const Label& label : labels_)
          TextOutW(dc, MulDiv(label.leftTwips, Dpi(), 1440), MulDiv(label.topTwips, Dpi(), 1440), label.text.c_str(),
                   static_cast<int>(label.text.size()));
      });
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      InvalidateRect(Window(), nullptr, TRUE);
      break;
    default:
      break;
  }
  return DefaultMessage(msg, wParam, lParam);
}

void Win32Panel::AddLabel(std::wstring text, int32_t leftTwips, int32_t topTwips) {
  labels_.push_back({std::move(text), leftTwips, topTwips});
  InvalidateRect(Window(), nullptr, TRUE);
}

void Win32Panel::SetDpi(int dpi) {
  if (!UpdateDpi(dpi)) return;
  font_ = MakeGuiFont(dpi);
  Place();
  InvalidateRect(Window(), nullptr, TRUE);
}

void Win32Panel::Place() {
  const int dpi = Dpi();
  SetWindowPos(Window(), nullptr, MulDiv(left_, dpi, 1440), MulDiv(top_, dpi, 1440), MulDiv(width_, dpi, 1440),
               MulDiv(height_, dpi, 1440), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Panel::Visible(bool bVisible) { ShowWindow(Window(), bVisible ? SW_SHOWNA : SW_HIDE); }

void Win32Panel::ZOrder() { SetWindowPos(Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); }

void Win32Panel::Left(int32_t twips) {
  left_ = twips;
  Place();
}

void Win32Panel::Width(int32_t twips) {
  if (twips < 0) return;
  width_ = twips;
  Place();
}

void Win32Panel::Move(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (width < 0 || height < 0) return;
  left_ = left, top_ = top, width_ = width, height_ = height;
  Place();
}

Win32DetailsStrip::Win32DetailsStrip(HWND parent, int id, int dpi) : dpi_(dpi) {
  // An edit's accessible name is the text of the static control right before it in the window order, hidden or
  // not (its own text is its value): screen readers announce the strip as "Details".
  label_ = CreateWindowExW(0, L"STATIC", L"Details", WS_CHILD | SS_LEFT, 0, 0, 0, 0, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | ES_MULTILINE | ES_READONLY |
                              ES_AUTOHSCROLL,
                          0, 0, 0, 0, parent, reinterpret_cast<HMENU>(intptr_t{id}), GetModuleHandleW(nullptr),
                          nullptr);
  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // Four lines of the font, the edit's frame and margins included.
  TEXTMETRICW tm{};
  if (const UniqueWindowDc dc = WindowDc(hwnd_)) {
    const SelectedObject selected = Select(dc.get(), font);
    GetTextMetricsW(dc.get(), &tm);
  }
  const int pixels = 4 * tm.tmHeight + 2 * GetSystemMetrics(SM_CYEDGE) + 4;
  height_ = MulDiv(pixels, 1440, dpi_);
}

Win32DetailsStrip::~Win32DetailsStrip() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  if (label_ && IsWindow(label_)) DestroyWindow(label_);
}

void Win32DetailsStrip::Text(const std::string& text) {
  // The edit control breaks lines at "\r\n" only.
  std::string lines;
  for (const char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  SetWindowTextW(hwnd_, Wide(lines).c_str());
}

std::string Win32DetailsStrip::Text() const {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
  std::string lines;
  for (const char c : Narrow(text))
    if (c != '\r') lines += c;
  return lines;
}

void Win32DetailsStrip::Visible(bool bVisible) { ShowWindow(hwnd_, bVisible ? SW_SHOWNA : SW_HIDE); }

void Win32DetailsStrip::ZOrder() {
  // The label stays right before the strip.
  SetWindowPos(label_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(hwnd_, label_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32DetailsStrip::Move(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (width < 0 || height < 0) return;
  left_ = left, top_ = top, width_ = width, height_ = height;
  SetWindowPos(hwnd_, nullptr, MulDiv(left, dpi_, 1440), MulDiv(top, dpi_, 1440), MulDiv(width, dpi_, 1440),
               MulDiv(height, dpi_, 1440), SWP_NOZORDER | SWP_NOACTIVATE);
}

// The About page's window as a panel of the main window. The window is made the first time the page is needed
// (shown or raised), then takes the place and resolution the panel was given until then.
class MainWindowControlsWin32::AboutPanel final : public PanelView {
 public:
  using Make = std::function<std::unique_ptr<AboutPageWin32>()>;
  // Raised, the page goes right after `after` (the bar), so the bar stays first in the Tab order.
  AboutPanel(Make make, int dpi, HWND after) : make_(std::move(make)), dpi_(dpi), after_(after) {}
  // The page's window, made now if it is not there yet; null when it cannot be made.
  AboutPageWin32* Page() {
    if (!page_ && make_) {
      page_ = make_();
      make_ = nullptr;  // one attempt: a page that could not be made is not tried again on every call
      if (page_) {
        if (page_->Dpi() != dpi_) page_->SetDpi(dpi_);
        page_->Move(Px(left_), Px(top_), Px(width_), Px(height_));
      }
    }
    return page_.get();
  }
  void Dpi(int dpi) {
    dpi_ = dpi;
    if (page_) page_->SetDpi(dpi);
  }
  void Visible(bool bVisible) override {
    if (AboutPageWin32* page = bVisible ? Page() : page_.get()) bVisible ? page->Show() : page->Hide();
  }
  void ZOrder() override {
    if (AboutPageWin32* page = Page())
      SetWindowPos(page->Window(), after_ ? after_ : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  int32_t Left() const override { return left_; }
  void Left(int32_t twips) override { Move(twips, top_, width_, height_); }
  int32_t Width() const override { return width_; }
  void Width(int32_t twips) override { Move(left_, top_, twips, height_); }
  int32_t Height() const override { return height_; }
  void Move(int32_t left, int32_t top, int32_t width, int32_t height) override {
    if (width < 0 || height < 0) return;
    left_ = left, top_ = top, width_ = width, height_ = height;
    if (page_) page_->Move(Px(left), Px(top), Px(width), Px(height));
  }

 private:
  int Px(int32_t twips) const { return MulDiv(twips, dpi_, 1440); }
  Make make_;
  std::unique_ptr<AboutPageWin32> page_;
  int dpi_;
  HWND after_;
  int32_t left_ = 2970, top_ = 0, width_ = 5385, height_ = 5805;
};

MainWindowControlsWin32::MainWindowControlsWin32(const SystemColors* colors)
    : colors_(colors ? *colors : sessionColors_) {}

MainWindowControlsWin32::~MainWindowControlsWin32() = default;

void MainWindowControlsWin32::Create(MainWindowView& view, AboutPage& page) {
  parent_ = reinterpret_cast<HWND>(view.NativeHandle());
  dpi_ = WindowDpi(parent_);
  const auto px = [this](int32_t twips) { return MulDiv(twips, dpi_, 1440); };
  actions_ = MakeActionIcons(dpi_);
  categories_ = MakeCategoryIcons(dpi_);
  // Created in tab order: the bar, the list, the details strip, the header strip, the About page.
  RegisterExplorerBarClass();
  bar_ = ExplorerBarHost::Create(parent_, kBarId, 0, 0, px(ExplorerBar::kDefaultWidthTwips), px(6270), &colors_);
  list_ = std::make_unique<Win32ListView>(parent_, kListId, 2940, 270, 4335, 4395, actions_.get());
  list_->SetDpi(dpi_);
  // Shown again, the list keeps its place in the Tab order: after the bar, before the details strip.
  if (bar_) list_->RaiseAfter(bar_->Window());
  ShowListPicture();
  details_ = std::make_unique<Win32DetailsStrip>(parent_, kDetailsId, dpi_);
  header_ = std::make_unique<Win32Panel>(parent_, kHeaderId, 2970, 0, 4335, 255, colors_);
  header_->AddLabel(L"Application", 60, 30);
  header_->AddLabel(L"Path", 2100, 30);
  // The names assistive technology reads for the controls (their windows draw no text of their own).
  if (bar_) SetWindowTextW(bar_->Window(), L"Navigation");
  SetWindowTextW(list_->Handle(), L"Startup entries");
  SetWindowTextW(header_->Window(), L"Application, Path");
  // The About page, hidden until asked for, is made when it is first shown: the first paint does not wait for it.
  // Made last, it stays last in the Tab order.
  aboutPanel_ = std::make_unique<AboutPanel>(
      [this, &page]() -> std::unique_ptr<AboutPageWin32> {
        std::unique_ptr<AboutPageWin32> about = AboutPageWin32::Create(parent_, kAboutId, page, &colors_);
        if (about) SetWindowTextW(about->Window(), L"About");
        return about;
      },
      dpi_, bar_ ? bar_->Window() : nullptr);
}

PanelView& MainWindowControlsWin32::picTabAbout() { return *aboutPanel_; }

void MainWindowControlsWin32::ShowListPicture() {
  // The list in the window colours as they are now (the control keeps the ones it was made with), and in high
  // contrast plain: no picture behind the rows.
  const HWND list = list_->Handle();
  ListView_SetBkColor(list, colors_.SysColor(kColorWindow));
  ListView_SetTextColor(list, colors_.SysColor(kColorWindowText));
  if (colors_.HighContrast()) ListView_SetTextBkColor(list, colors_.SysColor(kColorWindow));
  UniqueBitmap picture = colors_.HighContrast() ? UniqueBitmap() : MakeListPicture(dpi_);
  LVBKIMAGEW image{};
  image.ulFlags = (picture ? LVBKIF_SOURCE_HBITMAP : LVBKIF_SOURCE_NONE) | LVBKIF_STYLE_NORMAL;
  image.hbm = picture.get();
  image.xOffsetPercent = 100;
  image.yOffsetPercent = 100;
  // The control owns a bitmap it accepted and deletes it with itself (and the one it showed before).
  if (SendMessageW(list, LVM_SETBKIMAGEW, 0, reinterpret_cast<LPARAM>(&image))) picture.release();
  InvalidateRect(list, nullptr, TRUE);
}

void MainWindowControlsWin32::DisplayChanged(int dpi) {
  if (!parent_) return;
  if (dpi > 0 && dpi != dpi_) {
    const int old = dpi_;
    dpi_ = dpi;
    // New icons at the size for this resolution; a control still showing the old list takes the new one.
    UniqueImageList actions = MakeActionIcons(dpi);
    UniqueImageList categories = MakeCategoryIcons(dpi);
    if (ListView_GetImageList(list_->Handle(), LVSIL_SMALL) == actions_.get())
      ListView_SetImageList(list_->Handle(), actions.get(), LVSIL_SMALL);
    if (bar_) {
      bar_->SetDpi(dpi);
      bar_->Bar().SetItemImageList(reinterpret_cast<std::intptr_t>(actions.get()));
      bar_->Bar().SetGroupImageList(reinterpret_cast<std::intptr_t>(categories.get()));
      RECT r;
      GetWindowRect(bar_->Window(), &r);
      SetWindowPos(bar_->Window(), nullptr, 0, 0, MulDiv(r.right - r.left, dpi, old), r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    actions_ = std::move(actions);
    categories_ = std::move(categories);
    listFont_ = MakeGuiFont(dpi);
    SendMessageW(list_->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), TRUE);
    list_->SetDpi(dpi);
    header_->SetDpi(dpi);
    aboutPanel_->Dpi(dpi);
  }
  ShowListPicture();
}

void MainWindowControlsWin32::DockBar(int32_t clientHeightTwips) {
  if (!bar_ || clientHeightTwips < 0) return;
  RECT r;
  GetWindowRect(bar_->Window(), &r);
  SetWindowPos(bar_->Window(), nullptr, 0, 0, r.right - r.left, MulDiv(clientHeightTwips, dpi_, 1440),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MainWindowControlsWin32::WriteScreenLayout(const std::wstring& path) const {
  FILE* out = _wfopen(path.c_str(), L"w");
  if (!out) return false;
  ExplorerBar& bar = bar_->Bar();
  for (size_t g = 0; g < bar.Groups().Count(); ++g) {
    const ExplorerBarItems& items = bar.Groups().Item(g).Items();
    for (size_t i = 0; i < items.Count(); ++i) {
      const PixelRect rect = bar.ItemRect(static_cast<int>(g), static_cast<int>(i));
      POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
      ClientToScreen(bar_->Window(), &centre);
      std::fprintf(out, "item %s %ld %ld\n", items.Item(i).Key().c_str(), centre.x, centre.y);
    }
  }
  auto window = [out](const char* name, HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    std::fprintf(out, "%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
  };
  window("list", list_->Handle());
  window("bar", bar_->Window());
  window("header", header_->Window());
  window("details", details_->Window());
  window("client", parent_);
  RECT client;
  GetClientRect(parent_, &client);
  std::fprintf(out, "clientsize %ld %ld\n", client.right, client.bottom);
  std::fclose(out);
  return true;
}

}  // namespace kqm
