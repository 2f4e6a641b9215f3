#include <windows.h>

#include "platform/text.h"
#include "platform/win32/win32_registry.h"
#include "registry_backend.h"

namespace kqm::test {

RegistryApi& Registry() {
  static Win32Registry registry;
  return registry;
}

void SetEnvironment(const std::string& name, const std::string& value) {
  SetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(Utf8ToUtf16(name).c_str()),
                          reinterpret_cast<const wchar_t*>(Utf8ToUtf16(value).c_str()));
}

bool IsRealRegistry() { return true; }

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace kqm::test
