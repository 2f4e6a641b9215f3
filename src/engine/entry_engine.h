#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/entry_places.h"
#include "engine/history.h"
#include "engine/keep_off.h"
#include "engine/ledger.h"
#include "engine/move_result.h"
#include "engine/program_resolver.h"
#include "engine/seen_entries.h"
#include "engine/startup_entry.h"
#include "fileinfo/colFiles_Kebbo.h"
#include "platform/change_watcher.h"
#include "platform/error_reporter.h"
#include "platform/file_system.h"
#include "platform/move_lock.h"
#include "platform/registry_api.h"
#include "platform/shell.h"
#include "registry/clsRegistry.h"

namespace kqm {

// The facts a program file's details show (dates are automation dates, UTC; the zero date when unknown).
struct ProgramFileFacts {
  int64_t size = 0;
  double created = 0;
  double modified = 0;
  std::optional<FileVersionFacts> version;
};

// A place a read could not list (a key or folder that exists but cannot be read), and the platform's status.
struct ReadProblem {
  std::string place;
  uint32_t code = 0;
  bool operator==(const ReadProblem&) const = default;
};

// Reads the startup entries of a location and moves single entries between their live place and the program's
// own store: registry values into HKEY_LOCAL_MACHINE\Software\Kestrum\QuorvelManager\Disabled\<root>\<R|RO|RS>
// (in the entry's view; a user's own entries into the same path below HKEY_CURRENT_USER when the machine's store
// refuses them), StartUp files into the Disabled folder's subfolder named after the user (or "All Users"). A move
// takes the entry as it was read and goes ahead only while the entry is still that.
class EntryEngine {
 public:
  // sDisabledPath: the Disabled folder beside the program, ending in "\"; reporter: where a StartUp folder the
  // shell does not give is reported; registry: the registry object whose reading the list shows.
  EntryEngine(RegistryApi& api, FileSystem& fs, Shell& shell, ErrorReporter& reporter, clsRegistry& registry,
              std::string sDisabledPath);

  // The entries of a location: the live ones (native view, then the 32-bit view), then the switched-off ones
  // (the machine's store in both views, then the user's own), each place in its enumeration order. A place that
  // exists but cannot be read adds nothing, and is added to `problems` when given.
  std::vector<StartupEntry> ReadEntries(LocationId location, std::vector<ReadProblem>* problems = nullptr);
  // The one entry named exactly `name` at the place its other fields name (state, view, store), read now;
  // nullopt when it is not there (or cannot be read).
  std::optional<StartupEntry> ReadEntry(const StartupEntry& where);

  // Moves the entry as it was read: off into the store (with Windows' own "off" flag for its name where Windows
  // keeps one), or on again (an entry Windows keeps off is switched on where it is; one its program added again
  // while its switched-off copy is kept asks which of the two to keep). Nothing moves when it is no longer what
  // was read.
  [[nodiscard]] MoveResult Move(const StartupEntry& entry, MoveDirection direction);
  // Takes change `id` of the history back while the entry is where that change left it with the same content: the
  // entry moves back (a taken name there is replaced only on a yes), an entry it replaced is put back where its name
  // is free, and a flag of Windows' own is written back as it was. The undo is itself a change of the history.
  [[nodiscard]] UndoResult Undo(uint64_t id);
  // The history of the changes made to entries (both stores).
  ChangeHistory& History() { return history_; }
  // Where the changes from now on are asked for (the window unless said otherwise).
  void ChangesFrom(ChangeSource source) { source_ = source; }
  // Settles the moves that a process ended in the middle of (the ledger's moves in progress), as they were
  // heading where that is sure and changing nothing where it is not; what the user should know, one sentence
  // each. Run at every start before anything is listed.
  std::vector<std::string> Recover();
  // The entry as it is after `result`, a successful move of `entry` in `direction`.
  static StartupEntry Moved(const StartupEntry& entry, const MoveResult& result, MoveDirection direction);

  // Where the entry is kept, as the details show it: the key with its view, or the file's path.
  std::string StoredIn(const StartupEntry& entry);
  // The key a registry entry is in, as the registry editor names it; "" for a file.
  std::string KeyPath(const StartupEntry& entry) const;
  // The places a location's entries come from (launch keys in every view, stores, Disabled folders, Windows'
  // approval lists), to watch for changes.
  std::vector<WatchedPlace> WatchedPlaces(LocationId location);
  // How this machine finds the program a command line starts.
  ProgramLookup Lookup();
  // Size, dates and version resource of an existing file.
  ProgramFileFacts FileFacts(const std::string& path);
  // The folders of a StartUp folder location (reported when the shell gives none).
  FolderPair Folders(const Location& location);

