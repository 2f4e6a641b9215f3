#include "ui/main_window/win32/about_page_win32.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "controls/skin_button/property_bag.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_wide_text.h"
#include "ui/main_window/panel_colors.h"

namespace kqm {

namespace {

UniqueFont MakeFont(const wchar_t* face, int pixelHeight, int weight) {
  return UniqueFont(CreateFontW(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                face));
}

void Letter(HDC dc, const wchar_t* text, HFONT font, int x, int y, COLORREF colour) {
  const SelectedObject selected = Select(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  TextOutW(dc, x, y, text, static_cast<int>(std::wcslen(text)));
}

// The picture drawn at the page's resolution (not stretched from the 96-dpi one, so it stays sharp).
std::unique_ptr<DibRaster> DrawPicture(int dpi) {
  auto picture = DibRaster::Create(AboutPage::PictureWidth(dpi), AboutPage::PictureHeight(dpi),
                                   DibRaster::Primitives::Raster);
  if (!picture) return nullptr;
  const std::vector<std::uint32_t> background = AboutPage::PictureBackground(dpi);
  std::copy(background.begin(), background.end(), picture->Bits());
  const auto s = [dpi](int v) { return ScaleForDpi(v, dpi); };
  const UniqueFont big = MakeFont(L"Arial", s(24), FW_BOLD);
  const UniqueFont small = MakeFont(L"Arial", s(15), FW_NORMAL);
  Letter(picture->Dc(), L"Quorvel", big.get(), s(56), s(14), RGB(255, 255, 255));
  Letter(picture->Dc(), L"Manager", small.get(), s(58), s(42), RGB(220, 236, 250));
  Letter(picture->Dc(), L"KESTRUM", small.get(), s(12), s(69), RGB(255, 255, 255));
  GdiFlush();
  return picture;
}

}  // namespace

class AboutPageWin32::ClickRelay final : public sknButtonEvents {
 public:
  explicit ClickRelay(std::function<void()> onClick) : onClick_(std::move(onClick)) {}
  void Click() override { onClick_(); }

