// Times the real program under Wine (the real main window, list, engine, registry and shell) against floors built
// and timed the same way in the same process and run:
//   list fill     the click on "HKCU\Run" with N values, until the list has painted, against RegEnumValueW plus
//                 a raw report list with tick boxes filled with its redraw off;
//   tick change   one untick and tick again (two moves through the engine) in a list of 10,000 rows against the
//                 same change in a list of 10 rows;
//   page down     one page-down step in a 10,000-row list against the same step in the raw list;
//   StartUp       the click on "User StartUp Folder" with N shortcuts against FindFirstFileW plus reading each
//                 target through one IShellLinkW (and, second floor, also inserting the rows into the raw list);
//   start-up      process start to the first painted main window against a bare window with a list, both started
//                 by this process under the same warm wineserver.
// Every figure is the min and median of `runs` runs (default 5); `list_timing <runs> --start-up` times only the
// start-up. What it seeds (values "kqm-bench-*" in HKCU\Run, shortcuts "kqm-bench-*.lnk" in the user's StartUp
// folder) only start rundll32 with no arguments, which does nothing, and is removed again at the end;
// `list_timing --clean` removes what an interrupted run left.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/basMain.h"
#include "engine/clsStartUp.h"
#include "platform/substitute/memory_list_view.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_main_window_view.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_wide_text.h"
#include "ui/main_window/frmMain.h"
#include "ui/main_window/win32/main_window_controls_win32.h"
#include "win32_shortcut_writer.h"

namespace kqm {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kStoreKey[] = L"Software\\Kestrum\\QuorvelManager\\Disabled\\HKCU\\R";
constexpr wchar_t kHarmless[] = L"C:\\windows\\system32\\rundll32.exe";
constexpr wchar_t kSeedPrefix[] = L"kqm-bench-";
constexpr int kPageSteps = 20;

int runs = 5;

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

struct Stats {
  double min = 0, median = 0;
};

Stats Summarize(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return {v.front(), n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2};
}

// Runs `run` `runs` times; each call returns the milliseconds it measured.
Stats Repeat(const std::function<double()>& run) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(run());
  return Summarize(times);
}

void PrintPair(const char* what, const char* floorName, Stats floor, Stats ours, int rows) {
  std::printf("%s\n  %-26s min %9.2f ms  median %9.2f ms\n  %-26s min %9.2f ms  median %9.2f ms\n"
              "  ratio                      min %9.2f     median %9.2f   (%d runs)\n",
              what, floorName, floor.min, floor.median, "program", ours.min, ours.median, ours.min / floor.min,
              ours.median / floor.median, runs);
  if (rows > 0)
    std::printf("  per row (median)           floor %7.2f us, program %7.2f us\n", floor.median * 1000 / rows,
                ours.median * 1000 / rows);
  std::fflush(stdout);
}

std::wstring SeedName(int i) {
  wchar_t name[40];
  std::swprintf(name, 40, L"%ls%06d", kSeedPrefix, i);
  return name;
}

// --- what the run seeds -------------------------------------------------------------------------------------

void RemoveSeededValues(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  std::vector<std::wstring> doomed;
  wchar_t name[16384];
  for (DWORD i = 0;; ++i) {
    DWORD chars = 16384;
    if (RegEnumValueW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (std::wcsncmp(name, kSeedPrefix, std::wcslen(kSeedPrefix)) == 0) doomed.emplace_back(name, chars);
  }
  for (const auto& n : doomed) RegDeleteValueW(key, n.c_str());
  RegCloseKey(key);
}

void SeedRunValues(int count) {
  RemoveSeededValues(HKEY_CURRENT_USER, kRunKey);
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  const DWORD bytes = static_cast<DWORD>((std::wcslen(kHarmless) + 1) * sizeof(wchar_t));
  for (int i = 0; i < count; ++i)
    RegSetValueExW(key, SeedName(i).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kHarmless), bytes);
  RegCloseKey(key);
}

std::wstring StartUpFolder() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

