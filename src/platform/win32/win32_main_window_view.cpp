#include "platform/win32/win32_main_window_view.h"

#include <windows.h>

#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "platform/text.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_list_view.h"
#include "platform/win32/win32_wide_text.h"

namespace kqm {

namespace {
// Posted to itself: run the work queued by RunSoon.
constexpr UINT kRunSoon = WM_APP + 1;
// The timer that runs the work queued by RunWhenIdle.
constexpr UINT_PTR kIdleTimer = 0x4B51;
// WM_DPICHANGED, declared by the headers only for newer Windows versions than the build targets.
constexpr UINT kDpiChanged = 0x02E0;
}

Win32MainWindowView::~Win32MainWindowView() { Destroy(); }

void Win32MainWindowView::DescribeClass(WNDCLASSEXW& wc) {
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  // The program's icon, big and small, each from the image drawn for its size.
  wc.hIcon = static_cast<HICON>(LoadImageW(wc.hInstance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                           GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
  wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                             LR_DEFAULTCOLOR));
}

LRESULT Win32MainWindowView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = Window();
  switch (msg) {
    case WM_CLOSE:
      if (!onUnload_) break;
      onUnload_();  // the unload handler ends the process
      return 0;
    case WM_SIZE:
      if (!onResize_) break;
      if (std::function<void()> handler = onResize_) handler();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        // Another window takes over: remember where the focus was, to give it back there.
        const HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) lastFocus_ = focus;
      }
      break;
    case WM_SETFOCUS:
      // The window itself takes no keys: the focus goes back to the control that had it, else on to the first
      // control that takes Tab.
      if (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd, lastFocus_) && IsWindowVisible(lastFocus_) &&
          IsWindowEnabled(lastFocus_))
        SetFocus(lastFocus_);
      else if (const HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE))
        SetFocus(first);
      return 0;
    case WM_NOTIFY:
      // Controls learn of their own notifications (the list of its tick changes) from this reflection.
      return Win32ListView::ReflectNotify(wParam, lParam);
    case kRunSoon: {
      std::vector<std::function<void()>> work;
      work.swap(soon_);
      for (auto& w : work) w();
      return 0;
    }
    case WM_TIMER: {
      if (wParam != kIdleTimer) break;
      // One piece of work per tick, so input and painting come between pieces.
      if (idle_.empty()) {
        KillTimer(hwnd, kIdleTimer);
        return 0;
      }
      std::function<void()> work = std::move(idle_.front());
      idle_.erase(idle_.begin());
      if (idle_.empty()) KillTimer(hwnd, kIdleTimer);
      work();
      return 0;
    }
    case kDpiChanged:
      DpiChanged(wParam, lParam);
      return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE: {
      // Only top-level windows hear of these; every control inside (all levels) is told as well.
      MSG m{hwnd, msg, wParam, lParam, 0, {}};
      EnumChildWindows(hwnd, [](HWND child, LPARAM p) {
        const MSG* f = reinterpret_cast<const MSG*>(p);
        SendMessageW(child, f->message, f->wParam, f->lParam);
        return TRUE;
      }, reinterpret_cast<LPARAM>(&m));
      if (std::function<void(int)> handler = onDisplayChange_) handler(Dpi());
      break;
    }
    default:
      break;
  }
  return DefaultMessage(msg, wParam, lParam);
}

