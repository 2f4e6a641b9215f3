// For the end-to-end scripts: reads what another process shows, without driving it.
//   kqm_probe rows <window title> <out file>   the first report list of that window: "top <n>", then one line
//                                              per row: "<index> <ticked 0|1> <selected 0|1> <first column>"
//   kqm_probe clipboard <out file>             the clipboard's Unicode text
// Writes UTF-8; exits 0 when it could read, else 1.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "platform/text.h"

namespace {

bool WriteAll(const wchar_t* path, const std::string& text) {
  FILE* out = _wfopen(path, L"wb");
  if (!out) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  return std::fclose(out) == 0 && ok;
}

std::string Utf8(const wchar_t* text) { return kqm::Utf16ToUtf8(reinterpret_cast<const char16_t*>(text)); }

HWND FindList(HWND top) {
  HWND found = nullptr;
  EnumChildWindows(top, [](HWND child, LPARAM p) {
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    if (lstrcmpiW(cls, WC_LISTVIEWW) != 0) return TRUE;
    *reinterpret_cast<HWND*>(p) = child;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&found));
  return found;
}

int Rows(const wchar_t* title, const wchar_t* path) {
  const HWND top = FindWindowW(nullptr, title);
  const HWND list = top ? FindList(top) : nullptr;
  if (!list) return 1;
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return 1;
  constexpr size_t kChars = 1024;
  // The text buffer must lie in the program's own memory: the list writes into it there.
  auto* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return 1;
  std::string out = "top " + std::to_string(SendMessageW(list, LVM_GETTOPINDEX, 0, 0) + 1) + "\n";
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    LVITEMW item{};
    item.iSubItem = 0;
    item.cchTextMax = kChars;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    wchar_t text[kChars] = {};
    SIZE_T done = 0;
    if (!WriteProcessMemory(process, remote, &item, sizeof item, &done) ||
        SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote)) < 0 ||
        !ReadProcessMemory(process, remote + sizeof(LVITEMW), text, sizeof text - sizeof(wchar_t), &done))
      return 1;
    const UINT state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK | LVIS_SELECTED));
    out += std::to_string(i + 1) + " " + (((state & LVIS_STATEIMAGEMASK) >> 12) == 2 ? "1" : "0") + " " +
           ((state & LVIS_SELECTED) ? "1" : "0") + " " + Utf8(text) + "\n";
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return WriteAll(path, out) ? 0 : 1;
}

int ClipboardText(const wchar_t* path) {
  if (!OpenClipboard(nullptr)) return 1;
  std::string text;
  bool ok = false;
  if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = Utf8(p);
      ok = true;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return ok && WriteAll(path, text) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && lstrcmpW(argv[1], L"rows") == 0) return Rows(argv[2], argv[3]);
  if (argc == 3 && lstrcmpW(argv[1], L"clipboard") == 0) return ClipboardText(argv[2]);
  std::fputs("usage: kqm_probe rows <window title> <out file> | clipboard <out file>\n", stderr);
  return 2;
}
