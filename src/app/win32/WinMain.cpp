#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/json.h"
#include "platform/text.h"

#include "app/basMain.h"
#include "engine/clsStartUp.h"
#include "platform/win32/win32_change_watcher.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_main_window_view.h"
#include "platform/win32/win32_move_lock.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "ui/main_window/frmMain.h"
#include "ui/main_window/win32/history_window_win32.h"
#include "ui/main_window/win32/main_window_controls_win32.h"

namespace {

// The arguments after the program's name, in UTF-8.
std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  // Taking the line apart needs the shell, which the window does not load before it is up.
  if (!kqm::NamesArguments(reinterpret_cast<const char16_t*>(GetCommandLineW()))) return args;
  int argc = 0;
  if (wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
    for (int i = 1; i < argc; ++i) args.push_back(kqm::Utf16ToUtf8Exact(reinterpret_cast<const char16_t*>(argv[i])));
    LocalFree(argv);
  }
  return args;
}

// Writes to the console or file the program was started with: its own standard handle, else the console of
// the process that started it. True when all of `text` was written (or there was nothing to write); a script
// must not take a listing cut short by a full disk or a closed pipe for the whole of it.
bool WriteStandard(DWORD which, const std::string& text) {
  if (text.empty()) return true;
  HANDLE h = GetStdHandle(which);
  if (!h || h == INVALID_HANDLE_VALUE) {
    AttachConsole(ATTACH_PARENT_PROCESS);
    h = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
  }
  DWORD mode = 0;
  if (GetConsoleMode(h, &mode)) {
    const std::u16string wide = kqm::Utf8ToUtf16(text);
    for (size_t at = 0; at < wide.size();) {
      DWORD done = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(wide.size() - at, 16384));
      if (!WriteConsoleW(h, wide.data() + at, chunk, &done, nullptr) || done == 0) return false;
      at += done;
    }
    return true;
  }
  for (size_t at = 0; at < text.size();) {
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - at, 1 << 20));
    if (!WriteFile(h, text.data() + at, chunk, &done, nullptr) || done == 0) return false;
    at += done;
  }
  // Written to a file: on to the disk, so that a full disk is known now rather than lost later.
  if (GetFileType(h) == FILE_TYPE_DISK && !FlushFileBuffers(h)) return false;
  return true;
}

// All of standard input, at most what a state may hold; nullopt when there is none to read (a console: nobody is
// typing a state in) or it is longer.
std::optional<std::string> ReadStandardInput() {
  HANDLE h = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (!h || h == INVALID_HANDLE_VALUE || GetConsoleMode(h, &mode)) return std::nullopt;
  std::string text;
  char chunk[65536];
  for (;;) {
    DWORD read = 0;
    // A pipe whose writer has closed ends with ERROR_BROKEN_PIPE: that is its end, not a failure.
    if (!ReadFile(h, chunk, sizeof chunk, &read, nullptr)) {
      if (GetLastError() == ERROR_BROKEN_PIPE) break;
      return std::nullopt;
    }
    if (read == 0) break;
    text.append(chunk, read);
    if (text.size() > kqm::kJsonMaxBytes) return std::nullopt;
  }
  return text;
}

