// For the end-to-end scripts: reads what another process shows, without driving it.
//   kqm_probe rows <window title> <out file>   the first report list of that window: "top <n>", then one line
//                                              per row: "<index> <ticked 0|1> <selected 0|1> <first column>"
//   kqm_probe clipboard <out file>             the clipboard's Unicode text
//   kqm_probe dpi <window title> <dpi>         the window hears that its monitor now has this resolution
//   kqm_probe names <window title> <out file>  what assistive technology is told about the window and every
//                                              control in it (name, role, state; simple children indented)
// Writes UTF-8; exits 0 when it could read or do what was asked, 1 when the window is not found or the request
// fails, 2 for an unknown request.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

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
std::string Utf8(const std::wstring& text) { return Utf8(text.c_str()); }

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

constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

std::wstring Name(IAccessible* acc, VARIANT child) {
  BSTR b = nullptr;
  if (acc->get_accName(child, &b) != S_OK || !b) return L"(no name)";
  std::wstring out = b;
  SysFreeString(b);
  return L"\"" + out + L"\"";
}

std::wstring Role(IAccessible* acc, VARIANT child) {
  VARIANT v;
  VariantInit(&v);
  if (acc->get_accRole(child, &v) != S_OK || v.vt != VT_I4) return L"(no role)";
  wchar_t text[128] = {};
  GetRoleTextW(static_cast<DWORD>(v.lVal), text, 128);
  return text;
}

std::wstring State(IAccessible* acc, VARIANT child) {
  VARIANT v;
  VariantInit(&v);
  if (acc->get_accState(child, &v) != S_OK || v.vt != VT_I4) return L"";
  std::wstring out;
  for (DWORD bit = 1; bit != 0 && bit <= 0x40000000u; bit <<= 1) {
    if ((static_cast<DWORD>(v.lVal) & bit) == 0) continue;
    wchar_t text[128] = {};
    GetStateTextW(bit, text, 128);
    out += (out.empty() ? L"" : L", ") + std::wstring(text);
  }
  return out;
}

std::wstring Action(IAccessible* acc, VARIANT child) {
  BSTR b = nullptr;
  if (acc->get_accDefaultAction(child, &b) != S_OK || !b) return L"";
  std::wstring out = L"; action " + std::wstring(b);
  SysFreeString(b);
  return out;
}

VARIANT Id(long id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

void Describe(FILE* out, HWND hwnd, int depth) {
  wchar_t cls[128] = {};
  GetClassNameW(hwnd, cls, 128);
  IAccessible* acc = nullptr;
  std::wstring line(static_cast<size_t>(depth) * 2, L' ');
  line += std::wstring(L"[") + cls + L"] ";
  if (AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                 reinterpret_cast<void**>(&acc)) == S_OK && acc) {
    const VARIANT self = Id(CHILDID_SELF);
    line += Role(acc, self) + L" " + Name(acc, self) + L" (" + State(acc, self) + L")" + Action(acc, self);
    std::fputs((Utf8(line) + "\n").c_str(), out);
    long count = 0;
    if (acc->get_accChildCount(&count) == S_OK) {
      for (long i = 1; i <= count && i <= 200; ++i) {
        IDispatch* sub = nullptr;
        // Children that are windows of their own are described under their window.
        if (acc->get_accChild(Id(i), &sub) == S_OK && sub) {
          sub->Release();
          continue;
        }
        const std::wstring role = Role(acc, Id(i));
        if (role == L"(no role)") continue;  // a child window the system counts, described under its window
        std::wstring item(static_cast<size_t>(depth) * 2 + 4, L' ');
        item += Role(acc, Id(i)) + L" " + Name(acc, Id(i)) + L" (" + State(acc, Id(i)) + L")" + Action(acc, Id(i));
        std::fputs((Utf8(item) + "\n").c_str(), out);
      }
    }
    acc->Release();
  } else {
    std::fputs((Utf8(line + L"(no accessible object)") + "\n").c_str(), out);
  }
  for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) Describe(out, c, depth + 1);
}

int Dpi(const wchar_t* title, int dpi) {
  const HWND window = FindWindowW(nullptr, title);
  if (!window) return 1;
  DWORD_PTR result = 0;
  // No suggested place: a pointer would mean nothing in the window's process.
  return SendMessageTimeoutW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), 0, SMTO_ABORTIFHUNG, 10000,
                             &result) ? 0 : 1;
}

int Names(const wchar_t* title, const wchar_t* path) {
  const HWND window = FindWindowW(nullptr, title);
  if (!window) return 1;
  CoInitialize(nullptr);
  FILE* out = _wfopen(path, L"wb");
  if (!out) return 1;
  Describe(out, window, 0);
  std::fclose(out);
  CoUninitialize();
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && lstrcmpW(argv[1], L"rows") == 0) return Rows(argv[2], argv[3]);
  if (argc == 3 && lstrcmpW(argv[1], L"clipboard") == 0) return ClipboardText(argv[2]);
  if (argc == 4 && lstrcmpW(argv[1], L"dpi") == 0) return Dpi(argv[2], _wtoi(argv[3]));
  if (argc == 4 && lstrcmpW(argv[1], L"names") == 0) return Names(argv[2], argv[3]);
  std::fputs("usage: kqm_probe rows|names <window title> <out file> | clipboard <out file> | dpi <window title> "
             "<dpi>\n", stderr);
  return 2;
}
