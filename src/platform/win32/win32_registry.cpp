#include "platform/win32/win32_registry.h"

#include <windows.h>

namespace kqm {

namespace {
HKEY H(RegKey k) { return reinterpret_cast<HKEY>(k); }
const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
}  // namespace

int32_t Win32Registry::OpenKey(RegKey root, const std::u16string& path, uint32_t access, RegKey& out) {
  HKEY h = nullptr;
  const LONG r = RegOpenKeyExW(H(root), W(path), 0, access, &h);
  out = r == ERROR_SUCCESS ? reinterpret_cast<RegKey>(h) : 0;
  return r;
}

int32_t Win32Registry::CreateKey(RegKey root, const std::u16string& path, uint32_t access, RegKey& out) {
  HKEY h = nullptr;
  SECURITY_ATTRIBUTES sa{};  // default security, handle not inheritable
  sa.nLength = sizeof sa;
  wchar_t emptyClass[] = L"";
  const LONG r = RegCreateKeyExW(H(root), W(path), 0, emptyClass, REG_OPTION_NON_VOLATILE, access, &sa, &h, nullptr);
  out = r == ERROR_SUCCESS ? reinterpret_cast<RegKey>(h) : 0;
  return r;
}

int32_t Win32Registry::CloseKey(RegKey key) { return RegCloseKey(H(key)); }

int32_t Win32Registry::QueryValue(RegKey key, const std::u16string& name, uint32_t* type, uint8_t* data,
                                  uint32_t* byteCount) {
  DWORD t = 0;
  DWORD n = byteCount ? *byteCount : 0;
  const LONG r = RegQueryValueExW(H(key), W(name), nullptr, &t, data, byteCount ? &n : nullptr);
  if (type) *type = t;
  if (byteCount) *byteCount = n;
  return r;
}

int32_t Win32Registry::SetValue(RegKey key, const std::u16string& name, uint32_t type, const uint8_t* data,
                                uint32_t byteCount) {
  return RegSetValueExW(H(key), W(name), 0, type, data, byteCount);
}

int32_t Win32Registry::EnumValue(RegKey key, uint32_t index, char16_t* name, uint32_t* nameChars) {
  DWORD n = *nameChars;
  const LONG r = RegEnumValueW(H(key), index, reinterpret_cast<wchar_t*>(name), &n, nullptr, nullptr, nullptr, nullptr);
  *nameChars = n;
  return r;
}

int32_t Win32Registry::EnumValueData(RegKey key, uint32_t index, char16_t* name, uint32_t* nameChars, uint32_t* type,
                                     uint8_t* data, uint32_t* dataBytes) {
  DWORD n = *nameChars, t = 0, bytes = *dataBytes;
  const LONG r = RegEnumValueW(H(key), index, reinterpret_cast<wchar_t*>(name), &n, nullptr, &t, data, &bytes);
  *nameChars = n;
  *type = t;
  *dataBytes = bytes;
  return r;
}

int32_t Win32Registry::EnumKey(RegKey key, uint32_t index, char16_t* name, uint32_t nameChars) {
  return RegEnumKeyW(H(key), index, reinterpret_cast<wchar_t*>(name), nameChars);
}

int32_t Win32Registry::QueryInfoKey(RegKey key, uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* values,
                                    uint32_t* maxValueNameLen, uint32_t* maxValueBytes) {
  DWORD sk = 0, msk = 0, v = 0, mv = 0, mb = 0;
  const LONG r = RegQueryInfoKeyW(H(key), nullptr, nullptr, nullptr, &sk, &msk, nullptr, &v, &mv, &mb, nullptr,
                                  nullptr);
  if (maxValueBytes) *maxValueBytes = mb;
  if (subKeys) *subKeys = sk;
  if (maxSubKeyLen) *maxSubKeyLen = msk;
  if (values) *values = v;
  if (maxValueNameLen) *maxValueNameLen = mv;
  return r;
}

int32_t Win32Registry::DeleteKey(RegKey root, const std::u16string& path) { return RegDeleteKeyW(H(root), W(path)); }

int32_t Win32Registry::DeleteValue(RegKey key, const std::u16string& name) { return RegDeleteValueW(H(key), W(name)); }

int32_t Win32Registry::FlushKey(RegKey key) { return RegFlushKey(H(key)); }

uint32_t Win32Registry::ExpandEnvironment(const std::u16string& source, char16_t* buffer, uint32_t size) {
  return ExpandEnvironmentStringsW(W(source), reinterpret_cast<wchar_t*>(buffer), size);
}

}  // namespace kqm
