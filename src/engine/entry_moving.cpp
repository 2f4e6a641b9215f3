#include "engine/entry_engine.h"
#include "engine/file_move.h"
#include "engine/move_messages.h"
#include "engine/registry_move.h"
#include "engine/startup_approval.h"
#include "platform/sha256.h"

namespace kqm {

MoveResult EntryEngine::Move(const StartupEntry& entry, MoveDirection direction) {
  // Asked before the lock is taken: which of an entry added again and its switched-off copy to keep.
  if (direction == MoveDirection::kOn && entry.alsoOff && entry.state == EntryState::kOffByWindows)
    return KeepOneOf(entry);
  // One move at a time on the machine; what was read before is checked again under the lock.
  const MoveLockScope lock(lock_, kMoveLockWaitMs);
  if (!lock.Held()) return Failed(MoveResult{}, MoveFailure::kBusy);
  return MoveAndRecord(entry, direction, 0);
}

MoveResult EntryEngine::MoveHeld(const StartupEntry& entry, MoveDirection direction) {
  if (entry.IsFile()) return MoveFileEntry(entry, direction);
  if (direction == MoveDirection::kOff) {
    MoveResult off = MoveRegistryEntryTo(entry, true);
    KeepOffByWindows(api_, entry, off);
    return off;
  }
  if (entry.state == EntryState::kOffByWindows) return ApproveRegistryEntry(entry);
  MoveResult r = MoveRegistryEntryTo(entry, false);
  // An old flag of Windows' own must not keep the entry from starting now that it is back.
  if (const char* approvals = PlacesOf(entry).approvals; r && approvals)
    if (const int32_t cleared = ClearSwitchedOff(api_, entry.Where().root, approvals, entry.name); cleared != kRegOk)
      r.notes.push_back(StillKeptOffNote(PlaceText(ApprovalPlace(entry.Where().root, approvals)),
                                         static_cast<uint32_t>(cleared)));
  return r;
}

StartupEntry EntryEngine::Moved(const StartupEntry& entry, const MoveResult& result, MoveDirection direction) {
  StartupEntry moved = entry;
  moved.state = direction == MoveDirection::kOn ? EntryState::kOn : EntryState::kOff;
  moved.userStore = direction == MoveDirection::kOff && result.perUserStore;
  if (moved.userStore) moved.view = RegView::kNative;
  if (moved.IsFile() && !result.destination.empty()) moved.folder = result.destination + "\\";
  return moved;
}

MoveResult EntryEngine::MoveRegistryEntryTo(const StartupEntry& original, bool toStore) {
  // A user's own entries stay his own: kept below his HKEY_CURRENT_USER, which no other user can read or change
  // (the machine's store is shared by every user).
  StartupEntry entry = original;
  if (toStore && entry.Where().root == kHkeyCurrentUser) {
    entry.userStore = true;
    entry.view = RegView::kNative;
  }
  const EntryPlaces places = PlacesOf(entry);
  RegistryMove move{toStore ? places.live : places.store, toStore ? places.store : places.live, entry.name,
                    std::nullopt, askReplace_, nullptr};
  if (entry.readable) move.shown = RawValue{entry.type, entry.bytes};
  MoveResult r;
  r.source = PlaceText(move.from);
  r.destination = PlaceText(move.to);
  r.perUserStore = toStore && places.store.root == kHkeyCurrentUser;
  if (entry.IsLive() != toStore) return Failed(r, MoveFailure::kNoPlace);
  if (!Addressable(entry.name)) return Failed(r, MoveFailure::kUnaddressable);
  // Noted in the ledger before the first write, so that a process ended in the middle is settled at the next start.
  const int32_t ledgerRoot = entry.Where().root;
  MoveRecord record;
  bool recorded = false;
  int32_t notRecorded = kRegOk;
  move.beforeWriting = [&](const RawValue& moving) {
    record.location = entry.location;
    record.view = entry.view;
    record.name = entry.name;
    record.direction = toStore ? MoveDirection::kOff : MoveDirection::kOn;
    record.from = move.from;
    record.to = move.to;
    record.type = moving.type;
    record.hash = Sha256Hex(moving.bytes);
    notRecorded = journal_.Begin(ledgerRoot, record);
    if (notRecorded != kRegOk) {
      // Perhaps written but not read back: a note of a move that never started must not be settled later.
      static_cast<void>(journal_.End(ledgerRoot, record));
      return false;
    }
    recorded = true;
    // Both directions leave this key below the store's or the item's root; a failure here stops nothing.
    registry_.ClassKey(toStore ? places.store.root : entry.Where().root);
    registry_.SectionKey(std::string(kProgramRegistryArea) + "Disabled");
    try {
      registry_.CreateKey();
    } catch (const AppError&) {
    }
    return true;
  };
  MoveResult moved = MoveRegistryValue(api_, move);
  // The move has ended either way; a record left behind is settled (as already done) at the next start.
  if (recorded) static_cast<void>(journal_.End(ledgerRoot, record));
  if (moved.failure == MoveFailure::kNotRecorded && notRecorded != kRegOk)  // e.g. a standard user's machine entry
    moved = Failed(moved, static_cast<uint32_t>(notRecorded), PlaceText(MoveJournal::Place(ledgerRoot)));
  moved.perUserStore = r.perUserStore;
  return moved;
}

MoveResult EntryEngine::ApproveRegistryEntry(const StartupEntry& entry) {
  const EntryPlaces places = PlacesOf(entry);
  MoveResult r;
  r.source = r.destination = PlaceText(places.live);
  if (!places.approvals) return Failed(r, MoveFailure::kNoPlace);
  if (!Addressable(entry.name)) return Failed(r, MoveFailure::kUnaddressable);
  const RawRead live = Read(api_, places.live, entry.name);
  if (live.status == kRegFileNotFound) return Failed(r, MoveFailure::kGone);
  if (live.status != kRegOk) return Failed(r, static_cast<uint32_t>(live.status), r.source);
  if (!entry.readable || !(live.value == RawValue{entry.type, entry.bytes})) return Failed(r, MoveFailure::kChanged);
  const int32_t cleared = ClearSwitchedOff(api_, entry.Where().root, places.approvals, entry.name);
  if (cleared != kRegOk)
    return Failed(r, static_cast<uint32_t>(cleared), PlaceText(ApprovalPlace(entry.Where().root, places.approvals)));
  return r;
}

MoveResult EntryEngine::MoveFileEntry(const StartupEntry& entry, MoveDirection direction) {
  const Location& location = entry.Where();
  if (direction == MoveDirection::kOn && entry.state == EntryState::kOffByWindows) return ApproveFileEntry(entry);
  const bool toDisabled = direction == MoveDirection::kOff;
  const FolderPair folders = Folders(location);
  FileMove move{toDisabled ? folders.live : folders.disabled, toDisabled ? folders.disabled : folders.live,
                entry.name, std::nullopt, askReplace_, {}};
  if (entry.size >= 0) move.shownSize = static_cast<uint64_t>(entry.size);
  MoveResult r;
  r.source = WithoutTrailingSeparator(move.fromFolder);
  r.destination = WithoutTrailingSeparator(move.toFolder);
  if (folders.live.empty() || folders.disabled.empty() || !IsPlainName(entry.name) || !IsStartedName(entry.name) ||
      entry.IsLive() != toDisabled)
    return Failed(r, MoveFailure::kNoPlace);
  if (!Addressable(entry.name)) return Failed(r, MoveFailure::kUnaddressable);
  // A Disabled folder that leads elsewhere (a link or junction someone made) is never moved into or out of.
  for (const std::string& folder : {WithoutTrailingSeparator(sDisabledPath_), WithoutTrailingSeparator(folders.disabled)})
    if (IsLink(fs_, folder)) {
      r.failedAt = folder;
      return Failed(r, MoveFailure::kLinked);
    }
  if (const uint32_t prepared = PrepareDisabledFolders(fs_, sDisabledPath_, folders.disabled);
      prepared != fs_error::kOk)
    return FileFailed(r, prepared == fs_error::kAlreadyExists ? fs_error::kPathNotFound : prepared,
                      WithoutTrailingSeparator(folders.disabled));
  const int32_t ledgerRoot = location.root;
  MoveRecord record;
  bool recorded = false;
  int32_t notRecorded = kRegOk;
  move.beforeWriting = [&](const std::string& aside, const std::string& replaced) {
    const std::optional<std::string> bytes = fs_.ReadWholeFile(move.fromFolder + move.name);
    if (!bytes) return false;
    record.location = entry.location;
    record.name = entry.name;
    record.direction = direction;
    record.fromFolder = move.fromFolder;
    record.toFolder = move.toFolder;
    record.aside = aside;
    record.replaced = replaced;
    record.hash = Sha256Hex(*bytes);
    notRecorded = journal_.Begin(ledgerRoot, record);
    if (notRecorded != kRegOk) {
      // Perhaps written but not read back: a note of a move that never started must not be settled later.
      static_cast<void>(journal_.End(ledgerRoot, record));
      return false;
    }
    recorded = true;
    return true;
  };
  // A file the program did not put in the Disabled folder, or that has changed since, is not moved into a StartUp
  // folder (where it starts at log-on) unasked. What is checked is the file as it is now, under the lock.
  if (!toDisabled) {
    const std::string path = folders.disabled + entry.name;
    if (IsLink(fs_, path)) {
      r.failedAt = path;
      return Failed(r, MoveFailure::kLinked);
    }
    if (const std::optional<std::string> bytes = fs_.ReadWholeFile(path)) {
      const std::optional<FileRecord> known = records_.Get(location.root, entry.name);
      if (!known || known->hash != Sha256Hex(*bytes)) {
        const UntrustedQuestion question{entry.name, WithoutTrailingSeparator(folders.disabled), entry.shown,
                                         static_cast<int64_t>(bytes->size()), known.has_value(),
                                         location.ForAllUsers()};
        if (!askUntrusted_ || !askUntrusted_(question)) {
          r.failedAt = path;
          return Failed(r, known ? MoveFailure::kChangedSinceOff : MoveFailure::kUnrecorded);
        }
      }
    }
  }
  MoveResult moved = MoveStartUpFile(fs_, move);
  // The store knows what it holds: a record for a file that arrives there, none for one that leaves (written
  // while the move is still in the ledger, so that the next start writes it when the process ends first).
  if (moved && toDisabled) {
    const std::optional<std::string> arrived = fs_.ReadWholeFile(folders.disabled + entry.name);
    if (!arrived || records_.Put(location.root, FileRecord{entry.name, static_cast<int64_t>(arrived->size()),
                                                           Sha256Hex(*arrived)}) != kRegOk)
      moved.notes.push_back("The program could not note that it switched off \"" + entry.name +
                            "\"; it will be listed as not switched off by this program.");
  } else if (moved) {
    static_cast<void>(records_.Remove(location.root, entry.name));
  }
  if (recorded) static_cast<void>(journal_.End(ledgerRoot, record));
  if (toDisabled) KeepOffByWindows(api_, entry, moved);
  if (moved.failure == MoveFailure::kNotRecorded && notRecorded != kRegOk)
    moved = Failed(moved, static_cast<uint32_t>(notRecorded), PlaceText(MoveJournal::Place(ledgerRoot)));
  if (moved && !toDisabled)
    if (const int32_t cleared = ClearSwitchedOff(api_, location.root, location.approvals, entry.name); cleared != kRegOk)
      moved.notes.push_back(StillKeptOffNote(PlaceText(ApprovalPlace(location.root, location.approvals)),
                                             static_cast<uint32_t>(cleared)));
  return moved;
}

MoveResult EntryEngine::ApproveFileEntry(const StartupEntry& entry) {
  const Location& location = entry.Where();
  const FolderPair folders = Folders(location);
  MoveResult r;
  r.source = r.destination = WithoutTrailingSeparator(folders.live);
  if (folders.live.empty() || !IsPlainName(entry.name) || !IsStartedName(entry.name))
    return Failed(r, MoveFailure::kNoPlace);
  if (!Addressable(entry.name)) return Failed(r, MoveFailure::kUnaddressable);
  const FileLook live = LookForFile(fs_, folders.live, entry.name);
  if (live.status != fs_error::kOk) return FileFailed(r, live.status, r.source);
  if (!live.found) return Failed(r, MoveFailure::kGone);
  const int32_t cleared = ClearSwitchedOff(api_, location.root, location.approvals, entry.name);
  if (cleared != kRegOk)
    return Failed(r, static_cast<uint32_t>(cleared), PlaceText(ApprovalPlace(location.root, location.approvals)));
  return r;
}

}  // namespace kqm
