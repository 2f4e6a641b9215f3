#include "platform/win32/win32_clipboard.h"

#include <windows.h>

#include <cstring>

#include "platform/text.h"

namespace kqm {

int32_t Win32Clipboard::SetText(const std::string& text) {
  const std::u16string wide = Utf8ToUtf16(text);
  // Another program may hold the clipboard open for a moment.
  bool open = false;
  for (int attempt = 0; attempt < 10 && !(open = OpenClipboard(owner_)); ++attempt) Sleep(20);
  if (!open) return static_cast<int32_t>(GetLastError());
  int32_t status = 0;
  // The clipboard owns the memory once SetClipboardData accepts it.
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(char16_t));
  if (void* p = memory ? GlobalLock(memory) : nullptr) {
    std::memcpy(p, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    GlobalUnlock(memory);
    if (!EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory)) {
      const DWORD error = GetLastError();
      status = static_cast<int32_t>(error ? error : ERROR_CLIPBOARD_NOT_OPEN);
      GlobalFree(memory);
    }
  } else {
    status = ERROR_OUTOFMEMORY;
    if (memory) GlobalFree(memory);
  }
  CloseClipboard();
  return status;
}

}  // namespace kqm
