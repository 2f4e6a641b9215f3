#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bar_fixture.h"
#include "headless_display.h"
#include "controls/explorer_bar/win32/explorer_bar_accessible.h"
#include "controls/explorer_bar/win32/explorer_bar_host.h"
#include "platform/win32/dib_raster.h"

namespace kqm {
namespace {

using Keys = std::vector<std::string>;

// The common controls are loaded only once the test runs on its own desktop (see HeadlessDisplay).
template <typename F>
F CommonControl(const char* name) {
  static const HMODULE module = LoadLibraryW(L"comctl32.dll");
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
struct ImageListCloser {
  void operator()(HIMAGELIST h) const { CommonControl<BOOL(WINAPI*)(HIMAGELIST)>("ImageList_Destroy")(h); }
};
using UniqueImageList = UniqueHandle<HIMAGELIST, ImageListCloser>;

const bool kHeadless = test::RegisterHeadlessDisplay(L"ExplorerBarTests");

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class Parent {
 public:
  explicit Parent(bool visible) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"ExplorerBarTestParent";
    RegisterClassExW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"Bar test", WS_POPUP | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0),
                            50, 50, 500, 430, nullptr, nullptr, wc.hInstance, nullptr);
    if (visible) SetForegroundWindow(hwnd_);
  }
  ~Parent() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND get() const { return hwnd_; }
  void Destroy() { DestroyWindow(std::exchange(hwnd_, nullptr)); }

 private:
  HWND hwnd_;
};

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

// An image list of `count` square images, image i filled with colours[i].
UniqueImageList MakeImages(int size, const std::vector<COLORREF>& colours) {
  const auto create = CommonControl<HIMAGELIST(WINAPI*)(int, int, UINT, int, int)>("ImageList_Create");
  const auto add = CommonControl<int(WINAPI*)(HIMAGELIST, HBITMAP, HBITMAP)>("ImageList_Add");
  UniqueImageList list(create(size, size, ILC_COLOR32, static_cast<int>(colours.size()), 0));
  const HDC screen = GetDC(nullptr);
  for (COLORREF colour : colours) {
    const UniqueBitmap bitmap(CreateCompatibleBitmap(screen, size, size));
    const UniqueDc dc(CreateCompatibleDC(screen));
    const HGDIOBJ old = SelectObject(dc.get(), bitmap.get());
    const UniqueBrush brush(CreateSolidBrush(colour));
    const RECT r{0, 0, size, size};
    FillRect(dc.get(), &r, brush.get());
    SelectObject(dc.get(), old);
    add(list.get(), bitmap.get(), nullptr);
  }
  ReleaseDC(nullptr, screen);
  return list;
}

// What the bar paints, captured through WM_PRINTCLIENT into a 32-bit surface.
class Capture {
 public:
  Capture(HWND hwnd, int width, int height) : surface_(DibRaster::Create(width, height, DibRaster::Primitives::Gdi)) {
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface_->Dc()), PRF_CLIENT);
  }
  COLORREF At(int x, int y) const { return GetPixel(surface_->Dc(), x, y); }

 private:
  std::unique_ptr<DibRaster> surface_;
};

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

constexpr int kWidth = 197;
constexpr int kHeight = 418;

class ExplorerBarHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host = ExplorerBarHost::Create(parent.get(), 42, 0, 0, kWidth, kHeight);
    ASSERT_NE(host, nullptr);
    host->Bar().SetRedraw(false);
    test::FillNavigation(host->Bar());
    host->Bar().SetRedraw(true);
    log.Attach(host->Bar());
  }
  LPARAM Center(int group, int item) const {
    const PixelRect r = host->Bar().ItemRect(group, item);
    return MAKELPARAM(test::CenterX(r), test::CenterY(r));
  }
  Parent parent{false};
  std::unique_ptr<ExplorerBarHost> host;
  test::ClickLog log;
};

TEST_F(ExplorerBarHostTest, IsAChildWindowOfItsOwnClassSizedInTwips) {
  ASSERT_TRUE(RegisterExplorerBarClass());
  const HWND w = host->Window();
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  EXPECT_STREQ(name, kExplorerBarClassName);
  EXPECT_EQ(GetParent(w), parent.get());
  EXPECT_EQ(GetDlgCtrlID(w), 42);
  EXPECT_NE(GetWindowLongW(w, GWL_STYLE) & WS_TABSTOP, 0);
  EXPECT_EQ(ExplorerBarHost::FromWindow(w), host.get());
  EXPECT_EQ(ExplorerBarHost::FromWindow(parent.get()), nullptr);
  EXPECT_EQ(host->Bar().ClientWidth(), kWidth);
  EXPECT_EQ(host->Bar().Width(), MulDiv(kWidth, 1440, host->Bar().Dpi()));
  MoveWindow(w, 0, 0, 250, kHeight + 20, FALSE);
  EXPECT_EQ(host->Bar().ClientWidth(), 250);
  EXPECT_EQ(host->Bar().ClientHeight(), kHeight + 20);
  EXPECT_EQ(host->Bar().Width(), MulDiv(250, 1440, host->Bar().Dpi()));
}

