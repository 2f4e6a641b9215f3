#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kqm {

// Why a move of a startup entry did not complete.
enum class MoveFailure {
  kNone,           // moved
  kNoPlace,        // no store key or folder can be named for the entry
  kUnaddressable,  // the name holds characters the platform cannot be asked for exactly
  kGone,           // the entry is no longer at its source
  kChanged,        // the entry's data changed since the list was shown
  kNameTaken,      // the destination holds a different entry of that name, which was kept
  kAccessDenied,   // the platform refused access to `failedAt`
  kRefused,        // `failedAt` refused the change for another reason (`code` says which)
  kUnconfirmed,    // the check after the move could not tell whether the source still holds the entry
  kLinked,         // `failedAt` is a symbolic link, junction or other reparse point: never moved into, out of or through
  kSameFile,       // source and destination are one file reached by two paths (or that could not be ruled out)
  kDestinationChanged,  // while the replace question was open, another program changed what it named: kept
  kBusy,           // another copy of the program kept the move lock for longer than a move waits
  kNotRecorded,    // the move could not be written to the ledger before its first write, so it did not start
  kUnrecorded,     // `failedAt` is a file the program did not put in the Disabled folder: not moved unasked
  kChangedSinceOff,  // `failedAt` has changed since the program put it in the Disabled folder: not moved unasked
  kBothKept,       // added again by its program while a switched-off copy is kept: both kept, as answered (or unasked)
};

// What a move replaced at its destination, where the user said yes: the entry's name there (its letter case may
// differ) and its content (a registry value's type and bytes, or a file's bytes with type 0).
struct ReplacedContent {
  std::string name;
  uint32_t type = 0;
  std::string bytes;
};

// What a move did. Places are written as the user reads them: "HKEY_CURRENT_USER\Software\...\Run" or a
// folder path without a trailing "\".
struct [[nodiscard]] MoveResult {
  MoveFailure failure = MoveFailure::kNone;
  uint32_t code = 0;          // the platform's status of the failing step, 0 when there was none
  bool inBothPlaces = false;  // the entry is (or may be) at its source and at its destination
  std::string source;
  std::string destination;
  std::string failedAt;       // the place that refused, for kAccessDenied and kRefused
  bool perUserStore = false;  // a registry entry switched off went to the store below HKEY_CURRENT_USER
  // What did not go as it should around the move, each a sentence for the user: a flag of Windows' own that
  // still keeps an entry switched on from starting, a replaced file that could not be removed or put back.
  std::vector<std::string> notes;
  std::optional<ReplacedContent> replaced;  // what the move replaced, when it replaced something

  bool Moved() const { return failure == MoveFailure::kNone; }
  explicit operator bool() const { return Moved(); }
};

// `r`, failed for `failure`.
inline MoveResult Failed(MoveResult r, MoveFailure failure) {
  r.failure = failure;
  return r;
}
// `r`, failed at `place` with the platform's status `code` (5, access denied, or another refusal).
inline MoveResult Failed(MoveResult r, uint32_t code, const std::string& place) {
  r.failure = code == 5 ? MoveFailure::kAccessDenied : MoveFailure::kRefused;
  r.code = code;
  r.failedAt = place;
  return r;
}

// Asked before a move replaces a different entry of the same name at its destination.
struct ReplaceQuestion {
  std::string name;         // the entry being moved
  std::string existing;     // the name of the entry already there (may differ in letter case)
  std::string destination;  // where it lies
};
// Answers true to replace; the default answer is no.
using ReplaceAsker = std::function<bool(const ReplaceQuestion&)>;

// Asked before a file in the Disabled folder that the program did not put there (or that has changed since) is
// moved into a StartUp folder, where it would start at log-on.
struct UntrustedQuestion {
  std::string name;     // the file's name
  std::string folder;   // the folder it is in, without a trailing "\"
  std::string starts;   // what it starts (a shortcut's target, or the file itself)
  int64_t size = 0;     // its size in bytes
  bool changed = false;   // the program did put it there, and it has changed since
  bool allUsers = false;  // it would start for every user
};
// Answers true to move it; the default answer is no.
using UntrustedAsker = std::function<bool(const UntrustedQuestion&)>;

}  // namespace kqm
