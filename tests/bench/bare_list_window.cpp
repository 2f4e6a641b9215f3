// The floor of the program's start-up: a bare top-level window of the main window's size with a report list with
// tick boxes and two columns, shown and painted, then a message loop. Closing it ends the process.
#include <windows.h>

#include <commctrl.h>

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"KqmBareListWindow";
  RegisterClassExW(&wc);
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  RECT r{0, 0, MulDiv(8625, dpi, 1440), MulDiv(6270, dpi, 1440)};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, FALSE, 0);
  const HWND top = CreateWindowExW(0, wc.lpszClassName, L"Bare list window", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                   CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                   instance, nullptr);
  const HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"",
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER,
                                    MulDiv(2940, dpi, 1440), MulDiv(270, dpi, 1440), MulDiv(4335, dpi, 1440),
                                    MulDiv(4395, dpi, 1440), top, nullptr, instance, nullptr);
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  for (int c = 0; c < 2; ++c) {
    LVCOLUMNW col{};
    col.mask = LVCF_WIDTH | LVCF_SUBITEM;
    col.cx = MulDiv(2000, dpi, 1440);
    col.iSubItem = c;
    ListView_InsertColumn(list, c, &col);
  }
  ShowWindow(top, SW_SHOWNORMAL);
  UpdateWindow(top);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
