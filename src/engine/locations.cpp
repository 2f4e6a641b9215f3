#include "engine/locations.h"

namespace kqm {

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

}  // namespace

const Location* FindLocation(std::string_view navKey) {
  for (const Location& l : kLocations)
    if (navKey == l.navKey) return &l;
  return nullptr;
}

const Location* FindLocationIgnoringCase(std::string_view navKey) {
  for (const Location& l : kLocations)
    if (EqualIgnoringAsciiCase(navKey, l.navKey)) return &l;
  return nullptr;
}

const Location* FindRegistryLocation(int32_t root, std::string_view sKey) {
  const std::string_view launch = sKey == "RO" ? "RunOnce" : sKey == "RS" ? "RunServices" : "Run";
  for (const Location& l : kLocations)
    if (!l.IsFolder() && l.root == root && launch == l.launchKey) return &l;
  return nullptr;
}

const Location& FolderLocationOf(bool bAll) {
  return LocationOf(bAll ? LocationId::kCommonStartUp : LocationId::kUserStartUp);
}

}  // namespace kqm