void RemoveSeededShortcuts(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + L"\\" + kSeedPrefix + L"*.lnk").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> doomed;
  do doomed.push_back(folder + L"\\" + found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
  for (const auto& path : doomed) DeleteFileW(path.c_str());
}

bool SeedShortcuts(const std::wstring& folder, int count) {
  RemoveSeededShortcuts(folder);
  const std::wstring first = folder + L"\\" + SeedName(0) + L".lnk";
  if (test::WriteShortcutWithShell(Narrow(first), Narrow(kHarmless), "", "", "") != 0) return false;
  for (int i = 1; i < count; ++i)
    if (!CopyFileW(first.c_str(), (folder + L"\\" + SeedName(i) + L".lnk").c_str(), TRUE)) return false;
  return true;
}

void RemoveEverythingSeeded() {
  RemoveSeededValues(HKEY_CURRENT_USER, kRunKey);
  RemoveSeededValues(HKEY_LOCAL_MACHINE, kStoreKey);
  RemoveSeededShortcuts(StartUpFolder());
}

// --- the floor: a raw report list with tick boxes in a window of its own -----------------------------------

class FloorList {
 public:
  // A list of `width` by `height` pixels (the program's list) in a window of its own.
  FloorList(int width, int height) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"KqmBenchFloor";
    RegisterClassExW(&wc);
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
    top_ = CreateWindowExW(0, wc.lpszClassName, L"floor", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 600,
                           0, r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
    GetClientRect(top_, &r);
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER,
                            0, 0, r.right, r.bottom, top_, nullptr, wc.hInstance, nullptr);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    icons_ = MakeActionIcons();
    ListView_SetImageList(list_, icons_.get(), LVSIL_SMALL);
    for (int c = 0; c < 2; ++c) {
      LVCOLUMNW col{};
      col.mask = LVCF_WIDTH | LVCF_SUBITEM;
      col.cx = c == 0 ? 133 : 250;
      col.iSubItem = c;
      ListView_InsertColumn(list_, c, &col);
    }
    UpdateWindow(top_);
  }
  ~FloorList() { DestroyWindow(top_); }
  HWND List() const { return list_; }

  void Begin() {
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list_);
    count_ = 0;
  }
  void AddRow(const wchar_t* text, const wchar_t* path, bool checked, int icon) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_STATE | LVIF_IMAGE;
    item.iItem = count_;
    item.pszText = const_cast<wchar_t*>(text);
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    item.iImage = icon;
    const int pos = ListView_InsertItem(list_, &item);
    if (pos < 0) return;
    ListView_SetItemText(list_, pos, 1, const_cast<wchar_t*>(path));
    ++count_;
  }
  void End() {
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    UpdateWindow(list_);
  }
  int Count() const { return count_; }

 private:
  HWND top_ = nullptr, list_ = nullptr;
  UniqueImageList icons_;
  int count_ = 0;
};

void FillFromKey(FloorList& floor, HKEY root, const wchar_t* path, bool checked) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
  DWORD longestName = 0, longestData = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName, &longestData,
                   nullptr, nullptr);
  std::vector<wchar_t> name(longestName + 1);
  std::vector<wchar_t> data(longestData / sizeof(wchar_t) + 2);
  for (DWORD i = 0;; ++i) {
    DWORD chars = static_cast<DWORD>(name.size()), bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t)), type = 0;
    std::fill(data.begin(), data.end(), L'\0');
    if (RegEnumValueW(key, i, name.data(), &chars, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes) !=
        ERROR_SUCCESS)
      break;
    floor.AddRow(name.data(), type == REG_SZ || type == REG_EXPAND_SZ ? data.data() : L"", checked, 0);
  }
  RegCloseKey(key);
}

int FloorRegistryFill(FloorList& floor) {
  floor.Begin();
  FillFromKey(floor, HKEY_CURRENT_USER, kRunKey, true);
  FillFromKey(floor, HKEY_LOCAL_MACHINE, kStoreKey, false);
  floor.End();
  return floor.Count();
}

