#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/entry_engine.h"
#include "engine/entry_marks.h"
#include "engine/move_result.h"
#include "platform/error_reporter.h"
#include "platform/file_system.h"
#include "platform/list_view.h"
#include "platform/registry_api.h"
#include "platform/shell.h"
#include "registry/clsRegistry.h"

namespace kqm {

// The startup-item engine's named operations: each fills a list with one launch location's active entries
// (ticked) followed by its disabled ones (unticked), or moves one entry named by its root, key, name and shown
// data between its live place and the program's own store. Entries are read and moved by the EntryEngine it
// owns (Entries()), which the window and the command line use directly.
class clsStartUp {
 public:
  // sDisabledPath: the Disabled folder beside the program, ending in "\"; appBaseName: the executable's base
  // name for the registry object's error sources; reporter: where a missing StartUp folder is reported.
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
  // `marks` (from the row's tag) choose the view; when the machine's store refuses a user's own entry, it goes
  // to the store below HKEY_CURRENT_USER instead.
  [[nodiscard]] MoveResult DisableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                          const std::string& sValue, const EntryMarks& marks = {});
  // Moves a stored value back into root sRoot's launch key, the same way, from the store `marks` name; a flag of
  // Windows' own startup approval that would still keep it off is cleared.
  [[nodiscard]] MoveResult EnableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                         const std::string& sValue, const EntryMarks& marks = {});
  // Switches a live entry that Windows' startup approval keeps off back on (writing the flag Windows writes for
  // "on"); nothing moves.
  [[nodiscard]] MoveResult ApproveRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                          const std::string& sValue, const EntryMarks& marks);

  // The files the system starts from the user's (bAll false; tag "USER") or the common (tag "ALL") StartUp
  // folder, then those of the matching Disabled subfolder: a shortcut (*.lnk) by its name and target, any other
  // file by its name and path. Files that Windows' startup approval keeps off are unticked and marked.
  void LoadStartUpFiles(ListView& lst, bool bAll);
  // Moves file sFile (name with extension) from the StartUp folder into the Disabled subfolder, creating the
  // Disabled folder and subfolder when missing. A different file of that name there is replaced only when the
  // replace question says yes.
  [[nodiscard]] MoveResult DisableFileItem(const std::string& sFile, bool bAll);
  // Moves shortcut sFile from the Disabled subfolder back into the StartUp folder (which is not created).
  [[nodiscard]] MoveResult EnableFileItem(const std::string& sFile, bool bAll);
  // Switches a file of the StartUp folder that Windows' startup approval keeps off back on; nothing moves.
  [[nodiscard]] MoveResult ApproveFileItem(const std::string& sFile, bool bAll);

  // What reads and moves the entries.
  EntryEngine& Entries() { return *entries_; }
  // Sets who is asked before a move replaces a different entry of the same name (unset: never replace).
  void AskReplace(ReplaceAsker asker) { entries_->AskReplace(std::move(asker)); }
  // The window that owns the shell's folder queries (0 = none).
  void OwnerWindow(std::intptr_t hWnd) { entries_->OwnerWindow(hWnd); }
  const std::string& sDisabledPath() const { return entries_->sDisabledPath(); }
  clsRegistry& Registry() { return *registry_; }

 private:
  // Fills the list with the location's entries in the list's shape (tag, rows, row tags).
  void Load(ListView& lst, LocationId location);
  // The registry entry a named operation means, read now from its launch key (`live`) or its store; its shown
  // data must still be `sValue`.
  MoveResult MoveNamed(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                       const std::string& sValue, const EntryMarks& marks, EntryState state, MoveDirection direction);
  MoveResult MoveNamedFile(const std::string& sFile, bool bAll, EntryState state, MoveDirection direction);

  std::unique_ptr<clsRegistry> registry_;
  std::unique_ptr<EntryEngine> entries_;
};

}  // namespace kqm
