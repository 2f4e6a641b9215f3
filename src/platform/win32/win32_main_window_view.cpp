#include "platform/win32/win32_main_window_view.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "platform/text.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_list_view.h"
#include "platform/win32/win32_wide_text.h"

namespace kqm {

namespace {
constexpr wchar_t kClassName[] = L"KestrumQuorvelManagerMain";
// Posted to itself: run the work queued by RunSoon.
constexpr UINT kRunSoon = WM_APP + 1;
// The timer that runs the work queued by RunWhenIdle.
constexpr UINT_PTR kIdleTimer = 0x4B51;
// WM_DPICHANGED, declared by the headers only for newer Windows versions than the build targets.
constexpr UINT kDpiChanged = 0x02E0;
}

Win32MainWindowView::~Win32MainWindowView() { Destroy(); }

intptr_t __stdcall Win32MainWindowView::WndProc(HWND hwnd, unsigned msg, uintptr_t wParam, intptr_t lParam) {
  auto* self = reinterpret_cast<Win32MainWindowView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    self = static_cast<Win32MainWindowView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (msg == WM_CLOSE && self && self->onUnload_) {
    self->onUnload_();  // the unload handler ends the process
    return 0;
  }
  if (msg == WM_SIZE && self && self->onResize_) {
    if (std::function<void()> handler = self->onResize_) handler();
    return 0;
  }
  if (msg == WM_ACTIVATE && self && LOWORD(wParam) == WA_INACTIVE) {
    // Another window takes over: remember where the focus was, to give it back there.
    const HWND focus = GetFocus();
    if (focus && IsChild(hwnd, focus)) self->lastFocus_ = focus;
  }
  if (msg == WM_SETFOCUS) {
    // The window itself takes no keys: the focus goes back to the control that had it, else on to the first
    // control that takes Tab.
    if (self && self->lastFocus_ && IsWindow(self->lastFocus_) && IsChild(hwnd, self->lastFocus_) &&
        IsWindowVisible(self->lastFocus_) && IsWindowEnabled(self->lastFocus_))
      SetFocus(self->lastFocus_);
    else if (const HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE))
      SetFocus(first);
    return 0;
  }
  if (msg == WM_NOTIFY) {
    // Controls learn of their own notifications (the list of its tick changes) from this reflection.
    return Win32ListView::ReflectNotify(wParam, lParam);
  }
  if (msg == kRunSoon && self) {
    std::vector<std::function<void()>> work;
    work.swap(self->soon_);
    for (auto& w : work) w();
    return 0;
  }
  if (msg == WM_TIMER && wParam == kIdleTimer && self) {
    // One piece of work per tick, so input and painting come between pieces.
    if (self->idle_.empty()) {
      KillTimer(hwnd, kIdleTimer);
      return 0;
    }
    std::function<void()> work = std::move(self->idle_.front());
    self->idle_.erase(self->idle_.begin());
    if (self->idle_.empty()) KillTimer(hwnd, kIdleTimer);
    work();
    return 0;
  }
  if (msg == kDpiChanged && self) {
    // The window went to a monitor of another resolution: everything is measured again for it, the window takes
    // the place the system suggests (its size at the new resolution), and the controls are laid out again.
    const int old = self->dpi_;
    self->dpi_ = LOWORD(wParam) > 0 ? LOWORD(wParam) : 96;
    self->dpiY_ = HIWORD(wParam) > 0 ? HIWORD(wParam) : self->dpi_;
    if (std::function<void(int)> handler = self->onDisplayChange_) handler(self->dpi_);
    // Without a suggestion the window keeps its corner and scales its client area.
    RECT r{};
    if (lParam) {
      r = *reinterpret_cast<const RECT*>(lParam);
    } else {
      RECT window{}, client{};
      GetWindowRect(hwnd, &window);
      GetClientRect(hwnd, &client);
      r = {0, 0, MulDiv(client.right, self->dpi_, old), MulDiv(client.bottom, self->dpi_, old)};
      AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
      OffsetRect(&r, window.left - r.left, window.top - r.top);
    }
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (std::function<void()> handler = self->onResize_) handler();
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
  }
  if (msg == WM_SYSCOLORCHANGE || msg == WM_SETTINGCHANGE) {
    // Only top-level windows hear of these; every control inside (all levels) is told as well.
    MSG m{hwnd, msg, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam), 0, {}};
    EnumChildWindows(hwnd, [](HWND child, LPARAM p) {
      const MSG* f = reinterpret_cast<const MSG*>(p);
      SendMessageW(child, f->message, f->wParam, f->lParam);
      return TRUE;
    }, reinterpret_cast<LPARAM>(&m));
    if (self && self->onDisplayChange_) {
      if (std::function<void(int)> handler = self->onDisplayChange_) handler(self->dpi_);
    }
  }
  if (msg == WM_DESTROY && self) self->hwnd_ = nullptr;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Win32MainWindowView::Create(int clientWidthTwips, int clientHeightTwips, std::function<void()> onUnload) {
  onUnload_ = std::move(onUnload);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = reinterpret_cast<WNDPROC>(&WndProc);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  // The program's icon, big and small, each from the image drawn for its size.
  wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                           GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                             LR_DEFAULTCOLOR));
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // a second registration fails harmlessly

  // Before the window exists, the resolution of the screen it opens on.
  dpi_ = dpiY_ = WindowDpi(nullptr);
  RECT r{0, 0, MulDiv(clientWidthTwips, dpi_, 1440), MulDiv(clientHeightTwips, dpiY_, 1440)};
  // WS_EX_CONTROLPARENT lets the dialog manager in the message loop move the focus with Tab among the controls.
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_CONTROLPARENT;
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  hwnd_ = CreateWindowExW(exStyle, kClassName, L"", style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                          r.bottom - r.top, nullptr, nullptr, instance, this);
  // Without a display (or a desktop to show it on) there is no window to build on: say so, do not go on.
  if (!hwnd_)
    throw std::runtime_error("The main window could not be created (error " + std::to_string(GetLastError()) +
                             "); is there a display?");
  dpi_ = dpiY_ = WindowDpi(hwnd_);
}