TEST_F(ExplorerBarHostTest, MouseClickOnAnItemRaisesOneClickWithThatItem) {
  const HWND w = host->Window();
  SendMessageW(w, WM_MOUSEMOVE, 0, Center(0, 3));
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, Center(0, 3));
  EXPECT_EQ(GetCapture(), w);
  EXPECT_TRUE(log.keys.empty());
  SendMessageW(w, WM_LBUTTONUP, 0, Center(0, 3));
  EXPECT_NE(GetCapture(), w);
  EXPECT_EQ(log.keys, (Keys{"HKCUR"}));
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, Center(1, 0));
  SendMessageW(w, WM_LBUTTONUP, 0, Center(1, 1));
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, Center(2, 0));
  SendMessageW(w, WM_LBUTTONUP, 0, Center(2, 0));
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, Center(2, 0));
  SendMessageW(w, WM_LBUTTONUP, 0, Center(2, 0));
  EXPECT_EQ(log.keys, (Keys{"HKCUR", "HELP", "HELP"}));
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, Center(0, 0));
  SetCapture(parent.get());  // another window takes the mouse: the press is void
  SendMessageW(w, WM_LBUTTONUP, 0, Center(0, 0));
  ReleaseCapture();
  EXPECT_EQ(log.keys, (Keys{"HKCUR", "HELP", "HELP"}));
  EXPECT_FALSE(host->Bar().Pressed());
}

