#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "list_backend.h"
#include "headless_display.h"
#include "platform/unique_handle.h"
#include "platform/win32/win32_list_view.h"

namespace kqm::test {

std::unique_ptr<ListBackend> MakeMemoryBackend();

namespace {


const bool kHeadless = test::RegisterHeadlessDisplay(L"ListViewTests");

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY) return Win32ListView::ReflectNotify(wParam, lParam);
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
