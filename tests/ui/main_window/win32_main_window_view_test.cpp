#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win32_list_view.h"
#include "platform/win32/win32_main_window_view.h"

namespace kqm {
namespace {

int ScreenDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

TEST(Win32MainWindowView, ClientSizeCaptionResizeAndClose) {
  LoadLibraryW(L"comctl32.dll");
  Win32MainWindowView view;
  int unloads = 0, resizes = 0;
  view.Create(8625, 6270, [&] { ++unloads; });
  ASSERT_NE(0, view.NativeHandle());
  const int dpi = ScreenDpi();
  EXPECT_EQ(MulDiv(MulDiv(8625, dpi, 1440), 1440, dpi), view.ClientWidth());
  EXPECT_EQ(MulDiv(MulDiv(6270, dpi, 1440), 1440, dpi), view.ClientHeight());

  view.SetCaption("Kestrum Quorvel Manager 1.0 Build 45 – Zürich");
  EXPECT_EQ("Kestrum Quorvel Manager 1.0 Build 45 – Zürich", view.Caption());

  view.OnResize([&] { ++resizes; });
  RECT r;
  GetWindowRect(view.Handle(), &r);
  SetWindowPos(view.Handle(), nullptr, 0, 0, r.right - r.left + 40, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_GE(resizes, 1);
  EXPECT_EQ(MulDiv(MulDiv(8625, dpi, 1440) + 40, 1440, dpi), view.ClientWidth());

  SendMessageW(view.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(1, unloads) << "closing runs the unload handler";
  EXPECT_TRUE(IsWindow(view.Handle())) << "the unload handler decides what happens to the window";
  view.Destroy();
  EXPECT_EQ(0, view.NativeHandle());
}

TEST(Win32MainWindowView, AListOnTheWindowHearsItsOwnTickChanges) {
  LoadLibraryW(L"comctl32.dll");
  Win32MainWindowView view;
  view.Create(8625, 6270, [] {});
  Win32ListView list(view.Handle(), 1, 2955, 270, 4335, 4395, nullptr);
  std::vector<std::string> events;
  list.OnItemCheck([&](ListItem& row) { events.push_back(row.Text() + (row.Checked() ? " on" : " off")); });
  list.Add("a", 1)->Checked(true);
  list.Select(1);
  SendMessageW(list.Handle(), WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(list.Handle(), WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ((std::vector<std::string>{"a on", "a off"}), events);
}

TEST(Win32MainWindowView, TheFocusComesBackToTheControlThatHadIt) {
  Win32MainWindowView view;
  view.Create(8625, 6270, [] {});
  view.Show();
  const auto button = [&](int id) {
    return CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, id * 30, 80, 25, view.Handle(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  };
  button(1);
  const HWND second = button(2);
  button(3);
  SetFocus(second);
  // Deactivated (Alt+Tab away), then activated again, which focuses the window itself first (as the default
  // handling of WM_ACTIVATE does on Windows).
  SendMessageW(view.Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  SetFocus(view.Handle());
  EXPECT_EQ(second, GetFocus()) << "not the first tab stop";
}

TEST(Win32MainWindowView, MovingToAMonitorOfAnotherResolutionTakesTheSuggestedPlaceAndMeasuresInIt) {
  Win32MainWindowView view;
  view.Create(8625, 6270, [] {});
  std::vector<std::string> calls;
  view.OnDisplayChange([&](int dpi) { calls.push_back("dpi " + std::to_string(dpi)); });
  view.OnResize([&] { calls.push_back("layout"); });
  RECT suggested{30, 40, 30 + 900, 40 + 700};
  SendMessageW(view.Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  RECT now{};
  GetWindowRect(view.Handle(), &now);
  EXPECT_EQ(now.left, 30);
  EXPECT_EQ(now.top, 40);
  EXPECT_EQ(now.right - now.left, 900);
  EXPECT_EQ(now.bottom - now.top, 700);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "dpi 192") << "the controls learn the resolution before anything is laid out";
  EXPECT_EQ(calls.back(), "layout") << "and are laid out again in the new size";
  RECT client{};
  GetClientRect(view.Handle(), &client);
  EXPECT_EQ(view.ClientWidth(), MulDiv(client.right, 1440, 192)) << "twips at the new resolution";
  // No suggestion (as a message from another process carries none): the window scales its client area.
  SendMessageW(view.Handle(), 0x02E0, MAKEWPARAM(96, 96), 0);
  RECT halved{};
  GetClientRect(view.Handle(), &halved);
  EXPECT_EQ(halved.right, MulDiv(client.right, 96, 192));
  GetWindowRect(view.Handle(), &now);
  EXPECT_EQ(now.left, 30);
}

}  // namespace
}  // namespace kqm