// The StartUp floor: list the folder and read every target through one link object; with `floor`, also fill it.
int FloorShortcuts(const std::wstring& folder, FloorList* floor) {
  if (floor) floor->Begin();
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void**>(&link));
  if (link) link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  int listed = 0;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + L"\\*.lnk").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE && file) {
    do {
      wchar_t target[MAX_PATH + 1] = {};
      if (SUCCEEDED(file->Load((folder + L"\\" + found.cFileName).c_str(), STGM_READ)))
        link->GetPath(target, MAX_PATH + 1, nullptr, SLGP_RAWPATH);
      if (floor) {
        std::wstring name = found.cFileName;
        name.resize(name.size() - 4);
        floor->AddRow(name.c_str(), target, true, 1);
      }
      ++listed;
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  if (file) file->Release();
  if (link) link->Release();
  if (floor) floor->End();
  return listed;
}

// --- the program: the real main window as the program builds it ---------------------------------------------

class Program {
 public:
  Program() {
    AppFactories factories;
    factories.engine = [this](basMain& app) {
      return std::make_unique<clsStartUp>(registry_, files_, shell_, app, app.AppBaseName(), app.sDisabledPath());
    };
    factories.mainWindow = [this](basMain& app) {
      auto window = std::make_unique<frmMain>(view_, controls_, app, shell_);
      window_ = window.get();
      return window;
    };
    app_ = std::make_unique<basMain>(process_, std::move(factories));
    app_->Main();
  }
  bool Shown() const { return app_->MainWindowShown() && window_; }
  // The user clicks the navigation item `key`; returns once the list has painted.
  void Click(const char* key) {
    window_->exBar_ItemClick(key);
    UpdateWindow(controls_.List().Handle());
  }
  ListView& List() { return controls_.lstItems(); }
  // The same load by the program's engine into a list kept in memory: the engine's and the registry's share.
  void LoadIntoMemory() {
    MemoryListView memory;
    app_->oStartUp()->LoadHKCURItems(memory);
  }
  HWND ListWindow() { return controls_.List().Handle(); }
  // After a fill, runs the window's messages until the last row shows its program's icon (filled in while the
  // program is idle, in row order); the time that took, or -1 when it did not happen within 30 s.
  double SettleIcons() {
    Win32ListView& list = controls_.List();
    const int32_t last = list.Count();
    const int before = list.RowImage(last);
    const auto start = Clock::now();
    while (list.RowImage(last) == before) {
      if (Ms(start) > 30000) return -1;
      MSG msg;
      if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      } else {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      }
    }
    UpdateWindow(list.Handle());
    return Ms(start);
  }

 private:
  Win32Process process_;
  Win32Registry registry_;
  Win32FileSystem files_;
  Win32Shell shell_;
  Win32MainWindowView view_;
  MainWindowControlsWin32 controls_;
  frmMain* window_ = nullptr;
  std::unique_ptr<basMain> app_;
};

int SeededRows(ListView& list) {
  int n = 0;
  for (int32_t i = 1; i <= list.Count(); ++i) n += list.Item(i)->Text().rfind("kqm-bench-", 0) == 0;
  return n;
}

// One page-down step from the top of `list`, averaged over kPageSteps steps, painted after each.
double PageDown(HWND list) {
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list, 0, FALSE);
  UpdateWindow(list);
  const auto start = Clock::now();
  for (int i = 0; i < kPageSteps; ++i) {
    SendMessageW(list, WM_KEYDOWN, VK_NEXT, 0);
    SendMessageW(list, WM_KEYUP, VK_NEXT, 0);
    UpdateWindow(list);
  }
  return Ms(start) / kPageSteps;
}

