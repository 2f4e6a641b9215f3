#include "engine/startup_entry.h"

#include <algorithm>
#include <iterator>
#include <tuple>

#include "platform/registry_api.h"
#include "platform/text.h"

namespace kqm {

bool SameEntries(std::vector<StartupEntry> a, std::vector<StartupEntry> b) {
  if (a.size() != b.size()) return false;
  const auto order = [](const StartupEntry& x, const StartupEntry& y) {
    return std::tie(x.location, x.view, x.state, x.userStore, x.name, x.type, x.bytes, x.readable, x.folder, x.size,
                    x.hash, x.trust, x.shown) < std::tie(y.location, y.view, y.state, y.userStore, y.name, y.type,
                                                         y.bytes, y.readable, y.folder, y.size, y.hash, y.trust,
                                                         y.shown);
  };
  std::sort(a.begin(), a.end(), order);
  std::sort(b.begin(), b.end(), order);
  return a == b;
}

bool Addressable(const std::string& name) {
  return name.find('\0') == std::string::npos && name.find("\xEF\xBF\xBD") == std::string::npos;
}

bool HasShortcutExtension(const std::string& name) {
  return name.size() >= 4 && FoldCase(Utf8ToUtf16(name.substr(name.size() - 4))) == u".LNK";
}

std::string StartupEntry::Caption() const {
  return IsFile() && HasShortcutExtension(name) ? name.substr(0, name.size() - 4) : name;
}

std::string StartupEntry::MarkedShown() const {
  EntryMarks marks = Marks();
  if (alsoOff) marks.offByWindows = false;  // the mark below says it, and why
  std::string text = MarkedText(shown, marks);
  if (alsoOff) text += state == EntryState::kOffByWindows ? kReAddedMark : kAlsoOffMark;
  if (InSharedStore()) text += kSharedStoreMark;
  if (trust == FileTrust::kUnrecorded) text += kUnrecordedMark;
  if (trust == FileTrust::kChanged) text += kChangedMark;
  return text;
}

EntryIdentity StartupEntry::Identity() const { return {location, view, FoldCase(Utf8ToUtf16(name))}; }

EntryMarks StartupEntry::Marks() const { return {view, state == EntryState::kOffByWindows, userStore}; }

bool StartupEntry::SameContent(const StartupEntry& other) const {
  if (IsFile()) return size == other.size && (hash.empty() || other.hash.empty() || hash == other.hash);
  return readable && other.readable && type == other.type && bytes == other.bytes;
}

std::string RegistryTypeName(uint32_t type) {
  static const char* const kNames[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD",
                                       "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ"};
  if (type < std::size(kNames)) return kNames[type];
  return type == 11 ? "REG_QWORD" : std::to_string(type);
}

bool StartsACommand(const StartupEntry& entry) {
  return entry.IsFile() || (entry.readable && (entry.type == kRegSz || entry.type == kRegExpandSz));
}

}  // namespace kqm