void Win32MainWindowView::DpiChanged(WPARAM wParam, LPARAM lParam) {
  // The window went to a monitor of another resolution: everything is measured again for it, the window takes
  // the place the system suggests (its size at the new resolution), and the controls are laid out again.
  const HWND hwnd = Window();
  const int old = Dpi();
  UpdateDpi(LOWORD(wParam) > 0 ? LOWORD(wParam) : 96);
  if (std::function<void(int)> handler = onDisplayChange_) handler(Dpi());
  // Without a suggestion the window keeps its corner and scales its client area.
  RECT r{};
  if (lParam) {
    r = *reinterpret_cast<const RECT*>(lParam);
  } else {
    RECT window{}, client{};
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    r = {0, 0, MulDiv(client.right, Dpi(), old), MulDiv(client.bottom, Dpi(), old)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    OffsetRect(&r, window.left - r.left, window.top - r.top);
  }
  SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (std::function<void()> handler = onResize_) handler();
  InvalidateRect(hwnd, nullptr, TRUE);
}

void Win32MainWindowView::Create(int clientWidthTwips, int clientHeightTwips, std::function<void()> onUnload) {
  onUnload_ = std::move(onUnload);
  // Before the window exists, the resolution of the screen it opens on.
  UpdateDpi(WindowDpi(nullptr));
  RECT r{0, 0, MulDiv(clientWidthTwips, Dpi(), 1440), MulDiv(clientHeightTwips, Dpi(), 1440)};
  // WS_EX_CONTROLPARENT lets the dialog manager in the message loop move the focus with Tab among the controls.
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_CONTROLPARENT;
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  // Without a display (or a desktop to show it on) there is no window to build on: say so, do not go on.
  if (!CreateHandle(exStyle, style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr))
    throw std::runtime_error("The main window could not be created (error " + std::to_string(GetLastError()) +
                             "); is there a display?");
  UpdateDpi(WindowDpi(Window()));
}

void Win32MainWindowView::SetCaption(const std::string& caption) {
  SetWindowTextW(Window(), reinterpret_cast<const wchar_t*>(Utf8ToUtf16(caption).c_str()));
}

std::string Win32MainWindowView::Caption() const {
  std::u16string buf(GetWindowTextLengthW(Window()) + 1, u'\0');
  const int n = GetWindowTextW(Window(), reinterpret_cast<wchar_t*>(buf.data()), static_cast<int>(buf.size()));
  buf.resize(n > 0 ? n : 0);
  return Utf16ToUtf8(buf);
}

void Win32MainWindowView::Show() {
  ShowWindow(Window(), SW_SHOWNORMAL);
  UpdateWindow(Window());
}

void Win32MainWindowView::Hide() { ShowWindow(Window(), SW_HIDE); }

void Win32MainWindowView::Destroy() { DestroyHandle(); }

int32_t Win32MainWindowView::ToTwips(int pixels) const { return MulDiv(pixels, 1440, Dpi()); }

int32_t Win32MainWindowView::ClientWidth() const {
  RECT r{};
  if (Window()) GetClientRect(Window(), &r);
  return ToTwips(r.right);
}

int32_t Win32MainWindowView::ClientHeight() const {
  RECT r{};
  if (Window()) GetClientRect(Window(), &r);
  return ToTwips(r.bottom);
}

void Win32MainWindowView::MessageBoxOk(const std::string& title, const std::string& text) {
  MessageBoxW(Window(), Wide(text).c_str(), Wide(title).c_str(), MB_OK | MB_ICONWARNING);
}

bool Win32MainWindowView::AskYesNo(const std::string& title, const std::string& text) {
  return MessageBoxW(Window(), Wide(text).c_str(), Wide(title).c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) ==
         IDYES;
}

int32_t Win32MainWindowView::AskChoice(const std::string& title, const std::string& text,
                                       const std::vector<std::string>& choices, int32_t defaultChoice) {
  // Found by name: the window's module does not import the common controls' version 6 entry points.
  using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  const auto taskDialog = controls ? reinterpret_cast<TaskDialogIndirectFn>(reinterpret_cast<void*>(
                                         GetProcAddress(controls, "TaskDialogIndirect")))
                                   : nullptr;
  if (!taskDialog) return -1;
  constexpr int kFirstId = 100;
  std::vector<std::wstring> captions;
  for (const std::string& choice : choices) captions.push_back(Wide(choice));
  std::vector<TASKDIALOG_BUTTON> buttons;
  for (size_t i = 0; i < captions.size(); ++i) buttons.push_back({kFirstId + static_cast<int>(i), captions[i].c_str()});
  const std::wstring wideTitle = Wide(title), wideText = Wide(text);
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = Window();
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.pszWindowTitle = wideTitle.c_str();
  config.pszMainIcon = TD_WARNING_ICON;
  config.pszContent = wideText.c_str();
  config.cButtons = static_cast<UINT>(buttons.size());
  config.pButtons = buttons.data();
  config.nDefaultButton = kFirstId + defaultChoice;
  int chosen = 0;
  if (FAILED(taskDialog(&config, &chosen, nullptr, nullptr))) return -1;
  return chosen >= kFirstId && chosen < kFirstId + static_cast<int>(choices.size()) ? chosen - kFirstId : -1;
}

void Win32MainWindowView::RunSoon(std::function<void()> work) {
  soon_.push_back(std::move(work));
  if (soon_.size() == 1 && Window()) PostMessageW(Window(), kRunSoon, 0, 0);
}

void Win32MainWindowView::RunWhenIdle(std::function<void()> work) {
  idle_.push_back(std::move(work));
  if (idle_.size() == 1 && Window()) SetTimer(Window(), kIdleTimer, USER_TIMER_MINIMUM, nullptr);
}

}  // namespace kqm
