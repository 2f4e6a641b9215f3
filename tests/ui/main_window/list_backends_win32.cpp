#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "list_backend.h"
#include "platform/unique_handle.h"
#include "platform/win32/win32_list_view.h"

namespace kqm::test {

std::unique_ptr<ListBackend> MakeMemoryBackend();

namespace {

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct KeyCloser {
  void operator()(HKEY k) const { RegCloseKey(k); }
};

// Without an X display Wine still runs windows on its null display driver. The tests run on a desktop of their
// own started on that driver: the choice is written to a volatile key only while the desktop starts, under a
// lock shared with other test processes, and removed again, so nothing else in the prefix sees it.
class HeadlessDisplay : public ::testing::Environment {
 public:
  void SetUp() override {
    wchar_t display[16];
    if (GetEnvironmentVariableW(L"DISPLAY", display, 16) > 0) return;
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return;
    const UniqueHandle<HANDLE, HandleCloser> lock(CreateMutexW(nullptr, FALSE, L"Local\\SkinButtonTestsDisplay"));
    if (lock) WaitForSingleObject(lock.get(), 30000);
    HKEY key = nullptr;
    DWORD disposition = 0;
    const bool chosen = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Drivers", 0, nullptr,
                                        REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                                        &disposition) == ERROR_SUCCESS &&
                        disposition == REG_CREATED_NEW_KEY;
    const UniqueHandle<HKEY, KeyCloser> keyOwner(key);
    if (chosen) {
      static const wchar_t kNull[] = L"null";
      RegSetValueExW(key, L"Graphics", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNull), sizeof kNull);
    }
    const std::wstring name = L"ListViewTests" + std::to_wstring(GetCurrentProcessId());
    // The desktop lives as long as the process that uses it; asking for its window starts it now.
    if (const HDESK desktop = CreateDesktopW(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr)) {
      SetThreadDesktop(desktop);
      GetDesktopWindow();
    }
    if (chosen) RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\Drivers");
    if (lock) ReleaseMutex(lock.get());
  }
};
const ::testing::Environment* const kHeadless =
    ::testing::AddGlobalTestEnvironment(std::make_unique<HeadlessDisplay>().release());  // gtest owns it

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY) Win32ListView::ReflectNotify(wParam, lParam);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The real list control inside a hidden top-level window of its own; the user's Space key goes to the control.
class Win32Backend final : public ListBackend {
 public:
  Win32Backend() {
    // Loaded only now, after the desktop is chosen: the library's start-up touches the display.
    LoadLibraryW(L"comctl32.dll");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KqmListTestParent";
    RegisterClassExW(&wc);
    parent_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                              wc.hInstance, nullptr);
    list_ = std::make_unique<Win32ListView>(parent_, 1, 0, 0, 4335, 4395, nullptr);
  }
  ~Win32Backend() override {
    list_.reset();
    DestroyWindow(parent_);
  }
  ListView& List() override { return *list_; }
  void UserSelects(int32_t index) override { list_->Select(index); }
  void UserToggles(int32_t index) override {
    list_->Select(index);
    SendMessageW(list_->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(list_->Handle(), WM_KEYUP, VK_SPACE, 0);
  }

 private:
  HWND parent_ = nullptr;
  std::unique_ptr<Win32ListView> list_;
};

std::unique_ptr<ListBackend> MakeWin32Backend() { return std::make_unique<Win32Backend>(); }

}  // namespace

std::vector<ListBackendMaker> ListBackends() {
  return {{"Memory", &MakeMemoryBackend}, {"Win32", &MakeWin32Backend}};
}

}  // namespace kqm::test
