#include "platform/path_predicates.h"

namespace kqm {

namespace {

bool StartsWithTwoBackslashes(const std::string& p) { return p.size() >= 2 && p[0] == '\\' && p[1] == '\\'; }

bool IsRoot(const std::string& p) {
  if (p.empty()) return false;
  if (p[0] == '\\') {
    if (p.size() == 1) return true;
    if (p[1] != '\\') return false;
    int slashes = 0;
    for (size_t i = 2; i < p.size(); ++i)
      if (p[i] == '\\' && ++slashes > 1) return false;
    return true;
  }
  return p.size() == 3 && p[1] == ':' && p[2] == '\\';
}

// Drops the last component of a path, keeping "X:\", "X:" and the leading "\" or "\\"; false when nothing changed.
bool RemoveFileSpec(std::string& p) {
  size_t i = 0;
  size_t cut = 0;
  if (i < p.size() && p[i] == '\\') cut = ++i;
  if (i < p.size() && p[i] == '\\') cut = ++i;
  for (; i < p.size(); ++i) {
    if (p[i] == '\\') {
      cut = i;
    } else if (p[i] == ':') {
      cut = i + 1;
      if (cut < p.size() && p[cut] == '\\') ++cut;
      i = cut - 1;
    }
  }
  if (cut >= p.size()) return false;
  p.resize(cut);
  return true;
}

}  // namespace

int PathGetDriveNumber(const std::string& path) {
  size_t start = path.compare(0, 4, "\\\\?\\") == 0 ? 4 : 0;
  if (path.size() < start + 2 || path[start + 1] != ':') return -1;
  char c = path[start];
  if (c >= 'a' && c <= 'z') return c - 'a';
  if (c >= 'A' && c <= 'Z') return c - 'A';
  return -1;
}

bool PathStripToRoot(std::string& path) {
  while (!IsRoot(path))
    if (!RemoveFileSpec(path)) return false;
  return true;
}

bool PathIsNetworkPath(const std::string& path) { return StartsWithTwoBackslashes(path); }

bool PathIsUNCServerShare(const std::string& path) {
  if (!StartsWithTwoBackslashes(path)) return false;
  int slashes = 0;
  for (size_t i = 2; i < path.size(); ++i)
    if (path[i] == '\\' && ++slashes > 1) return false;
  return slashes == 1;
}

bool PathIsUNCServer(const std::string& path) {
  return StartsWithTwoBackslashes(path) && path.find('\\', 2) == std::string::npos;
}

bool PathIsUNC(const std::string& path) { return StartsWithTwoBackslashes(path); }

}  // namespace kqm
