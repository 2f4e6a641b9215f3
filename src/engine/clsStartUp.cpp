#include "engine/clsStartUp.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "fileinfo/basFile_Kebbo.h"
#include "platform/text.h"

namespace kqm {

namespace {

constexpr const char* kLaunchKeyBase = "Software\\Microsoft\\Windows\\CurrentVersion\\";

// A registry place: a root and a key path below it.
struct RegPlace {
  int32_t root;
  std::string path;
};

const char* RootName(int32_t root) {
  switch (root) {
    case kHkeyClassesRoot: return "HKEY_CLASSES_ROOT";
    case kHkeyCurrentUser: return "HKEY_CURRENT_USER";
    case kHkeyLocalMachine: return "HKEY_LOCAL_MACHINE";
    case kHkeyUsers: return "HKEY_USERS";
    case kHkeyCurrentConfig: return "HKEY_CURRENT_CONFIG";
    case kHkeyDynData: return "HKEY_DYN_DATA";
    default: return "?";
  }
}

std::string PlaceText(const RegPlace& place) { return std::string(RootName(place.root)) + "\\" + place.path; }

// A value's type and bytes as stored.
struct RawValue {
  uint32_t type = 0;
  std::string bytes;
  bool operator==(const RawValue&) const = default;
};

// A read of one value: status 0 with the value, 2 when the key or the value is not there, else the failure.
struct RawRead {
  int32_t status = kRegOk;
  RawValue value;
};

RawRead ReadOnce(RegistryApi& api, const RegPlace& place, const std::string& name) {
  RegKey opened = 0;
  RawRead r;
  r.status = api.OpenKey(RootKey(place.root), Utf8ToUtf16(place.path), kKeyQueryValue, opened);
  if (r.status != kRegOk) return r;
  const UniqueRegKey key(opened, RegKeyCloser{&api});
  const auto name16 = Utf8ToUtf16(name);
  uint32_t size = 0;
  r.status = api.QueryValue(key.get(), name16, &r.value.type, nullptr, &size);
  // A value that grows between the size probe and the read answers 234 with its new size.
  for (int attempt = 0; r.status == kRegOk && attempt < 8; ++attempt) {
    r.value.bytes.assign(size, '\0');
    r.status = api.QueryValue(key.get(), name16, &r.value.type, reinterpret_cast<uint8_t*>(r.value.bytes.data()),
                              &size);
    if (r.status == kRegOk) {
      r.value.bytes.resize(size);
      return r;
    }
    if (r.status == kRegMoreData) r.status = kRegOk;
  }
  if (r.status == kRegOk) r.status = kRegMoreData;
  return r;
}

// ReadOnce, asked once more when the first answer was neither the value nor its absence.
RawRead Read(RegistryApi& api, const RegPlace& place, const std::string& name) {
  RawRead r = ReadOnce(api, place, name);
  if (r.status != kRegOk && r.status != kRegFileNotFound) r = ReadOnce(api, place, name);
  return r;
}

// Writes the value and reads it back: status 0 when the place now holds exactly `value`; `wrote` when the
// write itself was accepted (so a copy may be there even if the read-back failed).
struct WriteResult {
  int32_t status = kRegOk;
  bool wrote = false;
};

WriteResult WriteAndVerify(RegistryApi& api, const RegPlace& place, const std::string& name, const RawValue& value) {
  RegKey opened = 0;
  WriteResult w;
  w.status = api.CreateKey(RootKey(place.root), Utf8ToUtf16(place.path), kKeySetValue, opened);
  if (w.status != kRegOk) return w;
  {
    const UniqueRegKey key(opened, RegKeyCloser{&api});
    w.status = api.SetValue(key.get(), Utf8ToUtf16(name), value.type,
                            reinterpret_cast<const uint8_t*>(value.bytes.data()),
                            static_cast<uint32_t>(value.bytes.size()));
  }
  if (w.status != kRegOk) return w;
  w.wrote = true;
  const RawRead back = Read(api, place, name);
  w.status = back.status != kRegOk ? back.status : back.value == value ? kRegOk : kRegInvalidData;
  return w;
}

// Deletes the value and looks again; 0 when it is gone, 2 never, else the delete's failure (5 when the delete
// answered success but the value is still there) or -1 when the look could not tell.
int32_t DeleteAndVerify(RegistryApi& api, const RegPlace& place, const std::string& name) {
  int32_t status = kRegOk;
  RegKey opened = 0;
  status = api.OpenKey(RootKey(place.root), Utf8ToUtf16(place.path), kKeySetValue, opened);
  if (status == kRegOk) {
    const UniqueRegKey key(opened, RegKeyCloser{&api});
    status = api.DeleteValue(key.get(), Utf8ToUtf16(name));
  }
  const RawRead after = Read(api, place, name);
  if (after.status == kRegFileNotFound) return kRegOk;
  if (after.status != kRegOk) return -1;
  return status == kRegOk || status == kRegFileNotFound ? kRegAccessDenied : status;
}

// The name a value of the key is stored under when it matches `name` without regard to case; the failing
// status when the key cannot be listed, 2 when no such value is listed.
struct StoredNameRead {
  int32_t status = kRegOk;
  std::string name;
};

StoredNameRead StoredName(RegistryApi& api, const RegPlace& place, const std::string& name) {
  RegKey opened = 0;
  StoredNameRead r;
  r.status = api.OpenKey(RootKey(place.root), Utf8ToUtf16(place.path), kKeyQueryValue, opened);
  if (r.status != kRegOk) return r;
  const UniqueRegKey key(opened, RegKeyCloser{&api});
  const std::u16string wanted = Utf8ToUtf16(name);
  const std::u16string folded = FoldCase(wanted);
  std::u16string buffer(wanted.size() + 1, u'\0');
  for (uint32_t i = 0;; ++i) {
    uint32_t chars = static_cast<uint32_t>(buffer.size());
    r.status = api.EnumValue(key.get(), i, buffer.data(), &chars);
    if (r.status == kRegMoreData) continue;  // longer, so not this name
    if (r.status == kRegNoMoreItems) r.status = kRegFileNotFound;
    if (r.status != kRegOk) return r;
    const std::u16string_view found(buffer.data(), chars);
    if (found.size() == wanted.size() && FoldCase(found) == folded) {
      r.name = Utf16ToUtf8(found);
      return r;
    }
  }
}

// Names the platform can be asked for exactly: no NUL (which would cut the name short) and no U+FFFD (which
// stands for an unpaired surrogate the name had when it was listed).
bool Addressable(const std::string& name) {
  return name.find('\0') == std::string::npos && name.find("\xEF\xBF\xBD") == std::string::npos;
}

MoveResult Failed(MoveResult r, uint32_t code, const std::string& place) {
  r.failure = code == kRegAccessDenied ? MoveFailure::kAccessDenied : MoveFailure::kRefused;
  r.code = code;
  r.failedAt = place;
  return r;
}

MoveResult Failed(MoveResult r, MoveFailure failure) {
  r.failure = failure;
  return r;
}

// The store's name for a root, or nullptr for a root the store has no place for.
const char* StoreRootName(int32_t root) {
  switch (root) {
    case kHkeyClassesRoot: return "HKCR";
    case kHkeyCurrentUser: return "HKCU";
    case kHkeyLocalMachine: return "HKLM";
    case kHkeyUsers: return "HKU";
    case kHkeyCurrentConfig: return "HKCC";
    case kHkeyDynData: return "HKDD";
    default: return nullptr;
  }
}

// Key suffix and launch key name for a list tag: "RO" RunOnce, "RS" RunServices, anything else Run.
struct LaunchKey {
  const char* suffix;
  const char* name;
};
LaunchKey LaunchKeyFor(const std::string& sKey) {
  if (sKey == "RO") return {"RO", "RunOnce"};
  if (sKey == "RS") return {"RS", "RunServices"};
  return {"R", "Run"};
}

// A folder or file name without folder parts, device syntax or wildcards.
bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const unsigned char c : name)
    if (c < 0x20 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
      return false;
  return true;
}

bool HasShortcutExtension(const std::string& name) {
  if (name.size() < 4) return false;
  const std::u16string ext = FoldCase(Utf8ToUtf16(name.substr(name.size() - 4)));
  return ext == u".LNK";
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

struct clsStartUp::RegLocation {
  const char* listTag;
  int32_t root;
  const char* livePath;
  const char* storeKey;  // below the program registry area
};

struct clsStartUp::FolderPair {
  std::string live;      // ends in "\"; "" when the shell gave no folder
  std::string disabled;  // ends in "\"; "" when no safe Disabled subfolder can be named
};

clsStartUp::clsStartUp(RegistryApi& registry, FileSystem& fileSystem, Shell& shell, ErrorReporter& reporter,
                       const std::string& appBaseName, std::string sDisabledPath)
    : api_(registry),
      fs_(fileSystem),
      shell_(shell),
      reporter_(reporter),
      sDisabledPath_(std::move(sDisabledPath)),
      registry_(std::make_unique<clsRegistry>(registry, reporter, appBaseName)),
      files_(std::make_unique<colFiles_Kebbo>(fileSystem)) {}

void clsStartUp::LoadHKCURItems(ListView& lst) {
  LoadRegistryLocation(lst, {"R", kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                             "Disabled\\HKCU\\R"});
}

void clsStartUp::LoadHKCUROItems(ListView& lst) {
  LoadRegistryLocation(lst, {"RO", kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                             "Disabled\\HKCU\\RO"});
}

void clsStartUp::LoadHKLMRItems(ListView& lst) {
  LoadRegistryLocation(lst, {"R", kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                             "Disabled\\HKLM\\R"});
}

void clsStartUp::LoadHKLMROItems(ListView& lst) {
  LoadRegistryLocation(lst, {"RO", kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                             "Disabled\\HKLM\\RO"});
}

void clsStartUp::LoadHKLMRSItems(ListView& lst) {
  LoadRegistryLocation(lst, {"RS", kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices",
                             "Disabled\\HKLM\\RS"});
}

void clsStartUp::LoadRegistryLocation(ListView& lst, const RegLocation& location) {
  lst.Clear();
  lst.Tag(location.listTag);
  const std::string rootTag = std::to_string(location.root);
  AddRegistryRows(lst, location.root, location.livePath, rootTag, true);
  // The store always lies under HKEY_LOCAL_MACHINE; its rows still carry the live root's tag.
  AddRegistryRows(lst, kHkeyLocalMachine, std::string(kProgramRegistryArea) + location.storeKey, rootTag, false);
}

void clsStartUp::AddRegistryRows(ListView& lst, int32_t root, const std::string& path, const std::string& rootTag,
                                 bool bChecked) {
  OneBasedArray<std::string> names;
  int32_t count = 0;
  registry_->ClassKey(root);
  registry_->SectionKey(path);
  registry_->EnumerateValues(names, count);
  for (int32_t i = 1; i <= count; ++i) {
    registry_->ClassKey(root);
    registry_->SectionKey(path);
    registry_->ValueKey(names(i));
    ListItem* row = lst.Add(names(i), kRegistryItemIcon);
    if (!row) continue;
    row->Checked(bChecked);
    row->Tag(rootTag);
    Variant data;
    try {
      data = registry_->Value();
    } catch (const AppError&) {
      data = registry_->Default();
    }
    row->AddSubItem(VariantForMessage(data));
  }
}

MoveResult clsStartUp::DisableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                      const std::string& sValue) {
  return MoveRegItem(sRoot, sKey, sValueName, sValue, true);
}

MoveResult clsStartUp::EnableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                     const std::string& sValue) {
  return MoveRegItem(sRoot, sKey, sValueName, sValue, false);
}

