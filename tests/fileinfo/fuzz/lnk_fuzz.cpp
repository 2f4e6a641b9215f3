#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/lnk_reader.h"

namespace {

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<uint8_t>(s[i]);
    size_t extra = 0;
    uint32_t c = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1, c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2, c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3, c = b & 0x07;
    } else {
      return false;
    }
    if (s.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const auto t = static_cast<uint8_t>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      c = c << 6 | (t & 0x3F);
    }
    if ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)))
      return false;
    i += extra + 1;
  }
  return true;
}

void RequireUtf8(const char* field, const std::string& text) {
  if (IsValidUtf8(text)) return;
  std::fprintf(stderr, "%s is not valid UTF-8 (%zu bytes)\n", field, text.size());
  std::abort();
}

}  // namespace

// Reads the input as a shortcut, in the Western code page or (odd sizes) the double-byte code page 936, and
// aborts when any text it returns is not valid UTF-8.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint32_t codePage = size % 2 ? 936 : 1252;
  const auto link = kqm::ParseShortcut(std::string_view(reinterpret_cast<const char*>(data), size), codePage);
  if (!link) return 0;
  RequireUtf8("target", link->target);
  RequireUtf8("idListPath", link->idListPath);
  RequireUtf8("localBasePath", link->localBasePath);
  RequireUtf8("description", link->description);
  RequireUtf8("relativePath", link->relativePath);
  RequireUtf8("workingDirectory", link->workingDirectory);
  RequireUtf8("arguments", link->arguments);
  RequireUtf8("iconLocation", link->iconLocation);
  RequireUtf8("installerDescriptor", link->installerDescriptor);
  return 0;
}
