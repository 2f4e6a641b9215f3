#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/lnk_reader.h"
#include "platform/text.h"

namespace {

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0, length = 0; i < s.size(); i += length)
    if ((length = kqm::StrictUtf8Length(s, i)) == 0) return false;
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
