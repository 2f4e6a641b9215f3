#pragma once
#include <string>
#include <windows.h>

#include "platform/text.h"

namespace kqm {

// UTF-8 text as a NUL-terminated wide string for the W entry points.
inline std::wstring Wide(const std::string& utf8) {
  const std::u16string s = Utf8ToUtf16(utf8);
  return std::wstring(s.begin(), s.end());
}

// Wide text (up to its first NUL) as UTF-8.
inline std::string Narrow(const wchar_t* text) {
  std::u16string s;
  for (; text && *text; ++text) s += static_cast<char16_t>(*text);
  return Utf16ToUtf8(s);
}

inline std::string Narrow(const std::wstring& text) { return Narrow(text.c_str()); }

}  // namespace kqm
