#include "engine/clsStartUp.h"

#include <optional>

#include "fileinfo/basFile_Kebbo.h"
#include "platform/text.h"

namespace kqm {

namespace {

constexpr const char* kLaunchKeyBase = "Software\\Microsoft\\Windows\\CurrentVersion\\";

// Where a value stands in a key, as far as the registry lets us see.
enum class Presence { kHeld, kAbsent, kUnknown };

bool IsMissing(int32_t status) { return status == kRegFileNotFound; }

// Whether root\path holds value `name`; with `text`, whether it holds exactly that string (REG_SZ or
// REG_EXPAND_SZ, as the registry object writes it). A value with other data counts as absent.
Presence ValuePresence(RegistryApi& api, int32_t root, const std::string& path, const std::string& name,
                       const std::string* text) {
  RegKey opened = 0;
  const int32_t open = api.OpenKey(RootKey(root), Utf8ToUtf16(path), kKeyQueryValue, opened);
  if (IsMissing(open)) return Presence::kAbsent;
  if (open != kRegOk) return Presence::kUnknown;
  const UniqueRegKey key(opened, RegKeyCloser{&api});
  const auto name16 = Utf8ToUtf16(name);
  uint32_t type = 0, size = 0;
  const int32_t probe = api.QueryValue(key.get(), name16, &type, nullptr, &size);
  if (IsMissing(probe)) return Presence::kAbsent;
  if (probe != kRegOk) return Presence::kUnknown;
  if (!text) return Presence::kHeld;
  if (type != kRegSz && type != kRegExpandSz) return Presence::kAbsent;
  const std::string expected = Utf16ToBytes(Utf8ToUtf16(*text), true);
  if (size != expected.size()) return Presence::kAbsent;
  std::string bytes(size, '\0');
  const int32_t read = api.QueryValue(key.get(), name16, &type, reinterpret_cast<uint8_t*>(bytes.data()), &size);
  if (read == kRegMoreData) return Presence::kAbsent;  // replaced by something longer meanwhile
  if (read != kRegOk) return Presence::kUnknown;
  return bytes == expected ? Presence::kHeld : Presence::kAbsent;
}

// A value's type and bytes as stored.
struct RawValue {
  uint32_t type = 0;
  std::string bytes;
};

std::optional<RawValue> ReadRaw(RegistryApi& api, int32_t root, const std::string& path, const std::string& name) {
  RegKey opened = 0;
  if (api.OpenKey(RootKey(root), Utf8ToUtf16(path), kKeyQueryValue, opened) != kRegOk) return std::nullopt;
  const UniqueRegKey key(opened, RegKeyCloser{&api});
  const auto name16 = Utf8ToUtf16(name);
  RawValue value;
  uint32_t size = 0;
  if (api.QueryValue(key.get(), name16, &value.type, nullptr, &size) != kRegOk) return std::nullopt;
  value.bytes.assign(size, '\0');
  if (api.QueryValue(key.get(), name16, &value.type, reinterpret_cast<uint8_t*>(value.bytes.data()), &size) != kRegOk)
    return std::nullopt;
  value.bytes.resize(size);
  return value;
}

bool WriteRaw(RegistryApi& api, int32_t root, const std::string& path, const std::string& name,
              const RawValue& value) {
  RegKey opened = 0;
  if (api.CreateKey(RootKey(root), Utf8ToUtf16(path), kKeySetValue, opened) != kRegOk) return false;
  const UniqueRegKey key(opened, RegKeyCloser{&api});
  return api.SetValue(key.get(), Utf8ToUtf16(name), value.type, reinterpret_cast<const uint8_t*>(value.bytes.data()),
                      static_cast<uint32_t>(value.bytes.size())) == kRegOk;
}

// ValuePresence, asked once more when the first answer was no answer (a passing failure of the registry).
Presence CheckedPresence(RegistryApi& api, int32_t root, const std::string& path, const std::string& name,
                         const std::string* text) {
  const Presence first = ValuePresence(api, root, path, name, text);
  return first == Presence::kUnknown ? ValuePresence(api, root, path, name, text) : first;
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

// The text a value read by the registry object shows in the "Path" column: text as it is, numbers in decimal,
// anything else as space-separated hex bytes.
std::string ShownText(const Variant& v) { return VariantForMessage(v); }

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
  const FillScope fill(lst);
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
  lst.ReserveRows(lst.Count() + count);
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
    row->AddSubItem(ShownText(data));
  }
}

bool clsStartUp::DisableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                const std::string& sValue) {
  return MoveRegItem(sRoot, sKey, sValueName, sValue, true);
}

bool clsStartUp::EnableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                               const std::string& sValue) {
  return MoveRegItem(sRoot, sKey, sValueName, sValue, false);
}

