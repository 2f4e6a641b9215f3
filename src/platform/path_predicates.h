#pragma once
#include <string>

namespace kqm {

// Drive number of a path starting with a drive letter and ":" (0 for A to 25 for Z), -1 otherwise.
int PathGetDriveNumber(const std::string& path);
// Cuts `path` down to its root ("C:\", "\\server\share", "\"); returns false (path emptied) when it has none.
bool PathStripToRoot(std::string& path);
// True for UNC paths ("\\..." ) and paths on a network drive letter (never, without a network).
bool PathIsNetworkPath(const std::string& path);
// True for exactly "\\server\share" (no further backslash).
bool PathIsUNCServerShare(const std::string& path);
// True for "\\" or "\\server" without a share.
bool PathIsUNCServer(const std::string& path);
// True for paths starting with "\\" (the "\\?\" prefixed forms included).
bool PathIsUNC(const std::string& path);

}  // namespace kqm