std::string clsStartUp::ShownText(uint32_t type, const std::string& bytes) {
  // As a load shows it: text as it is (expanded), numbers in decimal, anything else as hex bytes.
  try {
    return VariantForMessage(registry_->DecodeValue(type, bytes));
  } catch (const AppError&) {
    return VariantForMessage(registry_->Default());
  }
}

bool clsStartUp::Replace(const std::string& name, const std::string& existing, const std::string& destination) {
  return askReplace_ && askReplace_(ReplaceQuestion{name, existing, destination});
}

MoveResult clsStartUp::MoveRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                   const std::string& sValue, bool toStore) {
  const char* rootName = StoreRootName(sRoot);
  const LaunchKey launch = LaunchKeyFor(sKey);
  const RegPlace live{sRoot, std::string(kLaunchKeyBase) + launch.name};
  const RegPlace store{kHkeyLocalMachine, std::string(kProgramRegistryArea) + "Disabled\\" +
                                              (rootName ? rootName : "?") + "\\" + launch.suffix};
  const RegPlace& from = toStore ? live : store;
  const RegPlace& to = toStore ? store : live;
  MoveResult r;
  r.source = PlaceText(from);
  r.destination = PlaceText(to);
  if (!rootName) return Failed(r, MoveFailure::kNoPlace);
  if (!Addressable(sValueName)) return Failed(r, MoveFailure::kUnaddressable);

  // What moves is the value as stored now, provided it is still what the list showed.
  const RawRead source = Read(api_, from, sValueName);
  if (source.status == kRegFileNotFound) return Failed(r, MoveFailure::kGone);
  if (source.status != kRegOk) return Failed(r, source.status, r.source);
  if (ShownText(source.value.type, source.value.bytes) != sValue) return Failed(r, MoveFailure::kChanged);

  // Both directions leave this key below the store's or the item's root; a failure here stops nothing.
  registry_->ClassKey(toStore ? kHkeyLocalMachine : sRoot);
  registry_->SectionKey(std::string(kProgramRegistryArea) + "Disabled");
  try {
    registry_->CreateKey();
  } catch (const AppError&) {
  }

  // A value of that name at the destination: the same entry already there, or another one, replaced only on
  // a yes. A name that differs in letter case is another entry.
  const RawRead existing = Read(api_, to, sValueName);
  if (existing.status != kRegOk && existing.status != kRegFileNotFound) return Failed(r, existing.status, r.destination);
  std::optional<RawValue> replaced;
  std::string replacedName;
  bool alreadyThere = false;
  if (existing.status == kRegOk) {
    StoredNameRead stored = StoredName(api_, to, sValueName);
    // Listing by index can miss a value while another program changes the key: list again.
    for (int attempt = 0; stored.status == kRegFileNotFound && attempt < 3; ++attempt)
      stored = StoredName(api_, to, sValueName);
    if (stored.status != kRegOk) return Failed(r, static_cast<uint32_t>(stored.status), r.destination);
    replacedName = stored.name;
    alreadyThere = replacedName == sValueName && existing.value == source.value;
    if (!alreadyThere) {
      if (!Replace(sValueName, replacedName, r.destination)) return Failed(r, MoveFailure::kNameTaken);
      replaced = existing.value;
      // The entry keeps its own spelling: the other one goes first (and comes back if the move is taken back).
      if (replacedName != sValueName) {
        const int32_t removed = DeleteAndVerify(api_, to, replacedName);
        if (removed != kRegOk) return Failed(r, static_cast<uint32_t>(removed < 0 ? kRegAccessDenied : removed),
                                             r.destination);
      }
    }
  }
  // Puts the destination back as it was before this move; true when it is.
  auto takeBack = [&] {
    if (alreadyThere) return true;
    if (!replaced) return DeleteAndVerify(api_, to, sValueName) == kRegOk;
    if (replacedName != sValueName && DeleteAndVerify(api_, to, sValueName) != kRegOk) return false;
    return WriteAndVerify(api_, to, replacedName, *replaced).status == kRegOk;
  };

  // Whether the destination (still) holds the entry; a place that cannot be read may.
  auto holdsCopy = [&] {
    const RawRead at = Read(api_, to, sValueName);
    return at.status == kRegOk ? at.value == source.value : at.status != kRegFileNotFound;
  };

  if (!alreadyThere) {
    const WriteResult written = WriteAndVerify(api_, to, sValueName, source.value);
    if (written.status != kRegOk) {
      const bool restored = takeBack();
      r.inBothPlaces = written.wrote && !restored && holdsCopy();
      return Failed(r, static_cast<uint32_t>(written.status), r.destination);
    }
  }
  // The source goes only while it still holds what was copied.
  const RawRead now = Read(api_, from, sValueName);
  if (now.status == kRegFileNotFound) return r;  // removed meanwhile: the destination holds the only copy
  if (now.status != kRegOk || !(now.value == source.value)) {
    r.inBothPlaces = !takeBack() && holdsCopy();
    return now.status == kRegOk ? Failed(r, MoveFailure::kChanged) : Failed(r, now.status, r.source);
  }
  const int32_t deleted = DeleteAndVerify(api_, from, sValueName);
  if (deleted == kRegOk) return r;
  if (deleted < 0) {
    // The source could not be looked at after the delete: the entry is at the destination, perhaps also there.
    r.inBothPlaces = true;
    return Failed(r, MoveFailure::kUnconfirmed);
  }
  r.inBothPlaces = alreadyThere || (!takeBack() && holdsCopy());
  return Failed(r, static_cast<uint32_t>(deleted), r.source);
}

