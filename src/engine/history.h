#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/registry_values.h"
#include "engine/startup_entry.h"

namespace kqm {

// What a change did to an entry.
enum class ChangeAction : uint8_t {
  kDisable,  // switched off into the store
  kEnable,   // switched on again from the store
  kApprove,  // switched on where it was, clearing the flag that Windows kept it off with
  kReplace,  // switched off or on, replacing a different entry of its name at the destination
  kUndo,     // took an earlier change back
};
// Where the change was asked for.
enum class ChangeSource : uint8_t { kWindow, kCommandLine };

// One change the program made to a startup entry, as the history keeps it: who, when, what, and enough to take it
// back (where the entry went and with what content, and what it replaced there).
struct Change {
  uint64_t id = 0;   // increasing over both stores
  std::string time;  // UTC, "2024-05-01T12:34:56Z"
  std::string user;
  ChangeSource source = ChangeSource::kWindow;
  ChangeAction action = ChangeAction::kDisable;
  uint64_t undoes = 0;  // for kUndo: the change it took back

  // The entry as the change left it: its identity, state and store.
  LocationId location = LocationId::kHkcuRun;
  RegView view = RegView::kNative;
  std::string name;
  MoveDirection direction = MoveDirection::kOff;  // the way it moved (a flag change: on or off by Windows' flag)
  bool userStore = false;                         // left in the store below HKEY_CURRENT_USER
  std::string from;                               // the places as the user reads them (key or folder)
  std::string to;
  // Its content there: a registry value's type and bytes, or a file's size and SHA-256.
  uint32_t type = 0;
  std::string bytes;
  int64_t size = -1;
  std::string hash;

  // Only Windows' approval flag changed (the entry did not move): the flag's value before (nullopt: there was none).
  bool flagOnly = false;
  std::optional<RawValue> flagBefore;

  // A replace: the entry it replaced at the destination (its name there may differ in letter case), its content
  // (a registry value's type and bytes; a file's bytes are kept beside the record, when small enough), and whether
  // that file was one the program itself had put in the Disabled folder, unchanged.
  bool replaced = false;
  std::string replacedName;
  uint32_t replacedType = 0;
  std::string replacedBytes;
  std::string replacedHash;
  bool replacedKept = false;
  bool replacedTrusted = false;

  std::string result;  // "done", or what did not go as it should around it

  bool IsFile() const { return LocationOf(location).IsFolder(); }
  // The entry's identity (for "the last change to this entry").
  EntryIdentity Identity() const;
};

// What an undo did: done (with its own change's id, and what did not go as it should around it), or why not.
struct UndoResult {
  bool done = false;
  uint64_t id = 0;
  std::string why;                 // not done: a sentence for the user
  std::vector<std::string> notes;  // done: what did not go as it should, a sentence each
};

// The newest change (of `newestFirst`) to the entry with this identity; nullptr for none.
const Change* LastChangeTo(const std::vector<Change>& newestFirst, const EntryIdentity& identity);

// The change that took `change` back (0 for none), of `newestFirst`.
uint64_t UndoneBy(const Change& change, const std::vector<Change>& newestFirst);
// The result as the history shows it: the change's own, and the change that took it back.
std::string ShownResult(const Change& change, const std::vector<Change>& newestFirst);

// The record as text, and back; nullopt for text that is no change record of a version this one reads.
std::string EncodeChange(const Change& change);
std::optional<Change> DecodeChange(const std::string& text);

// The word for an action ("disable", "enable", "approve", "replace", "undo") and for a source ("window",
// "command line").
const char* ActionName(ChangeAction action);
const char* SourceName(ChangeSource source);
// The time now, UTC, as a change records it.
std::string UtcNow();

// The ledger's history of changes below one root (HKEY_LOCAL_MACHINE for the machine's entries and the common
// StartUp folder, HKEY_CURRENT_USER for the user's), bounded: the last `maxChanges` changes and `maxBytes` of
// records and kept content, the oldest dropped first.
class ChangeHistory {
 public:
  static constexpr size_t kMaxChanges = 500;
  static constexpr size_t kMaxBytes = size_t{1} << 20;
  // A replaced file larger than this is not kept (its change cannot then be undone).
  static constexpr size_t kMaxKeptFile = size_t{256} << 10;

  explicit ChangeHistory(RegistryApi& api, size_t maxChanges = kMaxChanges, size_t maxBytes = kMaxBytes)
      : api_(api), maxChanges_(maxChanges), maxBytes_(maxBytes) {}
  // Adds the change below `root` with the next id (after every id of both stores), with `kept` (a replaced file's
  // bytes) beside it, and drops the oldest changes past the bounds; 0 when it reads back.
  [[nodiscard]] int32_t Add(int32_t root, Change& change, const std::string* kept = nullptr);
  // The changes below `root` that this version reads and that belong there (a record of another root's location is
  // not taken), oldest first.
  std::vector<Change> Read(int32_t root);
  // The changes of both stores, newest first.
  std::vector<Change> All();
  // The change with this id in either store, and the root it is kept below; nullopt when there is none.
  struct Found {
    Change change;
    int32_t root = 0;
  };
  std::optional<Found> Find(uint64_t id);
  // The replaced file's bytes kept beside change `id` below `root`.
  std::optional<std::string> Kept(int32_t root, uint64_t id);
  static RegPlace Place(int32_t root);

 private:
  uint64_t LastId(int32_t root);
  void Trim(int32_t root);

  RegistryApi& api_;
  size_t maxChanges_;
  size_t maxBytes_;
};

}  // namespace kqm
