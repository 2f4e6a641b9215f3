#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/registry_api.h"
#include "platform/shell.h"

namespace kqm {

// The places Windows starts programs from at log-on that the program shows, in the navigation bar's order.
enum class LocationId : uint8_t {
  kHklmRun,
  kHklmRunOnce,
  kHklmRunServices,
  kHkcuRun,
  kHkcuRunOnce,
  kUserStartUp,
  kCommonStartUp,
  kCount
};
inline constexpr size_t kLocationCount = static_cast<size_t>(LocationId::kCount);

// Small-icon numbers of the list's rows.
inline constexpr int32_t kRegistryItemIcon = 1;
inline constexpr int32_t kStartUpFileIcon = 2;

// Everything the program knows about one location. Registry locations name a launch key below
// Software\Microsoft\Windows\CurrentVersion and a store key below the program's own area; StartUp folders name
// the shell's special folder and keep their switched-off files in the Disabled folder's subfolder.
struct Location {
  LocationId id;
  const char* navKey;     // the navigation bar's key, also the command line's name ("HKLMR")
  const char* caption;    // the navigation bar's caption ("HKLM\\Run")
  const char* listTag;    // the list's tag while it shows the location ("R", "RO", "RS", "USER", "ALL")
  int32_t root;           // the root the entries live below (a folder's: where Windows keeps its approval flags)
  const char* launchKey;  // "Run", "RunOnce", "RunServices"; nullptr for a StartUp folder
  const char* storeKey;   // below the program's area ("Disabled\\HKLM\\R"); nullptr for a StartUp folder
  const char* approvals;  // Windows' approval list of the native view; nullptr where Windows keeps none
  const char* approvals32;  // the same for the 32-bit view; nullptr where there is none
  int32_t specialFolder;  // the StartUp folder's special-folder number; 0 for a registry location
  int32_t barIcon;        // the navigation item's icon: 0 a registry list, 1 a folder
  int32_t rowIcon;        // the rows' small icon

  constexpr bool IsFolder() const { return launchKey == nullptr; }
  // Whether the location has entries in the 32-bit registry view (the machine's software keys).
  constexpr bool HasTwoViews() const { return !IsFolder() && root == kHkeyLocalMachine; }
  // Whether entries need an administrator to change (the machine's keys and the common StartUp folder).
  constexpr bool ForAllUsers() const { return root == kHkeyLocalMachine; }
};

inline constexpr std::array<Location, kLocationCount> kLocations{{
    {LocationId::kHklmRun, "HKLMR", "HKLM\\Run", "R", kHkeyLocalMachine, "Run", "Disabled\\HKLM\\R", "Run", "Run32", 0,
     0, kRegistryItemIcon},
    {LocationId::kHklmRunOnce, "HKLMRO", "HKLM\\Run Once", "RO", kHkeyLocalMachine, "RunOnce", "Disabled\\HKLM\\RO",
     nullptr, nullptr, 0, 0, kRegistryItemIcon},
    {LocationId::kHklmRunServices, "HKLMS", "HKLM\\Run Services", "RS", kHkeyLocalMachine, "RunServices",
     "Disabled\\HKLM\\RS", nullptr, nullptr, 0, 0, kRegistryItemIcon},
    {LocationId::kHkcuRun, "HKCUR", "HKCU\\Run", "R", kHkeyCurrentUser, "Run", "Disabled\\HKCU\\R", "Run", nullptr, 0,
     0, kRegistryItemIcon},
    {LocationId::kHkcuRunOnce, "HKCURO", "HKCU\\Run Once", "RO", kHkeyCurrentUser, "RunOnce", "Disabled\\HKCU\\RO",
     nullptr, nullptr, 0, 0, kRegistryItemIcon},
    {LocationId::kUserStartUp, "USER", "User StartUp Folder", "USER", kHkeyCurrentUser, nullptr, nullptr,
     "StartupFolder", nullptr, special_folder::kStartUp, 1, kStartUpFileIcon},
    {LocationId::kCommonStartUp, "ALLUSERS", "Common StartUp Folder", "ALL", kHkeyLocalMachine, nullptr, nullptr,
     "StartupFolder", nullptr, special_folder::kCommonStartUp, 1, kStartUpFileIcon},
}};

// Each row of the table stands at its own enumerator's position.
constexpr bool TableFollowsTheEnumeration() {
  for (size_t i = 0; i < kLocations.size(); ++i)
    if (static_cast<size_t>(kLocations[i].id) != i) return false;
  return true;
}
static_assert(kLocations.size() == kLocationCount && TableFollowsTheEnumeration());

constexpr const Location& LocationOf(LocationId id) { return kLocations[static_cast<size_t>(id)]; }

// The location with this navigation key, compared exactly; nullptr for none.
const Location* FindLocation(std::string_view navKey);
// The same, with ASCII letters compared without regard to case (the command line's names).
const Location* FindLocationIgnoringCase(std::string_view navKey);
// The registry location of a root and a key text ("RO" RunOnce, "RS" RunServices, anything else Run); nullptr
// when the program shows no such location.
const Location* FindRegistryLocation(int32_t root, std::string_view sKey);
// The StartUp folder location: the common one when bAll.
const Location& FolderLocationOf(bool bAll);

}  // namespace kqm