clsStartUp::FolderPair clsStartUp::Folders(bool bAll) {
  FolderPair folders;
  const std::string live = FolderLocation(shell_, reporter_,
                                          bAll ? special_folder::kCommonStartUp : special_folder::kStartUp,
                                          ownerWindow_);
  if (!live.empty()) folders.live = EnsureSuffix(live, "\\");
  const std::string subfolder = bAll ? std::string("All Users") : CurrentUserName(shell_);
  if (!sDisabledPath_.empty() && IsPlainName(subfolder))
    folders.disabled = EnsureSuffix(sDisabledPath_, "\\") + subfolder + "\\";
  return folders;
}

void clsStartUp::LoadStartUpFiles(ListView& lst, bool bAll) {
  lst.Clear();
  const FolderPair folders = Folders(bAll);
  lst.Tag(bAll ? "ALL" : "USER");
  if (!folders.live.empty()) AddFileRows(lst, folders.live, true);
  if (!folders.disabled.empty()) AddFileRows(lst, folders.disabled, false);
}

void clsStartUp::AddFileRows(ListView& lst, const std::string& folder, bool bChecked) {
  const int32_t count = files_->LoadFiles(folder + "*.lnk", false);
  for (int32_t i = 1; i <= count; ++i) {
    const auto file = files_->Item(i);
    if (!file) continue;
    const std::string nameAndExtension = file->sNameAndExtension();
    // The system's pattern match may also take longer extensions through short names; only .lnk files are ours.
    if (!HasShortcutExtension(nameAndExtension)) continue;
    ListItem* row = lst.Add(file->sName(), kStartUpFileIcon);
    if (!row) continue;
    row->Checked(bChecked);
    row->Tag(nameAndExtension);
    row->AddSubItem(ShortcutTarget(shell_, file->sFileName()));
  }
}

