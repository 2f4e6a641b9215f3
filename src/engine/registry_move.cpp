#include "engine/registry_move.h"

#include "engine/entry_places.h"

namespace kqm {

namespace {

class Mover {
 public:
  Mover(RegistryApi& api, const RegistryMove& move) : api_(api), m_(move) {
    r_.source = PlaceText(m_.from);
    r_.destination = PlaceText(m_.to);
  }

  // The steps of a move, in order: each gives the move's result when the move ends there.

  // What moves is the value as stored now, provided it is still what was shown.
  std::optional<MoveResult> CheckSource() {
    source_ = Read(api_, m_.from, m_.name);
    if (source_.status == kRegFileNotFound) return Failed(r_, MoveFailure::kGone);
    if (source_.status != kRegOk) return Failed(r_, static_cast<uint32_t>(source_.status), r_.source);
    if (!m_.shown || !(*m_.shown == source_.value)) return Failed(r_, MoveFailure::kChanged);
    return std::nullopt;
  }

  // Before anything is written: the ledger is told, and may stop the move.
  std::optional<MoveResult> NoteInTheLedger() {
    if (m_.beforeWriting && !m_.beforeWriting(source_.value)) return Failed(r_, MoveFailure::kNotRecorded);
    return std::nullopt;
  }

  // A value of that name at the destination: the same entry already there, or another one, replaced only on a
  // yes. A name that differs in letter case is another entry.
  std::optional<MoveResult> ClearDestination() {
    const RawRead existing = Read(api_, m_.to, m_.name);
    if (existing.status != kRegOk && existing.status != kRegFileNotFound)
      return Failed(r_, static_cast<uint32_t>(existing.status), r_.destination);
    if (existing.status != kRegOk) return std::nullopt;
    StoredNameRead stored = StoredName(api_, m_.to, m_.name);
    // Listing by index can miss a value while another program changes the key: list again.
    for (int attempt = 0; stored.status == kRegFileNotFound && attempt < 3; ++attempt)
      stored = StoredName(api_, m_.to, m_.name);
    if (stored.status != kRegOk) return Failed(r_, static_cast<uint32_t>(stored.status), r_.destination);
    replacedName_ = stored.name;
    alreadyThere_ = replacedName_ == m_.name && existing.value == source_.value;
    if (alreadyThere_) return std::nullopt;
    if (!m_.askReplace || !m_.askReplace(ReplaceQuestion{m_.name, replacedName_, r_.destination}))
      return Failed(r_, MoveFailure::kNameTaken);
    // The answer is about what the question named: anything else there now is not replaced.
    const RawRead after = Read(api_, m_.to, replacedName_);
    if (after.status != kRegOk || !(after.value == existing.value)) return Failed(r_, MoveFailure::kDestinationChanged);
    replaced_ = existing.value;
    r_.replaced = ReplacedContent{replacedName_, existing.value.type, existing.value.bytes};
    // The entry keeps its own spelling: the other one goes first (and comes back if the move is taken back).
    if (replacedName_ != m_.name) {
      const int32_t removed = DeleteAndVerify(api_, m_.to, replacedName_);
      if (removed != kRegOk)
        return Failed(r_, static_cast<uint32_t>(removed < 0 ? kRegAccessDenied : removed), r_.destination);
    }
    return std::nullopt;
  }

  std::optional<MoveResult> CopyAndVerify() {
    if (alreadyThere_) return std::nullopt;
    const WriteResult written = WriteAndVerify(api_, m_.to, m_.name, source_.value);
    if (written.status == kRegOk) return std::nullopt;
    const bool restored = TakeBack();
    r_.inBothPlaces = written.wrote && !restored && HoldsCopy();
    return Failed(r_, static_cast<uint32_t>(written.status), r_.destination);
  }

  // The source goes only once the copy is on the disk and while the source still holds what was copied.
  MoveResult RemoveSourceAndVerify() {
    if (const int32_t flushed = FlushPlace(api_, m_.to); flushed != kRegOk) {
      r_.inBothPlaces = alreadyThere_ || (!TakeBack() && HoldsCopy());
      return Failed(r_, static_cast<uint32_t>(flushed), r_.destination);
    }
    const RawRead now = Read(api_, m_.from, m_.name);
    if (now.status == kRegFileNotFound) return r_;  // removed meanwhile: the destination holds the only copy
    if (now.status != kRegOk || !(now.value == source_.value)) {
      r_.inBothPlaces = !TakeBack() && HoldsCopy();
      return now.status == kRegOk ? Failed(r_, MoveFailure::kChanged)
                                  : Failed(r_, static_cast<uint32_t>(now.status), r_.source);
    }
    const int32_t deleted = DeleteAndVerify(api_, m_.from, m_.name);
    if (deleted == kRegOk) return r_;
    if (deleted < 0) {
      // The source could not be looked at after the delete: the entry is at the destination, perhaps also there.
      r_.inBothPlaces = true;
      return Failed(r_, MoveFailure::kUnconfirmed);
    }
    r_.inBothPlaces = alreadyThere_ || (!TakeBack() && HoldsCopy());
    return Failed(r_, static_cast<uint32_t>(deleted), r_.source);
  }

 private:
  // Puts the destination back as it was before this move; true when it is.
  bool TakeBack() {
    if (alreadyThere_) return true;
    if (!replaced_) return DeleteAndVerify(api_, m_.to, m_.name) == kRegOk;
    if (replacedName_ != m_.name && DeleteAndVerify(api_, m_.to, m_.name) != kRegOk) return false;
    return WriteAndVerify(api_, m_.to, replacedName_, *replaced_).status == kRegOk;
  }

  // Whether the destination (still) holds the entry; a place that cannot be read may.
  bool HoldsCopy() {
    const RawRead at = Read(api_, m_.to, m_.name);
    return at.status == kRegOk ? at.value == source_.value : at.status != kRegFileNotFound;
  }

  RegistryApi& api_;
  const RegistryMove& m_;
  MoveResult r_;
  RawRead source_;
  std::optional<RawValue> replaced_;
  std::string replacedName_;
  bool alreadyThere_ = false;
};

}  // namespace

MoveResult MoveRegistryValue(RegistryApi& api, const RegistryMove& move) {
  Mover mover(api, move);
  if (std::optional<MoveResult> stop = mover.CheckSource()) return *stop;
  if (std::optional<MoveResult> stop = mover.NoteInTheLedger()) return *stop;
  if (std::optional<MoveResult> stop = mover.ClearDestination()) return *stop;
  if (std::optional<MoveResult> stop = mover.CopyAndVerify()) return *stop;
  return mover.RemoveSourceAndVerify();
}

}  // namespace kqm
