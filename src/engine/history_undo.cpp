#include "engine/entry_engine.h"
#include "engine/file_move.h"
#include "engine/move_messages.h"
#include "engine/startup_approval.h"
#include "platform/sha256.h"

namespace kqm {

namespace {

// Windows' approval list that can keep the entry from starting; nullptr where there is none.
const char* ApprovalsOf(const StartupEntry& entry) {
  return entry.IsFile() ? entry.Where().approvals : PlacesOf(entry).approvals;
}

std::string Described(const Change& c) { return "\"" + c.name + "\" (" + LocationOf(c.location).caption + ")"; }

UndoResult Refused(std::string why) {
  UndoResult r;
  r.why = std::move(why);
  return r;
}

}  // namespace

MoveResult EntryEngine::MoveAndRecord(const StartupEntry& entry, MoveDirection direction, uint64_t undoes,
                                      uint64_t* id) {
  const int32_t root = entry.Where().root;
  // What the change overwrites that its undo must put back: Windows' flag, and the record of a file replaced in the
  // Disabled folder (which says whether the program had put that file there).
  const bool flagOnly = direction == MoveDirection::kOn && entry.state == EntryState::kOffByWindows;
  std::optional<RawValue> flagBefore;
  if (const char* approvals = ApprovalsOf(entry); flagOnly && approvals)
    if (const RawRead flag = Read(api_, ApprovalPlace(root, approvals), entry.name); flag.status == kRegOk)
      flagBefore = flag.value;
  std::optional<FileRecord> recordBefore;
  if (entry.IsFile() && direction == MoveDirection::kOff) recordBefore = records_.Get(root, entry.name);

  MoveResult r = MoveHeld(entry, direction);
  if (!r) return r;
  Change change = ChangeOf(Moved(entry, r, direction), r, direction, undoes);
  change.flagOnly = flagOnly;
  change.flagBefore = flagBefore;
  if (flagOnly && !undoes) change.action = ChangeAction::kApprove;
  std::optional<std::string> kept;
  if (r.replaced) {
    change.replaced = true;
    change.replacedName = r.replaced->name;
    change.replacedType = r.replaced->type;
    change.replacedHash = Sha256Hex(r.replaced->bytes);
    change.replacedTrusted = recordBefore && recordBefore->hash == change.replacedHash;
    if (r.replaced->bytes.size() <= ChangeHistory::kMaxKeptFile) kept = r.replaced->bytes;
    if (!undoes) change.action = ChangeAction::kReplace;
  }
  const uint64_t added = AddChange(root, change, kept ? &*kept : nullptr, r);
  if (id) *id = added;
  return r;
}

Change EntryEngine::ChangeOf(const StartupEntry& moved, const MoveResult& r, MoveDirection direction,
                             uint64_t undoes) {
  Change c;
  c.time = UtcNow();
  c.user = shell_.EnvironmentVariable("USERNAME").value_or("");
  c.source = source_;
  c.action = undoes ? ChangeAction::kUndo : direction == MoveDirection::kOff ? ChangeAction::kDisable
                                                                             : ChangeAction::kEnable;
  c.undoes = undoes;
  c.location = moved.location;
  c.view = moved.view;
  c.name = moved.name;
  c.direction = direction;
  c.userStore = moved.userStore;
  c.from = r.source;
  c.to = r.destination;
  if (moved.IsFile()) {
    const std::optional<std::string> bytes = fs_.ReadWholeFile(r.destination + "\\" + moved.name);
    c.size = bytes ? static_cast<int64_t>(bytes->size()) : -1;
    c.hash = bytes ? Sha256Hex(*bytes) : "";
  } else {
    c.type = moved.type;
    c.bytes = moved.bytes;
    c.hash = Sha256Hex(moved.bytes);
  }
  return c;
}

uint64_t EntryEngine::AddChange(int32_t root, Change& change, const std::string* kept, MoveResult& r) {
  change.result = "done";
  for (size_t i = 0; i < r.notes.size(); ++i) change.result.append(i == 0 ? "; " : " ").append(r.notes[i]);
  if (const int32_t added = history_.Add(root, change, kept); added != kRegOk) {
    r.notes.push_back("The change could not be added to the history in " + PlaceText(ChangeHistory::Place(root)) +
                      " (error " + std::to_string(added) + "); it cannot be undone from there.");
    return 0;
  }
  return change.id;
}

UndoResult EntryEngine::Undo(uint64_t id) {
  const MoveLockScope lock(lock_, kMoveLockWaitMs);
  if (!lock.Held()) return Refused("Another copy of the program is moving startup entries; nothing was undone.");
  const std::optional<ChangeHistory::Found> found = history_.Find(id);
  if (!found) return Refused("There is no change " + std::to_string(id) + " in the history.");
  const Change& c = found->change;
  const std::string what = Described(c), which = "change " + std::to_string(id);
  // The entry where the change left it, read now.
  StartupEntry where;
  where.location = c.location;
  where.name = c.name;
  where.view = c.view;
  where.userStore = c.userStore;
  where.state = c.direction == MoveDirection::kOn || c.flagOnly ? EntryState::kOn : EntryState::kOff;
  std::optional<StartupEntry> now = ReadEntry(where);
  if (!now) return Refused(what + " is no longer in " + c.to + ", where " + which + " left it: it was not undone.");
  bool same = false;
  if (now->IsFile()) {
    const std::optional<std::string> bytes = fs_.ReadWholeFile(now->folder + now->name);
    same = WithoutTrailingSeparator(now->folder) == c.to && bytes && Sha256Hex(*bytes) == c.hash;
  } else {
    same = now->type == c.type && Sha256Hex(now->bytes) == c.hash;
  }
  if (!same) return Refused(what + " has changed since " + which + ": it was not undone.");
  if (c.flagOnly) return UndoFlag(c, *now, found->root);

  const MoveDirection back = c.direction == MoveDirection::kOff ? MoveDirection::kOn : MoveDirection::kOff;
  UndoResult result;
  const MoveResult moved = MoveAndRecord(*now, back, id, &result.id);
  if (!moved) return Refused(NotMovedMessage(now->Caption(), back == MoveDirection::kOn, moved));
  result.done = true;
  result.notes = moved.notes;
  if (c.replaced) RestoreReplaced(c, found->root, result.notes);
  return result;
}

UndoResult EntryEngine::UndoFlag(const Change& c, const StartupEntry& now, int32_t root) {
  const char* approvals = ApprovalsOf(now);
  if (!approvals) return Refused(Described(c) + " has no flag of Windows' own to put back.");
  const RegPlace flags = ApprovalPlace(root, approvals);
  const RawRead flag = Read(api_, flags, c.name);
  if (flag.status != kRegOk && flag.status != kRegFileNotFound)
    return Refused("Windows' own flag for " + Described(c) + " in " + PlaceText(flags) + " could not be read (error " +
                   std::to_string(flag.status) + "): nothing was undone.");
  // As the change left it: kept off by that flag, or not.
  const bool off = flag.status == kRegOk && SwitchedOff(flag.value);
  if (off != (c.direction == MoveDirection::kOff))
    return Refused("Windows' own flag for " + Described(c) + " has changed since change " + std::to_string(c.id) +
                   ": it was not undone.");
  const int32_t written = c.flagBefore ? WriteAndVerify(api_, flags, c.name, *c.flagBefore).status
                                       : DeleteAndVerify(api_, flags, c.name);
  if (written != kRegOk)
    return Refused("Windows' own flag for " + Described(c) + " in " + PlaceText(flags) +
                   " could not be written back (error " + std::to_string(written) + ").");
  MoveResult r;
  r.source = r.destination = c.to;
  StartupEntry after = now;
  after.state = c.direction == MoveDirection::kOn ? EntryState::kOffByWindows : EntryState::kOn;
  const MoveDirection back = c.direction == MoveDirection::kOn ? MoveDirection::kOff : MoveDirection::kOn;
  Change undo = ChangeOf(after, r, back, c.id);
  undo.flagOnly = true;
  if (flag.status == kRegOk) undo.flagBefore = flag.value;
  UndoResult result;
  result.done = true;
  result.id = AddChange(root, undo, nullptr, r);
  result.notes = r.notes;
  return result;
}

void EntryEngine::RestoreReplaced(const Change& c, int32_t root, std::vector<std::string>& notes) {
  const std::string what = "The entry that change " + std::to_string(c.id) + " replaced, \"" + c.replacedName + "\",";
  const std::optional<std::string> kept = c.replacedKept ? history_.Kept(root, c.id) : std::nullopt;
  if (!kept || Sha256Hex(*kept) != c.replacedHash) {
    notes.push_back(what + " was not kept in the history (or no longer is) and could not be put back.");
    return;
  }
  // Where the change had put the entry, which the undo has just taken it from.
  StartupEntry at;
  at.location = c.location;
  at.view = c.view;
  at.userStore = c.userStore;
  at.state = c.direction == MoveDirection::kOn ? EntryState::kOn : EntryState::kOff;
  if (!c.IsFile()) {
    const EntryPlaces places = PlacesOf(at);
    const RegPlace place = at.IsLive() ? places.live : places.store;
    const RawRead there = Read(api_, place, c.replacedName);
    if (there.status == kRegOk) {
      notes.push_back(what + " could not be put back in " + PlaceText(place) + ": another entry has that name there now.");
      return;
    }
    const int32_t written = there.status == kRegFileNotFound
                                ? WriteAndVerify(api_, place, c.replacedName, RawValue{c.replacedType, *kept}).status
                                : there.status;
    if (written != kRegOk)
      notes.push_back(what + " could not be put back in " + PlaceText(place) + " (error " + std::to_string(written) +
                      ").");
    return;
  }
  const FolderPair folders = Folders(at.Where());
  const std::string folder = at.IsLive() ? folders.live : folders.disabled;
  const std::string shown = WithoutTrailingSeparator(folder);
  uint32_t status = fs_error::kOk;
  if (folder.empty() || IsLink(fs_, shown) || (!at.IsLive() && IsLink(fs_, WithoutTrailingSeparator(sDisabledPath_)))) {
    status = fs_error::kAccessDenied;
  } else if (const FileLook look = LookForFile(fs_, folder, c.replacedName); look.status != fs_error::kOk) {
    status = look.status;
  } else if (look.found) {
    status = fs_error::kFileExists;
  } else {
    // Written beside its place and moved under its name without replacing: nothing there now is overwritten.
    const std::string temporary = folder + c.replacedName + ".restoring";
    status = fs_.WriteWholeFile(temporary, *kept);
    if (status == fs_error::kOk) status = fs_.MoveFileNoReplace(temporary, folder + c.replacedName);
    if (status != fs_error::kOk) static_cast<void>(fs_.RemoveFile(temporary));
  }
  if (status != fs_error::kOk) {
    notes.push_back(what + " could not be put back in " + shown +
                    (status == fs_error::kFileExists || status == fs_error::kAlreadyExists
                         ? ": another file has that name there now."
                         : " (error " + std::to_string(status) + ")."));
    return;
  }
  // A file the program had put in the Disabled folder is its own again; any other stays one it asks about.
  if (!at.IsLive() && c.replacedTrusted &&
      records_.Put(root, FileRecord{c.replacedName, static_cast<int64_t>(kept->size()), c.replacedHash}) != kRegOk)
    notes.push_back(what + " was put back in " + shown + ", but the program could not note that it is its own.");
}

}  // namespace kqm