int TimeLists(Program& program, FloorList& floor) {
  int failures = 0;
  for (int n : {1000, 10000}) {
    SeedRunValues(n);
    const Stats f = Repeat([&] {
      const auto start = Clock::now();
      FloorRegistryFill(floor);
      return Ms(start);
    });
    const Stats p = Repeat([&] {
      const auto start = Clock::now();
      program.Click("HKCUR");
      return Ms(start);
    });
    const Stats m = Repeat([&] {
      const auto start = Clock::now();
      program.LoadIntoMemory();
      return Ms(start);
    });
    const int ours = SeededRows(program.List());
    if (ours != n || floor.Count() != program.List().Count()) {
      std::printf("list fill %d: the program listed %d seeded rows of %d\n", n, ours, n);
      ++failures;
    }
    char what[80];
    std::snprintf(what, sizeof what, "list fill, HKCU\\Run with %d values", n);
    PrintPair(what, "floor (RegEnumValueW+list)", f, p, n);
    std::printf("  the same load into a list in memory: min %.2f median %.2f ms (%.2f us per row)\n", m.min, m.median,
                m.median * 1000 / n);
    // What the user sees next: the programs' icons and missing marks, filled in while the window is idle.
    bool settled = true;
    const Stats icons = Repeat([&] {
      program.Click("HKCUR");
      const double ms = program.SettleIcons();
      settled = settled && ms >= 0;
      return ms;
    });
    if (!settled) {
      std::printf("list fill %d: the rows' icons were not filled in\n", n);
      ++failures;
    }
    std::printf("  then every row's icon in place, while idle: min %.2f median %.2f ms (%.2f us per row)\n",
                icons.min, icons.median, icons.median * 1000 / n);
  }
  // The page-down steps below run on the list as the user sees it, with its icons.

  const Stats fp = Repeat([&] { return PageDown(floor.List()); });
  const Stats pp = Repeat([&] { return PageDown(program.ListWindow()); });
  PrintPair("page down, one step in 10000 rows", "floor list", fp, pp, 0);

  // Tick changes: the middle row is unticked (moved to the store) and ticked again (moved back).
  auto tickChange = [&program, &failures] {
    ListView& list = program.List();
    ListItem* row = list.Item((list.Count() + 1) / 2);
    const auto start = Clock::now();
    row->Checked(false);
    row->Checked(true);
    UpdateWindow(program.ListWindow());
    const double ms = Ms(start);
    HKEY key = nullptr;
    const bool back = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS &&
                      RegQueryValueExW(key, Wide(row->Text()).c_str(), nullptr, nullptr, nullptr, nullptr) == 0;
    if (key) RegCloseKey(key);
    if (!back || !row->Checked()) ++failures;
    return ms;
  };
  const Stats large = Repeat(tickChange);
  SeedRunValues(10);
  program.Click("HKCUR");
  const Stats small = Repeat(tickChange);
  PrintPair("tick change (untick, tick again) in 10000 rows", "same in 10 rows", small, large, 0);
  RemoveSeededValues(HKEY_CURRENT_USER, kRunKey);
  return failures;
}

int TimeStartUpFolder(Program& program, FloorList& floor) {
  int failures = 0;
  const std::wstring folder = StartUpFolder();
  for (int n : {1000, 10000}) {
    if (!SeedShortcuts(folder, n)) {
      std::printf("could not write %d shortcuts into %ls\n", n, folder.c_str());
      return failures + 1;
    }
    const Stats f = Repeat([&] {
      const auto start = Clock::now();
      FloorShortcuts(folder, nullptr);
      return Ms(start);
    });
    const Stats fl = Repeat([&] {
      const auto start = Clock::now();
      FloorShortcuts(folder, &floor);
      return Ms(start);
    });
    const Stats p = Repeat([&] {
      const auto start = Clock::now();
      program.Click("USER");
      return Ms(start);
    });
    const int ours = SeededRows(program.List());
    if (ours != n) {
      std::printf("StartUp folder %d: the program listed %d seeded rows\n", n, ours);
      ++failures;
    }
    char what[80];
    std::snprintf(what, sizeof what, "StartUp folder with %d shortcuts", n);
    PrintPair(what, "floor (FindFirstFileW+link)", f, p, n);
    std::printf("  against the floor that also fills the raw list: floor min %.2f median %.2f ms, "
                "ratio min %.2f median %.2f\n", fl.min, fl.median, p.min / fl.min, p.median / fl.median);
  }
  RemoveSeededShortcuts(folder);
  return failures;
}

// --- start-up: process start to the first painted main window -----------------------------------------------

