#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/skin_button/button_paint.h"
#include "headless_display.h"
#include "controls/skin_button/property_bag.h"
#include "controls/skin_button/win32/skin_button_host.h"
#include "platform/win32/win32_accessible.h"

namespace kqm {
namespace {

using Log = std::vector<std::string>;

struct Recorder : sknButtonEvents {
  Log log;
  void Click() override { log.push_back("Click"); }
  void MouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) override { Mouse("MouseDown", b, s, x, y); }
  void MouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) override { Mouse("MouseUp", b, s, x, y); }
  void MouseMove(std::int16_t& b, std::int16_t&, float&, float&) override {
    log.push_back("MouseMove " + std::to_string(b));
  }
  void KeyDown(std::int16_t& k, std::int16_t&) override { log.push_back("KeyDown " + std::to_string(k)); }
  void KeyUp(std::int16_t& k, std::int16_t&) override { log.push_back("KeyUp " + std::to_string(k)); }
  void KeyPress(std::int16_t& k) override { log.push_back("KeyPress " + std::to_string(k)); }
  void MouseOver() override { log.push_back("MouseOver"); }
  void MouseOut() override { log.push_back("MouseOut"); }
  void Mouse(const char* name, std::int16_t b, std::int16_t s, float x, float y) {
    log.push_back(std::string(name) + " " + std::to_string(b) + " " + std::to_string(s) + " " +
                  std::to_string(static_cast<int>(x)) + " " + std::to_string(static_cast<int>(y)));
  }
  Log Take() { return std::exchange(log, {}); }
};

const bool kHeadless = test::RegisterHeadlessDisplay(L"SkinButtonTests");

// WM_COMMAND notifications the test parents and dialogs received: "id code".
Log g_commands;

std::string Command(WPARAM wParam) {
  return std::to_string(LOWORD(wParam)) + (HIWORD(wParam) == BN_CLICKED ? " BN_CLICKED" : " other");
}

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND) g_commands.push_back(Command(wParam));
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

constexpr ColorRef kParentColour = Rgb(0, 128, 64);

// A top-level window the buttons live in, painted in one solid colour.
class Parent {
 public:
  explicit Parent(bool visible) {
    static UniqueBrush brush(CreateSolidBrush(kParentColour));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = brush.get();
    wc.lpszClassName = L"SkinButtonTestParent";
    RegisterClassExW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"Skin button test", WS_POPUP | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0),
                            100, 100, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    if (visible) {
      SetForegroundWindow(hwnd_);
      UpdateWindow(hwnd_);
    }
  }
  ~Parent() { DestroyWindow(hwnd_); }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// Runs the message loop as a container does, access keys included.
void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  do {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (SkinButtonHost::TranslateAccessKey(m)) continue;
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    Sleep(1);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

// Pumps messages until the condition holds or the time is up.
template <typename F>
bool PumpUntil(F done, DWORD ms = 2000) {
  const DWORD end = GetTickCount() + ms;
  while (!done()) {
    if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
    Pump(5);
  }
  return true;
}

std::unique_ptr<SkinButtonHost> MakeButton(HWND parent, int id, int x, const std::string& caption,
                                           SkinButtonHost::Options options = {}) {
  TextPropertyBag bag;
  bag.WriteString("TX", caption);
  return SkinButtonHost::Create(parent, id, x, 10, 80, 24, options, &bag);
}

std::int64_t RegionPixels(HWND hwnd, int w, int h, HRGN rgn) {
  if (GetWindowRgn(hwnd, rgn) == ERROR) return -1;
  std::int64_t n = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) n += PtInRegion(rgn, x, y) ? 1 : 0;
  return n;
}

TEST(SkinButtonHost, RegistersItsClassAndHostsTheButtonInAChildWindow) {
  ASSERT_TRUE(RegisterSkinButtonClass());
  ASSERT_TRUE(RegisterSkinButtonClass());
  Parent parent(false);
  auto host = MakeButton(parent.get(), 7, 10, "Hello");
  ASSERT_NE(host, nullptr);
  wchar_t name[64] = {};
  GetClassNameW(host->Window(), name, 64);
  EXPECT_STREQ(name, L"KestrumQuorvelManager.sknButton");
  EXPECT_EQ(GetParent(host->Window()), parent.get());
  EXPECT_EQ(GetDlgCtrlID(host->Window()), 7);
  EXPECT_EQ(host->Button().hWnd(), reinterpret_cast<std::uintptr_t>(host->Window()));
  EXPECT_EQ(SkinButtonHost::FromWindow(host->Window()), host.get());
  EXPECT_EQ(SkinButtonHost::FromWindow(parent.get()), nullptr);
  EXPECT_EQ(host->Button().Caption(), "Hello");
  ASSERT_NE(host->Image(), nullptr);
  EXPECT_EQ(host->Image()->Width(), 80);
  EXPECT_EQ(host->Image()->Height(), 24);
  EXPECT_TRUE(IsWindowVisible(host->Window()) || !IsWindowVisible(parent.get()));
}

