#include "controls/explorer_bar/win32/explorer_bar_host.h"

#include <commctrl.h>

#include <algorithm>

#include "controls/explorer_bar/win32/explorer_bar_accessible.h"
#include "platform/win32/dib_raster.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_wide_text.h"

namespace kqm {
namespace {

RECT ToRect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

void Fill(HDC dc, const PixelRect& r, ColorRef color) {
  const UniqueBrush brush(CreateSolidBrush(color));
  const RECT rect = ToRect(r);
  FillRect(dc, &rect, brush.get());
}

void FillGradient(HDC dc, int width, int height, ColorRef top, ColorRef bottom) {
  TRIVERTEX vertices[2] = {};
  vertices[0] = {0, 0, static_cast<COLOR16>(RedOf(top) << 8), static_cast<COLOR16>(GreenOf(top) << 8),
                 static_cast<COLOR16>(BlueOf(top) << 8), 0};
  vertices[1] = {width, height, static_cast<COLOR16>(RedOf(bottom) << 8), static_cast<COLOR16>(GreenOf(bottom) << 8),
                 static_cast<COLOR16>(BlueOf(bottom) << 8), 0};
  GRADIENT_RECT rect = {0, 1};
  GradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V);
}

void DrawCaption(HDC dc, const std::string& text, RECT rect, ColorRef color) {
  const std::wstring wide = Wide(text);
  SetTextColor(dc, color);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect,
            DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_LEFT);
}

UniqueFont MakeFont(int dpi, bool bold, bool underline) {
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfHeight = -MulDiv(8, dpi, 72);
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfUnderline = underline ? TRUE : FALSE;
  return UniqueFont(CreateFontIndirectW(&font));
}

// Image lists belong to the common controls, which the caller that made them has loaded. The function is
// looked up there rather than imported: loading the common controls at process start binds a process to its
// first desktop's display, which breaks programs (and tests) that move to a desktop of their own. It comes from
// System32 (or the side-by-side copy the manifest names), never from the program's folder.
void DrawImage(HIMAGELIST images, int index, HDC dc, int x, int y) {
  using DrawFunction = BOOL(WINAPI*)(HIMAGELIST, int, HDC, int, int, UINT);
  static const DrawFunction draw = [] {
    const HMODULE module = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<DrawFunction>(reinterpret_cast<void*>(GetProcAddress(module, "ImageList_Draw")))
                  : nullptr;
  }();
  if (draw) draw(images, index, dc, x, y, ILD_TRANSPARENT);
}

}  // namespace

bool RegisterExplorerBarClass() { return ExplorerBarHost::RegisterWindowClass(); }

std::unique_ptr<ExplorerBarHost> ExplorerBarHost::Create(HWND parent, int id, int x, int y, int width, int height,
                                                         const SystemColors* colors) {
  auto host = std::make_unique<ExplorerBarHost>(Key{});
  if (colors) host->colors_ = colors;
  ExplorerBarHost* self = host.get();
  host->bar_.OnInvalidate([self] {
    if (!self->Window()) return;
    self->SyncScrollBar();
    InvalidateRect(self->Window(), nullptr, FALSE);
  });
  host->SetDpi(WindowDpi(parent));
  host->bar_.SetClientSize(width, height);
  if (!host->CreateHandle(0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, x, y, width, height, parent, id))
    return nullptr;
  return host;
}

void ExplorerBarHost::SetDpi(int dpi) {
  if (dpi <= 0) return;
  UpdateDpi(dpi);
  bar_.SetDpi(dpi);
  bar_.SetMetrics(ExplorerBarMetrics::ForDpi(dpi));
}

ExplorerBarHost::~ExplorerBarHost() {
  DestroyHandle();
  if (accessible_) {
    accessible_->Disconnect();
    accessible_->Release();
  }
}