TEST_F(ExplorerBarHostTest, KeysMoveTheFocusAndEnterOrSpaceClick) {
  const HWND w = host->Window();
  EXPECT_NE(SendMessageW(w, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, 0);
  MSG enter{w, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  EXPECT_NE(SendMessageW(w, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE, 0);
  SendMessageW(w, WM_KEYDOWN, VK_DOWN, 1);
  SendMessageW(w, WM_KEYDOWN, VK_DOWN, 1);
  SendMessageW(w, WM_KEYDOWN, VK_RETURN, 1);
  SendMessageW(w, WM_KEYDOWN, VK_RETURN, 1 | (1 << 30));  // auto-repeat: no second click
  EXPECT_EQ(log.keys, (Keys{"HKLMRO"}));
  SendMessageW(w, WM_KEYDOWN, VK_END, 1);
  SendMessageW(w, WM_KEYDOWN, VK_UP, 1);
  SendMessageW(w, WM_KEYDOWN, VK_SPACE, 1);
  SendMessageW(w, WM_KEYDOWN, VK_HOME, 1);
  PostMessageW(w, WM_KEYDOWN, VK_RETURN, 1);
  Pump();
  EXPECT_EQ(log.keys, (Keys{"HKLMRO", "ENABLE", "HKLMR"}));
}

TEST_F(ExplorerBarHostTest, FocusFollowsTheWindowFocus) {
  Parent shown(true);
  auto bar = ExplorerBarHost::Create(shown.get(), 1, 0, 0, kWidth, kHeight);
  ASSERT_NE(bar, nullptr);
  SetFocus(bar->Window());
  if (GetFocus() != bar->Window()) GTEST_SKIP() << "this desktop gives no keyboard focus";
  EXPECT_TRUE(bar->Bar().HasFocus());
  test::FillNavigation(bar->Bar());
  SendMessageW(bar->Window(), WM_KEYDOWN, VK_DOWN, 1);
  const PixelRect r = bar->Bar().ItemRect(0, 0);
  const auto framed = [&] {
    const Capture image(bar->Window(), kWidth, kHeight);
    int dots = 0;
    for (int x = r.left; x < r.right; ++x) dots += image.At(x, r.top) != image.At(x, r.top + 1) ? 1 : 0;
    return dots;
  };
  SendMessageW(shown.get(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  EXPECT_GT(framed(), (r.right - r.left) / 4);  // the dotted focus rectangle
  SendMessageW(shown.get(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  // Where the system keeps keyboard cues on (Wine does), the window refuses to hide them.
  if (SendMessageW(bar->Window(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) {
    EXPECT_EQ(framed(), 0);  // a mouse user sees no focus cue
  }
  SetFocus(nullptr);
  EXPECT_FALSE(bar->Bar().HasFocus());
}

TEST_F(ExplorerBarHostTest, PaintsTheGradientHeadersAndIcons) {
  const auto groupIcons = MakeImages(32, {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)});
  const auto itemIcons = MakeImages(16, {RGB(255, 255, 0), RGB(255, 0, 255), RGB(0, 255, 255), RGB(10, 20, 30),
                                         RGB(1, 1, 1), RGB(2, 2, 2), RGB(200, 100, 0), RGB(0, 100, 200)});
  ASSERT_TRUE(groupIcons && itemIcons);
  ExplorerBar& bar = host->Bar();
  bar.SetGroupImageList(reinterpret_cast<std::intptr_t>(groupIcons.get()));
  bar.SetItemImageList(reinterpret_cast<std::intptr_t>(itemIcons.get()));
  const Capture image(host->Window(), kWidth, kHeight);
  EXPECT_TRUE(Near(image.At(1, 0), RGB(97, 167, 231), 2)) << std::hex << image.At(1, 0);
  EXPECT_TRUE(Near(image.At(1, kHeight - 1), RGB(14, 54, 90), 3)) << std::hex << image.At(1, kHeight - 1);
  const COLORREF middle = image.At(1, kHeight / 2);
  EXPECT_TRUE(Near(middle, RGB((97 + 14) / 2, (167 + 54) / 2, (231 + 90) / 2), 6)) << std::hex << middle;
  const auto layout = bar.Layout();
  EXPECT_EQ(image.At(layout[0].headerIcon.left + 16, layout[0].headerIcon.top + 16), RGB(255, 0, 0));
  EXPECT_EQ(image.At(layout[1].headerIcon.left + 16, layout[1].headerIcon.top + 16), RGB(0, 255, 0));
  EXPECT_EQ(image.At(layout[2].headerIcon.left + 16, layout[2].headerIcon.top + 16), RGB(0, 0, 255));
  const auto iconCentre = [&](int g, int i) {
    const PixelRect r = layout[static_cast<std::size_t>(g)].items[static_cast<std::size_t>(i)];
    return image.At(r.left + 2 + 8, r.top + (r.bottom - r.top) / 2);
  };
  EXPECT_EQ(iconCentre(0, 0), RGB(255, 255, 0));
  EXPECT_EQ(iconCentre(0, 5), RGB(255, 0, 255));
  EXPECT_EQ(iconCentre(0, 8), RGB(0, 255, 255));
  EXPECT_EQ(iconCentre(1, 1), RGB(0, 100, 200));
  EXPECT_EQ(iconCentre(2, 0), RGB(10, 20, 30));
  // The special group's header and an ordinary one are told apart.
  const PixelRect h0 = layout[0].header;
  const PixelRect h1 = layout[1].header;
  EXPECT_NE(image.At(h0.right - 2, h0.top + 1), image.At(h1.right - 2, h1.top + 1));
}

TEST_F(ExplorerBarHostTest, HoverAndCaptionsChangeThePicture) {
  const PixelRect r = host->Bar().ItemRect(0, 1);
  const auto countText = [&](const Capture& image) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += image.At(x, y) != image.At(r.right - 1, r.top) ? 1 : 0;
    return n;
  };
  const int plain = countText(Capture(host->Window(), kWidth, kHeight));
  EXPECT_GT(plain, 10);
  SendMessageW(host->Window(), WM_MOUSEMOVE, 0, Center(0, 1));
  const int hot = countText(Capture(host->Window(), kWidth, kHeight));
  EXPECT_GT(hot, plain);  // the hot item is underlined
  host->Bar().Groups().Item(0).Items().Item(1).SetCaption("");
  SendMessageW(host->Window(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
  EXPECT_EQ(countText(Capture(host->Window(), kWidth, kHeight)), 0);
}

TEST(ExplorerBarHostRedraw, RedrawOffLeavesNoRepaintPending) {
  Parent shown(true);  // hidden windows collect no update region
  auto host = ExplorerBarHost::Create(shown.get(), 1, 0, 0, kWidth, kHeight);
  ASSERT_NE(host, nullptr);
  const HWND w = host->Window();
  ValidateRect(w, nullptr);
  host->Bar().SetRedraw(false);
  test::FillNavigation(host->Bar());
  host->Bar().SetClientSize(kWidth, kHeight);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
  host->Bar().SetRedraw(true);
  EXPECT_TRUE(GetUpdateRect(w, nullptr, FALSE));
  Pump();
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
}

TEST_F(ExplorerBarHostTest, ScrollBarAndWheelAppearOnlyWhenTheGroupsDoNotFit) {
  const HWND w = host->Window();
  const auto scrollBarShown = [w] { return (GetWindowLongW(w, GWL_STYLE) & WS_VSCROLL) != 0; };
  EXPECT_FALSE(scrollBarShown());
  MoveWindow(w, 0, 0, kWidth, 200, FALSE);
  EXPECT_TRUE(scrollBarShown());
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(host->Bar().ClientWidth(), client.right);
  EXPECT_LT(client.right, kWidth);
  SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(host->Bar().ScrollOffset(), 3 * host->Bar().Metrics().itemHeight);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS | SIF_RANGE | SIF_PAGE;
  ASSERT_TRUE(GetScrollInfo(w, SB_VERT, &info));
  EXPECT_EQ(info.nPos, host->Bar().ScrollOffset());
  EXPECT_EQ(info.nMax + 1, host->Bar().ContentHeight());
  EXPECT_EQ(static_cast<int>(info.nPage), client.bottom);
  SendMessageW(w, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(host->Bar().ScrollOffset(), host->Bar().MaxScrollOffset());
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, Center(2, 0));
  SendMessageW(w, WM_LBUTTONUP, 0, Center(2, 0));
  EXPECT_EQ(log.keys, (Keys{"HELP"}));
  SendMessageW(w, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(host->Bar().ScrollOffset(), host->Bar().MaxScrollOffset() - host->Bar().Metrics().itemHeight);
  MoveWindow(w, 0, 0, kWidth, kHeight, FALSE);
  EXPECT_FALSE(scrollBarShown());
  EXPECT_EQ(host->Bar().ScrollOffset(), 0);
}

TEST_F(ExplorerBarHostTest, OutlivesItsParentWindowSafely) {
  const HWND w = host->Window();
  parent.Destroy();
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(host->Window(), nullptr);
  host->Bar().Groups().Item(0).SetSpecial(false);
  host.reset();
}

TEST_F(ExplorerBarHostTest, AScreenReaderReadsTheGroupsAndItemsAndCanClickThem) {
  CoInitialize(nullptr);
  SetWindowTextW(host->Window(), L"Navigation");
  IAccessible* acc = nullptr;
  ASSERT_EQ(S_OK, AccessibleObjectFromWindow(host->Window(), static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                             reinterpret_cast<void**>(&acc)));
  auto child = [](long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
  };
  auto name = [&](long id) {
    BSTR text = nullptr;
    acc->get_accName(child(id), &text);
    std::wstring out = text ? text : L"(none)";
    SysFreeString(text);
    return out;
  };
  auto longOf = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), long id) {
    VARIANT v;
    VariantInit(&v);
    (acc->*get)(child(id), &v);
    return v.vt == VT_I4 ? v.lVal : -1;
  };
  long count = 0;
  EXPECT_EQ(S_OK, acc->get_accChildCount(&count));
  EXPECT_EQ(15, count) << "three groups and twelve items";
  EXPECT_EQ(L"Navigation", name(CHILDID_SELF));
  EXPECT_EQ(ROLE_SYSTEM_OUTLINE, longOf(&IAccessible::get_accRole, CHILDID_SELF));
  EXPECT_EQ(L"Location", name(1));
  EXPECT_EQ(ROLE_SYSTEM_GROUPING, longOf(&IAccessible::get_accRole, 1));
  EXPECT_NE(0, longOf(&IAccessible::get_accState, 1) & STATE_SYSTEM_EXPANDED);
  EXPECT_EQ(L"HKLM\\Run", name(2));
  EXPECT_EQ(ROLE_SYSTEM_LINK, longOf(&IAccessible::get_accRole, 2));
  EXPECT_EQ(L"Help & About", name(14)) << "shown as the bar draws it";
  EXPECT_EQ(L"Help & About", name(15));
  EXPECT_EQ(S_OK, acc->accDoDefaultAction(child(5)));
  EXPECT_EQ((Keys{"HKCUR"}), log.keys) << "the default action is the click";
  EXPECT_EQ(S_OK, acc->accDoDefaultAction(child(11)));
  EXPECT_NE(0, longOf(&IAccessible::get_accState, 11) & STATE_SYSTEM_COLLAPSED) << "a group's action closes it";
  EXPECT_NE(0, longOf(&IAccessible::get_accState, 12) & STATE_SYSTEM_INVISIBLE);
  host.reset();
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, acc->get_accChildCount(&count)) << "no call reaches a bar that is gone";
  acc->Release();
  CoUninitialize();
}

}  // namespace
}  // namespace kqm
