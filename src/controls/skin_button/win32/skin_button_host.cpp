#include "controls/skin_button/win32/skin_button_host.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "controls/skin_button/button_paint.h"
#include "controls/skin_button/property_bag.h"
#include "controls/skin_button/win32/skin_button_accessible.h"
#include "platform/text.h"
#include "platform/win32/win32_dpi.h"

namespace kqm {
namespace {

constexpr UINT_PTR kHoverTimerId = 1;
constexpr UINT kHoverIntervalMs = 3;
constexpr WORD kHandCursorResource = 101;
// WM_DPICHANGED_AFTERPARENT, declared by the headers only for newer Windows versions than the build targets.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

std::int32_t ScreenPixelsPerInch() {
  const UniqueWindowDc screen = WindowDc(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  return dpi > 0 ? dpi : 96;
}

std::int16_t ShiftState() {
  std::int16_t s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= 1;
  if (GetKeyState(VK_CONTROL) < 0) s |= 2;
  if (GetKeyState(VK_MENU) < 0) s |= 4;
  return s;
}

std::int16_t HeldButtons(WPARAM wParam) {
  std::int16_t b = 0;
  if (wParam & MK_LBUTTON) b |= kMouseLeft;
  if (wParam & MK_RBUTTON) b |= kMouseRight;
  if (wParam & MK_MBUTTON) b |= kMouseMiddle;
  return b;
}

// Text folded to upper case as the platform folds it (the dialog manager compares access keys so).
std::wstring Upper(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::wstring WideOf(std::string_view utf8) {
  const std::u16string u16 = Utf8ToUtf16(utf8);
  return std::wstring(u16.begin(), u16.end());
}

std::string Utf8Of(const wchar_t* wide) {
  if (!wide) return {};
  std::u16string u16;
  for (; *wide; ++wide) u16.push_back(static_cast<char16_t>(*wide));
  return Utf16ToUtf8(u16);
}

// The host Create is making a window for; taken by the window's first message.
thread_local SkinButtonHost* t_creating = nullptr;

// The platform cursor for a pointer-shape code (0 and unknown codes: the arrow).
HCURSOR StockCursor(std::int16_t shape) {
  LPCWSTR id = IDC_ARROW;
  switch (shape) {
    case 2: id = IDC_CROSS; break;
    case 3: id = IDC_IBEAM; break;
    case 5: case 15: id = IDC_SIZEALL; break;
    case 6: id = IDC_SIZENESW; break;
    case 7: id = IDC_SIZENS; break;
    case 8: id = IDC_SIZENWSE; break;
    case 9: id = IDC_SIZEWE; break;
    case 10: id = IDC_UPARROW; break;
    case 11: id = IDC_WAIT; break;
    case 12: id = IDC_NO; break;
    case 13: id = IDC_APPSTARTING; break;
    case 14: id = IDC_HELP; break;
    default: break;
  }
  return LoadCursorW(nullptr, id);
}

// A cursor made from a picture: its pixels (bitmaps opaque, icons by their alpha), hot spot at (0, 0).
UniqueIcon CursorFromPicture(const ButtonPicture& p) {
  if (p.width <= 0 || p.height <= 0) return UniqueIcon();
  std::unique_ptr<DibRaster> colour = DibRaster::Create(p.width, p.height, DibRaster::Primitives::Raster);
  if (!colour) return UniqueIcon();
  const size_t maskStride = ((static_cast<size_t>(p.width) + 15) / 16) * 2;
  std::vector<BYTE> mask(maskStride * static_cast<size_t>(p.height), 0);
  std::uint32_t* bits = colour->Bits();
  for (std::int32_t y = 0; y < p.height; ++y) {
    for (std::int32_t x = 0; x < p.width; ++x) {
      std::uint32_t px = p.At(x, y);
      if (p.kind == ButtonPicture::Kind::Bitmap) px |= 0xFF000000u;
      if ((px >> 24) == 0) {
        mask[maskStride * static_cast<size_t>(y) + static_cast<size_t>(x) / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        px = 0;
      }
      bits[static_cast<size_t>(y) * p.width + x] = px;
    }
  }
  UniqueBitmap maskBitmap(CreateBitmap(p.width, p.height, 1, 1, mask.data()));
  if (!maskBitmap) return UniqueIcon();
  ICONINFO info{};
  info.fIcon = FALSE;
  info.hbmMask = maskBitmap.get();
  info.hbmColor = colour->Bitmap();
  return UniqueIcon(CreateIconIndirect(&info));
}

struct KeySearch {
  std::wstring key;
  bool isDefault = false;
  bool isCancel = false;
  SkinButtonHost* found = nullptr;
};

BOOL CALLBACK FindButtonForKey(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<KeySearch*>(param);
  SkinButtonHost* host = SkinButtonHost::FromWindow(hwnd);
  if (!host || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return TRUE;
  const bool match = !search->key.empty()
                         ? !host->AccessKeys().empty() && host->AccessKeys().find(search->key) != std::wstring::npos
                         : (search->isDefault && host->DisplayAsDefault()) || (search->isCancel && host->IsCancel());
  if (!match) return TRUE;
  search->found = host;
  return FALSE;
}

}  // namespace

bool RegisterSkinButtonClass() { return SkinButtonHost::RegisterWindowClass(); }

SkinButtonHost::SkinButtonHost(Key, const Options& options)
    : options_(options),
      text_(std::make_unique<GdiTextRenderer>(ScreenPixelsPerInch())),
      button_(*this),
      input_(button_) {
  UpdateDpi(ScreenPixelsPerInch());
}

std::unique_ptr<SkinButtonHost> SkinButtonHost::Create(HWND parent, int id, int x, int y, int width, int height,
                                                       const Options& options, PropertyBag* bag) {
  auto host = std::make_unique<SkinButtonHost>(Key{}, options);
  const DWORD style = WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | (options.isDefault ? BS_DEFPUSHBUTTON : 0);
  t_creating = host.get();
  const HWND hwnd = host->CreateHandle(0, style, x, y, width, height, parent, id);
  t_creating = nullptr;
  if (!hwnd) return nullptr;
  if (bag) {
    host->button_.ReadProperties(*bag);
  } else {
    host->button_.InitProperties();
  }
  host->loaded_ = true;
  host->Resized();
  ShowWindow(hwnd, SW_SHOWNA);
  return host;
}

void SkinButtonHost::LoadFromWindow(const CREATESTRUCTW& create) {
  options_.isDefault = (create.style & 0x0F) == BS_DEFPUSHBUTTON;
  UpdateDpi(WindowDpi(Window()));
  text_ = std::make_unique<GdiTextRenderer>(Dpi());
  // The control's defaults, with the window's text and enabled state.
  TextPropertyBag bag;
  bag.WriteString("TX", IS_INTRESOURCE(create.lpszName) ? std::string() : Utf8Of(create.lpszName));
  bag.WriteBool("ENAB", (create.style & WS_DISABLED) == 0);
  button_.ReadProperties(bag);
  loaded_ = true;
  Resized();
}

SkinButtonHost::~SkinButtonHost() {
  button_.Terminate();
  DestroyHandle();
  DisconnectAccessible();
}

void SkinButtonHost::DisconnectAccessible() {
  if (!accessible_) return;
  accessible_->Disconnect();
  std::exchange(accessible_, nullptr)->Release();
}

void SkinButtonHost::NotifyAccessible(DWORD event) const {
  if (Window()) NotifyWinEvent(event, Window(), OBJID_CLIENT, CHILDID_SELF);
}

bool SkinButtonTranslateMessage(const MSG& msg) {
  KeySearch search;
  if (msg.message == WM_SYSCHAR) {
    search.key = Upper(std::wstring(1, static_cast<wchar_t>(msg.wParam)));
  } else if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
    // A focused skinned button takes Enter as its own key (it clicks itself, as a focused push button does).
    if (msg.wParam == VK_RETURN && SkinButtonHost::FromWindow(GetFocus())) return false;
    search.isDefault = msg.wParam == VK_RETURN;
    search.isCancel = msg.wParam == VK_ESCAPE;
  } else {
    return false;
  }
  const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (!root) return false;
  EnumChildWindows(root, &FindButtonForKey, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return false;
  search.found->Input().AccessKey();
  return true;
}

void SkinButtonHost::SetDefault(bool isDefault) {
  if (options_.isDefault == isDefault) return;
  options_.isDefault = isDefault;
  if (Window()) {
    const LONG_PTR style = GetWindowLongPtrW(Window(), GWL_STYLE);
    SetWindowLongPtrW(Window(), GWL_STYLE, (style & ~LONG_PTR{0x0F}) | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
  }
  button_.AmbientChanged();
}

ColorRef SkinButtonHost::ContainerBackColor() const {
  if (options_.containerBackColor) return *options_.containerBackColor;
  const HWND parent = Window() ? GetParent(Window()) : nullptr;
  const auto brush = parent ? GetClassLongPtrW(parent, GCLP_HBRBACKGROUND) : 0;
  // A class background is a brush, or a system colour index plus one.
  if (brush > 0 && brush <= COLOR_MENUBAR + 1) return GetSysColor(static_cast<int>(brush - 1));
  LOGBRUSH lb{};
  if (brush && GetObjectW(reinterpret_cast<HGDIOBJ>(brush), sizeof lb, &lb) == sizeof lb && lb.lbStyle == BS_SOLID) {
    return lb.lbColor;
  }
  return GetSysColor(COLOR_BTNFACE);
}

ColorRef SkinButtonHost::ContainerForeColor() const {
  return options_.containerForeColor ? *options_.containerForeColor : GetSysColor(COLOR_BTNTEXT);
}

void SkinButtonHost::PropertyChanged(std::string_view key) {
  if (key == "TX") NotifyAccessible(EVENT_OBJECT_NAMECHANGE);
  if (key == "VALUE" || key == "ENAB" || key == "CHECK") NotifyAccessible(EVENT_OBJECT_STATECHANGE);
  if (changed_) changed_(key);
}

std::int32_t SkinButtonHost::ClientWidth() const {
  RECT r{};
  if (!Window() || !GetClientRect(Window(), &r)) return 0;
  return r.right;
}

std::int32_t SkinButtonHost::ClientHeight() const {
  RECT r{};
  if (!Window() || !GetClientRect(Window(), &r)) return 0;
  return r.bottom;
}

void SkinButtonHost::SetWindowEnabled(bool enabled) {
  if (Window()) EnableWindow(Window(), enabled ? TRUE : FALSE);
}

void SkinButtonHost::SetPointerImage(PicturePtr image) {
  pointerImage_ = image ? CursorFromPicture(*image) : UniqueIcon();
  customCursor_ = pointerImage_.get();
}

bool SkinButtonHost::UseHandCursor() {
  // The program's own cursor resource 101 when its resources hold one, otherwise the system's hand.
  HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kHandCursorResource));
  if (!hand) hand = LoadCursorW(nullptr, IDC_HAND);
  if (!hand) return false;
  customCursor_ = hand;
  return true;
}

HCURSOR SkinButtonHost::CurrentCursor() const {
  if (pointerShape_ == kPointerCustom) return customCursor_ ? customCursor_ : StockCursor(kPointerArrow);
  return StockCursor(pointerShape_);
}

void SkinButtonHost::SetAccessKeys(std::string keys) { accessKeys_ = Upper(WideOf(keys)); }

void SkinButtonHost::SetHoverTimer(bool enabled) {
  if (!Window() || enabled == timerOn_) return;
  timerOn_ = enabled ? SetTimer(Window(), kHoverTimerId, kHoverIntervalMs, nullptr) != 0
                     : (KillTimer(Window(), kHoverTimerId), false);
}

bool SkinButtonHost::IsMouseOver() const {
  POINT pt{};
  if (!Window() || !GetCursorPos(&pt)) return false;
  return WindowFromPoint(pt) == Window();
}

void SkinButtonHost::MoveFocus(bool backwards) {
  const HWND parent = Window() ? GetParent(Window()) : nullptr;
  if (!parent) return;
  const HWND next = GetNextDlgTabItem(parent, Window(), backwards ? TRUE : FALSE);
  if (next && next != Window()) SetFocus(next);
}

void SkinButtonHost::CapturePointer() {
  if (Window()) SetCapture(Window());
}

void SkinButtonHost::UpdateNow() {
  if (Window()) UpdateWindow(Window());
}

Raster& SkinButtonHost::Surface() {
  if (surface_) return *surface_;
  return empty_;
}

void SkinButtonHost::FaceDrawn() {
  if (Window()) InvalidateRect(Window(), nullptr, FALSE);
}

void SkinButtonHost::Clicked() {
  const HWND hwnd = Window();
  const HWND parent = hwnd ? GetParent(hwnd) : nullptr;
  // A click in check-box mode turns the tick over without a property notification.
  if (button_.CheckBoxBehaviour()) NotifyAccessible(EVENT_OBJECT_STATECHANGE);
  if (!parent) return;
  // Last step of a click: the parent may destroy the button while it handles this.
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
}

void SkinButtonHost::SetFontFromHandle(HFONT font) {
  windowFont_ = font;
  LOGFONTW lf{};
  const HGDIOBJ source = font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT);
  if (GetObjectW(source, sizeof lf, &lf) != sizeof lf) return;
  ButtonFont f;
  f.name = Utf8Of(lf.lfFaceName);
  // A negative height is the character height in pixels; a positive one the cell height (taken as such).
  f.size = std::abs(lf.lfHeight) * 72.0 / Dpi();
  f.weight = lf.lfWeight > 0 ? static_cast<std::int32_t>(lf.lfWeight) : 400;
  f.italic = lf.lfItalic != 0;
  f.underline = lf.lfUnderline != 0;
  if (f.size <= 0) f.size = button_.Font().size;
  button_.Font(f);
}

void SkinButtonHost::ResolutionChanged() { SetPixelsPerInch(WindowDpi(Window())); }

void SkinButtonHost::SetPixelsPerInch(std::int32_t dpi) {
  if (!UpdateDpi(dpi)) return;
  text_ = std::make_unique<GdiTextRenderer>(dpi);
  Resized();
}

void SkinButtonHost::SetWindowShape(const ButtonShape& shape) {
  if (!Window() || shape.width <= 0 || shape.height <= 0) return;
  std::vector<RECT> rects;
  for (std::int32_t y = 0; y < shape.height; ++y) {
    std::int32_t x = 0;
    while (x < shape.width) {
      while (x < shape.width && !shape.Contains(x, y)) ++x;
      const std::int32_t start = x;
      while (x < shape.width && shape.Contains(x, y)) ++x;
      if (x > start) rects.push_back(RECT{start, y, x, y + 1});
    }
  }
  std::vector<std::uint8_t> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  RGNDATAHEADER header{};
  header.dwSize = sizeof(RGNDATAHEADER);
  header.iType = RDH_RECTANGLES;
  header.nCount = static_cast<DWORD>(rects.size());
  header.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  header.rcBound = RECT{0, 0, shape.width, shape.height};
  std::memcpy(data.data(), &header, sizeof header);
  if (!rects.empty()) std::memcpy(data.data() + sizeof header, rects.data(), rects.size() * sizeof(RECT));
  UniqueRegion region(ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                                      reinterpret_cast<const RGNDATA*>(data.data())));
  if (!region) return;
  // The window owns the region once SetWindowRgn succeeds.
  if (SetWindowRgn(Window(), region.get(), TRUE)) region.release();
}

bool SkinButtonHost::CaptureParent(std::int32_t width, std::int32_t height, Raster& out) {
  const HWND parent = Window() ? GetParent(Window()) : nullptr;
  if (!parent || width <= 0 || height <= 0) return false;
  RECT r{};
  GetWindowRect(Window(), &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  const int currentWidth = r.right - r.left;
  const int currentHeight = r.bottom - r.top;
  // Collapse the control so the parent paints what lies under it, then read those pixels.
  capturing_ = true;
  SetWindowPos(Window(), nullptr, 0, 0, currentWidth, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT under{r.left, r.top, r.left + width, r.top + height};
  RedrawWindow(parent, &under, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  bool ok = false;
  if (std::unique_ptr<DibRaster> snapshot = DibRaster::Create(width, height, DibRaster::Primitives::Raster)) {
    if (const UniqueWindowDc dc = WindowDc(parent)) {
      ok = BitBlt(snapshot->Dc(), 0, 0, width, height, dc.get(), r.left, r.top, SRCCOPY) != 0;
    }
    if (ok) {
      GdiFlush();
      out = Raster(width, height);
      std::vector<std::uint32_t> pixels;
      snapshot->ReadBlock(0, 0, width, height, pixels);
      out.WriteBlock(0, 0, width, height, pixels.data());
    }
  }
  SetWindowPos(Window(), nullptr, 0, 0, currentWidth, currentHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  capturing_ = false;
  return ok;
}

void SkinButtonHost::Resized() {
  if (!loaded_ || capturing_) return;
  const std::int32_t w = ClientWidth();
  const std::int32_t h = ClientHeight();
  if (!surface_ || surface_->Width() != w || surface_->Height() != h) {
    surface_ = DibRaster::Create(w, h, DibRaster::Primitives::Gdi);
  }
  button_.Resize();
}

void SkinButtonHost::Present(HDC dc) const {
  if (surface_) BitBlt(dc, 0, 0, surface_->Width(), surface_->Height(), surface_->Dc(), 0, 0, SRCCOPY);
}

void SkinButtonHost::MouseButton(UINT msg, WPARAM wParam, LPARAM lParam) {
  const float x = static_cast<float>(GET_X_LPARAM(lParam));
  const float y = static_cast<float>(GET_Y_LPARAM(lParam));
  std::int16_t button = kMouseLeft;
  bool down = true;
  switch (msg) {
    case WM_LBUTTONUP: down = false; break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: button = kMouseRight; break;
    case WM_RBUTTONUP: button = kMouseRight; down = false; break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: button = kMouseMiddle; break;
    case WM_MBUTTONUP: button = kMouseMiddle; down = false; break;
    default: break;
  }
  if (down) {
    if (GetFocus() != Window()) SetFocus(Window());
    SetCapture(Window());
    input_.PointerDown(button, ShiftState(), x, y);
    return;
  }
  if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetCapture() == Window()) {
    releasing_ = true;
    ReleaseCapture();
    releasing_ = false;
  }
  input_.PointerUp(button, ShiftState(), x, y);
}

SkinButtonHost* SkinButtonHost::ObjectFor(const CREATESTRUCTW&) {
  // Not the creation parameter: a dialog template hands its own creation data there.
  if (SkinButtonHost* host = std::exchange(t_creating, nullptr)) return host;
  // Made by CreateWindowEx or a dialog template: the window owns a host of its own.
  SkinButtonHost* host = std::make_unique<SkinButtonHost>(Key{}, Options{}).release();
  host->ownedByWindow_ = true;
  return host;
}

void SkinButtonHost::WindowDestroyed() {
  timerOn_ = false;
  DisconnectAccessible();
  if (ownedByWindow_) std::unique_ptr<SkinButtonHost>{this}.reset();
}

LRESULT SkinButtonHost::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      if (ownedByWindow_) LoadFromWindow(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
      return 0;
    case WM_SIZE:
      Resized();
      return 0;
    case WM_SHOWWINDOW:
      if (loaded_) {
        if (wParam) {
          button_.Show();
        } else {
          button_.Hide();
        }
      }
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintWith(msg, wParam, [this](HDC dc, const RECT&) { Present(dc); });
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        SetCursor(CurrentCursor());
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
      MouseButton(msg, wParam, lParam);
      return 0;
    case WM_LBUTTONDBLCLK:
      input_.DoubleClick();
      return 0;
    case WM_MOUSEMOVE:
      input_.PointerMove(HeldButtons(wParam), ShiftState(), static_cast<float>(GET_X_LPARAM(lParam)),
                         static_cast<float>(GET_Y_LPARAM(lParam)));
      return 0;
    case WM_TIMER:
      if (wParam == kHoverTimerId) {
        input_.TimerTick();
        return 0;
      }
      break;
    case WM_SETFOCUS:
      input_.FocusGained();
      return 0;
    case WM_KILLFOCUS:
      input_.FocusLost();
      return 0;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_BUTTON | (options_.isDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON) | DLGC_WANTARROWS;
      // Enter on the focused button comes to the button, which clicks itself (Click and BN_CLICKED).
      const auto* m = reinterpret_cast<const MSG*>(lParam);
      if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN:
      input_.KeyDown(static_cast<std::int16_t>(wParam), ShiftState());
      // Enter clicks a focused push button; a held key repeats no click.
      if (wParam == VK_RETURN && (lParam & (1 << 30)) == 0) input_.AccessKey();
      return 0;
    case WM_KEYUP:
      input_.KeyUp(static_cast<std::int16_t>(wParam), ShiftState());
      return 0;
    case WM_SYSKEYDOWN:
      input_.SystemKeyDown(static_cast<std::int16_t>(wParam), ShiftState());
      break;
    case WM_SYSKEYUP:
      input_.SystemKeyUp(static_cast<std::int16_t>(wParam), ShiftState());
      break;
    case WM_CHAR:
      input_.Char(static_cast<std::int16_t>(wParam));
      return 0;
    case WM_SYSCHAR: {
      MSG m{};
      m.hwnd = Window();
      m.message = msg;
      m.wParam = wParam;
      m.lParam = lParam;
      if (SkinButtonTranslateMessage(m)) return 0;
      break;
    }
    case WM_CAPTURECHANGED:
      if (!releasing_ && reinterpret_cast<HWND>(lParam) != Window()) input_.CancelPress();
      return 0;
    case WM_CANCELMODE:
      if (GetCapture() == Window()) ReleaseCapture();
      input_.CancelPress();
      return 0;
    case WM_ENABLE:
      if (button_.Enabled() != (wParam != 0)) button_.Enabled(wParam != 0);
      return 0;
    case WM_SETTEXT:
      DefaultMessage(msg, wParam, lParam);
      button_.Caption(Utf8Of(reinterpret_cast<const wchar_t*>(lParam)));
      return TRUE;
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(WideOf(button_.Caption()).size());
    case WM_GETTEXT: {
      auto* out = reinterpret_cast<wchar_t*>(lParam);
      if (!out || wParam == 0) return 0;
      const std::wstring text = WideOf(button_.Caption());
      const size_t n = std::min<size_t>(text.size(), wParam - 1);
      std::memcpy(out, text.data(), n * sizeof(wchar_t));
      out[n] = L'\0';
      return static_cast<LRESULT>(n);
    }
    case WM_SETFONT:
      SetFontFromHandle(reinterpret_cast<HFONT>(wParam));
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(windowFont_);
    case BM_CLICK:
      if (IsWindowEnabled(Window())) input_.AccessKey();
      return 0;
    case BM_GETCHECK:
      return button_.CheckBoxBehaviour() && button_.Value() ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      if (button_.CheckBoxBehaviour() && button_.Value() != (wParam == BST_CHECKED)) button_.Value(wParam == BST_CHECKED);
      return 0;
    case BM_GETSTATE: {
      LRESULT state = button_.CheckBoxBehaviour() && button_.Value() ? BST_CHECKED : BST_UNCHECKED;
      if (button_.LastState() == kStateDown) state |= BST_PUSHED;
      if (button_.HasFocus()) state |= BST_FOCUS;
      return state;
    }
    case BM_SETSTYLE:
      if ((wParam & 0x0F) == BS_DEFPUSHBUTTON || (wParam & 0x0F) == BS_PUSHBUTTON) {
        SetDefault((wParam & 0x0F) == BS_DEFPUSHBUTTON);
      }
      return 0;
    case WM_UPDATEUISTATE: {
      const LRESULT result = DefaultMessage(msg, wParam, lParam);
      // The parent's request itself decides (the platform may keep no state of its own when it always shows
      // cues); UIS_INITIALIZE leaves the choice to the platform.
      bool cues = focusCues_;
      if ((HIWORD(wParam) & UISF_HIDEFOCUS) != 0 && LOWORD(wParam) == UIS_SET) cues = false;
      if ((HIWORD(wParam) & UISF_HIDEFOCUS) != 0 && LOWORD(wParam) == UIS_CLEAR) cues = true;
      if (LOWORD(wParam) == UIS_INITIALIZE)
        cues = (SendMessageW(Window(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
      if (cues != focusCues_) {
        focusCues_ = cues;
        button_.PaintButton(button_.LastState(), true);
      }
      return result;
    }
    case kDpiChangedAfterParent:
      ResolutionChanged();
      return 0;
    case WM_GETOBJECT:
      // Screen readers ask for the button's own accessible object; anything else the system answers.
      if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT)) {
        if (!accessible_) accessible_ = new SkinButtonAccessible(Window(), *this);
        return AccessibleBase::Answer(accessible_, wParam);
      }
      break;
    case WM_SETTINGCHANGE:
      button_.AmbientChanged();
      break;
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
      button_.AmbientChanged();
      break;
    case WM_DESTROY:
      SetHoverTimer(false);
      break;
    default:
      break;
  }
  return DefaultMessage(msg, wParam, lParam);
}

}  // namespace kqm
