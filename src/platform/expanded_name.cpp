#include "platform/expanded_name.h"

#include <algorithm>

namespace kqm {

std::string ExpandedNameFromHeader(const std::string& path, std::string_view firstBytes) {
  static constexpr char kMagic[] = {'S', 'Z', 'D', 'D', '\x88', '\xF0', '\x27', '\x33'};
  if (firstBytes.size() < 14 || !std::equal(kMagic, kMagic + 8, firstBytes.begin())) return path;
  std::string out = path;
  const size_t separator = out.find_last_of("\\/:");
  const size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  if (nameStart >= out.size()) return out;
  char last = firstBytes[9];
  bool lower = true;
  for (size_t i = out.size(); i-- > 0;) {
    const char c = out[i];
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      lower = c >= 'a';
      break;
    }
  }
  if (last >= 'a' && last <= 'z' && !lower) last = static_cast<char>(last - 32);
  if (last >= 'A' && last <= 'Z' && lower) last = static_cast<char>(last + 32);
  const size_t dot = out.find('.', nameStart);
  if (dot != std::string::npos) {
    if (dot + 1 == out.size())
      out.erase(dot);
    else if (out.back() == '_')
      out.back() = last;
  }
  return out;
}

}  // namespace kqm
