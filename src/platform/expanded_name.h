#pragma once
#include <string>
#include <string_view>

namespace kqm {

// The name a file decompresses to, given its path and its first bytes: for an expand-style (SZDD) compressed file
// the last character of the name, stored in the header, replaces a final "_" (in the case of the name's last
// letter) and a lone final "." is dropped; any other file keeps its path.
std::string ExpandedNameFromHeader(const std::string& path, std::string_view firstBytes);

}  // namespace kqm
