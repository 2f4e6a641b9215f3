#include "engine/keep_off.h"

#include <unordered_set>

#include "engine/entry_engine.h"
#include "engine/entry_places.h"
#include "engine/file_move.h"
#include "engine/move_messages.h"
#include "engine/startup_approval.h"
#include "platform/sha256.h"
#include "platform/text.h"

namespace kqm {

namespace {

// An entry's identity within its location's list: its view and its folded name.
std::u16string TwinKey(const StartupEntry& entry) {
  return (entry.view == RegView::k32 ? u"32|" : u"64|") + FoldCase(Utf8ToUtf16(entry.name));
}

// The list Windows keeps the entry's flag in, or nullptr where it keeps none (RunOnce, RunServices).
const char* ApprovalListOf(const StartupEntry& entry) {
  return entry.IsFile() ? entry.Where().approvals : PlacesOf(entry).approvals;
}

// Restores the replace question's asker when the scope ends.
class AskerSwap {
 public:
  AskerSwap(ReplaceAsker& slot, ReplaceAsker asker) : slot_(slot), saved_(std::exchange(slot, std::move(asker))) {}
  ~AskerSwap() { slot_ = std::move(saved_); }
  AskerSwap(const AskerSwap&) = delete;
  AskerSwap& operator=(const AskerSwap&) = delete;

 private:
  ReplaceAsker& slot_;
  ReplaceAsker saved_;
};

}  // namespace

void MarkAlsoOff(std::vector<StartupEntry>& entries) {
  std::unordered_set<std::u16string> stored;
  for (const StartupEntry& entry : entries)
    if (entry.state == EntryState::kOff) stored.insert(TwinKey(entry));
  if (stored.empty()) return;
  for (StartupEntry& entry : entries)
    if (entry.IsLive()) entry.alsoOff = stored.count(TwinKey(entry)) != 0;
}

void KeepOffByWindows(RegistryApi& api, const StartupEntry& entry, MoveResult& moved) {
  const char* list = ApprovalListOf(entry);
  if (!moved || !list) return;
  const int32_t root = entry.Where().root;
  if (const int32_t status = SetSwitchedOff(api, root, list, entry.name, FileTimeNow()); status != kRegOk)
    moved.notes.push_back("Windows could not be told to keep it off should its program add it again: " +
                          PlaceText(ApprovalPlace(root, list)) + " refused the change (" +
                          StatusText(static_cast<uint32_t>(status)) + ").");
}

std::string KeepQuestionText(const KeepQuestion& q) {
  return "\"" + q.name + "\" was added again by its program after you switched it off. Windows keeps the new one "
         "from starting.\n\nAdded again: " + q.reAdded + "\nSwitched off: " + q.switchedOff + "\n    (kept in " +
         q.storedIn + ")\n\nWhich one should start at log-on? The other one is removed. Keep both to change nothing.";
}

std::vector<std::string> KeepChoiceCaptions() {
  return {"Keep the one &added again", "Keep the one &switched off", "Keep &both as they are"};
}

std::optional<StartupEntry> EntryEngine::StoredTwin(const StartupEntry& live) {
  // The user's own store before the machine's shared one, where an older version kept a user's entries.
  std::optional<StartupEntry> twin;
  const std::u16string key = TwinKey(live);
  for (StartupEntry& entry : ReadEntries(live.location))
    if (entry.state == EntryState::kOff && TwinKey(entry) == key && (!twin || (entry.userStore && !twin->userStore)))
      twin = std::move(entry);
  return twin;
}

MoveResult EntryEngine::KeepOneOf(const StartupEntry& reAdded) {
  StartupEntry plain = reAdded;
  plain.alsoOff = false;
  const std::optional<StartupEntry> stored = StoredTwin(reAdded);
  if (!stored) return Move(plain, MoveDirection::kOn);  // its copy has gone meanwhile: switched on where it is
  const KeepChoice choice =
      askKeep_ ? askKeep_({reAdded.Caption(), reAdded.shown, stored->shown, StoredIn(*stored)}) : KeepChoice::kBoth;
  if (choice == KeepChoice::kBoth) {
    MoveResult r;
    r.source = r.destination =
        reAdded.IsFile() ? WithoutTrailingSeparator(reAdded.folder) : PlaceText(PlacesOf(reAdded).live);
    return Failed(r, MoveFailure::kBothKept);
  }
  if (choice == KeepChoice::kSwitchedOff) {
    // The copy goes back over the one added again, and only over what the user was shown: looked at again at the
    // moment the move would replace it.
    const AskerSwap replaceShownOnly(askReplace_, [this, &reAdded](const ReplaceQuestion&) {
      const std::optional<StartupEntry> now = ReadEntry(reAdded);
      return now && now->SameContent(reAdded);
    });
    return Move(*stored, MoveDirection::kOn);
  }
  // The one added again is switched on where it is (if it is still what was shown); then the copy goes, if it is
  // still what was shown.
  MoveResult kept = Move(plain, MoveDirection::kOn);
  if (!kept) return kept;
  const std::string where = StoredIn(*stored);
  std::string why;
  const MoveLockScope lock(lock_, kMoveLockWaitMs);
  if (!lock.Held()) {
    why = "another copy of the program was moving entries";
  } else if (stored->IsFile()) {
    const std::string path = stored->folder + stored->name;
    const std::optional<std::string> bytes = fs_.ReadWholeFile(path);
    if (IsLink(fs_, WithoutTrailingSeparator(stored->folder)) || IsLink(fs_, path))
      why = "it is reached through a symbolic link or junction";
    else if (!bytes || Sha256Hex(*bytes) != stored->hash)
      why = "it has changed since the list was shown";
    else if (const uint32_t removed = fs_.RemoveFile(path); removed != 0)
      why = StatusText(removed);
    else
      static_cast<void>(records_.Remove(stored->Where().root, stored->name));
  } else {
    const RegPlace place = PlacesOf(*stored).store;
    const RawRead now = Read(api_, place, stored->name);
    if (now.status != kRegOk || !stored->readable || !(now.value == RawValue{stored->type, stored->bytes}))
      why = "it has changed since the list was shown";
    else if (const int32_t removed = DeleteAndVerify(api_, place, stored->name); removed != kRegOk)
      why = StatusText(static_cast<uint32_t>(removed));
  }
  if (!why.empty()) kept.notes.push_back("Its switched-off copy was left in " + where + ": " + why + ".");
  return kept;
}

}  // namespace kqm
