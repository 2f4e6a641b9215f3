#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kqm {

// Text in a Windows code page (1252, 936 ...) as UTF-16, decoded by the platform's own converter; bytes the code
// page does not map become a replacement character. nullopt when the platform does not know the code page.
std::optional<std::u16string> DecodeCodePage(uint32_t codePage, std::string_view text);

}  // namespace kqm