TEST(SkinButtonHost, RealMouseMessagesRaiseEventsInOrder) {
  Parent parent(false);
  auto host = MakeButton(parent.get(), 1, 10, "Click");
  Recorder events;
  host->Button().SetEvents(&events);
  const HWND w = host->Window();
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  EXPECT_EQ(host->Button().LastState(), kStateDown);
  EXPECT_EQ(GetCapture(), w);
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
  EXPECT_NE(GetCapture(), w);
  EXPECT_EQ(events.Take(), (Log{"MouseDown 1 0 5 6", "MouseUp 1 0 5 6", "Click"}));
  SendMessageW(w, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 6));
  EXPECT_EQ(GetCapture(), w);
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
  EXPECT_EQ(events.Take(), (Log{"MouseDown 1 0 0 0", "MouseUp 1 0 5 6"}));
  SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(70, 20));
  SendMessageW(w, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(71, 20));
  SendMessageW(w, WM_RBUTTONUP, 0, MAKELPARAM(70, 20));
  EXPECT_EQ(events.Take(), (Log{"MouseDown 2 0 70 20", "MouseMove 2", "MouseUp 2 0 70 20"}));
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(200, 6));  // released outside: no click
  EXPECT_EQ(events.Take(), (Log{"MouseDown 1 0 5 6", "MouseUp 1 0 200 6"}));
}