 private:
  std::function<void()> onClick_;
};

AboutPageWin32::AboutPageWin32(Key, AboutPage& page) : page_(page) {}

void AboutPageWin32::DescribeClass(WNDCLASSEXW& wc) {
  // A stock brush: the skinned buttons read the page colour (white) from the class background.
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

std::unique_ptr<AboutPageWin32> AboutPageWin32::Create(HWND parent, int id, AboutPage& page,
                                                       const SystemColors* colors) {
  auto panel = std::make_unique<AboutPageWin32>(Key{}, page);
  if (colors) panel->colors_ = colors;
  panel->UpdateDpi(WindowDpi(parent));
  const int ppi = panel->Dpi();
  panel->picture_ = DrawPicture(ppi);
  // The page's text in the form's font: 8-point "MS Sans Serif".
  panel->labelFont_ = MakeFont(L"MS Sans Serif", MulDiv(8, ppi, 72), FW_NORMAL);
  const HWND hwnd = panel->CreateHandle(WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                                        parent, id);
  if (!hwnd) return nullptr;

  panel->webRelay_ = std::make_unique<ClickRelay>([p = panel.get()] { p->page_.cmdWeb_Click(); });
  panel->readmeRelay_ = std::make_unique<ClickRelay>([p = panel.get()] { p->page_.cmdReadme_Click(); });
  // Created in tab order: the window order inside the panel is the order Tab visits them.
  const AboutLayout& layout = page.Layout();
  auto makeButton = [&](int buttonId, const TwipRect& r, const char* name, const char* caption) {
    SkinButtonHost::Options options;
    options.displayName = name;
    options.colors = colors;
    TextPropertyBag bag;
    AboutPage::WriteButtonSettings(bag, caption);
    return SkinButtonHost::Create(hwnd, buttonId, panel->ToPixels(r.left), panel->ToPixels(r.top),
                                  panel->ToPixels(r.width), panel->ToPixels(r.height), options, &bag);
  };
  panel->web_ = makeButton(kWebId, layout.cmdWeb, "cmdWeb", AboutPage::kWebCaption);
  panel->readme_ = makeButton(kReadmeId, layout.cmdReadme, "cmdReadme", AboutPage::kReadmeCaption);
  if (!panel->web_ || !panel->readme_) return nullptr;
  panel->web_->Button().SetEvents(panel->webRelay_.get());
  panel->readme_->Button().SetEvents(panel->readmeRelay_.get());
  return panel;
}

AboutPageWin32::~AboutPageWin32() {
  if (web_) web_->Button().SetEvents(nullptr);
  if (readme_) readme_->Button().SetEvents(nullptr);
  web_.reset();
  readme_.reset();
  DestroyHandle();
}

void AboutPageWin32::SetDpi(int dpi) {
  if (!UpdateDpi(dpi)) return;
  labelFont_ = MakeFont(L"MS Sans Serif", MulDiv(8, dpi, 72), FW_NORMAL);
  picture_ = DrawPicture(dpi);
  for (SkinButtonHost* b : {web_.get(), readme_.get()})
    if (b) b->SetPixelsPerInch(dpi);
  PlaceButtons();
  if (Window()) InvalidateRect(Window(), nullptr, TRUE);
}

void AboutPageWin32::Show() {
  if (!Window()) return;
  SetWindowPos(Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void AboutPageWin32::Hide() {
  if (Window()) ShowWindow(Window(), SW_HIDE);
}

void AboutPageWin32::Move(int x, int y, int width, int height) {
  if (!Window()) return;
  // A window cannot be sized below zero; the content then lays out for an empty page.
  MoveWindow(Window(), x, y, std::max(width, 0), std::max(height, 0), TRUE);
}

int AboutPageWin32::ToPixels(int twips) const { return MulDiv(twips, Dpi(), 1440); }

int AboutPageWin32::ToTwips(int pixels) const { return MulDiv(pixels, 1440, Dpi()); }

void AboutPageWin32::PlaceButtons() {
  const AboutLayout& layout = page_.Layout();
  auto place = [&](SkinButtonHost* host, const TwipRect& r) {
    if (!host || !host->Window()) return;
    SetWindowPos(host->Window(), nullptr, ToPixels(r.left), ToPixels(r.top), ToPixels(r.width), ToPixels(r.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(web_.get(), layout.cmdWeb);
  place(readme_.get(), layout.cmdReadme);
}

void AboutPageWin32::Paint(HDC dc) const {
  const AboutLayout& layout = page_.Layout();
  if (picture_) {
    BitBlt(dc, ToPixels(layout.Picture1.left), ToPixels(layout.Picture1.top), picture_->Width(), picture_->Height(),
           picture_->Dc(), 0, 0, SRCCOPY);
  }
  const PanelColors colours = PanelColorsFor(*colors_);
  const TwipLine& line = layout.Line1;
  const COLORREF ruleColour = colours.rule;
  const UniquePen pen(CreatePen(PS_SOLID, 1, ruleColour));
  {
    const SelectedObject selected = Select(dc, pen.get());
    MoveToEx(dc, ToPixels(line.x1), ToPixels(line.y1), nullptr);
    LineTo(dc, ToPixels(line.x2), ToPixels(line.y2));
  }
  // LineTo leaves out the end point; the rule includes it (and is a single point when collapsed).
  SetPixelV(dc, ToPixels(line.x2), ToPixels(line.y2), ruleColour);
  const std::wstring label = Wide(AboutPage::kLabelCaption);
  const SelectedObject font = Select(dc, labelFont_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colours.pageText);
  TextOutW(dc, ToPixels(layout.Label2.left), ToPixels(layout.Label2.top), label.c_str(),
           static_cast<int>(label.size()));
}

LRESULT AboutPageWin32::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE: {
      page_.Resize(ToTwips(LOWORD(lParam)), ToTwips(HIWORD(lParam)));
      PlaceButtons();
      InvalidateRect(Window(), nullptr, TRUE);
      return 0;
    }
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(Window(), &r);
      const UniqueBrush brush(CreateSolidBrush(PanelColorsFor(*colors_).pageBack));
      FillRect(reinterpret_cast<HDC>(wParam), &r, brush.get());
      return 1;
    }
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      // Colours or high contrast changed: the page is drawn again in them.
      InvalidateRect(Window(), nullptr, TRUE);
      break;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintWith(msg, wParam, [this](HDC dc, const RECT&) { Paint(dc); });
    default:
      break;
  }
  return DefaultMessage(msg, wParam, lParam);
}

}  // namespace kqm
