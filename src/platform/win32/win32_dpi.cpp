#include "platform/win32/win32_dpi.h"

#include <windows.h>

namespace kqm {

int WindowDpi(HWND hwnd) {
  // Looked up rather than imported: older systems have no such function.
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (hwnd && dpiForWindow) {
    const UINT dpi = dpiForWindow(hwnd);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  int dpi = 96;
  if (const HDC screen = GetDC(nullptr)) {
    dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? dpi : 96;
}

int ScaleForDpi(int value, int dpi) { return MulDiv(value, dpi, 96); }

}  // namespace kqm