uint32_t clsStartUp::PrepareDisabledFolders(const FolderPair& folders) {
  const std::string base = WithoutTrailingSeparator(sDisabledPath_);
  uint32_t status = fs_error::kOk;
  if (!fs_.FolderExists(base)) status = fs_.CreateFolder(base);
  const std::string subfolder = WithoutTrailingSeparator(folders.disabled);
  if (!fs_.FolderExists(subfolder)) status = fs_.CreateFolder(subfolder);
  if (fs_.FolderExists(subfolder)) return fs_error::kOk;
  return status == fs_error::kOk ? fs_error::kPathNotFound : status;
}

namespace {

// The names in `folder` that equal `name` without regard to case (on a case-sensitive volume there may be
// several); status 0, or the failure of the listing. A missing file or folder lists nothing.
struct Matches {
  uint32_t status = fs_error::kOk;
  std::vector<std::string> names;
  bool Has(const std::string& name) const { return std::find(names.begin(), names.end(), name) != names.end(); }
};

Matches MatchesOnce(FileSystem& fs, const std::string& folder, const std::string& name) {
  Matches m;
  FoundFile entry;
  uint32_t error = 0;
  auto search = fs.FindFirst(folder + name, entry, &error);
  if (!search) {
    if (error != fs_error::kFileNotFound && error != fs_error::kPathNotFound && error != fs_error::kNoMoreFiles)
      m.status = error ? error : fs_error::kAccessDenied;
    return m;
  }
  const std::u16string folded = FoldCase(Utf8ToUtf16(name));
  do {
    // The pattern may also match through a short name; only the name itself counts.
    if (FoldCase(Utf8ToUtf16(entry.name)) == folded) m.names.push_back(entry.name);
  } while (search->Next(entry));
  return m;
}

Matches MatchesIn(FileSystem& fs, const std::string& folder, const std::string& name) {
  Matches m = MatchesOnce(fs, folder, name);
  if (m.status != fs_error::kOk) m = MatchesOnce(fs, folder, name);
  return m;
}

// A free name beside `name` in `folder` to park a file under while it is being replaced.
std::string AsideName(FileSystem& fs, const std::string& folder, const std::string& name) {
  for (int n = 1;; ++n) {
    const std::string candidate = name + ".replaced-" + std::to_string(n);
    uint32_t error = 0;
    if (!fs.Attributes(folder + candidate, &error) && error == fs_error::kFileNotFound) return candidate;
    if (n == 100) return {};
  }
}

bool SameFileBytes(FileSystem& fs, const std::string& a, const std::string& b) {
  const auto first = fs.ReadWholeFile(a);
  if (!first) return false;
  const auto second = fs.ReadWholeFile(b);
  return second && *first == *second;
}

MoveResult FileFailed(MoveResult r, uint32_t code, const std::string& place) {
  if (code == fs_error::kAlreadyExists || code == fs_error::kFileExists) {
    r.failure = MoveFailure::kNameTaken;
    r.code = code;
    return r;
  }
  r.failure = code == fs_error::kAccessDenied ? MoveFailure::kAccessDenied : MoveFailure::kRefused;
  r.code = code;
  r.failedAt = place;
  return r;
}

}  // namespace