bool clsStartUp::MoveRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                             const std::string& sValue, bool toStore) {
  const char* rootName = StoreRootName(sRoot);
  if (!rootName) return false;
  const LaunchKey launch = LaunchKeyFor(sKey);
  const std::string livePath = std::string(kLaunchKeyBase) + launch.name;
  const std::string storePath = std::string(kProgramRegistryArea) + "Disabled\\" + rootName + "\\" + launch.suffix;
  const int32_t fromRoot = toStore ? sRoot : kHkeyLocalMachine;
  const std::string& fromPath = toStore ? livePath : storePath;
  const int32_t toRoot = toStore ? kHkeyLocalMachine : sRoot;
  const std::string& toPath = toStore ? storePath : livePath;

  auto createKey = [&](int32_t root, const std::string& path) {
    registry_->ClassKey(root);
    registry_->SectionKey(path);
    try {
      registry_->CreateKey();
    } catch (const AppError&) {
      // A key that cannot be created is skipped; the write below tells whether the move can go on.
    }
  };
  // Enabling creates this key below the item's own root, where nothing reads it.
  createKey(toStore ? kHkeyLocalMachine : sRoot, std::string(kProgramRegistryArea) + "Disabled");
  createKey(toRoot, toPath);

  // What the write replaces, so that a move taken back can put it back as it was.
  const std::optional<RawValue> replaced = ReadRaw(api_, toRoot, toPath, sValueName);
  registry_->ClassKey(toRoot);
  registry_->SectionKey(toPath);
  registry_->ValueKey(sValueName);
  // The registry object writes in the type of the value it read last; the entry always travels as text.
  registry_->ValueType(kRegSz);
  try {
    registry_->Value(Variant{sValue});
  } catch (const AppError&) {
    // Checked below: the source stays unless the destination holds the entry.
  }
  if (CheckedPresence(api_, toRoot, toPath, sValueName, &sValue) != Presence::kHeld) return false;

  registry_->ClassKey(fromRoot);
  registry_->SectionKey(fromPath);
  registry_->ValueKey(sValueName);
  try {
    registry_->DeleteValue();
  } catch (const AppError&) {
    // A value already gone from the source is fine; one still there is handled below.
  }
  if (CheckedPresence(api_, fromRoot, fromPath, sValueName, nullptr) != Presence::kHeld) return true;

  // The source kept the entry: take the copy back so that it stays in one place, where the caller expects it,
  // and give the destination back what the copy replaced.
  if (replaced) {
    WriteRaw(api_, toRoot, toPath, sValueName, *replaced);
    return false;
  }
  registry_->ClassKey(toRoot);
  registry_->SectionKey(toPath);
  registry_->ValueKey(sValueName);
  try {
    registry_->DeleteValue();
  } catch (const AppError&) {
    // Then it is in both places, still at its source as reported.
  }
  return false;
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
  const FillScope fill(lst);
  lst.Clear();
  const FolderPair folders = Folders(bAll);
  lst.Tag(bAll ? "ALL" : "USER");
  if (!folders.live.empty()) AddFileRows(lst, folders.live, true);
  if (!folders.disabled.empty()) AddFileRows(lst, folders.disabled, false);
}

void clsStartUp::AddFileRows(ListView& lst, const std::string& folder, bool bChecked) {
  const int32_t count = files_->LoadFiles(folder + "*.lnk", false);
  lst.ReserveRows(lst.Count() + count);
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

bool clsStartUp::PrepareDisabledFolders(const FolderPair& folders) {
  const std::string base = WithoutTrailingSeparator(sDisabledPath_);
  if (!fs_.FolderExists(base)) fs_.CreateFolder(base);
  const std::string subfolder = WithoutTrailingSeparator(folders.disabled);
  if (!fs_.FolderExists(subfolder)) fs_.CreateFolder(subfolder);
  return fs_.FolderExists(subfolder);
}

bool clsStartUp::MoveFile(const std::string& from, const std::string& to) {
  if (fs_.MoveFileNoReplace(from, to) == fs_error::kOk) return true;
  // A move reported as failed may still have happened (another program, an error after the copy): look.
  uint32_t error = 0;
  if (fs_.Attributes(from, &error)) return false;
  if (error != fs_error::kFileNotFound && error != fs_error::kPathNotFound) return false;
  const auto target = fs_.Attributes(to);
  return target && !(*target & file_attribute::kDirectory);
}

bool clsStartUp::DisableFileItem(const std::string& sFile, bool bAll) {
  const FolderPair folders = Folders(bAll);
  if (folders.live.empty() || folders.disabled.empty() || !IsPlainName(sFile) || !HasShortcutExtension(sFile))
    return false;
  if (!PrepareDisabledFolders(folders)) return false;
  return MoveFile(folders.live + sFile, folders.disabled + sFile);
}

bool clsStartUp::EnableFileItem(const std::string& sFile, bool bAll) {
  const FolderPair folders = Folders(bAll);
  if (folders.live.empty() || folders.disabled.empty() || !IsPlainName(sFile) || !HasShortcutExtension(sFile))
    return false;
  if (!PrepareDisabledFolders(folders)) return false;
  return MoveFile(folders.disabled + sFile, folders.live + sFile);
}

}  // namespace kqm