LRESULT ExplorerBarHost::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const int x = static_cast<short>(LOWORD(lParam));
  const int y = static_cast<short>(HIWORD(lParam));
  switch (message) {
    case WM_SIZE: {
      // The width the main window lays out by includes the scroll bar, which lies outside the client area.
      RECT window{};
      GetWindowRect(Window(), &window);
      bar_.SetFrameWidth(static_cast<int>(window.right - window.left) - LOWORD(lParam));
      bar_.SetClientSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      // A bar told not to redraw leaves the screen as it is; a request to print it is always answered.
      return PaintWith(message, wParam, [&](HDC dc, const RECT& clip) {
        if (message == WM_PRINTCLIENT || bar_.Redraw()) Paint(dc, clip);
      });
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Window(), 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
      }
      bar_.MouseMove(x, y);
      return 0;
    case WM_MOUSEWHEEL:
      bar_.MouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_VSCROLL:
      Scroll(LOWORD(wParam));
      return 0;
    case WM_MOUSELEAVE:
      tracking_ = false;
      bar_.MouseLeave();
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(Window());
      SetCapture(Window());
      bar_.MouseDown(x, y);
      return 0;
    case WM_LBUTTONUP:
      // Capture goes before the click (the click handler may open windows of its own); letting it go here is
      // not a lost capture, so the press stands.
      if (GetCapture() == Window()) {
        releasing_ = true;
        ReleaseCapture();
        releasing_ = false;
      }
      bar_.MouseUp(x, y);
      return 0;
    case WM_CAPTURECHANGED:
      if (!releasing_) bar_.MouseCancel();
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && bar_.Hover()) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));
        return TRUE;
      }
      break;
    case WM_UPDATEUISTATE:
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      // Focus cues, colours or high contrast changed: the bar is drawn again with them.
      InvalidateRect(Window(), nullptr, FALSE);
      break;
    case WM_SETFOCUS:
      bar_.SetHasFocus(true);
      return 0;
    case WM_GETOBJECT:
      // Screen readers ask for the bar's own accessible object; anything else the system answers.
      if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT)) {
        if (!accessible_) accessible_ = new ExplorerBarAccessible(Window(), bar_);
        return AccessibleBase::Answer(accessible_, wParam);
      }
      break;
    case WM_KILLFOCUS:
      bar_.SetHasFocus(false);
      return 0;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTARROWS;
      const auto* msg = reinterpret_cast<const MSG*>(lParam);
      if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN: {
      const bool repeat = (lParam & (1 << 30)) != 0;
      std::optional<ExplorerBarKey> key;
      switch (wParam) {
        case VK_UP: key = ExplorerBarKey::Up; break;
        case VK_DOWN: key = ExplorerBarKey::Down; break;
        case VK_HOME: key = ExplorerBarKey::Home; break;
        case VK_END: key = ExplorerBarKey::End; break;
        case VK_RETURN: if (!repeat) key = ExplorerBarKey::Enter; break;
        case VK_SPACE: if (!repeat) key = ExplorerBarKey::Space; break;
        default: break;
      }
      if (key && bar_.KeyDown(*key)) return 0;
      break;
    }
    default:
      break;
  }
  return DefaultMessage(message, wParam, lParam);
}

void ExplorerBarHost::SyncScrollBar() {
  // Showing or hiding the scroll bar resizes the client area, which comes back here through WM_SIZE.
  if (syncing_) return;
  syncing_ = true;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMax = std::max(0, bar_.ContentHeight() - 1);
  info.nPage = static_cast<UINT>(bar_.ClientHeight());
  info.nPos = bar_.ScrollOffset();
  SetScrollInfo(Window(), SB_VERT, &info, TRUE);
  syncing_ = false;
}

void ExplorerBarHost::Scroll(WORD request) {
  const int offset = bar_.ScrollOffset();
  const int line = bar_.Metrics().itemHeight;
  const int page = std::max(line, bar_.ClientHeight() - line);
  switch (request) {
    case SB_LINEUP: bar_.SetScrollOffset(offset - line); break;
    case SB_LINEDOWN: bar_.SetScrollOffset(offset + line); break;
    case SB_PAGEUP: bar_.SetScrollOffset(offset - page); break;
    case SB_PAGEDOWN: bar_.SetScrollOffset(offset + page); break;
    case SB_TOP: bar_.SetScrollOffset(0); break;
    case SB_BOTTOM: bar_.SetScrollOffset(bar_.MaxScrollOffset()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(Window(), SB_VERT, &info)) bar_.SetScrollOffset(info.nTrackPos);
      break;
    }
    default: break;
  }
}

