#include "platform/win32/win32_process.h"

#include <windows.h>

#include "platform/text.h"

namespace kqm {

namespace {
std::u16string ModulePath() {
  std::u16string buf(MAX_PATH, u'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(buf.data()), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(buf.size() * 2);
  }
}
}  // namespace

std::string Win32Process::ExecutableFolder() {
  auto path = ModulePath();
  const auto slash = path.find_last_of(u"\\/");
  std::u16string folder = slash == std::u16string::npos ? u"" : path.substr(0, slash);
  if (folder.size() == 2 && folder[1] == u':') folder += u'\\';  // a drive root is reported with its "\"
  return Utf16ToUtf8(folder);
}

std::string Win32Process::ExecutableBaseName() {
  auto path = ModulePath();
  const auto slash = path.find_last_of(u"\\/");
  auto name = slash == std::u16string::npos ? path : path.substr(slash + 1);
  const auto dot = name.find_last_of(u'.');
  if (dot != std::u16string::npos) name.resize(dot);
  return Utf16ToUtf8(name);
}

void Win32Process::MessageBoxOk(const std::string& title, const std::string& text) {
  const auto t = Utf8ToUtf16(title), m = Utf8ToUtf16(text);
  MessageBoxW(GetActiveWindow(), reinterpret_cast<const wchar_t*>(m.c_str()),
              reinterpret_cast<const wchar_t*>(t.c_str()), MB_OK | MB_TASKMODAL);
}

void Win32Process::EndProcess(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace kqm