MoveResult clsStartUp::MoveFile(const std::string& fromFolder, const std::string& toFolder, const std::string& sFile) {
  MoveResult r;
  r.source = WithoutTrailingSeparator(fromFolder);
  r.destination = WithoutTrailingSeparator(toFolder);
  const Matches source = MatchesIn(fs_, fromFolder, sFile);
  if (source.status != fs_error::kOk) return FileFailed(r, source.status, r.source);
  if (!source.Has(sFile)) return Failed(r, MoveFailure::kGone);

  // A file of that name at the destination: the same shortcut already there, or another one, replaced only on
  // a yes. A name that differs in letter case is another file.
  const Matches existing = MatchesIn(fs_, toFolder, sFile);
  if (existing.status != fs_error::kOk) return FileFailed(r, existing.status, r.destination);
  std::string replaced, aside;
  if (!existing.names.empty()) {
    replaced = existing.Has(sFile) ? sFile : existing.names.front();
    if (replaced == sFile && SameFileBytes(fs_, fromFolder + sFile, toFolder + sFile)) {
      const uint32_t removed = fs_.RemoveFile(fromFolder + sFile);
      const Matches after = MatchesIn(fs_, fromFolder, sFile);
      if (after.status == fs_error::kOk && !after.Has(sFile)) return r;
      r.inBothPlaces = true;
      return after.status != fs_error::kOk ? Failed(r, MoveFailure::kUnconfirmed)
                                           : FileFailed(r, removed ? removed : fs_error::kAccessDenied, r.source);
    }
    if (!Replace(sFile, replaced, r.destination)) return Failed(r, MoveFailure::kNameTaken);
    // The file replaced is parked beside its place until the move is done, so that a failure can put it back.
    aside = AsideName(fs_, toFolder, replaced);
    if (aside.empty()) return FileFailed(r, fs_error::kAlreadyExists, r.destination);
    const uint32_t parked = fs_.MoveFileNoReplace(toFolder + replaced, toFolder + aside);
    if (parked != fs_error::kOk) return FileFailed(r, parked, r.destination);
  }
  auto unpark = [&] {
    if (!aside.empty()) fs_.MoveFileNoReplace(toFolder + aside, toFolder + replaced);
  };

  const uint32_t moved = fs_.MoveFileNoReplace(fromFolder + sFile, toFolder + sFile);
  // Look rather than trust the answer: a copy to another volume can succeed while the source stays.
  const Matches atDestination = MatchesIn(fs_, toFolder, sFile);
  const Matches atSource = MatchesIn(fs_, fromFolder, sFile);
  if (atDestination.status != fs_error::kOk || atSource.status != fs_error::kOk) {
    r.inBothPlaces = true;
    return Failed(r, MoveFailure::kUnconfirmed);
  }
  const bool arrived = atDestination.Has(sFile), stayed = atSource.Has(sFile);
  if (arrived && !stayed) {
    if (!aside.empty()) fs_.RemoveFile(toFolder + aside);
    return r;
  }
  if (arrived && stayed) {
    // A copy whose source could not be removed: take the copy back.
    fs_.RemoveFile(toFolder + sFile);
    const Matches again = MatchesIn(fs_, toFolder, sFile);
    r.inBothPlaces = again.status != fs_error::kOk || again.Has(sFile);
    if (!r.inBothPlaces) unpark();
    return FileFailed(r, moved != fs_error::kOk ? moved : fs_error::kAccessDenied, r.source);
  }
  unpark();
  if (!stayed) return Failed(r, MoveFailure::kGone);
  return FileFailed(r, moved != fs_error::kOk ? moved : fs_error::kWriteFault, r.destination);
}

