#include "engine/entry_places.h"

#include <string_view>

#include "fileinfo/basFile_Kebbo.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace kqm {

namespace {

const char* RootName(int32_t root) {
  switch (root) {
    case kHkeyClassesRoot: return "HKEY_CLASSES_ROOT";
    case kHkeyCurrentUser: return "HKEY_CURRENT_USER";
    case kHkeyLocalMachine: return "HKEY_LOCAL_MACHINE";
    case kHkeyUsers: return "HKEY_USERS";
    case kHkeyCurrentConfig: return "HKEY_CURRENT_CONFIG";
    case kHkeyDynData: return "HKEY_DYN_DATA";
    default: return "?";
  }
}

}  // namespace

EntryPlaces PlacesFor(const Location& location, RegView view, bool userStore) {
  const bool machine32 = location.root == kHkeyLocalMachine && view == RegView::k32;
  const uint32_t storeView = view == RegView::k32 ? uint32_t{kKeyWow64_32} : 0u;
  const std::string storeKey = std::string(kProgramRegistryArea) + (location.storeKey ? location.storeKey : "");
  EntryPlaces places{{location.root, std::string(kLaunchKeyBase) + (location.launchKey ? location.launchKey : ""),
                      machine32 ? uint32_t{kKeyWow64_32} : 0u},
                     {kHkeyLocalMachine, storeKey, storeView},
                     machine32 ? location.approvals32 : location.approvals};
  // Without the rights to write below HKEY_LOCAL_MACHINE, a user's own entries are kept in his own area.
  if (userStore && location.root == kHkeyCurrentUser) places.store = {kHkeyCurrentUser, storeKey};
  return places;
}

std::string PlaceText(const RegPlace& place) {
  std::string path = place.path;
  if ((place.view & kKeyWow64_32) && place.root == kHkeyLocalMachine && path.size() > 9 &&
      FoldCase(Utf8ToUtf16(path.substr(0, 9))) == u"SOFTWARE\\")
    path.insert(9, "WOW6432Node\\");
  return std::string(RootName(place.root)) + "\\" + path;
}

std::string PlaceTextWithView(const RegPlace& place) {
  std::string text = PlaceText(place);
  if (place.root == kHkeyLocalMachine) text += place.view & kKeyWow64_32 ? " (32-bit view)" : " (64-bit view)";
  return text;
}

FolderPair FoldersFor(const Location& location, Shell& shell, ErrorReporter* reporter, std::intptr_t owner,
                      const std::string& sDisabledPath) {
  FolderPair folders;
  std::string live;
  if (reporter) {
    live = FolderLocation(shell, *reporter, location.specialFolder, owner);
  } else if (const ShellText asked = shell.SpecialFolder(location.specialFolder, owner); asked.ok()) {
    live = asked.value;
  }
  if (!live.empty()) folders.live = EnsureSuffix(live, "\\");
  const std::string subfolder = location.ForAllUsers() ? std::string("All Users") : CurrentUserName(shell);
  if (!sDisabledPath.empty() && IsPlainName(subfolder))
    folders.disabled = EnsureSuffix(sDisabledPath, "\\") + subfolder + "\\";
  return folders;
}

bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const unsigned char c : name)
    if (c < 0x20 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
      return false;
  return true;
}

bool IsStartedName(const std::string& name) { return FoldCase(Utf8ToUtf16(name)) != u"DESKTOP.INI"; }

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace kqm
