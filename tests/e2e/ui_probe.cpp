// ui_probe dpi <window title> <dpi>          the window hears that its monitor now has this resolution
// ui_probe contrast on|off                   high contrast on or off, as the system's settings do it
// ui_probe names <window title> <out file>   what assistive technology is told about the window and every
//                                            control in it (name, role, state; simple children indented), UTF-8
// Exit code 0 on success, 1 when the window is not found or the request fails.
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

std::string Utf8(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring what = argc > 1 ? argv[1] : L"";
  if (what == L"contrast" && argc == 3) {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof hc;
    hc.dwFlags = std::wstring(argv[2]) == L"on" ? HCF_HIGHCONTRASTON : 0;
    if (!SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof hc, &hc, SPIF_SENDCHANGE)) return 1;
    HIGHCONTRASTW now{};
    now.cbSize = sizeof now;
    SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof now, &now, 0);
    return ((now.dwFlags & HCF_HIGHCONTRASTON) != 0) == (hc.dwFlags != 0) ? 0 : 1;
  }
  if (argc < 3) return 1;
  const HWND window = FindWindowW(nullptr, argv[2]);
  if (!window) return 1;
  if (what == L"dpi" && argc == 4) {
    const int dpi = _wtoi(argv[3]);
    DWORD_PTR result = 0;
    // No suggested place: a pointer would mean nothing in the window's process.
    return SendMessageTimeoutW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), 0, SMTO_ABORTIFHUNG, 10000,
                               &result) ? 0 : 1;
  }
  if (what == L"names" && argc == 4) {
    CoInitialize(nullptr);
    FILE* out = _wfopen(argv[3], L"wb");
    if (!out) return 1;
    Describe(out, window, 0);
    std::fclose(out);
    CoUninitialize();
    return 0;
  }
  return 1;
}
