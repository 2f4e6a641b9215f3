// The program's main window as a user with a high-contrast theme sees it: the controls are told high contrast
// is on, and once the window is open a dark high-contrast scheme becomes the session's system colours (the old
// ones come back when the window closes). Wine reports high contrast as always off (SPI_GETHIGHCONTRAST), so the scripts that
// check and picture this look start the window through here.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/basMain.h"
#include "engine/clsStartUp.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_main_window_view.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system_colors.h"
#include "ui/main_window/frmMain.h"
#include "ui/main_window/win32/main_window_controls_win32.h"

namespace {

class HighContrastOn final : public kqm::SystemColors {
 public:
  kqm::ColorRef SysColor(std::int32_t index) const override { return session_.SysColor(index); }
  bool HighContrast() const override { return true; }

 private:
  kqm::Win32SystemColors session_;
};

// A dark high-contrast scheme: white text on black, cyan selection, yellow links.
constexpr int kIndices[] = {COLOR_WINDOW,    COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
                            COLOR_BTNFACE,   COLOR_BTNTEXT,    COLOR_HOTLIGHT,  COLOR_3DSHADOW,
                            COLOR_3DHILIGHT, COLOR_3DLIGHT,    COLOR_3DDKSHADOW, COLOR_GRAYTEXT};
constexpr COLORREF kScheme[] = {RGB(0, 0, 0),       RGB(255, 255, 255), RGB(26, 235, 255), RGB(0, 0, 0),
                                RGB(0, 0, 0),       RGB(255, 255, 255), RGB(255, 255, 0),  RGB(255, 255, 255),
                                RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(63, 242, 63)};

// The program's process, which puts the session's colours back before it ends.
class RestoringProcess final : public kqm::ProcessApi {
 public:
  explicit RestoringProcess(std::vector<COLORREF> before) : before_(std::move(before)) {}
  std::string ExecutableFolder() override { return real_.ExecutableFolder(); }
  std::string ExecutableBaseName() override { return "QuorvelManager"; }
  void MessageBoxOk(const std::string& title, const std::string& text) override { real_.MessageBoxOk(title, text); }
  void EndProcess(int exitCode) override {
    SetSysColors(static_cast<int>(before_.size()), kIndices, before_.data());
    real_.EndProcess(exitCode);
  }

 private:
  kqm::Win32Process real_;
  std::vector<COLORREF> before_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  CoInitialize(nullptr);
  constexpr int kCount = static_cast<int>(sizeof kIndices / sizeof kIndices[0]);
  std::vector<COLORREF> before;
  for (int index : kIndices) before.push_back(GetSysColor(index));

  RestoringProcess process(before);
  kqm::Win32Registry registry;
  kqm::Win32FileSystem fileSystem;
  kqm::Win32Shell shell;
  HighContrastOn colours;
  kqm::Win32MainWindowView view;
  kqm::MainWindowControlsWin32 controls(&colours);
  kqm::AppFactories factories;
  factories.engine = [&](kqm::basMain& app) {
    return std::make_unique<kqm::clsStartUp>(registry, fileSystem, shell, app, app.AppBaseName(),
                                            app.sDisabledPath());
  };
  factories.mainWindow = [&](kqm::basMain& app) { return std::make_unique<kqm::frmMain>(view, controls, app, shell); };
  kqm::basMain app(process, std::move(factories));
  view.OnDisplayChange([&](int dpi) { controls.DisplayChanged(dpi); });
  app.Main();
  // The theme changes while the window is open: the system tells every top-level window (WM_SYSCOLORCHANGE),
  // and the window must follow.
  SetSysColors(kCount, kIndices, kScheme);
  if (const wchar_t* layoutLog = _wgetenv(L"KQM_UI_LAYOUT_LOG"); layoutLog && *layoutLog)
    controls.WriteScreenLayout(layoutLog);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (kqm::AboutPageWin32::TranslateAccessKey(msg)) continue;
    if (!IsDialogMessageW(GetActiveWindow(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  process.EndProcess(0);
  return 0;
}
