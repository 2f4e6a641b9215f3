#include "ui/main_window/win32/about_page_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "headless_display.h"
#include "platform/shell.h"
#include "platform/substitute/fixed_system_colors.h"
#include "platform/win32/win32_accessible.h"

namespace kqm {
namespace {

const bool kHeadless = test::RegisterHeadlessDisplay(L"AboutPageTests");

// A shell that records what it is asked to open instead of opening it.
class RecordingShell final : public Shell {
 public:
  std::vector<std::string> opened;
  ShellText WindowsFolder() override { return {0, "C:\\windows"}; }
  ShellText SpecialFolder(int32_t, std::intptr_t) override { return {2, ""}; }
  ShellText ExpandEnvironment(const std::string& text) override { return {0, text}; }
  std::optional<std::string> EnvironmentVariable(const std::string&) override { return std::nullopt; }
  ShellText ShortcutTarget(const std::string&) override { return {2, ""}; }
  int32_t OpenWithAssociatedProgram(const std::string& pathOrAddress) override {
    opened.push_back(pathOrAddress);
    return 0;
  }
};

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A top-level window standing in for the main window.
class Parent {
 public:
  Parent() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"AboutPageTestParent";
    RegisterClassExW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"About page test", WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE, 50, 50,
                            600, 480, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~Parent() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (AboutPageWin32::TranslateAccessKey(m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

int PixelsPerInch() {
  const HDC screen = GetDC(nullptr);
  const int ppi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return ppi;
}

int Px(int twips) { return MulDiv(twips, PixelsPerInch(), 1440); }

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

constexpr char kAppPath[] = "D:\\Tools\\Quorvel\\";

class AboutPageWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    panel_ = AboutPageWin32::Create(parent_.get(), 5, page_);
    ASSERT_NE(panel_, nullptr);
    // The main window's initial About page: 5385 x 5805 twips.
    panel_->Move(200, 0, Px(5385), Px(5805));
    panel_->Show();
    Pump();
  }

  RecordingShell shell_;
  AboutPage page_{shell_, kAppPath};
  Parent parent_;
  std::unique_ptr<AboutPageWin32> panel_;
};

TEST_F(AboutPageWin32Test, PanelHoldsBothButtonsInTabOrderWithTheirCaptionsAndSettings) {
  const HWND panel = panel_->Window();
  ASSERT_TRUE(IsWindow(panel));
  EXPECT_EQ(GetParent(panel), parent_.get());
  EXPECT_EQ(GetDlgCtrlID(panel), 5);
  EXPECT_TRUE(IsWindowVisible(panel));
  EXPECT_TRUE(GetWindowLongPtrW(panel, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);

  std::vector<HWND> children;
  for (HWND c = GetWindow(panel, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
  ASSERT_EQ(children.size(), 2u);
  SkinButtonHost* web = SkinButtonHost::FromWindow(children[0]);
  SkinButtonHost* readme = SkinButtonHost::FromWindow(children[1]);
  ASSERT_NE(web, nullptr);
  ASSERT_NE(readme, nullptr);
  EXPECT_EQ(web, panel_->WebButton());
  EXPECT_EQ(readme, panel_->ReadmeButton());
  EXPECT_EQ(web->Button().Caption(), "Website");
  EXPECT_EQ(readme->Button().Caption(), "Readme.txt");
  EXPECT_EQ(GetDlgCtrlID(web->Window()), 8);
  EXPECT_EQ(GetDlgCtrlID(readme->Window()), 9);
  // Tab goes from "Website" to "Readme.txt" and round again.
  EXPECT_EQ(GetNextDlgTabItem(panel, web->Window(), FALSE), readme->Window());
  EXPECT_EQ(GetNextDlgTabItem(panel, readme->Window(), FALSE), web->Window());
  for (SkinButtonHost* b : {web, readme}) {
    EXPECT_EQ(b->Button().ButtonType(), sknButtonType::btRoundedGradient);
    // The buttons see the page's white as their container's colour.
    EXPECT_EQ(b->ContainerBackColor(), Rgb(255, 255, 255));
    EXPECT_TRUE(IsWindowVisible(b->Window()));
  }
}

TEST_F(AboutPageWin32Test, ButtonsSitInTheBottomRightCornerAndFollowThePageSize) {
  const HWND web = panel_->WebButton()->Window();
  const HWND readme = panel_->ReadmeButton()->Window();
  RECT pr{};
  GetClientRect(panel_->Window(), &pr);
  EXPECT_EQ(pr.right, Px(5385));
  RECT w = ChildRect(web), r = ChildRect(readme);
  EXPECT_EQ(w.right - w.left, Px(1365));
  EXPECT_EQ(w.bottom - w.top, Px(435));
  EXPECT_EQ(w.left, Px(page_.Layout().cmdWeb.left));
  EXPECT_EQ(w.top, Px(page_.Layout().cmdWeb.top));
  EXPECT_EQ(r.left, Px(page_.Layout().cmdReadme.left));
  if (PixelsPerInch() == 96) {
    EXPECT_EQ(pr.right - w.right, 16);
    EXPECT_EQ(pr.bottom - w.bottom, 16);
    EXPECT_EQ(w.left - r.right, 16);
  }
  // The main window grows by 100 pixels each way: both buttons move with the corner.
  panel_->Move(200, 0, Px(5385) + 100, Px(5805) + 100);
  const RECT w2 = ChildRect(web), r2 = ChildRect(readme);
  EXPECT_NEAR(w2.left - w.left, 100, 1);
  EXPECT_EQ(w2.left - w.left, r2.left - r.left);
  EXPECT_NEAR(w2.top - w.top, 100, 1);
  EXPECT_EQ(w2.top, r2.top);
  // Minimised: the page is empty, nothing fails, and restoring lays it out again.
  panel_->Move(200, 0, 0, 0);
  panel_->Move(200, 0, Px(5385), Px(5805));
  EXPECT_EQ(ChildRect(web).left, w.left);
  EXPECT_EQ(ChildRect(readme).top, r.top);
}

TEST_F(AboutPageWin32Test, MouseClicksOpenTheReadmeBesideTheProgramAndTheWebSite) {
  const HWND readme = panel_->ReadmeButton()->Window();
  const HWND web = panel_->WebButton()->Window();
  SendMessageW(readme, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageW(readme, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  Pump();
  ASSERT_EQ(shell_.opened, std::vector<std::string>{"D:\\Tools\\Quorvel\\readme.txt"});
  PostMessageW(web, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageW(web, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  Pump();
  ASSERT_EQ(shell_.opened.size(), 2u);
  EXPECT_EQ(shell_.opened[1], AboutPage::kWebAddress);
  // Pressed on a button and released away from it: no click.
  SendMessageW(web, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageW(web, WM_LBUTTONUP, 0, MAKELPARAM(-300, 10));
  Pump();
  EXPECT_EQ(shell_.opened.size(), 2u);
  // The keyboard: Space on the focused button clicks it.
  SetFocus(readme);
  SendMessageW(readme, WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(readme, WM_CHAR, L' ', 0);
  SendMessageW(readme, WM_KEYUP, VK_SPACE, 0);
  Pump();
  ASSERT_EQ(shell_.opened.size(), 3u);
  EXPECT_EQ(shell_.opened[2], "D:\\Tools\\Quorvel\\readme.txt");
}

TEST_F(AboutPageWin32Test, PaintsPictureRuleAndNameOnWhite) {
  ASSERT_NE(panel_->Picture(), nullptr);
  EXPECT_EQ(panel_->Picture()->Width(), 184);
  RECT pr{};
  GetClientRect(panel_->Window(), &pr);
  auto shot = DibRaster::Create(pr.right, pr.bottom, DibRaster::Primitives::Gdi, Rgb(1, 2, 3));
  ASSERT_NE(shot, nullptr);
  SendMessageW(panel_->Window(), WM_PRINT, reinterpret_cast<WPARAM>(shot->Dc()), PRF_CLIENT | PRF_ERASEBKGND);
  GdiFlush();
  const int ruleY = Px(1350);
  EXPECT_EQ(shot->Pixel(0, 0), Rgb(97, 167, 231));                 // the picture's light corner
  EXPECT_EQ(shot->Pixel(Px(240), ruleY), Rgb(97, 167, 231));       // the rule from its left end ...
  EXPECT_EQ(shot->Pixel(pr.right - Px(240), ruleY), Rgb(97, 167, 231));  // ... to its right end
  EXPECT_EQ(shot->Pixel(pr.right - Px(240) + 1, ruleY), Rgb(255, 255, 255));
  EXPECT_EQ(shot->Pixel(Px(240) - 1, ruleY), Rgb(255, 255, 255));
  EXPECT_EQ(shot->Pixel(pr.right - 2, Px(3000)), Rgb(255, 255, 255));
  int dark = 0;
  for (int y = Px(1410); y < Px(1410 + 195); ++y)
    for (int x = Px(270); x < Px(270 + 1995); ++x) dark += shot->Pixel(x, y) != Rgb(255, 255, 255) ? 1 : 0;
  EXPECT_GT(dark, 50);  // the product name is lettered there
  // A page too narrow for the rule leaves one point of it at its left end.
  panel_->Move(200, 0, Px(400), Px(5805));
  shot->Clear(Rgb(1, 2, 3));
  SendMessageW(panel_->Window(), WM_PRINT, reinterpret_cast<WPARAM>(shot->Dc()), PRF_CLIENT | PRF_ERASEBKGND);
  GdiFlush();
  EXPECT_EQ(shot->Pixel(Px(240), ruleY), Rgb(97, 167, 231));
  EXPECT_EQ(shot->Pixel(Px(240) + 1, ruleY), Rgb(255, 255, 255));
}

TEST_F(AboutPageWin32Test, AScreenReaderFindsBothButtonsAsPushButtonsAndPressesThem) {
  CoInitialize(nullptr);
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  struct Expected {
    SkinButtonHost* host;
    const wchar_t* name;
    std::string opens;
  };
  const Expected buttons[] = {{panel_->WebButton(), L"Website", AboutPage::kWebAddress},
                              {panel_->ReadmeButton(), L"Readme.txt", "D:\\Tools\\Quorvel\\readme.txt"}};
  for (const Expected& b : buttons) {
    IAccessible* acc = nullptr;
    ASSERT_EQ(S_OK, AccessibleObjectFromWindow(b.host->Window(), static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                               reinterpret_cast<void**>(&acc)));
    BSTR name = nullptr;
    EXPECT_EQ(S_OK, acc->get_accName(self, &name));
    EXPECT_EQ(std::wstring(name ? name : L""), b.name);
    SysFreeString(name);
    VARIANT role, state;
    EXPECT_EQ(S_OK, acc->get_accRole(self, &role));
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_PUSHBUTTON);
    SetFocus(b.host->Window());
    EXPECT_EQ(S_OK, acc->get_accState(self, &state));
    EXPECT_EQ(state.lVal & (STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_UNAVAILABLE),
              STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE);
    BSTR action = nullptr;
    EXPECT_EQ(S_OK, acc->get_accDefaultAction(self, &action));
    EXPECT_EQ(std::wstring(action ? action : L""), L"Press");
    SysFreeString(action);
    shell_.opened.clear();
    EXPECT_EQ(S_OK, acc->accDoDefaultAction(self));
    Pump();
    EXPECT_EQ(shell_.opened, std::vector<std::string>{b.opens}) << "pressing it does what a click does";
    acc->Release();
  }
  CoUninitialize();
}

TEST(AboutPageWin32Colours, InHighContrastThePagePaintsInTheSystemColoursAndFollowsTheirChange) {
  RecordingShell shell;
  AboutPage page(shell, kAppPath);
  Parent parent;
  FixedSystemColors colours;
  colours.Set(5, Rgb(0, 0, 0));      // window
  colours.Set(8, Rgb(255, 255, 0));  // window text
  auto panel = AboutPageWin32::Create(parent.get(), 5, page, &colours);
  ASSERT_NE(panel, nullptr);
  panel->Move(0, 0, Px(5385), Px(5805));
  RECT pr{};
  GetClientRect(panel->Window(), &pr);
  auto shot = DibRaster::Create(pr.right, pr.bottom, DibRaster::Primitives::Gdi, Rgb(1, 2, 3));
  ASSERT_NE(shot, nullptr);
  auto print = [&] {
    shot->Clear(Rgb(1, 2, 3));
    SendMessageW(panel->Window(), WM_PRINT, reinterpret_cast<WPARAM>(shot->Dc()), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
  };
  auto count = [&](ColorRef c) {
    int n = 0;
    for (int y = Px(1410); y < Px(1410 + 195); ++y)
      for (int x = Px(270); x < Px(270 + 1995); ++x) n += shot->Pixel(x, y) == c ? 1 : 0;
    return n;
  };
  print();
  EXPECT_EQ(shot->Pixel(pr.right - 2, Px(3000)), Rgb(255, 255, 255)) << "off: the page's own white";
  colours.HighContrast(true);
  SendMessageW(panel->Window(), WM_SYSCOLORCHANGE, 0, 0);
  print();
  EXPECT_EQ(shot->Pixel(pr.right - 2, Px(3000)), Rgb(0, 0, 0)) << "the window colour";
  EXPECT_EQ(shot->Pixel(pr.right - Px(240), Px(1350)), Rgb(255, 255, 0)) << "the rule in the window text colour";
  EXPECT_GT(count(Rgb(255, 255, 0)), 50) << "the product name in the window text colour";
  EXPECT_EQ(count(Rgb(255, 255, 255)), 0) << "nothing left in the page's own white";
}

TEST(AboutPageWin32Lifetime, SurvivesItsParentBeingDestroyedFirst) {
  RecordingShell shell;
  AboutPage page(shell, kAppPath);
  auto parent = std::make_unique<Parent>();
  auto panel = AboutPageWin32::Create(parent->get(), 5, page);
  ASSERT_NE(panel, nullptr);
  const HWND button = panel->ReadmeButton()->Window();
  parent.reset();
  EXPECT_EQ(panel->Window(), nullptr);
  EXPECT_FALSE(IsWindow(button));
  panel->Show();
  panel->Move(0, 0, 100, 100);
  panel.reset();
  EXPECT_TRUE(shell.opened.empty());
}

}  // namespace
}  // namespace kqm
