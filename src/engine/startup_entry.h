#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/entry_marks.h"
#include "engine/locations.h"

namespace kqm {

// Where an entry is, as far as starting goes.
enum class EntryState : uint8_t {
  kOn,            // in its launch key or StartUp folder, started at log-on
  kOffByWindows,  // in its launch place, but Windows' own startup approval keeps it from starting
  kOff,           // switched off by this program: in its store (registry) or the Disabled folder (files)
};

// How a file in the Disabled folder stands with the program's records of what it put there.
enum class FileTrust : uint8_t {
  kRecorded,    // switched off by this program, unchanged since (and every entry that is not such a file)
  kUnrecorded,  // not switched off by this program: someone else put it there (or an older version did)
  kChanged,     // switched off by this program, but its content has changed since
};

// Which way a move takes an entry.
enum class MoveDirection : uint8_t { kOff, kOn };

// Who an entry is, whatever its state and content: its location, registry view and name, the name folded as
// Windows folds it. An entry switched off keeps its identity.
struct EntryIdentity {
  LocationId location = LocationId::kHkcuRun;
  RegView view = RegView::kNative;
  std::u16string foldedName;
  bool operator==(const EntryIdentity&) const = default;
};

// One startup entry as it was read: plain data that the window, the command line and every later feature share.
struct StartupEntry {
  LocationId location = LocationId::kHkcuRun;
  std::string name;  // as stored: the value's name, or the file's name with its extension
  RegView view = RegView::kNative;
  EntryState state = EntryState::kOn;
  bool userStore = false;  // switched off into the store below HKEY_CURRENT_USER (not the machine's)
  // Live, while the program also keeps a switched-off copy of it: its program added it again.
  bool alsoOff = false;

  // A registry entry's content, as stored. `readable` is false when the value could not be read.
  uint32_t type = 0;
  std::string bytes;
  bool readable = true;

  // A file's place and content: the folder it lies in (ending in "\") and its size in bytes (-1: unknown). The
  // content hash (SHA-256, lowercase hex) is filled by what needs it; "" until then.
  std::string folder;
  int64_t size = -1;
  std::string hash;
  FileTrust trust = FileTrust::kRecorded;

  // What the list shows in its "Path" column, without the marks for its view and Windows' switch: the data as
  // the registry object reads it, a shortcut's target, or a file's path.
  std::string shown;

  bool operator==(const StartupEntry&) const = default;

  const Location& Where() const { return LocationOf(location); }
  bool IsFile() const { return Where().IsFolder(); }
  // In its launch key or StartUp folder (on, or kept off there by Windows).
  bool IsLive() const { return state != EntryState::kOff; }
  // The first column's text: a shortcut without its ".lnk", anything else by its name.
  std::string Caption() const;
  EntryIdentity Identity() const;
  // Switched off into the machine's store although it is a user's own (as earlier versions kept them), where
  // every user can read it.
  bool InSharedStore() const {
    return state == EntryState::kOff && !userStore && !IsFile() && Where().root == kHkeyCurrentUser;
  }
  // The marks a row of the list's shape carries for it (view, Windows' switch, store).
  EntryMarks Marks() const;
  // The "Path" column's text: what is shown, with the marks for the view, Windows' switch, a switched-off copy and
  // the shared store.
  std::string MarkedShown() const;
  // Whether its content is the same as `other`'s (registry: type and bytes; file: size, and hash where both know
  // it): the test for "still what was shown".
  bool SameContent(const StartupEntry& other) const;
};

// Whether two lists hold the same entries, in any order.
bool SameEntries(std::vector<StartupEntry> a, std::vector<StartupEntry> b);

// Names the platform can be asked for exactly: no NUL (which would cut the name short) and no U+FFFD (which
// stands for an unpaired surrogate a file's name had when it was listed; registry names keep theirs).
bool Addressable(const std::string& name);

// True for a name ending in ".lnk" (any case).
bool HasShortcutExtension(const std::string& name);

// The registry type's name ("REG_SZ", "REG_EXPAND_SZ", ..., "REG_QWORD", else the number).
std::string RegistryTypeName(uint32_t type);

// True when the system runs the entry's data as a command line: files, and registry text (REG_SZ, REG_EXPAND_SZ).
bool StartsACommand(const StartupEntry& entry);

}  // namespace kqm
