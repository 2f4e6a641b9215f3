#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>

#include "app/error_reporter.h"
#include "engine/entry_marks.h"
#include "engine/move_result.h"
#include "engine/program_resolver.h"
#include "fileinfo/colFiles_Kebbo.h"
#include "platform/change_watcher.h"
#include "platform/file_system.h"
#include "platform/list_view.h"
#include "platform/registry_api.h"
#include "platform/shell.h"
#include "registry/clsRegistry.h"

namespace kqm {

struct RegPlace;

// The facts a program file's row details show (dates are automation dates, UTC; the zero date when unknown).
struct ProgramFileFacts {
  int64_t size = 0;
  double created = 0;
  double modified = 0;
  std::optional<FileVersionFacts> version;
};

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
  // `marks` (from the row's tag) choose the view; when the machine's store refuses a user's own entry, it goes
  // to the store below HKEY_CURRENT_USER instead.
  MoveResult DisableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                            const std::string& sValue, const EntryMarks& marks = {});
  // Moves a stored value back into root sRoot's launch key, the same way, from the store `marks` name; a flag of
  // Windows' own startup approval that would still keep it off is cleared.
  MoveResult EnableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                           const std::string& sValue, const EntryMarks& marks = {});
  // Switches a live entry that Windows' startup approval keeps off back on (writing the flag Windows writes for
  // "on"); nothing moves.
  MoveResult ApproveRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                            const std::string& sValue, const EntryMarks& marks);

  // The files the system starts from the user's (bAll false; tag "USER") or the common (tag "ALL") StartUp
  // folder, then those of the matching Disabled subfolder: a shortcut (*.lnk) by its name and target, any other
  // file by its name and path. Files that Windows' startup approval keeps off are unticked and marked.
  void LoadStartUpFiles(ListView& lst, bool bAll);
  // Moves file sFile (name with extension) from the StartUp folder into the Disabled subfolder, creating the
  // Disabled folder and subfolder when missing. A different file of that name there is replaced only when the
  // replace question says yes.
  MoveResult DisableFileItem(const std::string& sFile, bool bAll);
  // Moves shortcut sFile from the Disabled subfolder back into the StartUp folder (which is not created).
  MoveResult EnableFileItem(const std::string& sFile, bool bAll);
  // Switches a file of the StartUp folder that Windows' startup approval keeps off back on; nothing moves.
  MoveResult ApproveFileItem(const std::string& sFile, bool bAll);

  // How this machine finds the program a command line starts (for ResolveProgram).
  ProgramLookup Lookup();
  // The registry type of a listed entry ("REG_SZ", "REG_EXPAND_SZ", ... or the number), in its launch key
  // (`live`) or its store; "" when it cannot be read.
  std::string EntryTypeName(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                            const EntryMarks& marks, bool live);

  // The key a listed registry entry is in, as the registry editor names it ("HKEY_CURRENT_USER\\Software\\...\\Run",
  // the 32-bit view's machine keys below WOW6432Node): its launch key (`live`) or its store.
  std::string EntryKeyPath(int32_t sRoot, const std::string& sKey, const EntryMarks& marks, bool live);
  // The places a registry location's rows come from (launch keys in every view, stores, Windows' approval
  // lists), to watch for changes.
  std::vector<WatchedPlace> RegistryPlaces(int32_t sRoot, const std::string& sKey);
  // The places a StartUp folder's rows come from (the folder, its Disabled subfolder, Windows' approval list).
  std::vector<WatchedPlace> StartUpFilePlaces(bool bAll);

  // Sets who is asked before a move replaces a different entry of the same name (unset: never replace).
  void AskReplace(ReplaceAsker asker) { askReplace_ = std::move(asker); }

  // The window that owns the shell's folder queries (0 = none).
  void OwnerWindow(std::intptr_t hWnd) { ownerWindow_ = hWnd; }
  const std::string& sDisabledPath() const { return sDisabledPath_; }
  clsRegistry& Registry() { return *registry_; }

  // Where a listed registry entry is kept, as the registry editor names the key, with the view of a machine key
  // ("... (32-bit view)"): its launch key (`live`) or its store.
  std::string EntryPlace(int32_t sRoot, const std::string& sKey, const EntryMarks& marks, bool live);
  // The folder a listed file is in (ending in "\"): the StartUp folder (`live`) or its Disabled subfolder.
  std::string FileEntryFolder(bool bAll, bool live);
  // Size, dates and version resource of an existing file.
  ProgramFileFacts FileFacts(const std::string& path);

 private:
  struct RegLocation;
  struct FolderPair;

  void LoadRegistryLocation(ListView& lst, const RegLocation& location);
  void AddRegistryRows(ListView& lst, const RegPlace& place, const std::string& rootTag, bool bChecked,
                       const EntryMarks& marks, const std::unordered_set<std::u16string>* off);
  MoveResult MoveRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                         const std::string& sValue, const EntryMarks& marks, bool toStore);
  // The list's text for raw data, as a load shows it.
  std::string ShownText(uint32_t type, const std::string& bytes);
  FolderPair Folders(bool bAll);
  void AddFileRows(ListView& lst, const std::string& folder, bool bChecked,
                   const std::unordered_set<std::u16string>* off);
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

// True for the registry types the system runs as a command line ("REG_SZ", "REG_EXPAND_SZ", as EntryTypeName
// names them); data of any other type starts no program.
bool IsCommandType(const std::string& typeName);
// A root tag's text as a 32-bit signed integer (optional sign, surrounding blanks allowed); nullopt otherwise.
std::optional<int32_t> RootTagValue(const std::string& text);
// Switches the entry of a listed row off (toEnable false) or on, as a tick change asks: by the list's tag a
// file or a registry move, by the row's marks from the right view and store, or on in place where Windows
// keeps it off. A row without a root moves nothing and counts as done.
MoveResult MoveListedEntry(clsStartUp& engine, const std::string& listTag, const ListItem& row, bool toEnable);

}  // namespace kqm
