#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/lnk_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto link = kqm::ParseShortcut(std::string_view(reinterpret_cast<const char*>(data), size));
  if (link) {
    volatile size_t total = link->target.size() + link->idListPath.size() + link->arguments.size();
    static_cast<void>(total);
  }
  return 0;
}
