#include <algorithm>

#include "engine/entry_engine.h"
#include "engine/ledger.h"
#include "platform/sha256.h"

namespace kqm {

namespace {

std::optional<std::string> FileHash(FileSystem& fs, const std::string& path) {
  const std::optional<std::string> bytes = fs.ReadWholeFile(path);
  return bytes ? std::optional<std::string>(Sha256Hex(*bytes)) : std::nullopt;
}

bool Exists(FileSystem& fs, const std::string& path) {
  uint32_t error = 0;
  return fs.Attributes(path, &error).has_value() || (error != fs_error::kFileNotFound && error != fs_error::kPathNotFound);
}

}  // namespace

std::vector<std::string> EntryEngine::Recover() {
  std::vector<std::string> notes;
  const MoveLockScope lock(lock_, kMoveLockWaitMs);
  if (!lock.Held()) return {"Another copy of the program is moving startup entries: a move left unfinished earlier "
                            "is looked at the next time the program starts."};
  // The folders file moves copy into: both StartUp folders, their Disabled subfolders, and those of the records.
  std::vector<std::string> folders;
  for (const Location& location : kLocations)
    if (location.IsFolder()) {
      const FolderPair pair = FoldersFor(location, shell_, nullptr, ownerWindow_, sDisabledPath_);
      folders.insert(folders.end(), {pair.live, pair.disabled});
    }
  for (const int32_t root : {kHkeyLocalMachine, kHkeyCurrentUser})
    for (const MoveRecord& record : journal_.Open(root)) {
      const std::string what = "\"" + record.name + "\" (" + LocationOf(record.location).caption + ")";
      if (record.IsFile()) {
        RecoverFileMove(record, what, notes);
        folders.insert(folders.end(), {record.fromFolder, record.toFolder});
      } else {
        RecoverRegistryMove(record, what, notes);
      }
      // A record that cannot be removed is looked at again next time; what it names is settled by then.
      static_cast<void>(journal_.End(root, record));
    }
  std::sort(folders.begin(), folders.end());
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
  for (const std::string& folder : folders)
    if (!folder.empty()) RemoveLeftTemporaries(folder, notes);
  return notes;
}

void EntryEngine::RemoveLeftTemporaries(const std::string& folder, std::vector<std::string>& notes) {
  // A move to another volume copies into a temporary of its own form in the destination folder and removes it
  // when it fails. One found while this copy holds the lock (no move is running) was left by a process ended
  // during the copy, whether or not its record survived; it is never the only copy of an entry (the source goes
  // only after the copy has the entry's name). A link or folder of that name is not the program's: left alone.
  std::vector<FoundFile> left;
  FoundFile found;
  if (auto search = fs_.FindFirst(folder + kMoveTemporaryPrefix + "*" + kMoveTemporarySuffix, found)) do
      if (IsMoveTemporaryName(found.name) &&
          !(found.attributes & (file_attribute::kDirectory | file_attribute::kReparsePoint)))
        left.push_back(found);
    while (search->Next(found));
  for (const FoundFile& temporary : left) {
    const std::string path = folder + temporary.name;
    // A copy is given its source's read-only bit just before it is renamed into place.
    if (temporary.attributes & file_attribute::kReadOnly)
      fs_.SetAttributes(path, temporary.attributes & ~file_attribute::kReadOnly);
    const uint32_t removed = fs_.RemoveFile(path);
    if (removed != fs_error::kOk && Exists(fs_, path))
      notes.push_back("A copy that an interrupted move left unfinished, " + path + ", could not be removed (error " +
                      std::to_string(removed) + "). It is not a startup entry, and can be deleted.");
  }
}

void EntryEngine::RecoverRegistryMove(const MoveRecord& r, const std::string& what, std::vector<std::string>& notes) {
  const RawRead from = Read(api_, r.from, r.name), to = Read(api_, r.to, r.name);
  const auto isTheEntry = [&r](const RawRead& read) {
    return read.status == kRegOk && read.value.type == r.type && Sha256Hex(read.value.bytes) == r.hash;
  };
  if (isTheEntry(from) && isTheEntry(to)) {
    // Copied, and the copy is whole: the source goes, as the move would have done.
    if (DeleteAndVerify(api_, r.from, r.name) != kRegOk)
      notes.push_back("The startup entry " + what + " is in both " + PlaceText(r.from) + " and " + PlaceText(r.to) +
                      " after a move that did not finish, and the first could not be removed.");
  } else if (from.status == kRegOk && to.status == kRegOk) {
    notes.push_back("A move of the startup entry " + what + " did not finish, and " + PlaceText(r.from) + " and " +
                    PlaceText(r.to) + " now hold different data under its name. Both were kept.");
  }
}

void EntryEngine::RecoverFileMove(const MoveRecord& r, const std::string& what, std::vector<std::string>& notes) {
  const std::string from = r.fromFolder + r.name, to = r.toFolder + r.name;
  const std::optional<std::string> fromHash = FileHash(fs_, from), toHash = FileHash(fs_, to);
  const bool sourceWhole = fromHash == r.hash, arrived = toHash == r.hash;
  if (sourceWhole && arrived) {
    const std::optional<FileIdentity> a = fs_.Identity(from), b = fs_.Identity(to);
    if (!a || !b || *a == *b || fs_.RemoveFile(from) != fs_error::kOk) {
      notes.push_back("The startup entry " + what + " is in both " + r.fromFolder + " and " + r.toFolder +
                      " after a move that did not finish; neither was removed.");
      return;
    }
  } else if (sourceWhole && toHash && !r.aside.empty() && !Exists(fs_, r.toFolder + r.aside)) {
    // The file the user agreed to replace, not yet parked: the process ended before the move changed anything.
    return;
  } else if (sourceWhole && toHash) {
    // Something else under the entry's name where it was heading: a copy cut short when the process ended.
    const std::optional<std::string> source = fs_.ReadWholeFile(from), partial = fs_.ReadWholeFile(to);
    const bool cutShort = source && partial && partial->size() < source->size() &&
                          source->compare(0, partial->size(), *partial) == 0;
    if (!cutShort || fs_.RemoveFile(to) != fs_error::kOk) {
      notes.push_back("A move of the startup entry " + what + " did not finish, and " + to +
                      " holds something else. Both were kept.");
      return;
    }
  }
  const std::optional<std::string> arrivedBytes = fs_.ReadWholeFile(to);
  const bool done = arrivedBytes && Sha256Hex(*arrivedBytes) == r.hash;
  // What the store knows of the files it holds, which the move had not written (or removed) yet.
  const int32_t recordsRoot = LocationOf(r.location).root;
  if (done && r.direction == MoveDirection::kOff)
    static_cast<void>(records_.Put(recordsRoot, FileRecord{r.name, static_cast<int64_t>(arrivedBytes->size()), r.hash}));
  else if (done)
    static_cast<void>(records_.Remove(recordsRoot, r.name));
  if (r.aside.empty() || !Exists(fs_, r.toFolder + r.aside)) return;
  // The file the move replaced, parked beside its place: back under its name while the move did not arrive, gone
  // once it did (the user said yes to replacing it).
  const uint32_t settled = done ? fs_.RemoveFile(r.toFolder + r.aside)
                                : fs_.MoveFileNoReplace(r.toFolder + r.aside, r.toFolder + r.replaced);
  if (settled != fs_error::kOk)
    notes.push_back("A file that a move of " + what + " was replacing is still in " + r.toFolder + " as \"" +
                    r.aside + "\".");
}

}  // namespace kqm