  // Every move holds `lock` (shared by every copy of the program; nullptr: none), waiting for it at most
  // kMoveLockWait.
  void UseLock(MoveLock* lock) { lock_ = lock; }
  static constexpr uint32_t kMoveLockWaitMs = 3000;
  // Sets who is asked before a file in the Disabled folder that the program did not put there (or that changed
  // since) is switched on (unset: never).
  void AskUntrusted(UntrustedAsker asker) { askUntrusted_ = std::move(asker); }
  // Sets who is asked before a move replaces a different entry of the same name (unset: never replace).
  void AskReplace(ReplaceAsker asker) { askReplace_ = std::move(asker); }
  // Sets who is asked which to keep of an entry added again by its program and its switched-off copy (unset: both).
  void AskKeep(KeepAsker asker) { askKeep_ = std::move(asker); }
  // What this user's window showed of each location the last time it showed it.
  SeenEntries& Seen() { return seen_; }
  // The window that owns the shell's folder queries (0 = none).
  void OwnerWindow(std::intptr_t hWnd) { ownerWindow_ = hWnd; }
  const std::string& sDisabledPath() const { return sDisabledPath_; }
  clsRegistry& Registry() { return registry_; }

 private:
  void ReadRegistryPlace(std::vector<StartupEntry>& out, const StartupEntry& kind, const RegPlace& place,
                         const std::unordered_set<std::u16string>* off, std::vector<ReadProblem>* problems);
  void ReadFolder(std::vector<StartupEntry>& out, const StartupEntry& kind, const std::string& folder,
                  const std::unordered_set<std::u16string>* off, std::vector<ReadProblem>* problems);
  // The list's text for raw data, as the registry object reads it.
  std::string ShownText(uint32_t type, const std::string& bytes);
  // Move, with the lock held; and the same, with the change added to the history once done (`undoes`: the change it
  // takes back, 0 for none; `id`: the change's id, 0 when it could not be added).
  MoveResult MoveHeld(const StartupEntry& entry, MoveDirection direction);
  MoveResult MoveAndRecord(const StartupEntry& entry, MoveDirection direction, uint64_t undoes, uint64_t* id = nullptr);
  // The history's record of `entry` as a change left it (`moved`, after `r` in `direction`).
  Change ChangeOf(const StartupEntry& moved, const MoveResult& r, MoveDirection direction, uint64_t undoes);
  // Adds the change below `root`; a note in `r` when it cannot be added.
  uint64_t AddChange(int32_t root, Change& change, const std::string* kept, MoveResult& r);
  UndoResult UndoFlag(const Change& change, const StartupEntry& now, int32_t root);
  // Puts back what change `c` (below `root`) replaced, now that the entry has left its place; what did not go as it
  // should is added to `notes`.
  void RestoreReplaced(const Change& c, int32_t root, std::vector<std::string>& notes);
  MoveResult MoveRegistryEntryTo(const StartupEntry& entry, bool toStore);
  MoveResult ApproveRegistryEntry(const StartupEntry& entry);
  MoveResult MoveFileEntry(const StartupEntry& entry, MoveDirection direction);
  MoveResult ApproveFileEntry(const StartupEntry& entry);
  // Switches on an entry added again by its program, or its switched-off copy in its place, as the user chooses.
  MoveResult KeepOneOf(const StartupEntry& reAdded);
  // The switched-off copy of a live entry, read now; nullopt when there is none.
  std::optional<StartupEntry> StoredTwin(const StartupEntry& live);
  void RecoverRegistryMove(const MoveRecord& record, const std::string& what, std::vector<std::string>& notes);
  void RecoverFileMove(const MoveRecord& record, const std::string& what, std::vector<std::string>& notes);
  // Removes the temporaries that moves to another volume ended in the middle left in `folder` (ending in "\").
  void RemoveLeftTemporaries(const std::string& folder, std::vector<std::string>& notes);

  RegistryApi& api_;
  FileSystem& fs_;
  Shell& shell_;
  ErrorReporter& reporter_;
  clsRegistry& registry_;
  std::string sDisabledPath_;
  std::intptr_t ownerWindow_ = 0;
  ReplaceAsker askReplace_;
  MoveLock* lock_ = nullptr;
  UntrustedAsker askUntrusted_;
  KeepAsker askKeep_;
  SeenEntries seen_{api_};
  MoveJournal journal_{api_};
  FileRecords records_{api_};
  ChangeHistory history_{api_};
  ChangeSource source_ = ChangeSource::kWindow;
  colFiles_Kebbo files_;
};

}  // namespace kqm
