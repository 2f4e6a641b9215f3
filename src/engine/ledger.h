#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/registry_values.h"
#include "engine/startup_entry.h"

namespace kqm {

// The program's ledger: what it keeps about its own work beside the store, below the root whose users may change
// what it concerns (HKEY_LOCAL_MACHINE for the machine's entries and the common StartUp folder, the user's own
// HKEY_CURRENT_USER for his): Software\Kestrum\QuorvelManager\Ledger. Each kind of record has a subkey; each
// record is one text value, "kqm-<kind>/<version>" on its first line and "key=value" lines after it (values
// percent-escaped), so that a later version can read what an earlier one wrote and skip what it does not know.
inline constexpr const char* kLedgerKey = "Software\\Kestrum\\QuorvelManager\\Ledger";

// Text percent-escaped as the ledger's record lines hold it, and back (nullopt for a broken escape).
std::string LedgerEscape(const std::string& value);
std::optional<std::string> LedgerUnescape(const std::string& value);
// The "key=value" lines of a record whose first line is `header`, values unescaped, in order; nullopt for text of
// another kind or version, or with a broken escape.
std::optional<std::vector<std::pair<std::string, std::string>>> LedgerFields(const std::string& text,
                                                                              const std::string& header);

// A record's text as the value that holds it (REG_SZ), and back (nullopt for a value that holds no text).
RawValue LedgerValue(const std::string& text);
std::optional<std::string> LedgerText(const RawRead& read);

// A move in progress: written before the move's first write, removed when it has ended either way. One that is
// still there at start names a move a killed process left unfinished.
struct MoveRecord {
  std::string id;  // the value's name in the ledger
  LocationId location = LocationId::kHkcuRun;
  RegView view = RegView::kNative;
  std::string name;  // the entry's name as stored
  MoveDirection direction = MoveDirection::kOff;
  // A registry move: the places it moves the value between.
  RegPlace from{0, {}, 0};
  RegPlace to{0, {}, 0};
  // A file move: the folders (ending in "\"), and the name a replaced file is parked under ("" for none).
  std::string fromFolder;
  std::string toFolder;
  std::string aside;
  std::string replaced;  // the parked file's own name
  // The content moving: its registry type (a file: 0), and the SHA-256 of its bytes.
  uint32_t type = 0;
  std::string hash;

  bool IsFile() const { return !fromFolder.empty(); }
};

// The record as text, and back; nullopt for text that is no move record of a version this one reads.
std::string EncodeMoveRecord(const MoveRecord& record);
std::optional<MoveRecord> DecodeMoveRecord(const std::string& text);

// The ledger's moves in progress below one root.
class MoveJournal {
 public:
  explicit MoveJournal(RegistryApi& api) : api_(api) {}
  // Writes the record (giving it a fresh id) below `root` and reads it back; 0 when it is there.
  [[nodiscard]] int32_t Begin(int32_t root, MoveRecord& record);
  // Removes the record; 0 when it is gone.
  int32_t End(int32_t root, const MoveRecord& record);
  // The records below `root`, oldest first; records this version cannot read are left alone.
  std::vector<MoveRecord> Open(int32_t root);
  // The key the records below `root` are kept in.
  static RegPlace Place(int32_t root);

 private:
  RegistryApi& api_;
};

// What the program knows of a file it put in the Disabled folder: its name, size and content. A file there without
// a record (put there by someone else, or by an older version) or unlike its record (changed since) is not the
// program's to move into a StartUp folder unasked. Kept below the root whose users may change that StartUp folder.
struct FileRecord {
  std::string name;
  int64_t size = 0;
  std::string hash;  // SHA-256, lowercase hex
};

class FileRecords {
 public:
  explicit FileRecords(RegistryApi& api) : api_(api) {}
  // Records the file (replacing an older record of its name); 0 when it reads back.
  [[nodiscard]] int32_t Put(int32_t root, const FileRecord& record);
  // Removes the record of `name`; 0 when it is gone (or was never there).
  int32_t Remove(int32_t root, const std::string& name);
  // The record of `name`, when there is one this version can read.
  std::optional<FileRecord> Get(int32_t root, const std::string& name);
  static RegPlace Place(int32_t root);

 private:
  RegistryApi& api_;
};

}  // namespace kqm
