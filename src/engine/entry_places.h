#pragma once
#include <cstdint>
#include <string>

#include "engine/registry_values.h"
#include "engine/startup_entry.h"

namespace kqm {

class ErrorReporter;
class Shell;

// The program's own registry area below HKEY_LOCAL_MACHINE (and, left empty by enabling, below an item's root).
inline constexpr const char* kProgramRegistryArea = "Software\\Kestrum\\QuorvelManager\\";
// The key the launch keys lie below.
inline constexpr const char* kLaunchKeyBase = "Software\\Microsoft\\Windows\\CurrentVersion\\";

// Where a registry entry of a location lives in a view: its launch key, the store it is switched off into
// (the machine's, in the same view, or the user's own below HKEY_CURRENT_USER), and Windows' approval list that
// can keep it from starting (nullptr for RunOnce and RunServices, which Windows does not switch off).
struct EntryPlaces {
  RegPlace live;
  RegPlace store;
  const char* approvals;
};
EntryPlaces PlacesFor(const Location& location, RegView view, bool userStore);
// The places of the entry as it is now (its store by its own marks).
inline EntryPlaces PlacesOf(const StartupEntry& entry) {
  return PlacesFor(entry.Where(), entry.view, entry.userStore);
}

// The place as the registry editor shows it: "HKEY_CURRENT_USER\Software\...\Run", the 32-bit view's machine
// software below WOW6432Node.
std::string PlaceText(const RegPlace& place);
// PlaceText, with the view of a machine key: "... (32-bit view)" or "... (64-bit view)".
std::string PlaceTextWithView(const RegPlace& place);

// A StartUp folder and its Disabled subfolder, each ending in "\"; "" when the shell gives no folder or no safe
// subfolder can be named.
struct FolderPair {
  std::string live;
  std::string disabled;
};
// The folders of a StartUp folder location. With a reporter, a folder the shell does not give is reported (as
// "FolderLocation"); without one, it is asked quietly.
FolderPair FoldersFor(const Location& location, Shell& shell, ErrorReporter* reporter, std::intptr_t owner,
                      const std::string& sDisabledPath);

// A folder or file name without folder parts, device syntax or wildcards.
bool IsPlainName(const std::string& name);
// Files of a StartUp folder the system starts: all but its folder settings.
bool IsStartedName(const std::string& name);
// The path without the "\" at its end (a drive's root keeps it).
std::string WithoutTrailingSeparator(std::string path);

}  // namespace kqm