struct Launch {
  double ms = 0;
  double peakMiB = 0;
  bool ok = false;
};

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindVisibleTopLevel(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->pid || !IsWindowVisible(hwnd) || GetWindow(hwnd, GW_OWNER) || !GetWindowTextLengthW(hwnd))
    return TRUE;
  search->found = hwnd;
  return FALSE;
}

// Starts `exe` and waits until its main window is shown, painted and its message loop answers.
Launch TimeLaunch(const std::wstring& exe) {
  Launch result;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + exe + L"\"";
  const auto start = Clock::now();
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return result;
  WaitForInputIdle(pi.hProcess, 30000);
  WindowSearch search{pi.dwProcessId, nullptr};
  for (int i = 0; i < 30000 && !search.found; ++i) {
    EnumWindows(FindVisibleTopLevel, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(1);
  }
  DWORD_PTR answer = 0;
  if (search.found && SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer)) {
    result.ms = Ms(start);
    result.ok = true;
  }
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(pi.hProcess, &memory, sizeof memory))
    result.peakMiB = static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0);
  if (search.found) PostMessageW(search.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return result;
}

// A process that has just ended is still being taken down (its windows by the desktop process and the X server,
// its handles by the wineserver) while the next one would start: 300 ms is enough for that to finish, so both
// programs start on an equally quiet session.
void Settle() { Sleep(300); }

int TimeStartUp(const std::wstring& program, const std::wstring& bare) {
  std::vector<double> ours, floor, oursPeak, floorPeak;
  TimeLaunch(bare);  // the first start of a program loads its libraries from disk; not counted
  TimeLaunch(program);
  for (int i = 0; i < runs; ++i) {
    const Launch b = TimeLaunch(bare);
    Settle();
    const Launch p = TimeLaunch(program);
    Settle();
    if (!b.ok || !p.ok) {
      std::printf("start-up: a window did not show (%ls %d, %ls %d)\n", bare.c_str(), b.ok, program.c_str(), p.ok);
      return 1;
    }
    floor.push_back(b.ms), ours.push_back(p.ms), floorPeak.push_back(b.peakMiB), oursPeak.push_back(p.peakMiB);
  }
  PrintPair("start-up to the first painted main window", "bare window with a list", Summarize(floor),
            Summarize(ours), 0);
  std::printf("  peak working set (median)  bare %.1f MiB, program %.1f MiB\n", Summarize(floorPeak).median,
              Summarize(oursPeak).median);
  return 0;
}

std::wstring BesideThisProgram(const wchar_t* relative) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.find_last_of(L'\\') + 1) + relative;
}

}  // namespace
}  // namespace kqm

int main(int argc, char** argv) {
  using namespace kqm;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (argc > 1 && std::strcmp(argv[1], "--clean") == 0) {
    RemoveEverythingSeeded();
    return 0;
  }
  if (argc > 1) runs = std::max(1, std::atoi(argv[1]));
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  RemoveEverythingSeeded();

  int failures = TimeStartUp(BesideThisProgram(L"..\\..\\QuorvelManager.exe"), BesideThisProgram(L"bare_list_window.exe"));
  // "--start-up" after the run count: only the start-up is timed.
  if (argc > 2 && std::strcmp(argv[2], "--start-up") == 0) ExitProcess(failures);
  // The windows live until the process ends, as the program's do.
  auto* program = new Program;
  if (!program->Shown()) {
    std::printf("the main window did not show\n");
    RemoveEverythingSeeded();
    ExitProcess(1);
  }
  RECT listRect;
  GetClientRect(program->ListWindow(), &listRect);
  auto* floor = new FloorList(listRect.right, listRect.bottom);
  failures += TimeLists(*program, *floor);
  failures += TimeStartUpFolder(*program, *floor);
  RemoveEverythingSeeded();
  std::printf("%s\n", failures == 0 ? "every row listed, every move made" : "SOME ROWS OR MOVES WENT WRONG");
  std::fflush(stdout);
  ExitProcess(failures == 0 ? 0 : 1);
}
