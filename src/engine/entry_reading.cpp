#include <algorithm>

#include "engine/entry_engine.h"
#include "engine/startup_approval.h"
#include "fileinfo/basFile_Kebbo.h"
#include "platform/sha256.h"
#include "platform/text.h"
#include "registry/reg_variant.h"

namespace kqm {

EntryEngine::EntryEngine(RegistryApi& api, FileSystem& fs, Shell& shell, ErrorReporter& reporter,
                         clsRegistry& registry, std::string sDisabledPath)
    : api_(api),
      fs_(fs),
      shell_(shell),
      reporter_(reporter),
      registry_(registry),
      sDisabledPath_(std::move(sDisabledPath)),
      files_(fs) {}

std::vector<StartupEntry> EntryEngine::ReadEntries(LocationId id, std::vector<ReadProblem>* problems) {
  const Location& location = LocationOf(id);
  std::vector<StartupEntry> out;
  StartupEntry kind;
  kind.location = id;
  if (location.IsFolder()) {
    const FolderPair folders = Folders(location);
    const auto off = SwitchedOffNames(api_, location.root, location.approvals);
    if (!folders.live.empty()) ReadFolder(out, kind, folders.live, &off, problems);
    kind.state = EntryState::kOff;
    if (!folders.disabled.empty()) ReadFolder(out, kind, folders.disabled, nullptr, problems);
    MarkAlsoOff(out);
    return out;
  }
  for (const RegView view : {RegView::kNative, RegView::k32}) {
    if (view == RegView::k32 && !location.HasTwoViews()) continue;
    const EntryPlaces places = PlacesFor(location, view, false);
    const auto off = places.approvals ? SwitchedOffNames(api_, location.root, places.approvals)
                                      : std::unordered_set<std::u16string>{};
    kind.view = view;
    ReadRegistryPlace(out, kind, places.live, &off, problems);
  }
  // The stores lie under HKEY_LOCAL_MACHINE, in both views, and the user's own below his root.
  kind.state = EntryState::kOff;
  for (const auto& [view, userStore] : {std::pair{RegView::kNative, false}, std::pair{RegView::k32, false},
                                        std::pair{RegView::kNative, true}}) {
    if (userStore && location.root != kHkeyCurrentUser) continue;
    kind.view = view;
    kind.userStore = userStore;
    ReadRegistryPlace(out, kind, PlacesFor(location, view, userStore).store, nullptr, problems);
  }
  MarkAlsoOff(out);
  return out;
}

std::optional<StartupEntry> EntryEngine::ReadEntry(const StartupEntry& where) {
  if (!Addressable(where.name)) return std::nullopt;
  const Location& location = where.Where();
  if (location.IsFolder()) {
    const FolderPair folders = Folders(location);
    const std::string folder = where.IsLive() ? folders.live : folders.disabled;
    if (folder.empty()) return std::nullopt;
    FoundFile found;
    auto search = fs_.FindFirst(folder + where.name, found);
    for (bool more = search != nullptr; more; more = search->Next(found)) {
      if (found.name != where.name) continue;
      StartupEntry entry = where;
      entry.folder = folder;
      entry.size = static_cast<int64_t>(found.size);
      entry.hash.clear();
      entry.shown = HasShortcutExtension(where.name) ? ShortcutTarget(shell_, folder + where.name) : folder + where.name;
      return entry;
    }
    return std::nullopt;
  }
  const EntryPlaces places = PlacesOf(where);
  const RawRead read = Read(api_, where.IsLive() ? places.live : places.store, where.name);
  if (read.status != kRegOk) return std::nullopt;
  StartupEntry entry = where;
  entry.type = read.value.type;
  entry.bytes = read.value.bytes;
  entry.readable = true;
  entry.shown = ShownText(entry.type, entry.bytes);
  return entry;
}

void EntryEngine::ReadRegistryPlace(std::vector<StartupEntry>& out, const StartupEntry& kind, const RegPlace& place,
                                    const std::unordered_set<std::u16string>* off,
                                    std::vector<ReadProblem>* problems) {
  // A key that is not there holds no entries; one that is there but cannot be read is a problem to tell.
  const auto problem = [&](int32_t status) {
    if (problems) problems->push_back({PlaceTextWithView(place), static_cast<uint32_t>(status)});
  };
  UniqueRegKey key;
  if (const int32_t opened = OpenPlace(api_, place, kKeyQueryValue, key); opened != kRegOk) {
    if (opened != kRegFileNotFound) problem(opened);
    return;
  }
  uint32_t values = 0, longest = 0, largest = 0;
  if (const int32_t info = api_.QueryInfoKey(key.get(), nullptr, nullptr, &values, &longest, &largest);
      info != kRegOk) {
    problem(info);
    return;
  }
  out.reserve(out.size() + values);
  const int32_t ended = ForEachValue(api_, key.get(), longest + 1, largest, [&](const std::u16string& found, const RawRead& data) {
    StartupEntry& entry = out.emplace_back(kind);
    entry.name = Utf16ToUtf8Exact(found);  // asked for again exactly as listed
    if (off && off->count(FoldCase(found))) entry.state = EntryState::kOffByWindows;
    entry.readable = data.status == kRegOk;
    if (entry.readable) {
      entry.type = data.value.type;
      entry.bytes = data.value.bytes;
    }
    entry.shown = entry.readable ? ShownText(entry.type, entry.bytes) : VariantForMessage(registry_.Default());
  });
  if (ended != kRegNoMoreItems) problem(ended);
}

void EntryEngine::ReadFolder(std::vector<StartupEntry>& out, const StartupEntry& kind, const std::string& folder,
                             const std::unordered_set<std::u16string>* off, std::vector<ReadProblem>* problems) {
  // The system starts every file of a StartUp folder but its folder settings: shortcuts show their targets,
  // other files themselves.
  const int32_t count = files_.LoadFiles(folder + "*", false);
  if (count == 0 && problems) {  // empty, missing, or not readable: only the last is a problem
    FoundFile first;
    uint32_t error = 0;
    if (!fs_.FindFirst(folder + "*", first, &error) && error != fs_error::kFileNotFound &&
        error != fs_error::kPathNotFound && error != fs_error::kNoMoreFiles)
      problems->push_back({WithoutTrailingSeparator(folder), error ? error : fs_error::kAccessDenied});
  }
  out.reserve(out.size() + static_cast<size_t>(std::max(count, 0)));
  for (int32_t i = 1; i <= count; ++i) {
    const auto file = files_.Item(i);
    if (!file) continue;
    const std::string nameAndExtension = file->sNameAndExtension();
    // A move's temporary is no entry: a move in progress elsewhere, or one whose end the next start removes.
    if (!IsStartedName(nameAndExtension) || IsMoveTemporaryName(nameAndExtension)) continue;
    const std::optional<FoundFile> listed = files_.Listed(i);  // the listing's, not a second look at every file
    const auto attributes = listed ? listed->attributes : static_cast<uint32_t>(file->eAttributes());
    if ((attributes & file_attribute::kHidden) && (attributes & file_attribute::kSystem)) continue;
    StartupEntry& entry = out.emplace_back(kind);
    entry.name = nameAndExtension;
    entry.folder = folder;
    entry.size = listed ? static_cast<int64_t>(listed->size) : file->lSize();
    if (off && off->count(FoldCase(Utf8ToUtf16(nameAndExtension)))) entry.state = EntryState::kOffByWindows;
    entry.shown = HasShortcutExtension(nameAndExtension) ? ShortcutTarget(shell_, file->sFileName()) : file->sFileName();
    if (entry.state == EntryState::kOff) {
      // Only what the program itself put there, unchanged, is its own.
      const std::optional<FileRecord> record = records_.Get(entry.Where().root, nameAndExtension);
      if (const std::optional<std::string> bytes = fs_.ReadWholeFile(file->sFileName())) entry.hash = Sha256Hex(*bytes);
      entry.trust = !record ? FileTrust::kUnrecorded
                    : record->hash == entry.hash ? FileTrust::kRecorded
                                                 : FileTrust::kChanged;
    }
  }
}

std::string EntryEngine::ShownText(uint32_t type, const std::string& bytes) {
  // As a load shows it: text as it is (expanded), numbers in decimal, anything else as hex bytes.
  std::string text;
  try {
    text = VariantForMessage(registry_.DecodeValue(type, bytes));
  } catch (const AppError&) {
    text = VariantForMessage(registry_.Default());
  }
  // A list cell ends at a NUL: the strings of a multi-string (or text stored with NULs) are shown apart by blanks,
  // so that the row's text is the whole shown text.
  while (!text.empty() && text.back() == '\0') text.pop_back();
  std::replace(text.begin(), text.end(), '\0', ' ');
  return text;
}

FolderPair EntryEngine::Folders(const Location& location) {
  return FoldersFor(location, shell_, &reporter_, ownerWindow_, sDisabledPath_);
}

}  // namespace kqm
