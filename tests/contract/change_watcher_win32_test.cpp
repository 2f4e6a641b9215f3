// The real change watcher and clipboard under Wine: changes made through the platform itself, as another program
// would make them, reach the handler through the message loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "headless_display.h"
#include "platform/registry_api.h"
#include "platform/win32/win32_change_watcher.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/text.h"

namespace kqm {
namespace {

const bool kHeadless = test::RegisterHeadlessDisplay(L"kqm-watcher");

// Runs the message loop until `flag` is set, for at most about ten seconds; the flag.
bool PumpUntil(const bool& flag) {
  for (int i = 0; i < 1000 && !flag; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (!flag) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return flag;
}

std::string Utf8(const std::wstring& w) { return Utf16ToUtf8(reinterpret_cast<const char16_t*>(w.c_str())); }

bool SetText(HKEY key, const wchar_t* name) {
  const wchar_t data[] = L"C:\\x.exe";
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data) == ERROR_SUCCESS;
}

TEST(Win32ChangeWatcher, ReportsEachValueWrittenAKeyThatAppearsAndAFoldersFiles) {
  const std::wstring base = L"Software\\kqm-watch-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring present = base + L"\\Run", missing = base + L"\\Later\\Run";
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"kqm-watch-" + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  HKEY key = nullptr, later = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, present.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, &key, nullptr));

  Win32ChangeWatcher watcher;
  bool changed = false;
  watcher.Watch({{WatchedPlace::Kind::kRegistryKey, kHkeyCurrentUser, Utf8(present)},
                 {WatchedPlace::Kind::kRegistryKey, kHkeyCurrentUser, Utf8(missing)},
                 {WatchedPlace::Kind::kFolder, 0, Utf8(folder)}},
                [&] { changed = true; });
  ASSERT_TRUE(SetText(key, L"first"));
  EXPECT_TRUE(PumpUntil(changed)) << "a value was written";
  changed = false;
  ASSERT_TRUE(SetText(key, L"second"));
  EXPECT_TRUE(PumpUntil(changed)) << "the key is watched again after a report";

  changed = false;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, missing.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, &later, nullptr));
  EXPECT_TRUE(PumpUntil(changed)) << "a watched key that did not exist was created";

  changed = false;
  const std::wstring file = folder + L"\\a.lnk";
  const HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  CloseHandle(h);
  EXPECT_TRUE(PumpUntil(changed)) << "a file was added to the folder";

  watcher.Stop();
  RegCloseKey(key);
  RegCloseKey(later);
  RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str());
  DeleteFileW(file.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST(Win32Clipboard, PutsTheWholeTextOnAsUnicode) {
  const HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, owner);
  Win32Clipboard clipboard(owner);
  const std::string text = "\"C:\\Program Files\\Z\xC3\xBCrich\\a.exe\" /x \"y z\"";
  ASSERT_EQ(0, clipboard.SetText(text));
  ASSERT_TRUE(OpenClipboard(owner));
  std::string read;
  if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    read = Utf16ToUtf8(static_cast<const char16_t*>(GlobalLock(data)));
    GlobalUnlock(data);
  }
  CloseClipboard();
  EXPECT_EQ(text, read);
  DestroyWindow(owner);
}

}  // namespace
}  // namespace kqm