// The computer's name, the user's name and the time now (UTC), for an export's heading.
void DescribeMachine(kqm::CommandContext& context) {
  wchar_t name[256];
  DWORD size = 256;
  if (GetComputerNameExW(ComputerNameDnsHostname, name, &size))
    context.machine = kqm::Utf16ToUtf8Exact(reinterpret_cast<const char16_t*>(name));
  size = 256;
  if (GetUserNameW(name, &size)) context.user = kqm::Utf16ToUtf8Exact(reinterpret_cast<const char16_t*>(name));
  SYSTEMTIME now;
  GetSystemTime(&now);
  char time[32];
  std::snprintf(time, sizeof time, "%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  context.time = time;
}

// Failures the engine reports while a script runs it go to standard error instead of a box.
class StandardErrorReporter final : public kqm::ErrorReporter {
 public:
  void ShowError(const std::string& sProcName, int32_t number, const std::string& description) override {
    WriteStandard(STD_ERROR_HANDLE, sProcName + ": error " + std::to_string(number) + ": " + description + "\n");
  }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before any DLL is loaded by name (delay-loaded ones too): System32 only, never a DLL planted in our folder.
  if (!SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    WriteStandard(STD_ERROR_HANDLE, "Kestrum Quorvel Manager could not keep DLLs to the system folder.\n");
    return 1;
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

  kqm::Win32Process process;
  kqm::Win32Registry registry;
  kqm::Win32FileSystem fileSystem;
  kqm::Win32Shell shell;
  kqm::Win32MoveLock moveLock;
  // A command for scripts runs without a window.
  const std::vector<std::string> args = Arguments();
  const bool reopened = args.size() == 2 && (args[0] == "/show" || args[0] == "/SHOW");
  if (!args.empty() && !reopened) {
    std::string folder = process.ExecutableFolder();
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    StandardErrorReporter reporter;
    kqm::clsStartUp engine(registry, fileSystem, shell, reporter, process.ExecutableBaseName(), folder + "Disabled\\");
    engine.Entries().UseLock(&moveLock);
    // A move a process was stopped in the middle of is settled before anything is listed or moved.
    std::string recovered;
    for (const std::string& note : engine.Entries().Recover()) recovered += note + "\n";
    WriteStandard(STD_ERROR_HANDLE, recovered);
    kqm::CommandContext context;
    context.files = &fileSystem;
    context.readInput = ReadStandardInput;
    DescribeMachine(context);
    const std::optional<kqm::CommandOutcome> outcome = kqm::RunCommandLine(args, engine, context);
    const bool wroteOut = WriteStandard(STD_OUTPUT_HANDLE, outcome->out);
    const bool wroteErr = WriteStandard(STD_ERROR_HANDLE, outcome->err);
    if (!wroteOut && wroteErr)
      WriteStandard(STD_ERROR_HANDLE, "The output could not be written completely (the disk may be full).\n");
    return wroteOut && wroteErr ? outcome->exitCode : 1;
  }

  kqm::Win32MainWindowView view;
  kqm::MainWindowControlsWin32 controls;
  kqm::Win32ChangeWatcher watcher;
  kqm::Win32Clipboard clipboard;
  kqm::Win32HistoryWindow history;
  kqm::AppFactories factories;
  factories.engine = [&](kqm::basMain& app) {
    auto engine = std::make_unique<kqm::clsStartUp>(registry, fileSystem, shell, app, app.AppBaseName(),
                                                    app.sDisabledPath());
    engine->Entries().UseLock(&moveLock);
    return engine;
  };
  kqm::frmMain* form = nullptr;
  factories.mainWindow = [&](kqm::basMain& app) {
    auto window = std::make_unique<kqm::frmMain>(view, controls, app, shell, &watcher, &clipboard);
    form = window.get();
    return window;
  };
  kqm::basMain app(process, std::move(factories));
  app.Main();
  if (!app.MainWindowShown()) {
    WriteStandard(STD_ERROR_HANDLE, "Kestrum Quorvel Manager could not open its window: " + app.LastError() + "\n");
    return 1;
  }
  clipboard.Owner(view.Handle());
  history.Owner(view.Handle());
  if (form) form->UseHistoryWindow(&history);
  // Restarted as administrator: "/show <location key>" opens the list the user was at.
  if (reopened && form) form->ShowLocation(args[1]);
  // Scripts that drive the program read where its controls are from this file (again after every change of
  // resolution, once the window has laid its controls out anew).
  const wchar_t* layoutLog = _wgetenv(L"KQM_UI_LAYOUT_LOG");
  if (layoutLog && *layoutLog) controls.WriteScreenLayout(layoutLog);
  view.OnDisplayChange([&](int dpi) {
    controls.DisplayChanged(dpi);
    if (layoutLog && *layoutLog) view.RunSoon([&] { controls.WriteScreenLayout(layoutLog); });
  });

  // The program ends in EndApp, when the main window is closed.
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (kqm::AboutPageWin32::TranslateAccessKey(msg)) continue;
    // F5 anywhere in the window loads the shown list again.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_F5 && form &&
        (msg.hwnd == view.Handle() || IsChild(view.Handle(), msg.hwnd))) {
      form->Refresh();
      continue;
    }
    if (!IsDialogMessageW(GetActiveWindow(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}
