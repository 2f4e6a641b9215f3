#include <cerrno>
#include <iconv.h>
#include <string>

#include "platform/code_page.h"

namespace kqm {

std::optional<std::u16string> DecodeCodePage(uint32_t codePage, std::string_view text) {
  // The C library knows Windows' code pages as "CP<number>" (CP1252, CP936 ...).
  const iconv_t converter = iconv_open("UTF-16LE", ("CP" + std::to_string(codePage)).c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::u16string out;
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char buffer[512];
  while (inLeft > 0) {
    char* outAt = buffer;
    size_t outLeft = sizeof buffer;
    const size_t result = iconv(converter, &in, &inLeft, &outAt, &outLeft);
    const int error = errno;
    for (const char* p = buffer; p + 1 < outAt; p += 2)
      out += static_cast<char16_t>(static_cast<uint8_t>(p[0]) | static_cast<uint8_t>(p[1]) << 8);
    if (result == static_cast<size_t>(-1) && error != E2BIG) {
      // A byte the code page does not map, or a lead byte cut off by the end: one replacement, then go on.
      out += u'\uFFFD';
      ++in;
      --inLeft;
    }
  }
  iconv_close(converter);
  return out;
}

}  // namespace kqm
