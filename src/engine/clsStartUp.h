#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "app/error_reporter.h"
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
  // Moves value sValueName of root sRoot's launch key (sKey "RO", "RS", else Run) into the store, as the string
  // sValue. True when the store holds it and the launch key no longer does; false leaves it in the launch key.
  bool DisableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                      const std::string& sValue);
  // Moves a stored value back into root sRoot's launch key as the string sValue. True when the launch key holds
  // it and the store no longer does; false leaves it in the store.
  bool EnableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                     const std::string& sValue);

  // The shortcuts (*.lnk) of the user's (bAll false; tag "USER") or the common (tag "ALL") StartUp folder, then
  // those of the matching Disabled subfolder.
  void LoadStartUpFiles(ListView& lst, bool bAll);
  // Moves shortcut sFile (name with extension) from the StartUp folder into the Disabled subfolder, creating the
  // Disabled folder and subfolder when missing. True when the file arrived; false leaves it where it was.
  bool DisableFileItem(const std::string& sFile, bool bAll);
  // Moves shortcut sFile from the Disabled subfolder back into the StartUp folder (which is not created).
  // True when the file arrived; false leaves it where it was.
  bool EnableFileItem(const std::string& sFile, bool bAll);

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
  bool MoveRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName, const std::string& sValue,
                   bool toStore);
  FolderPair Folders(bool bAll);
  void AddFileRows(ListView& lst, const std::string& folder, bool bChecked);
  bool PrepareDisabledFolders(const FolderPair& folders);
  bool MoveFile(const std::string& from, const std::string& to);

  RegistryApi& api_;
  FileSystem& fs_;
  Shell& shell_;
  ErrorReporter& reporter_;
  std::string sDisabledPath_;
  std::intptr_t ownerWindow_ = 0;
  std::unique_ptr<clsRegistry> registry_;
  std::unique_ptr<colFiles_Kebbo> files_;
};

}  // namespace kqm