MoveResult clsStartUp::MoveFileItem(const std::string& sFile, bool bAll, bool toDisabled) {
  const FolderPair folders = Folders(bAll);
  MoveResult r;
  r.source = WithoutTrailingSeparator(toDisabled ? folders.live : folders.disabled);
  r.destination = WithoutTrailingSeparator(toDisabled ? folders.disabled : folders.live);
  if (folders.live.empty() || folders.disabled.empty() || !IsPlainName(sFile) || !HasShortcutExtension(sFile))
    return Failed(r, MoveFailure::kNoPlace);
  if (!Addressable(sFile)) return Failed(r, MoveFailure::kUnaddressable);
  if (const uint32_t prepared = PrepareDisabledFolders(folders); prepared != fs_error::kOk)
    return FileFailed(r, prepared == fs_error::kAlreadyExists ? fs_error::kPathNotFound : prepared,
                      WithoutTrailingSeparator(folders.disabled));
  return toDisabled ? MoveFile(folders.live, folders.disabled, sFile)
                    : MoveFile(folders.disabled, folders.live, sFile);
}

MoveResult clsStartUp::DisableFileItem(const std::string& sFile, bool bAll) { return MoveFileItem(sFile, bAll, true); }

MoveResult clsStartUp::EnableFileItem(const std::string& sFile, bool bAll) { return MoveFileItem(sFile, bAll, false); }

}  // namespace kqm