void ExplorerBarHost::Paint(HDC target, const RECT& clip) {
  RECT client;
  GetClientRect(Window(), &client);
  const int width = client.right;
  const int height = client.bottom;
  if (width <= 0 || height <= 0) return;
  const UniqueDc dc(CreateCompatibleDC(target));
  const UniqueBitmap bitmap(CreateCompatibleBitmap(target, width, height));
  if (!dc || !bitmap) return;
  const SelectedObject bitmapIn = Select(dc.get(), bitmap.get());
  const UniqueFont plainFont = MakeFont(Dpi(), false, false);
  const UniqueFont hotFont = MakeFont(Dpi(), false, true);
  const UniqueFont boldFont = MakeFont(Dpi(), true, false);
  const ExplorerBarPalette colours = ExplorerBarColors(bar_, *colors_);
  const SelectedObject fontIn = Select(dc.get(), plainFont.get());
  SetBkMode(dc.get(), TRANSPARENT);

  FillGradient(dc.get(), width, height, colours.backStart, colours.backEnd);
  const auto groupImages = reinterpret_cast<HIMAGELIST>(bar_.GroupImageList());
  const auto itemImages = reinterpret_cast<HIMAGELIST>(bar_.ItemImageList());
  const ExplorerBarMetrics& m = bar_.Metrics();
  // Focus cues follow the window's keyboard-cue state: hidden for a user who has only used the mouse.
  const bool showFocus =
      bar_.HasFocus() && (SendMessageW(Window(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
  const auto layout = bar_.Layout();
  for (std::size_t g = 0; g < layout.size(); ++g) {
    const ExplorerBarGroup& group = bar_.Groups().Item(g);
    const ExplorerBarGroupLayout& entry = layout[g];
    Fill(dc.get(), entry.header, group.Special() ? colours.specialHeaderBack : colours.headerBack);
    if (entry.body.bottom > entry.body.top) Fill(dc.get(), entry.body, group.Special() ? colours.specialBodyBack : colours.bodyBack);
    RECT caption = ToRect(entry.header);
    caption.left += 6;
    if (groupImages && group.IconIndex() >= 0) {
      DrawImage(groupImages, group.IconIndex(), dc.get(), entry.headerIcon.left, entry.headerIcon.top);
      caption.left = entry.headerIcon.right + 4;
    }
    caption.right -= 18;
    {
      const SelectedObject bold = Select(dc.get(), boldFont.get());
      DrawCaption(dc.get(), group.DisplayText(), caption, group.Special() ? colours.specialHeaderText : colours.headerText);
    }
    // The expand/collapse chevron at the right of the header.
    const ColorRef arrowColor = group.Special() ? colours.specialHeaderText : colours.headerText;
    // Drawn in units of one pixel at 96 dots per inch, each `u` pixels square at the bar's resolution.
    const int u = std::max(1, (bar_.Dpi() + 48) / 96);
    const int cx = entry.header.right - 11 * u;
    const int cy = (entry.header.top + entry.header.bottom) / 2;
    for (int i = 0; i < 4; ++i) {
      const int row = group.Expanded() ? cy + (1 - i) * u : cy + (i - 2) * u;
      const PixelRect line{cx + (i - 3) * u, row, cx + (4 - i) * u, row + u};
      Fill(dc.get(), line, arrowColor);
    }
    for (std::size_t i = 0; i < entry.items.size(); ++i) {
      const ExplorerBarHit hit{ExplorerBarHit::Kind::Item, static_cast<int>(g), static_cast<int>(i)};
      const ExplorerBarItem& item = group.Items().Item(i);
      const PixelRect& r = entry.items[i];
      const bool hot = bar_.Hover() == hit;
      const bool pressed = bar_.Pressed() == hit;
      if (pressed) Fill(dc.get(), r, colours.itemPressedBack);
      RECT text = ToRect(r);
      text.left += 2;
      if (itemImages && item.IconIndex() >= 0) {
        DrawImage(itemImages, item.IconIndex(), dc.get(), r.left + 2, r.top + (m.itemHeight - m.itemIconSize) / 2);
        text.left = r.left + 2 + m.itemIconSize + 6;
      }
      const SelectedObject font = Select(dc.get(), hot ? hotFont.get() : plainFont.get());
      DrawCaption(dc.get(), item.DisplayText(), text,
                  pressed ? colours.itemPressedText : hot ? colours.itemHotText : colours.itemText);
      if (showFocus && bar_.FocusedItem() == hit) {
        const RECT focus = ToRect(r);
        SetTextColor(dc.get(), RGB(0, 0, 0));
        SetBkColor(dc.get(), RGB(255, 255, 255));
        DrawFocusRect(dc.get(), &focus);
      }
    }
  }
  BitBlt(target, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, dc.get(), clip.left, clip.top,
         SRCCOPY);
}

}  // namespace kqm