void Win32MainWindowView::SetCaption(const std::string& caption) {
  SetWindowTextW(hwnd_, reinterpret_cast<const wchar_t*>(Utf8ToUtf16(caption).c_str()));
}

std::string Win32MainWindowView::Caption() const {
  std::u16string buf(GetWindowTextLengthW(hwnd_) + 1, u'\0');
  const int n = GetWindowTextW(hwnd_, reinterpret_cast<wchar_t*>(buf.data()), static_cast<int>(buf.size()));
  buf.resize(n > 0 ? n : 0);
  return Utf16ToUtf8(buf);
}

void Win32MainWindowView::Show() {
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
}

void Win32MainWindowView::Hide() { ShowWindow(hwnd_, SW_HIDE); }

void Win32MainWindowView::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

int32_t Win32MainWindowView::ToTwips(int pixels) const { return MulDiv(pixels, 1440, dpi_); }

int32_t Win32MainWindowView::ClientWidth() const {
  RECT r{};
  if (hwnd_) GetClientRect(hwnd_, &r);
  return ToTwips(r.right);
}

int32_t Win32MainWindowView::ClientHeight() const {
  RECT r{};
  if (hwnd_) GetClientRect(hwnd_, &r);
  return ToTwips(r.bottom);
}

void Win32MainWindowView::MessageBoxOk(const std::string& title, const std::string& text) {
  MessageBoxW(hwnd_, Wide(text).c_str(), Wide(title).c_str(), MB_OK | MB_ICONWARNING);
}

bool Win32MainWindowView::AskYesNo(const std::string& title, const std::string& text) {
  return MessageBoxW(hwnd_, Wide(text).c_str(), Wide(title).c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) ==
         IDYES;
}

void Win32MainWindowView::RunSoon(std::function<void()> work) {
  soon_.push_back(std::move(work));
  if (soon_.size() == 1 && hwnd_) PostMessageW(hwnd_, kRunSoon, 0, 0);
}

void Win32MainWindowView::RunWhenIdle(std::function<void()> work) {
  idle_.push_back(std::move(work));
  if (idle_.size() == 1 && hwnd_) SetTimer(hwnd_, kIdleTimer, USER_TIMER_MINIMUM, nullptr);
}

}  // namespace kqm
