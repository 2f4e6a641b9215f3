#include "engine/clsStartUp.h"

#include "engine/entry_rows.h"

namespace kqm {

namespace {

// Keeps a list's fill open for one load, so that the list paints once when the load ends (however it ends).
class FillScope {
 public:
  explicit FillScope(ListView& lst) : lst_(lst) { lst_.BeginFill(); }
  ~FillScope() { lst_.EndFill(); }
  FillScope(const FillScope&) = delete;
  FillScope& operator=(const FillScope&) = delete;

 private:
  ListView& lst_;
};

}  // namespace

clsStartUp::clsStartUp(RegistryApi& registry, FileSystem& fileSystem, Shell& shell, ErrorReporter& reporter,
                       const std::string& appBaseName, std::string sDisabledPath)
    : registry_(std::make_unique<clsRegistry>(registry, reporter, appBaseName)),
      entries_(std::make_unique<EntryEngine>(registry, fileSystem, shell, reporter, *registry_,
                                             std::move(sDisabledPath))) {}

void clsStartUp::LoadHKCURItems(ListView& lst) { Load(lst, LocationId::kHkcuRun); }

void clsStartUp::LoadHKCUROItems(ListView& lst) { Load(lst, LocationId::kHkcuRunOnce); }

void clsStartUp::LoadHKLMRItems(ListView& lst) { Load(lst, LocationId::kHklmRun); }

void clsStartUp::LoadHKLMROItems(ListView& lst) { Load(lst, LocationId::kHklmRunOnce); }

void clsStartUp::LoadHKLMRSItems(ListView& lst) { Load(lst, LocationId::kHklmRunServices); }

void clsStartUp::LoadStartUpFiles(ListView& lst, bool bAll) { Load(lst, FolderLocationOf(bAll).id); }

void clsStartUp::Load(ListView& lst, LocationId location) {
  const FillScope fill(lst);
  lst.Clear();
  lst.Tag(LocationOf(location).listTag);
  const std::vector<StartupEntry> entries = entries_->ReadEntries(location);
  lst.ReserveRows(static_cast<int32_t>(entries.size()));
  for (const StartupEntry& entry : entries)
    if (ListItem* row = AddEntryRow(lst, entry)) row->Tag(RowTag(entry));
}

MoveResult clsStartUp::DisableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                      const std::string& sValue, const EntryMarks& marks) {
  return MoveNamed(sRoot, sKey, sValueName, sValue, marks, EntryState::kOn, MoveDirection::kOff);
}

MoveResult clsStartUp::EnableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                     const std::string& sValue, const EntryMarks& marks) {
  return MoveNamed(sRoot, sKey, sValueName, sValue, marks, EntryState::kOff, MoveDirection::kOn);
}

MoveResult clsStartUp::ApproveRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                      const std::string& sValue, const EntryMarks& marks) {
  return MoveNamed(sRoot, sKey, sValueName, sValue, marks, EntryState::kOffByWindows, MoveDirection::kOn);
}

MoveResult clsStartUp::MoveNamed(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                 const std::string& sValue, const EntryMarks& marks, EntryState state,
                                 MoveDirection direction) {
  const Location* location = FindRegistryLocation(sRoot, sKey);
  if (!location) return Failed(MoveResult{}, MoveFailure::kNoPlace);
  StartupEntry named;
  named.location = location->id;
  named.name = sValueName;
  named.view = marks.view;
  named.state = state;
  named.userStore = state == EntryState::kOff && marks.userStore;
  named.readable = false;  // unless it still reads as shown: then the move takes what it reads now
  if (std::optional<StartupEntry> now = entries_->ReadEntry(named);
      now && MarkedText(now->shown, marks) + (now->InSharedStore() ? kSharedStoreMark : "") == sValue)
    named = *now;
  return entries_->Move(named, direction);
}

MoveResult clsStartUp::DisableFileItem(const std::string& sFile, bool bAll) {
  return MoveNamedFile(sFile, bAll, EntryState::kOn, MoveDirection::kOff);
}

MoveResult clsStartUp::EnableFileItem(const std::string& sFile, bool bAll) {
  return MoveNamedFile(sFile, bAll, EntryState::kOff, MoveDirection::kOn);
}

MoveResult clsStartUp::ApproveFileItem(const std::string& sFile, bool bAll) {
  return MoveNamedFile(sFile, bAll, EntryState::kOffByWindows, MoveDirection::kOn);
}

MoveResult clsStartUp::MoveNamedFile(const std::string& sFile, bool bAll, EntryState state, MoveDirection direction) {
  StartupEntry named;
  named.location = FolderLocationOf(bAll).id;
  named.name = sFile;
  named.state = state;
  if (std::optional<StartupEntry> now = entries_->ReadEntry(named)) named = *now;
  return entries_->Move(named, direction);
}

}  // namespace kqm
