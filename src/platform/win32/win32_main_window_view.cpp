#include "platform/win32/win32_main_window_view.h"

#include <windows.h>

#include "platform/text.h"

namespace kqm {

namespace {
constexpr wchar_t kClassName[] = L"KestrumQuorvelManagerMain";
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
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // a second registration fails harmlessly

  const HDC screen = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  RECT r{0, 0, MulDiv(clientWidthTwips, dpiX, 1440), MulDiv(clientHeightTwips, dpiY, 1440)};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  AdjustWindowRectEx(&r, style, FALSE, 0);
  hwnd_ = CreateWindowExW(0, kClassName, L"", style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                          r.bottom - r.top, nullptr, nullptr, instance, this);
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

}  // namespace kqm
