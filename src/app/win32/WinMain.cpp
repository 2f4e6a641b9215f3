#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdlib>

#include "app/basMain.h"
#include "engine/clsStartUp.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_main_window_view.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "ui/main_window/frmMain.h"
#include "ui/main_window/win32/main_window_controls_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  CoInitialize(nullptr);

  kqm::Win32Process process;
  kqm::Win32Registry registry;
  kqm::Win32FileSystem fileSystem;
  kqm::Win32Shell shell;
  kqm::Win32MainWindowView view;
  kqm::MainWindowControlsWin32 controls;
  kqm::AppFactories factories;
  factories.engine = [&](kqm::basMain& app) {
    return std::make_unique<kqm::clsStartUp>(registry, fileSystem, shell, app, app.AppBaseName(),
                                            app.sDisabledPath());
  };
  kqm::frmMain* form = nullptr;
  factories.mainWindow = [&](kqm::basMain& app) {
    auto window = std::make_unique<kqm::frmMain>(view, controls, app, shell);
    form = window.get();
    return window;
  };
  kqm::basMain app(process, std::move(factories));
  app.Main();
  if (!app.MainWindowShown()) return 0;
  // Restarted as administrator: "/show <location key>" opens the list the user was at.
  int argc = 0;
  if (wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
    if (argc == 3 && lstrcmpiW(argv[1], L"/show") == 0 && form) {
      std::string key;
      for (const wchar_t* c = argv[2]; *c; ++c) key += static_cast<char>(*c < 128 ? *c : '?');
      form->ShowLocation(key);
    }
    LocalFree(argv);
  }
  // Scripts that drive the program read where its controls are from this file.
  if (const wchar_t* layoutLog = _wgetenv(L"KQM_UI_LAYOUT_LOG"); layoutLog && *layoutLog)
    controls.WriteScreenLayout(layoutLog);

  // The program ends in EndApp, when the main window is closed.
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (kqm::AboutPageWin32::TranslateAccessKey(msg)) continue;
    if (!IsDialogMessageW(GetActiveWindow(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}
