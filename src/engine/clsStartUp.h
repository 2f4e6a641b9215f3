#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "app/error_reporter.h"
#include "engine/move_result.h"
#include "fileinfo/colFiles_Kebbo.h"
#include "platform/file_system.h"
#include "platform/list_view.h"
#include "platform/registry_api.h"
#include "platform/shell.h"
#include "registry/clsRegistry.h"

namespace kqm {

// The program's own registry area below HKEY_LOCAL_MACHINE (and, left empty by enabling, below an item's root).
inline constexpr const char* kProgramRegistryArea = "Software\\Kestrum\\QuorvelManager\\";
// Small-icon numbers of the rows.
inline constexpr int32_t kRegistryItemIcon = 1;
inline constexpr int32_t kStartUpFileIcon = 2;

// The startup-item engine: fills the list with one launch location's active entries (ticked) followed by its
// disabled ones (unticked), and moves single entries between their live place and the program's own store:
// registry values into HKEY_LOCAL_MACHINE\Software\Kestrum\QuorvelManager\Disabled\<root>\<R|RO|RS>, shortcut
// files into the Disabled folder's subfolder named after the user (or "All Users"). A move writes the
// destination first, checks it, and removes the source only then; its result says where the entry is.
class clsStartUp {
 public:
  // sDisabledPath: the Disabled folder beside the program, ending in "\"; appBaseName: the executable's base
  // name for the registry object's error sources; reporter: where FolderLocation reports a missing folder.
  clsStartUp(RegistryApi& registry, FileSystem& fileSystem, Shell& shell, ErrorReporter& reporter,
             const std::string& appBaseName, std::string sDisabledPath);

  // HKEY_CURRENT_USER's Run key and its store rows; the list's tag becomes "R".
  void LoadHKCURItems(ListView& lst);
  // HKEY_CURRENT_USER's RunOnce key; tag "RO".
  void LoadHKCUROItems(ListView& lst);
  // HKEY_LOCAL_MACHINE's Run key; tag "R".
  void LoadHKLMRItems(ListView& lst);
  // HKEY_LOCAL_MACHINE's RunOnce key; tag "RO".
  void LoadHKLMROItems(ListView& lst);
  // HKEY_LOCAL_MACHINE's RunServices key; tag "RS".
  void LoadHKLMRSItems(ListView& lst);
  // Moves value sValueName of root sRoot's launch key (sKey "RO", "RS", else Run) into the store, with its type
  // and bytes as stored. sValue is the data as the list showed it: an entry whose data no longer shows so is not
  // moved. A different value of that name in the store is replaced only when the replace question says yes.
  MoveResult DisableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                            const std::string& sValue);
  // Moves a stored value back into root sRoot's launch key, the same way.
  MoveResult EnableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                           const std::string& sValue);

  // The shortcuts (*.lnk) of the user's (bAll false; tag "USER") or the common (tag "ALL") StartUp folder, then
  // those of the matching Disabled subfolder.
  void LoadStartUpFiles(ListView& lst, bool bAll);
  // Moves shortcut sFile (name with extension) from the StartUp folder into the Disabled subfolder, creating the
  // Disabled folder and subfolder when missing. A different file of that name there is replaced only when the
  // replace question says yes.
  MoveResult DisableFileItem(const std::string& sFile, bool bAll);
  // Moves shortcut sFile from the Disabled subfolder back into the StartUp folder (which is not created).
  MoveResult EnableFileItem(const std::string& sFile, bool bAll);

  // Sets who is asked before a move replaces a different entry of the same name (unset: never replace).
  void AskReplace(ReplaceAsker asker) { askReplace_ = std::move(asker); }

  // The window that owns the shell's folder queries (0 = none).
  void OwnerWindow(std::intptr_t hWnd) { ownerWindow_ = hWnd; }
  const std::string& sDisabledPath() const { return sDisabledPath_; }
  clsRegistry& Registry() { return *registry_; }

 private:
  struct RegLocation;
  struct FolderPair;

  void LoadRegistryLocation(ListView& lst, const RegLocation& location);
  void AddRegistryRows(ListView& lst, int32_t root, const std::string& path, const std::string& rootTag,
                       bool bChecked);
  MoveResult MoveRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                         const std::string& sValue, bool toStore);
  // The list's text for raw data, as a load shows it.
  std::string ShownText(uint32_t type, const std::string& bytes);
  FolderPair Folders(bool bAll);
  void AddFileRows(ListView& lst, const std::string& folder, bool bChecked);
  uint32_t PrepareDisabledFolders(const FolderPair& folders);
  MoveResult MoveFileItem(const std::string& sFile, bool bAll, bool toDisabled);
  MoveResult MoveFile(const std::string& fromFolder, const std::string& toFolder, const std::string& sFile);
  bool Replace(const std::string& name, const std::string& existing, const std::string& destination);

  RegistryApi& api_;
  FileSystem& fs_;
  Shell& shell_;
  ErrorReporter& reporter_;
  std::string sDisabledPath_;
  std::intptr_t ownerWindow_ = 0;
  ReplaceAsker askReplace_;
  std::unique_ptr<clsRegistry> registry_;
  std::unique_ptr<colFiles_Kebbo> files_;
};

}  // namespace kqm
