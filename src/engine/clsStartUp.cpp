#include "engine/clsStartUp.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <optional>
#include <unordered_set>
#include <vector>

#include "fileinfo/basFile_Kebbo.h"
#include "fileinfo/clsFile_Kebbo.h"
#include "platform/text.h"

namespace kqm {

// A registry place: a root, a key path below it and the view it is opened in (0 or kKeyWow64_32).
struct RegPlace {
  int32_t root;
  std::string path;
  uint32_t view = 0;
};

namespace {

constexpr const char* kLaunchKeyBase = "Software\\Microsoft\\Windows\\CurrentVersion\\";


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

// The place as the registry editor shows it: the 32-bit view's machine software lies below WOW6432Node.
std::string PlaceText(const RegPlace& place) {
  std::string path = place.path;
  if ((place.view & kKeyWow64_32) && place.root == kHkeyLocalMachine && path.size() > 9 &&
      FoldCase(Utf8ToUtf16(path.substr(0, 9))) == u"SOFTWARE\\")
    path.insert(9, "WOW6432Node\\");
  return std::string(RootName(place.root)) + "\\" + path;
}

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

// Opens the place's key with `access` in the place's view; the status of the open.
int32_t OpenPlace(RegistryApi& api, const RegPlace& place, uint32_t access, UniqueRegKey& key) {
  RegKey opened = 0;
  const int32_t status = api.OpenKey(RootKey(place.root), Utf8ToUtf16(place.path), access | place.view, opened);
  if (status == kRegOk) key = UniqueRegKey(opened, RegKeyCloser{&api});
  return status;
}

// Calls `each(name)` for the value names of an open key in order until it returns false, making the buffer
// bigger for a name longer than `chars` (one added meanwhile). Returns the status that ended the listing
// (259 at its end, 0 when `each` stopped it).
template <typename Each>
int32_t ForEachValueName(RegistryApi& api, RegKey key, size_t chars, Each each) {
  std::u16string buffer(std::max<size_t>(chars, 1), u'\0');
  for (uint32_t i = 0;;) {
    uint32_t count = static_cast<uint32_t>(buffer.size());
    const int32_t status = api.EnumValue(key, i, buffer.data(), &count);
    if (status == kRegMoreData && buffer.size() < 0x8000) {
      buffer.assign(std::max<size_t>(buffer.size() * 2, 256), u'\0');
      continue;
    }
    if (status != kRegOk) return status;
    if (!each(std::u16string(buffer.data(), count))) return kRegOk;
    ++i;
  }
}

// Reads one value of an open key.
RawRead ReadValue(RegistryApi& api, RegKey key, const std::u16string& name16) {
  RawRead r;
  uint32_t size = 0;
  r.status = api.QueryValue(key, name16, &r.value.type, nullptr, &size);
  // A value that grows between the size probe and the read answers 234 with its new size.
  for (int attempt = 0; r.status == kRegOk && attempt < 8; ++attempt) {
    r.value.bytes.assign(size, '\0');
    r.status = api.QueryValue(key, name16, &r.value.type, reinterpret_cast<uint8_t*>(r.value.bytes.data()), &size);
    if (r.status == kRegOk) {
      r.value.bytes.resize(size);
      return r;
    }
    if (r.status == kRegMoreData) r.status = kRegOk;
  }
  if (r.status == kRegOk) r.status = kRegMoreData;
  return r;
}

// Calls `each(name, data)` for every value of an open key in order, names and data in one call a value (one
// round trip each to the registry, and a listing quick enough that a program changing the key meanwhile shifts
// little under it). The buffers start at the key's longest name and largest value and grow for one added
// meanwhile; a value that keeps outgrowing them is read by its name. Returns the status that ended the listing.
template <typename Each>
int32_t ForEachValue(RegistryApi& api, RegKey key, size_t chars, size_t bytes, Each each) {
  std::u16string name(std::max<size_t>(chars, 1), u'\0');
  std::string data(std::max<size_t>(bytes, 2), '\0');
  for (uint32_t i = 0, attempts = 0;;) {
    uint32_t nameChars = static_cast<uint32_t>(name.size()), dataBytes = static_cast<uint32_t>(data.size());
    RawRead r;
    r.status = api.EnumValueData(key, i, name.data(), &nameChars, &r.value.type, reinterpret_cast<uint8_t*>(data.data()),
                                 &dataBytes);
    if (r.status == kRegMoreData && ++attempts < 8) {
      if (name.size() < 0x8000) name.assign(std::max<size_t>(name.size() * 2, 256), u'\0');
      data.assign(std::max<size_t>(dataBytes, data.size()), '\0');
      continue;
    }
    if (r.status == kRegMoreData) {  // still too small: the name alone, then the value by that name
      nameChars = static_cast<uint32_t>(name.size());
      r.status = api.EnumValue(key, i, name.data(), &nameChars);
      if (r.status == kRegOk) {
        const std::u16string found(name.data(), nameChars);
        each(found, ReadValue(api, key, found));
      }
    } else if (r.status == kRegOk) {
      r.value.bytes.assign(data.data(), dataBytes);
      each(std::u16string(name.data(), nameChars), r);
    }
    if (r.status != kRegOk) return r.status;
    ++i;
    attempts = 0;
  }
}

RawRead ReadOnce(RegistryApi& api, const RegPlace& place, const std::string& name) {
  UniqueRegKey key;
  RawRead r;
  r.status = OpenPlace(api, place, kKeyQueryValue, key);
  return r.status == kRegOk ? ReadValue(api, key.get(), Utf8ToUtf16(name)) : r;
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
  w.status = api.CreateKey(RootKey(place.root), Utf8ToUtf16(place.path), kKeySetValue | place.view, opened);
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
  UniqueRegKey key;
  int32_t status = OpenPlace(api, place, kKeySetValue, key);
  if (status == kRegOk) status = api.DeleteValue(key.get(), Utf8ToUtf16(name));
  key.reset();
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
  UniqueRegKey key;
  StoredNameRead r;
  r.status = OpenPlace(api, place, kKeyQueryValue, key);
  if (r.status != kRegOk) return r;
  const std::u16string folded = FoldCase(Utf8ToUtf16(name));
  r.status = ForEachValueName(api, key.get(), folded.size() + 1, [&](const std::u16string& found) {
    if (FoldCase(found) != folded) return true;
    r.name = Utf16ToUtf8(found);
    return false;
  });
  if (r.status == kRegNoMoreItems) r.status = kRegFileNotFound;
  return r;
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

// Windows' own startup approval: binary values named like the entry below
// root\...\StartupApproved\<list>; an odd first byte keeps the entry from starting.
constexpr const char* kApprovedBase = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";
// The approval list of the StartUp folders' files.
constexpr const char* kApprovedFolder = "StartupFolder";
// The form Windows writes for an entry switched on again.
const std::string kApprovedOn("\x02\0\0\0\0\0\0\0\0\0\0\0", 12);

bool SwitchedOff(const RawValue& flag) { return !flag.bytes.empty() && (flag.bytes[0] & 1); }

// The names (folded) that root\...\StartupApproved\<list> marks as switched off.
std::unordered_set<std::u16string> SwitchedOffNames(RegistryApi& api, int32_t root, const std::string& list) {
  std::unordered_set<std::u16string> off;
  UniqueRegKey key;
  if (OpenPlace(api, {root, kApprovedBase + list}, kKeyQueryValue, key) != kRegOk) return off;
  ForEachValueName(api, key.get(), 256, [&](const std::u16string& found) {
    const RawRead flag = ReadValue(api, key.get(), found);
    if (flag.status == kRegOk && SwitchedOff(flag.value)) off.insert(FoldCase(found));
    return true;
  });
  return off;
}

// Writes the "on" form over a flag that keeps `name` switched off; 0 when none does (any more).
int32_t ClearSwitchedOff(RegistryApi& api, int32_t root, const std::string& list, const std::string& name) {
  const RegPlace flags{root, kApprovedBase + list};
  const RawRead flag = Read(api, flags, name);
  if (flag.status == kRegFileNotFound || (flag.status == kRegOk && !SwitchedOff(flag.value))) return kRegOk;
  return WriteAndVerify(api, flags, name, RawValue{kRegBinary, kApprovedOn}).status;
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

// Files of a StartUp folder the system starts: all but its folder settings.
bool IsStartedName(const std::string& name) { return FoldCase(Utf8ToUtf16(name)) != u"DESKTOP.INI"; }

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
  const char* sKey;  // "R", "RO" or "RS"
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

void clsStartUp::LoadHKCURItems(ListView& lst) { LoadRegistryLocation(lst, {"R", kHkeyCurrentUser, "R"}); }

void clsStartUp::LoadHKCUROItems(ListView& lst) { LoadRegistryLocation(lst, {"RO", kHkeyCurrentUser, "RO"}); }

void clsStartUp::LoadHKLMRItems(ListView& lst) { LoadRegistryLocation(lst, {"R", kHkeyLocalMachine, "R"}); }

void clsStartUp::LoadHKLMROItems(ListView& lst) { LoadRegistryLocation(lst, {"RO", kHkeyLocalMachine, "RO"}); }

void clsStartUp::LoadHKLMRSItems(ListView& lst) { LoadRegistryLocation(lst, {"RS", kHkeyLocalMachine, "RS"}); }

namespace {

// Where an entry of a location lives, by its marks: the launch key, its store, and the approval list that can
// keep it from starting (nullptr for RunOnce and RunServices, which Windows does not switch off).
struct EntryPlaces {
  RegPlace live;
  RegPlace store;
  const char* approvals;
};

EntryPlaces PlacesFor(int32_t root, const std::string& sKey, const EntryMarks& marks) {
  const LaunchKey launch = LaunchKeyFor(sKey);
  const char* rootName = StoreRootName(root);
  const bool machine32 = root == kHkeyLocalMachine && marks.view == RegView::k32;
  const std::string storeKey = std::string("Disabled\\") + (rootName ? rootName : "?") + "\\" + launch.suffix;
  EntryPlaces places{{root, std::string(kLaunchKeyBase) + launch.name, machine32 ? uint32_t{kKeyWow64_32} : 0u},
                     {kHkeyLocalMachine, kProgramRegistryArea + storeKey,
                      marks.view == RegView::k32 ? uint32_t{kKeyWow64_32} : 0u},
                     nullptr};
  // Without the rights to write below HKEY_LOCAL_MACHINE, a user's own entries are kept in his own area.
  if (marks.userStore && root == kHkeyCurrentUser) places.store = {kHkeyCurrentUser, kProgramRegistryArea + storeKey};
  if (std::string_view(launch.suffix) == "R") places.approvals = machine32 ? "Run32" : "Run";
  return places;
}

}  // namespace

void clsStartUp::LoadRegistryLocation(ListView& lst, const RegLocation& location) {
  const FillScope fill(lst);
  lst.Clear();
  lst.Tag(location.listTag);
  const std::string rootTag = std::to_string(location.root);
  std::vector<EntryMarks> views{EntryMarks{}};
  if (location.root == kHkeyLocalMachine) views.push_back({RegView::k32});
  for (const EntryMarks& marks : views) {
    const EntryPlaces places = PlacesFor(location.root, location.sKey, marks);
    const auto off = places.approvals ? SwitchedOffNames(api_, location.root, places.approvals)
                                      : std::unordered_set<std::u16string>{};
    AddRegistryRows(lst, places.live, rootTag, true, marks, &off);
  }
  // The stores lie under HKEY_LOCAL_MACHINE, in both views, and the user's own below his root; their rows
  // still carry the live root's tag.
  std::vector<EntryMarks> stores{EntryMarks{}, EntryMarks{RegView::k32}};
  if (location.root == kHkeyCurrentUser) stores.push_back({RegView::kNative, false, true});
  for (const EntryMarks& marks : stores)
    AddRegistryRows(lst, PlacesFor(location.root, location.sKey, marks).store, rootTag, false, marks, nullptr);
}

void clsStartUp::AddRegistryRows(ListView& lst, const RegPlace& place, const std::string& rootTag, bool bChecked,
                                 const EntryMarks& marks, const std::unordered_set<std::u16string>* off) {
  UniqueRegKey key;
  if (OpenPlace(api_, place, kKeyQueryValue, key) != kRegOk) return;
  uint32_t values = 0, longest = 0, largest = 0;
  if (api_.QueryInfoKey(key.get(), nullptr, nullptr, &values, &longest, &largest) != kRegOk) return;
  lst.ReserveRows(lst.Count() + static_cast<int32_t>(values));
  ForEachValue(api_, key.get(), longest + 1, largest, [&](const std::u16string& found, const RawRead& data) {
    ListItem* row = lst.Add(Utf16ToUtf8(found), kRegistryItemIcon);
    if (!row) return;
    EntryMarks rowMarks = marks;
    rowMarks.offByWindows = off && off->count(FoldCase(found));
    row->Checked(bChecked && !rowMarks.offByWindows);
    row->Tag(MarkedTag(rootTag, rowMarks));
    row->AddSubItem(MarkedText(data.status == kRegOk ? ShownText(data.value.type, data.value.bytes)
                                                     : VariantForMessage(registry_->Default()),
                               rowMarks));
  });
}

MoveResult clsStartUp::DisableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                      const std::string& sValue, const EntryMarks& marks) {
  MoveResult r = MoveRegItem(sRoot, sKey, sValueName, sValue, marks, true);
  // Refused the store below HKEY_LOCAL_MACHINE (a standard user), an entry of the user's own goes to his area.
  if (r.failure == MoveFailure::kAccessDenied && r.failedAt == r.destination && !r.inBothPlaces &&
      sRoot == kHkeyCurrentUser && !marks.userStore) {
    EntryMarks own = marks;
    own.userStore = true;
    own.view = RegView::kNative;
    r = MoveRegItem(sRoot, sKey, sValueName, sValue, own, true);
  }
  return r;
}

MoveResult clsStartUp::EnableRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                     const std::string& sValue, const EntryMarks& marks) {
  MoveResult r = MoveRegItem(sRoot, sKey, sValueName, sValue, marks, false);
  // An old flag of Windows' own must not keep the entry from starting now that it is back.
  if (const char* approvals = PlacesFor(sRoot, sKey, marks).approvals; r && approvals)
    ClearSwitchedOff(api_, sRoot, approvals, sValueName);
  return r;
}

MoveResult clsStartUp::ApproveRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                      const std::string& sValue, const EntryMarks& marks) {
  const EntryPlaces places = PlacesFor(sRoot, sKey, marks);
  MoveResult r;
  r.source = r.destination = PlaceText(places.live);
  if (!StoreRootName(sRoot) || !places.approvals) return Failed(r, MoveFailure::kNoPlace);
  if (!Addressable(sValueName)) return Failed(r, MoveFailure::kUnaddressable);
  const RawRead live = Read(api_, places.live, sValueName);
  if (live.status == kRegFileNotFound) return Failed(r, MoveFailure::kGone);
  if (live.status != kRegOk) return Failed(r, live.status, r.source);
  if (MarkedText(ShownText(live.value.type, live.value.bytes), marks) != sValue)
    return Failed(r, MoveFailure::kChanged);
  const int32_t cleared = ClearSwitchedOff(api_, sRoot, places.approvals, sValueName);
  if (cleared != kRegOk)
    return Failed(r, static_cast<uint32_t>(cleared), PlaceText({sRoot, kApprovedBase + std::string(places.approvals)}));
  return r;
}

std::string clsStartUp::ShownText(uint32_t type, const std::string& bytes) {
  // As a load shows it: text as it is (expanded), numbers in decimal, anything else as hex bytes.
  std::string text;
  try {
    text = VariantForMessage(registry_->DecodeValue(type, bytes));
  } catch (const AppError&) {
    text = VariantForMessage(registry_->Default());
  }
  // A list cell ends at a NUL: the strings of a multi-string (or text stored with NULs) are shown apart by blanks,
  // so that the row's text is the whole shown text and still matches it when the entry is moved.
  while (!text.empty() && text.back() == '\0') text.pop_back();
  std::replace(text.begin(), text.end(), '\0', ' ');
  return text;
}

bool clsStartUp::Replace(const std::string& name, const std::string& existing, const std::string& destination) {
  return askReplace_ && askReplace_(ReplaceQuestion{name, existing, destination});
}

MoveResult clsStartUp::MoveRegItem(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                   const std::string& sValue, const EntryMarks& marks, bool toStore) {
  const char* rootName = StoreRootName(sRoot);
  const EntryPlaces places = PlacesFor(sRoot, sKey, marks);
  const RegPlace& live = places.live;
  const RegPlace& store = places.store;
  const RegPlace& from = toStore ? live : store;
  const RegPlace& to = toStore ? store : live;
  MoveResult r;
  r.source = PlaceText(from);
  r.destination = PlaceText(to);
  r.perUserStore = toStore && store.root == kHkeyCurrentUser;
  if (!rootName) return Failed(r, MoveFailure::kNoPlace);
  if (!Addressable(sValueName)) return Failed(r, MoveFailure::kUnaddressable);

  // What moves is the value as stored now, provided it is still what the list showed.
  const RawRead source = Read(api_, from, sValueName);
  if (source.status == kRegFileNotFound) return Failed(r, MoveFailure::kGone);
  if (source.status != kRegOk) return Failed(r, source.status, r.source);
  if (MarkedText(ShownText(source.value.type, source.value.bytes), marks) != sValue)
    return Failed(r, MoveFailure::kChanged);

  // Both directions leave this key below the store's or the item's root; a failure here stops nothing.
  registry_->ClassKey(toStore ? store.root : sRoot);
  registry_->SectionKey(std::string(kProgramRegistryArea) + "Disabled");
  try {
    registry_->CreateKey();
  } catch (const AppError&) {
  }

  // A value of that name at the destination: the same entry already there, or another one, replaced only on
  // a yes. A name that differs in letter case is another entry.
  const RawRead existing = Read(api_, to, sValueName);
  if (existing.status != kRegOk && existing.status != kRegFileNotFound)
    return Failed(r, existing.status, r.destination);
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
  const FillScope fill(lst);
  lst.Clear();
  const FolderPair folders = Folders(bAll);
  lst.Tag(bAll ? "ALL" : "USER");
  const auto off = SwitchedOffNames(api_, bAll ? kHkeyLocalMachine : kHkeyCurrentUser, kApprovedFolder);
  if (!folders.live.empty()) AddFileRows(lst, folders.live, true, &off);
  if (!folders.disabled.empty()) AddFileRows(lst, folders.disabled, false, nullptr);
}

void clsStartUp::AddFileRows(ListView& lst, const std::string& folder, bool bChecked,
                             const std::unordered_set<std::u16string>* off) {
  // The system starts every file of a StartUp folder but its folder settings: shortcuts show their targets,
  // other files themselves.
  const int32_t count = files_->LoadFiles(folder + "*", false);
  lst.ReserveRows(lst.Count() + count);
  for (int32_t i = 1; i <= count; ++i) {
    const auto file = files_->Item(i);
    if (!file) continue;
    const std::string nameAndExtension = file->sNameAndExtension();
    if (!IsStartedName(nameAndExtension)) continue;
    const auto listed = files_->ListedAttributes(i);  // the listing's, not a second look at every file
    const auto attributes = listed ? *listed : static_cast<uint32_t>(file->eAttributes());
    if ((attributes & file_attribute::kHidden) && (attributes & file_attribute::kSystem)) continue;
    const bool shortcut = HasShortcutExtension(nameAndExtension);
    ListItem* row = lst.Add(shortcut ? file->sName() : nameAndExtension, kStartUpFileIcon);
    if (!row) continue;
    EntryMarks marks;
    marks.offByWindows = off && off->count(FoldCase(Utf8ToUtf16(nameAndExtension)));
    row->Checked(bChecked && !marks.offByWindows);
    row->Tag(MarkedTag(nameAndExtension, marks));
    row->AddSubItem(MarkedText(shortcut ? ShortcutTarget(shell_, file->sFileName()) : file->sFileName(), marks));
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
  if (folders.live.empty() || folders.disabled.empty() || !IsPlainName(sFile) || !IsStartedName(sFile))
    return Failed(r, MoveFailure::kNoPlace);
  if (!Addressable(sFile)) return Failed(r, MoveFailure::kUnaddressable);
  if (const uint32_t prepared = PrepareDisabledFolders(folders); prepared != fs_error::kOk)
    return FileFailed(r, prepared == fs_error::kAlreadyExists ? fs_error::kPathNotFound : prepared,
                      WithoutTrailingSeparator(folders.disabled));
  return toDisabled ? MoveFile(folders.live, folders.disabled, sFile)
                    : MoveFile(folders.disabled, folders.live, sFile);
}

MoveResult clsStartUp::DisableFileItem(const std::string& sFile, bool bAll) { return MoveFileItem(sFile, bAll, true); }

MoveResult clsStartUp::EnableFileItem(const std::string& sFile, bool bAll) {
  MoveResult r = MoveFileItem(sFile, bAll, false);
  if (r) ClearSwitchedOff(api_, bAll ? kHkeyLocalMachine : kHkeyCurrentUser, kApprovedFolder, sFile);
  return r;
}

MoveResult clsStartUp::ApproveFileItem(const std::string& sFile, bool bAll) {
  const FolderPair folders = Folders(bAll);
  const int32_t root = bAll ? kHkeyLocalMachine : kHkeyCurrentUser;
  MoveResult r;
  r.source = r.destination = WithoutTrailingSeparator(folders.live);
  if (folders.live.empty() || !IsPlainName(sFile) || !IsStartedName(sFile)) return Failed(r, MoveFailure::kNoPlace);
  if (!Addressable(sFile)) return Failed(r, MoveFailure::kUnaddressable);
  const Matches live = MatchesIn(fs_, folders.live, sFile);
  if (live.status != fs_error::kOk) return FileFailed(r, live.status, r.source);
  if (!live.Has(sFile)) return Failed(r, MoveFailure::kGone);
  const int32_t cleared = ClearSwitchedOff(api_, root, kApprovedFolder, sFile);
  if (cleared != kRegOk)
    return Failed(r, static_cast<uint32_t>(cleared), PlaceText({root, std::string(kApprovedBase) + kApprovedFolder}));
  return r;
}

ProgramLookup clsStartUp::Lookup() {
  ProgramLookup lookup;
  lookup.isFile = [this](const std::string& path) {
    const auto attributes = fs_.Attributes(path);
    return attributes && !(*attributes & file_attribute::kDirectory);
  };
  lookup.expand = [this](const std::string& text) {
    const std::u16string source = Utf8ToUtf16(text);
    const uint32_t needed = api_.ExpandEnvironment(source, nullptr, 0);
    if (needed == 0) return text;
    std::u16string expanded(needed, u'\0');
    api_.ExpandEnvironment(source, expanded.data(), needed);
    expanded.resize(needed - 1);
    return Utf16ToUtf8(expanded);
  };
  lookup.shortcutTarget = [this](const std::string& shortcut) {
    const ShellText target = shell_.ShortcutTarget(shortcut);
    return target.ok() ? target.value : std::string();
  };
  // The folders the system searches for a bare program name: its own, the Windows folder, then the PATH.
  const std::string windows = WindowsFolder(shell_);
  if (!windows.empty()) lookup.searchFolders = {windows + "\\system32", windows};
  if (const auto path = shell_.EnvironmentVariable("PATH")) {
    for (size_t start = 0; start <= path->size();) {
      const size_t end = std::min(path->find(';', start), path->size());
      if (end > start) lookup.searchFolders.push_back(path->substr(start, end - start));
      start = end + 1;
    }
  }
  return lookup;
}

std::string clsStartUp::EntryTypeName(int32_t sRoot, const std::string& sKey, const std::string& sValueName,
                                      const EntryMarks& marks, bool live) {
  const EntryPlaces places = PlacesFor(sRoot, sKey, marks);
  const RawRead read = Read(api_, live ? places.live : places.store, sValueName);
  if (read.status != kRegOk) return {};
  static const char* const kNames[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD",
                                       "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ"};
  if (read.value.type < std::size(kNames)) return kNames[read.value.type];
  return read.value.type == 11 ? "REG_QWORD" : std::to_string(read.value.type);
}

std::string clsStartUp::EntryKeyPath(int32_t sRoot, const std::string& sKey, const EntryMarks& marks, bool live) {
  const EntryPlaces places = PlacesFor(sRoot, sKey, marks);
  return PlaceText(live ? places.live : places.store);
}

namespace {
WatchedPlace WatchedKey(const RegPlace& place) {
  return {WatchedPlace::Kind::kRegistryKey, place.root, place.path, (place.view & kKeyWow64_32) != 0};
}
}  // namespace

std::vector<WatchedPlace> clsStartUp::RegistryPlaces(int32_t sRoot, const std::string& sKey) {
  // The same places a load reads, in the same views.
  std::vector<WatchedPlace> out;
  const auto add = [&out](const WatchedPlace& place) {
    if (std::find(out.begin(), out.end(), place) == out.end()) out.push_back(place);
  };
  std::vector<EntryMarks> marks{EntryMarks{}, EntryMarks{RegView::k32}};
  if (sRoot == kHkeyCurrentUser) marks.push_back({RegView::kNative, false, true});
  for (const EntryMarks& m : marks) {
    const EntryPlaces places = PlacesFor(sRoot, sKey, m);
    if (!m.userStore && (m.view == RegView::kNative || sRoot == kHkeyLocalMachine)) {
      add(WatchedKey(places.live));
      if (places.approvals) add(WatchedKey({sRoot, kApprovedBase + std::string(places.approvals)}));
    }
    add(WatchedKey(places.store));
  }
  return out;
}

std::vector<WatchedPlace> clsStartUp::StartUpFilePlaces(bool bAll) {
  // Asked quietly: a load has already told the user of a folder the shell does not give.
  const ShellText live = shell_.SpecialFolder(bAll ? special_folder::kCommonStartUp : special_folder::kStartUp,
                                              ownerWindow_);
  const std::string subfolder = bAll ? std::string("All Users") : CurrentUserName(shell_);
  const std::string disabled =
      !sDisabledPath_.empty() && IsPlainName(subfolder) ? EnsureSuffix(sDisabledPath_, "\\") + subfolder : "";
  std::vector<WatchedPlace> out;
  for (const std::string& folder : {live.ok() ? live.value : std::string(), disabled})
    if (!folder.empty()) out.push_back({WatchedPlace::Kind::kFolder, 0, WithoutTrailingSeparator(folder), false});
  out.push_back(WatchedKey({bAll ? kHkeyLocalMachine : kHkeyCurrentUser, kApprovedBase + std::string(kApprovedFolder)}));
  return out;
}

bool IsCommandType(const std::string& typeName) { return typeName == "REG_SZ" || typeName == "REG_EXPAND_SZ"; }

std::string clsStartUp::EntryPlace(int32_t sRoot, const std::string& sKey, const EntryMarks& marks, bool live) {
  const EntryPlaces places = PlacesFor(sRoot, sKey, marks);
  const RegPlace& place = live ? places.live : places.store;
  std::string text = PlaceText(place);
  if (place.root == kHkeyLocalMachine) text += place.view & kKeyWow64_32 ? " (32-bit view)" : " (64-bit view)";
  return text;
}

std::string clsStartUp::FileEntryFolder(bool bAll, bool live) {
  const FolderPair folders = Folders(bAll);
  return live ? folders.live : folders.disabled;
}

ProgramFileFacts clsStartUp::FileFacts(const std::string& path) {
  clsFile_Kebbo file(fs_);
  file.sFileName(path);
  return {file.lSize(), file.dCreated(), file.dLastModified(), shell_.FileVersion(path)};
}

std::optional<int32_t> RootTagValue(const std::string& text) {
  size_t i = 0, end = text.size();
  while (i < end && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  while (end > i && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  bool negative = false;
  if (i < end && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == end) return std::nullopt;
  long long value = 0;
  for (; i < end; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

MoveResult MoveListedEntry(clsStartUp& engine, const std::string& listTag, const ListItem& row, bool toEnable) {
  const EntryMarks marks = TagMarks(row.Tag());
  // An entry Windows keeps off is switched on where it is; once on, it moves like any other.
  const bool approve = toEnable && marks.offByWindows;
  if (listTag == "USER" || listTag == "ALL") {
    const bool bAll = listTag == "ALL";
    const std::string file = TagBase(row.Tag());
    if (approve) return engine.ApproveFileItem(file, bAll);
    return toEnable ? engine.EnableFileItem(file, bAll) : engine.DisableFileItem(file, bAll);
  }
  const std::optional<int32_t> root = RootTagValue(TagBase(row.Tag()));
  if (!root) return {};  // a row without a root names no entry: nothing to move, nothing to take back
  if (approve) return engine.ApproveRegItem(*root, listTag, row.Text(), row.SubItem(1), marks);
  return toEnable ? engine.EnableRegItem(*root, listTag, row.Text(), row.SubItem(1), marks)
                  : engine.DisableRegItem(*root, listTag, row.Text(), row.SubItem(1), marks);
}

}  // namespace kqm
