#include <windows.h>

#include "platform/code_page.h"

namespace kqm {

std::optional<std::u16string> DecodeCodePage(uint32_t codePage, std::string_view text) {
  if (!IsValidCodePage(codePage)) return std::nullopt;
  if (text.empty()) return std::u16string();
  const int length = static_cast<int>(text.size());
  const int count = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (count <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(count), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), count);
  return std::u16string(wide.begin(), wide.end());
}

}  // namespace kqm