TEST(SkinButtonHost, KeyboardMessagesClickWithSpace) {
  Parent parent(false);
  auto host = MakeButton(parent.get(), 1, 10, "Keys");
  Recorder events;
  host->Button().SetEvents(&events);
  const HWND w = host->Window();
  EXPECT_EQ(SendMessageW(w, WM_GETDLGCODE, 0, 0),
            static_cast<LRESULT>(DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON | DLGC_WANTARROWS));
  SendMessageW(w, WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(w, WM_CHAR, L' ', 0);
  SendMessageW(w, WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ(events.Take(), (Log{"KeyDown 32", "KeyPress 32", "KeyUp 32", "Click"}));
  // Keys with Alt held raise their events too (and go on to the system).
  SendMessageW(w, WM_SYSKEYDOWN, 'X', 1 << 29);
  SendMessageW(w, WM_SYSKEYUP, 'X', 1 << 29);
  EXPECT_EQ(events.Take(), (Log{"KeyDown 88", "KeyUp 88"}));
  // Enter on the focused button clicks it.
  SendMessageW(w, WM_KEYDOWN, VK_RETURN, 0);
  SendMessageW(w, WM_KEYDOWN, VK_RETURN, 1 << 30);  // held: no second click
  EXPECT_EQ(events.Take(), (Log{"KeyDown 13", "Click", "KeyDown 13"}));
}

TEST(SkinButtonHost, CheckBoxModeTogglesThroughRealClicksWithoutPropertyNotification) {
  Parent parent(false);
  auto host = MakeButton(parent.get(), 1, 10, "Check");
  host->Button().CheckBoxBehaviour(true);
  std::vector<std::string> changed;
  host->OnPropertyChanged([&](std::string_view k) { changed.emplace_back(k); });
  SendMessageW(host->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  SendMessageW(host->Window(), WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
  EXPECT_TRUE(host->Button().Value());
  EXPECT_EQ(host->Button().LastState(), kStateDown);
  EXPECT_TRUE(changed.empty());
  host->Button().Caption("Now");
  EXPECT_EQ(changed, (std::vector<std::string>{"TX"}));
}

TEST(SkinButtonHost, ArrowKeysMoveTheFocusAlongTheTabOrder) {
  Parent parent(true);
  auto a = MakeButton(parent.get(), 1, 10, "A");
  auto b = MakeButton(parent.get(), 2, 100, "B");
  auto c = MakeButton(parent.get(), 3, 190, "C");
  SetFocus(a->Window());
  ASSERT_EQ(GetFocus(), a->Window());
  EXPECT_TRUE(a->Button().HasFocus());
  SendMessageW(a->Window(), WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(GetFocus(), b->Window());
  EXPECT_FALSE(a->Button().HasFocus());
  EXPECT_TRUE(b->Button().HasFocus());
  SendMessageW(b->Window(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(GetFocus(), c->Window());
  SendMessageW(c->Window(), WM_KEYDOWN, VK_UP, 0);
  SendMessageW(b->Window(), WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_EQ(GetFocus(), a->Window());
}

TEST(SkinButtonHost, AccessKeysDefaultAndCancelReachTheirButtons) {
  Parent parent(true);
  SkinButtonHost::Options def;
  def.isDefault = true;
  SkinButtonHost::Options cancel;
  cancel.isCancel = true;
  auto readme = MakeButton(parent.get(), 1, 10, "&Readme", def);
  auto web = MakeButton(parent.get(), 2, 100, "Visit W&eb", cancel);
  Recorder r1, r2;
  readme->Button().SetEvents(&r1);
  web->Button().SetEvents(&r2);
  EXPECT_EQ(web->AccessKeys(), L"E");
  MSG m{};
  m.hwnd = parent.get();
  m.message = WM_SYSCHAR;
  m.wParam = L'e';
  EXPECT_TRUE(SkinButtonHost::TranslateAccessKey(m));
  m.wParam = L'x';
  EXPECT_FALSE(SkinButtonHost::TranslateAccessKey(m));
  EXPECT_EQ(r2.Take(), Log{"Click"});
  EXPECT_EQ(r1.Take(), Log{});
  // Alt+R typed while another skinned button has the focus.
  SetFocus(web->Window());
  SendMessageW(web->Window(), WM_SYSCHAR, L'R', 0);
  EXPECT_EQ(r1.Take(), Log{"Click"});
  // Enter and Escape with the focus on the parent itself.
  SetFocus(parent.get());
  m.message = WM_KEYDOWN;
  m.wParam = VK_RETURN;
  EXPECT_TRUE(SkinButtonHost::TranslateAccessKey(m));
  m.wParam = VK_ESCAPE;
  EXPECT_TRUE(SkinButtonHost::TranslateAccessKey(m));
  EXPECT_EQ(r1.Take(), Log{"Click"});
  EXPECT_EQ(r2.Take(), Log{"Click"});
  // A disabled button's access key does nothing.
  readme->Button().Enabled(false);
  m.message = WM_SYSCHAR;
  m.wParam = L'r';
  EXPECT_FALSE(SkinButtonHost::TranslateAccessKey(m));
}

TEST(SkinButtonHost, WindowShapeFollowsTheButtonType) {
  Parent parent(false);
  auto host = MakeButton(parent.get(), 1, 10, "Shape");
  UniqueRegion rgn(CreateRectRgn(0, 0, 0, 0));
  host->Button().ButtonType(sknButtonType::btFramedBevel);
  EXPECT_EQ(RegionPixels(host->Window(), 80, 24, rgn.get()), 80 * 24 - 4);
  EXPECT_FALSE(PtInRegion(rgn.get(), 0, 0));
  EXPECT_FALSE(PtInRegion(rgn.get(), 79, 23));
  EXPECT_TRUE(PtInRegion(rgn.get(), 1, 0));
  host->Button().ButtonType(sknButtonType::btRoundedGradient);
  EXPECT_EQ(RegionPixels(host->Window(), 80, 24, rgn.get()), 80 * 24 - 12);
  host->Button().ButtonType(sknButtonType::btOval);
  ButtonLook look = host->Button().Look();
  const ButtonShape oval = MakeRegion(look);
  EXPECT_EQ(RegionPixels(host->Window(), 80, 24, rgn.get()), oval.PixelCount());
  EXPECT_FALSE(PtInRegion(rgn.get(), 0, 0));
  EXPECT_TRUE(PtInRegion(rgn.get(), 40, 12));
  // The container resizes the control: a new image and shape of the new size.
  host->Button().ButtonType(sknButtonType::btFramedBevel);
  SetWindowPos(host->Window(), nullptr, 0, 0, 120, 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_NE(host->Image(), nullptr);
  EXPECT_EQ(host->Image()->Width(), 120);
  EXPECT_EQ(host->Image()->Height(), 30);
  EXPECT_EQ(RegionPixels(host->Window(), 120, 30, rgn.get()), 120 * 30 - 4);
}

TEST(SkinButtonHost, WindowShowsTheImageThePainterDrew) {
  Parent parent(false);
  auto host = MakeButton(parent.get(), 1, 10, "Image");
  const DibRaster* image = host->Image();
  ASSERT_NE(image, nullptr);
  // The classic type draws a highlight top-left and a dark shadow bottom-right.
  const ButtonColors& colours = host->Button().Painter().Colors();
  EXPECT_EQ(image->Pixel(0, 0), colours.cHighlight);
  EXPECT_EQ(image->Pixel(79, 23), colours.cDarkShadow);
  std::unique_ptr<DibRaster> copy = DibRaster::Create(80, 24, DibRaster::Primitives::Raster, Rgb(1, 2, 3));
  SendMessageW(host->Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(copy->Dc()), PRF_CLIENT);
  GdiFlush();
  int differing = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 80; ++x) differing += copy->Pixel(x, y) != image->Pixel(x, y);
  EXPECT_EQ(differing, 0);
  // The caption is GDI text on the same pixels: some pixels inside carry the text colour.
  int textPixels = 0;
  for (int y = 3; y < 21; ++y)
    for (int x = 3; x < 77; ++x) textPixels += image->Pixel(x, y) == colours.cText;
  EXPECT_GT(textPixels, 10);
}

TEST(SkinButtonHost, CursorFollowsPointerSettings) {
  Parent parent(false);
  auto host = MakeButton(parent.get(), 1, 10, "Cursor");
  EXPECT_EQ(host->CurrentCursor(), LoadCursorW(nullptr, IDC_ARROW));
  host->Button().HandPointer(true);
  EXPECT_EQ(host->CurrentCursor(), LoadCursorW(nullptr, IDC_HAND));
  SendMessageW(host->Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host->Window()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  host->Button().HandPointer(false);
  EXPECT_EQ(host->CurrentCursor(), LoadCursorW(nullptr, IDC_ARROW));
  host->Button().MousePointer(11);
  EXPECT_EQ(host->CurrentCursor(), LoadCursorW(nullptr, IDC_WAIT));
  std::vector<std::uint32_t> px(16 * 16, 0xFF0000FFu);
  host->Button().MouseIcon(MakePicture(ButtonPicture::Kind::Icon, 16, 16, px));
  host->Button().MousePointer(kPointerCustom);
  const HCURSOR custom = host->CurrentCursor();
  EXPECT_NE(custom, nullptr);
  EXPECT_NE(custom, LoadCursorW(nullptr, IDC_ARROW));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(custom, &info));
  BITMAP bm{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 16);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

TEST(SkinButtonHost, BecomingTheDefaultButtonRedrawsWithTheDefaultFrame) {
  Parent parent(false);
  auto host = MakeButton(parent.get(), 1, 10, "Default");
  const ColorRef before = host->Image()->Pixel(0, 0);
  host->SetDefault(true);
  EXPECT_TRUE(host->Button().Look().displayAsDefault);
  EXPECT_EQ(host->Image()->Pixel(0, 0), host->Button().Painter().Colors().cDarkShadow);
  EXPECT_NE(host->Image()->Pixel(0, 0), before);
}

TEST(SkinButtonHost, ContainerSchemeTakesTheParentsBackground) {
  Parent parent(false);
  auto host = MakeButton(parent.get(), 1, 10, "Container");
  host->Button().ColorScheme(sknColorScheme::csContainer);
  EXPECT_EQ(host->Button().Painter().Colors().cFace, kParentColour);
  EXPECT_EQ(host->Button().Painter().Colors().cText, GetSysColor(COLOR_BTNTEXT));
  SkinButtonHost::Options options;
  options.containerBackColor = Rgb(1, 2, 3);
  auto given = MakeButton(parent.get(), 2, 100, "Given", options);
  given->Button().ColorScheme(sknColorScheme::csContainer);
  EXPECT_EQ(given->Button().Painter().Colors().cFace, Rgb(1, 2, 3));
}

TEST(SkinButtonHost, EnabledPropertyDisablesTheWindow) {
  Parent parent(false);
  auto host = MakeButton(parent.get(), 1, 10, "Enabled");
  host->Button().Enabled(false);
  EXPECT_FALSE(IsWindowEnabled(host->Window()));
  host->Button().Enabled(true);
  EXPECT_TRUE(IsWindowEnabled(host->Window()));
}

TEST(SkinButtonHost, TransparentTypeShowsTheParentBehindIt) {
  Parent parent(true);
  auto host = MakeButton(parent.get(), 1, 10, "");
  host->Button().ButtonType(sknButtonType::btTransparent);
  const DibRaster* image = host->Image();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Pixel(40, 12), kParentColour);
  EXPECT_EQ(image->Pixel(2, 2), kParentColour);
  RECT r{};
  GetClientRect(host->Window(), &r);
  EXPECT_EQ(r.bottom, 24);  // the control is back at its height after the snapshot
}

Log WithoutMoves(const Log& log) {
  Log out;
  for (const std::string& e : log)
    if (e.rfind("MouseMove", 0) != 0) out.push_back(e);
  return out;
}

bool Has(const Log& log, const char* e) { return std::find(log.begin(), log.end(), e) != log.end(); }

bool MovePointer(POINT to) {
  POINT now{};
  return SetCursorPos(to.x, to.y) && GetCursorPos(&now) && now.x == to.x && now.y == to.y;
}

void SendButton(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

TEST(SkinButtonHost, RealPointerInputHoversClicksAndLeaves) {
  Parent parent(true);
  auto host = MakeButton(parent.get(), 1, 10, "Hover");
  Recorder events;
  host->Button().SetEvents(&events);
  POINT inside{40, 12};
  ClientToScreen(host->Window(), &inside);
  if (!MovePointer(inside)) GTEST_SKIP() << "the pointer cannot be moved here";
  ASSERT_TRUE(PumpUntil([&] { return Has(events.log, "MouseOver"); }));
  EXPECT_TRUE(host->IsMouseOver());
  EXPECT_TRUE(host->Button().IsOver());
  Pump(60);  // the hover timer ticks while the pointer stays: nothing changes
  EXPECT_EQ(WithoutMoves(events.Take()), Log{"MouseOver"});

  SendButton(MOUSEEVENTF_LEFTDOWN);
  SendButton(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return Has(events.log, "Click"); }));
  EXPECT_EQ(WithoutMoves(events.Take()), (Log{"MouseDown 1 0 40 12", "MouseUp 1 0 40 12", "Click"}));
  EXPECT_EQ(GetFocus(), host->Window());

  // A second click soon after arrives as a double click: pressed at the origin, no second Click.
  SendButton(MOUSEEVENTF_LEFTDOWN);
  SendButton(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return Has(events.log, "MouseUp 1 0 40 12"); }));
  EXPECT_EQ(WithoutMoves(events.Take()), (Log{"MouseDown 1 0 0 0", "MouseUp 1 0 40 12"}));

  ASSERT_TRUE(MovePointer(POINT{inside.x + 200, inside.y + 150}));
  EXPECT_FALSE(host->IsMouseOver());
  ASSERT_TRUE(PumpUntil([&] { return Has(events.log, "MouseOut"); }));
  EXPECT_EQ(WithoutMoves(events.Take()), Log{"MouseOut"});
  EXPECT_FALSE(host->Button().IsOver());
}

void SendKey(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
}

TEST(SkinButtonHost, RealKeyboardInputClicksWithSpaceAndAccessKeys) {
  Parent parent(true);
  auto readme = MakeButton(parent.get(), 1, 10, "&Readme");
  auto web = MakeButton(parent.get(), 2, 100, "&Web");
  Recorder r1, r2;
  readme->Button().SetEvents(&r1);
  web->Button().SetEvents(&r2);
  SetForegroundWindow(parent.get());
  SetFocus(readme->Window());
  if (GetFocus() != readme->Window()) GTEST_SKIP() << "no keyboard focus here";
  SendKey(VK_SPACE, false);
  SendKey(VK_SPACE, true);
  if (!PumpUntil([&] { return Has(r1.log, "Click"); }, 1000)) GTEST_SKIP() << "no keyboard input here";
  EXPECT_EQ(r1.Take(), (Log{"KeyDown 32", "KeyPress 32", "KeyUp 32", "Click"}));
  SendKey(VK_RIGHT, false);
  SendKey(VK_RIGHT, true);
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == web->Window(); }));
  EXPECT_EQ(r1.Take(), Log{"KeyDown 39"});
  r2.Take();
  SendKey(VK_MENU, false);
  SendKey('R', false);
  SendKey('R', true);
  SendKey(VK_MENU, true);
  ASSERT_TRUE(PumpUntil([&] { return Has(r1.log, "Click"); }));
  EXPECT_EQ(r1.Take(), Log{"Click"});
  EXPECT_FALSE(Has(r2.log, "Click"));
}

TEST(SkinButtonHost, PointerOverAWindowCoveringTheButtonCountsAsOutside) {
  Parent parent(true);
  auto host = MakeButton(parent.get(), 1, 10, "Covered");
  Recorder events;
  host->Button().SetEvents(&events);
  POINT inside{40, 12};
  ClientToScreen(host->Window(), &inside);
  if (!MovePointer(inside)) GTEST_SKIP() << "the pointer cannot be moved here";
  ASSERT_TRUE(PumpUntil([&] { return Has(events.log, "MouseOver"); }));
  const HWND cover = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 10, 10, 80, 24, parent.get(),
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_FALSE(host->IsMouseOver());
  EXPECT_TRUE(PumpUntil([&] { return Has(events.log, "MouseOut"); }));
  DestroyWindow(cover);
}

TEST(SkinButtonHost, ClicksNotifyTheParentAndBmClickClicks) {
  Parent parent(false);
  auto host = MakeButton(parent.get(), 21, 10, "Notify");
  Recorder events;
  host->Button().SetEvents(&events);
  const HWND w = host->Window();
  g_commands.clear();
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
  EXPECT_EQ(g_commands, Log{"21 BN_CLICKED"});
  events.Take();
  g_commands.clear();
  SendMessageW(w, BM_CLICK, 0, 0);
  EXPECT_EQ(events.Take(), Log{"Click"});
  EXPECT_EQ(g_commands, Log{"21 BN_CLICKED"});
  // Check-box mode: the click toggles Value, which BM_GETCHECK reports and BM_SETCHECK sets.
  EXPECT_EQ(SendMessageW(w, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  host->Button().CheckBoxBehaviour(true);
  SendMessageW(w, BM_CLICK, 0, 0);
  EXPECT_TRUE(host->Button().Value());
  EXPECT_EQ(SendMessageW(w, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(w, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);  // a toggled button is drawn down
  SendMessageW(w, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_FALSE(host->Button().Value());
  EXPECT_EQ(host->Button().LastState(), kStateUp);
  // A disabled button neither clicks nor notifies.
  EnableWindow(w, FALSE);
  g_commands.clear();
  events.Take();
  SendMessageW(w, BM_CLICK, 0, 0);
  EXPECT_EQ(events.Take(), Log{});
  EXPECT_EQ(g_commands, Log{});
}

TEST(SkinButtonHost, EnableWindowDrawsTheDisabledLook) {
  Parent parent(false);
  auto viaWindow = MakeButton(parent.get(), 1, 10, "Enabled");
  auto viaProperty = MakeButton(parent.get(), 2, 100, "Enabled");
  std::vector<std::string> changed;
  viaWindow->OnPropertyChanged([&](std::string_view k) { changed.emplace_back(k); });
  EnableWindow(viaWindow->Window(), FALSE);
  viaProperty->Button().Enabled(false);
  EXPECT_FALSE(viaWindow->Button().Enabled());
  EXPECT_EQ(changed, std::vector<std::string>{"ENAB"});
  int differing = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 80; ++x) differing += viaWindow->Image()->Pixel(x, y) != viaProperty->Image()->Pixel(x, y);
  EXPECT_EQ(differing, 0) << "EnableWindow draws what the Enabled property draws";
  EnableWindow(viaWindow->Window(), TRUE);
  EXPECT_TRUE(viaWindow->Button().Enabled());
}

TEST(SkinButtonHost, WindowTextIsTheCaption) {
  Parent parent(false);
  auto host = MakeButton(parent.get(), 1, 10, "First");
  wchar_t text[32] = {};
  EXPECT_EQ(GetWindowTextW(host->Window(), text, 32), 5);
  EXPECT_STREQ(text, L"First");
  ASSERT_TRUE(SetWindowTextW(host->Window(), L"&\u00DCber"));
  EXPECT_EQ(host->Button().Caption(), "&\xC3\x9C" "ber");
  EXPECT_EQ(host->AccessKeys(), L"\u00DC");
  EXPECT_EQ(GetWindowTextLengthW(host->Window()), 5);
  host->Button().Caption("Second");
  GetWindowTextW(host->Window(), text, 4);
  EXPECT_STREQ(text, L"Sec");  // cut to the buffer, terminated
}

TEST(SkinButtonHost, AltWithAnAccentedLetterClicksItsButton) {
  Parent parent(true);
  auto host = MakeButton(parent.get(), 1, 10, "&\xC3\x9C" "ber");
  Recorder events;
  host->Button().SetEvents(&events);
  MSG m{};
  m.hwnd = parent.get();
  m.message = WM_SYSCHAR;
  m.wParam = 0x00FC;  // Alt+ü: the keyboard gives the small letter
  EXPECT_TRUE(SkinButtonHost::TranslateAccessKey(m));
  m.wParam = 0x00DC;  // with Shift, Ü
  EXPECT_TRUE(SkinButtonHost::TranslateAccessKey(m));
  m.wParam = 0x00C3;  // the first byte of Ü in UTF-8 is no key of it
  EXPECT_FALSE(SkinButtonHost::TranslateAccessKey(m));
  EXPECT_EQ(events.Take(), (Log{"Click", "Click"}));
}

TEST(SkinButtonHost, LosingTheCaptureMidPressEndsThePress) {
  Parent parent(false);
  auto host = MakeButton(parent.get(), 1, 10, "Press");
  Recorder events;
  host->Button().SetEvents(&events);
  const HWND w = host->Window();
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  ASSERT_EQ(host->Button().LastState(), kStateDown);
  SetCapture(parent.get());  // another window takes the pointer: WM_CAPTURECHANGED
  EXPECT_EQ(host->Button().LastState(), kStateUp);
  ReleaseCapture();
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
  EXPECT_EQ(events.Take(), (Log{"MouseDown 1 0 5 6", "MouseUp 1 0 5 6"}));  // no Click
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  SendMessageW(w, WM_CANCELMODE, 0, 0);
  EXPECT_EQ(host->Button().LastState(), kStateUp);
  EXPECT_NE(GetCapture(), w);
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
  EXPECT_EQ(events.Take(), (Log{"MouseDown 1 0 5 6", "MouseUp 1 0 5 6"}));
  // A press and release of its own still clicks.
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
  EXPECT_EQ(events.Take(), (Log{"MouseDown 1 0 5 6", "MouseUp 1 0 5 6", "Click"}));
}

TEST(SkinButtonHost, WindowMadeByCreateWindowExIsAWholeButton) {
  ASSERT_TRUE(RegisterSkinButtonClass());
  Parent parent(false);
  const HWND w = CreateWindowExW(0, kSkinButtonClassName, L"&Plain", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 10,
                                 10, 80, 24, parent.get(), reinterpret_cast<HMENU>(31), GetModuleHandleW(nullptr),
                                 nullptr);
  ASSERT_NE(w, nullptr);
  SkinButtonHost* host = SkinButtonHost::FromWindow(w);
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(host->Button().Caption(), "&Plain");
  EXPECT_EQ(host->Button().ButtonType(), sknButtonType::btClassic3D);
  EXPECT_TRUE(host->Button().Enabled());
  EXPECT_TRUE(host->DisplayAsDefault());
  EXPECT_EQ(SendMessageW(w, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON);
  ASSERT_NE(host->Image(), nullptr);
  EXPECT_EQ(host->Image()->Pixel(0, 0), host->Button().Painter().Colors().cDarkShadow);  // the default frame
  g_commands.clear();
  SendMessageW(w, BM_CLICK, 0, 0);
  EXPECT_EQ(g_commands, Log{"31 BN_CLICKED"});
  SendMessageW(w, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  EXPECT_FALSE(host->DisplayAsDefault());
  EXPECT_EQ(GetWindowLongPtrW(w, GWL_STYLE) & 0x0F, BS_PUSHBUTTON);
  EXPECT_TRUE(DestroyWindow(w));  // the window frees its button

  const HWND off = CreateWindowExW(0, kSkinButtonClassName, nullptr, WS_CHILD | WS_DISABLED, 0, 0, 50, 20,
                                   parent.get(), nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(off, nullptr);
  EXPECT_FALSE(SkinButtonHost::FromWindow(off)->Button().Enabled());
  EXPECT_EQ(SkinButtonHost::FromWindow(off)->Button().Caption(), "");
  DestroyWindow(off);
}

// A dialog template in memory: an edit box (first, so it has the focus), a default skinned button (id 100) and
// a second one with an accented access key (id 101).
std::vector<WORD> DialogTemplate() {
  std::vector<WORD> t;
  auto align = [&] {
    if (t.size() % 2) t.push_back(0);
  };
  auto dword = [&](DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
  };
  auto text = [&](const wchar_t* s) {
    for (; *s; ++s) t.push_back(*s);
    t.push_back(0);
  };
  dword(WS_POPUP | WS_VISIBLE | DS_SETFONT | DS_MODALFRAME);
  dword(0);
  t.push_back(3);  // items
  t.insert(t.end(), {0, 0, 200, 60});
  t.push_back(0);  // no menu
  t.push_back(0);  // default class
  text(L"Dialog");
  t.push_back(8);
  text(L"MS Shell Dlg");
  auto item = [&](DWORD style, short x, WORD id, const wchar_t* cls, const wchar_t* caption) {
    align();
    dword(style | WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    dword(0);
    t.insert(t.end(), {static_cast<WORD>(x), 10, 50, 14, id});
    text(cls);
    text(caption);
    t.push_back(0);  // no creation data
  };
  item(ES_AUTOHSCROLL | WS_BORDER, 5, 99, L"EDIT", L"");
  item(BS_DEFPUSHBUTTON, 60, 100, kSkinButtonClassName, L"OK");
  item(0, 120, 101, kSkinButtonClassName, L"&\u00DCber");
  return t;
}

INT_PTR CALLBACK DialogProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_COMMAND) g_commands.push_back(Command(wParam));
  return msg == WM_INITDIALOG ? TRUE : FALSE;
}

TEST(SkinButtonHost, DialogTemplateButtonsWorkThroughIsDialogMessage) {
  ASSERT_TRUE(RegisterSkinButtonClass());
  const std::vector<WORD> t = DialogTemplate();
  const HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(t.data()),
                                                 nullptr, &DialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  const HWND edit = GetDlgItem(dialog, 99);
  SkinButtonHost* ok = SkinButtonHost::FromWindow(GetDlgItem(dialog, 100));
  SkinButtonHost* uber = SkinButtonHost::FromWindow(GetDlgItem(dialog, 101));
  ASSERT_TRUE(ok && uber);
  EXPECT_TRUE(ok->DisplayAsDefault());
  EXPECT_EQ(SendMessageW(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(100, DC_HASDEFID));
  EXPECT_NE(SendMessageW(ok->Window(), WM_GETFONT, 0, 0), 0);  // the dialog gave it its font
  EXPECT_EQ(ok->Button().Font().name, "MS Shell Dlg");
  SetFocus(edit);
  g_commands.clear();
  auto feed = [&](HWND to, UINT message, WPARAM key) {
    MSG m{};
    m.hwnd = to;
    m.message = message;
    m.wParam = key;
    return IsDialogMessageW(dialog, &m);
  };
  // Enter with the focus in the edit box: the default skinned button.
  EXPECT_TRUE(feed(edit, WM_KEYDOWN, VK_RETURN));
  EXPECT_EQ(g_commands, Log{"100 BN_CLICKED"});
  // Alt+Ü: the dialog manager finds the accented access key in the window text and clicks the button.
  Recorder events;
  uber->Button().SetEvents(&events);
  g_commands.clear();
  EXPECT_TRUE(feed(edit, WM_SYSCHAR, 0x00DC));
  EXPECT_EQ(events.Take(), Log{"Click"});
  EXPECT_EQ(g_commands, Log{"101 BN_CLICKED"});
  // Enter on a focused skinned button clicks that button.
  SetFocus(uber->Window());
  g_commands.clear();
  EXPECT_TRUE(feed(uber->Window(), WM_KEYDOWN, VK_RETURN));
  EXPECT_EQ(events.Take(), (Log{"KeyDown 13", "Click"}));
  EXPECT_EQ(g_commands, Log{"101 BN_CLICKED"});
  uber->Button().SetEvents(nullptr);
  DestroyWindow(dialog);
}

TEST(SkinButtonHost, FocusFrameFollowsTheFocusCues) {
  Parent parent(true);
  auto host = MakeButton(parent.get(), 1, 10, "Cues");
  host->Button().ButtonType(sknButtonType::btFramedBevel);
  SetFocus(host->Window());
  ASSERT_TRUE(host->Button().HasFocus());
  auto pixels = [&] {
    std::vector<ColorRef> p;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 80; ++x) p.push_back(host->Image()->Pixel(x, y));
    return p;
  };
  const std::vector<ColorRef> focused = pixels();
  host->Button().HasFocus(false);
  host->Button().PaintButton(kStateUp, true);
  const std::vector<ColorRef> unfocused = pixels();
  ASSERT_NE(focused, unfocused);
  host->Button().HasFocus(true);
  SendMessageW(host->Window(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  EXPECT_FALSE(host->FocusCuesShown());
  EXPECT_EQ(pixels(), unfocused);
  SendMessageW(host->Window(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  EXPECT_TRUE(host->FocusCuesShown());
  EXPECT_EQ(pixels(), focused);
}

TEST(SkinButtonHost, AScreenReaderReadsACheckBoxWithItsShownCaptionStateAndAction) {
  CoInitialize(nullptr);
  Parent parent(true);
  auto host = MakeButton(parent.get(), 7, 10, "Save && E&xit");
  host->Button().CheckBoxBehaviour(true);
  IAccessible* acc = nullptr;
  ASSERT_EQ(S_OK, AccessibleObjectFromWindow(host->Window(), static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                             reinterpret_cast<void**>(&acc)));
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  auto text = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
    BSTR b = nullptr;
    (acc->*get)(self, &b);
    std::wstring out = b ? b : L"(none)";
    SysFreeString(b);
    return out;
  };
  auto number = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) {
    VARIANT v;
    VariantInit(&v);
    (acc->*get)(self, &v);
    return v.vt == VT_I4 ? v.lVal : -1;
  };
  EXPECT_EQ(L"Save & Exit", text(&IAccessible::get_accName));
  EXPECT_EQ(L"Alt+x", text(&IAccessible::get_accKeyboardShortcut));
  EXPECT_EQ(ROLE_SYSTEM_CHECKBUTTON, number(&IAccessible::get_accRole));
  EXPECT_EQ(L"Check", text(&IAccessible::get_accDefaultAction));
  EXPECT_EQ(0, number(&IAccessible::get_accState) & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_PRESSED));
  ASSERT_EQ(S_OK, acc->accDoDefaultAction(self));
  g_commands.clear();
  EXPECT_TRUE(PumpUntil([] { return !g_commands.empty(); })) << "the default action clicks the button";
  EXPECT_EQ(g_commands, (Log{"7 BN_CLICKED"}));
  EXPECT_TRUE(host->Button().Value());
  EXPECT_EQ(STATE_SYSTEM_CHECKED, number(&IAccessible::get_accState) & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_PRESSED));
  EXPECT_EQ(L"Uncheck", text(&IAccessible::get_accDefaultAction));
  EnableWindow(host->Window(), FALSE);
  EXPECT_NE(0, number(&IAccessible::get_accState) & STATE_SYSTEM_UNAVAILABLE);
  EXPECT_EQ(E_FAIL, acc->accDoDefaultAction(self)) << "an unavailable button is not clicked";
  host.reset();
  long count = 0;
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, acc->get_accChildCount(&count)) << "no call reaches a button that is gone";
  acc->Release();
  CoUninitialize();
}

}  // namespace
}  // namespace kqm
