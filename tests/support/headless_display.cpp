#include "headless_display.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/unique_handle.h"

namespace kqm::test {

namespace {

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct KeyCloser {
  void operator()(HKEY k) const { RegCloseKey(k); }
};

// The null driver is chosen in a volatile key only while the desktop starts, under a lock shared by all test
// processes, and removed again, so nothing else in the prefix sees it; parallel test processes never share a
// pointer or a focus because each has its own desktop.
class HeadlessDisplay : public ::testing::Environment {
 public:
  explicit HeadlessDisplay(std::wstring namePrefix) : namePrefix_(std::move(namePrefix)) {}

  void SetUp() override {
    wchar_t display[16];
    if (GetEnvironmentVariableW(L"DISPLAY", display, 16) > 0) return;
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return;
    const UniqueHandle<HANDLE, HandleCloser> lock(CreateMutexW(nullptr, FALSE, L"Local\\KqmTestsHeadlessDisplay"));
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
    const std::wstring name = namePrefix_ + std::to_wstring(GetCurrentProcessId());
    // The desktop lives as long as the process that uses it; asking for its window starts it now.
    if (const HDESK desktop = CreateDesktopW(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr)) {
      SetThreadDesktop(desktop);
      GetDesktopWindow();
    }
    if (chosen) RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\Drivers");
    if (lock) ReleaseMutex(lock.get());
  }

 private:
  std::wstring namePrefix_;
};

}  // namespace

bool RegisterHeadlessDisplay(const wchar_t* namePrefix) {
  ::testing::AddGlobalTestEnvironment(std::make_unique<HeadlessDisplay>(namePrefix).release());  // gtest owns it
  return true;
}

}  // namespace kqm::test
