#include "engine/history.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>

#include "engine/ledger.h"
#include "platform/text.h"

namespace kqm {

namespace {

constexpr const char* kChangeHeader = "kqm-change/1";
constexpr const char* kLastIdValue = "last";
constexpr const char* kKeptSuffix = ".replaced";
constexpr size_t kIdDigits = 20;
// A moved value's bytes are recorded up to this size (its hash always).
constexpr size_t kMaxRecordedBytes = size_t{16} << 10;

constexpr const char* kActionNames[] = {"disable", "enable", "approve", "replace", "undo"};

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

std::optional<std::string> FromHex(const std::string& hex) {
  if (hex.size() % 2) return std::nullopt;
  const auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  out.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]), low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
  }
  return out;
}

// A decimal number of the whole text; nullopt for anything else.
std::optional<uint64_t> Number(const std::string& text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t n = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t next = n * 10 + static_cast<uint64_t>(c - '0');
    if (next / 10 != n) return std::nullopt;
    n = next;
  }
  return n;
}

std::string IdName(uint64_t id) {
  std::string digits = std::to_string(id);
  return std::string(kIdDigits - std::min(kIdDigits, digits.size()), '0') + digits;
}

// The id a value of the history key belongs to (a record, or the file kept beside one), and whether it is the kept
// file; nullopt for a value of no change.
struct ValueOf {
  uint64_t id;
  bool kept;
};
std::optional<ValueOf> ValueOfName(const std::string& name) {
  const bool kept = name.size() > kIdDigits && name.substr(kIdDigits) == kKeptSuffix;
  if (name.size() != kIdDigits && !kept) return std::nullopt;
  const std::optional<uint64_t> id = Number(name.substr(0, kIdDigits));
  if (!id) return std::nullopt;
  return ValueOf{*id, kept};
}

std::string FlagField(const std::optional<RawValue>& flag) {
  return flag ? std::to_string(flag->type) + ":" + Hex(flag->bytes) : "none";
}

std::optional<std::optional<RawValue>> ParseFlag(const std::string& field) {
  if (field == "none") return std::optional<RawValue>();
  const size_t colon = field.find(':');
  if (colon == std::string::npos) return std::nullopt;
  const std::optional<uint64_t> type = Number(field.substr(0, colon));
  const std::optional<std::string> bytes = FromHex(field.substr(colon + 1));
  if (!type || *type > 0xFFFFFFFFu || !bytes) return std::nullopt;
  return std::optional<RawValue>(RawValue{static_cast<uint32_t>(*type), *bytes});
}

}  // namespace

EntryIdentity Change::Identity() const { return {location, view, FoldCase(Utf8ToUtf16(name))}; }

const Change* LastChangeTo(const std::vector<Change>& newestFirst, const EntryIdentity& identity) {
  for (const Change& change : newestFirst)
    if (change.Identity() == identity) return &change;
  return nullptr;
}

uint64_t UndoneBy(const Change& change, const std::vector<Change>& newestFirst) {
  // The oldest undo of it: a later one took back a change that had been made again.
  uint64_t by = 0;
  for (const Change& c : newestFirst)
    if (c.action == ChangeAction::kUndo && c.undoes == change.id) by = c.id;
  return by;
}

std::string ShownResult(const Change& change, const std::vector<Change>& newestFirst) {
  const uint64_t by = UndoneBy(change, newestFirst);
  return by ? change.result + "; undone by change " + std::to_string(by) : change.result;
}

const char* ActionName(ChangeAction action) { return kActionNames[static_cast<size_t>(action)]; }

const char* SourceName(ChangeSource source) { return source == ChangeSource::kWindow ? "window" : "command line"; }

std::string UtcNow() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss<seconds> time{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

std::string EncodeChange(const Change& c) {
  std::string text = std::string(kChangeHeader) + "\n";
  const auto line = [&text](const char* key, const std::string& value) {
    text += std::string(key) + "=" + LedgerEscape(value) + "\n";
  };
  line("time", c.time);
  line("user", c.user);
  line("source", c.source == ChangeSource::kWindow ? "window" : "command line");
  line("action", ActionName(c.action));
  if (c.action == ChangeAction::kUndo) line("undoes", std::to_string(c.undoes));
  line("location", LocationOf(c.location).navKey);
  line("view", c.view == RegView::k32 ? "32" : "native");
  line("name", c.name);
  line("direction", c.direction == MoveDirection::kOff ? "off" : "on");
  line("userStore", c.userStore ? "1" : "0");
  line("from", c.from);
  line("to", c.to);
  if (!c.IsFile()) {
    line("type", std::to_string(c.type));
    if (c.bytes.size() <= kMaxRecordedBytes) line("bytes", Hex(c.bytes));
  } else {
    line("size", std::to_string(c.size));
  }
  line("sha256", c.hash);
  if (c.flagOnly) line("flagBefore", FlagField(c.flagBefore));
  if (c.replaced) {
    line("replacedName", c.replacedName);
    line("replacedType", std::to_string(c.replacedType));
    line("replacedSha256", c.replacedHash);
    line("replacedKept", c.replacedKept ? "1" : "0");
    line("replacedTrusted", c.replacedTrusted ? "1" : "0");
  }
  line("result", c.result);
  return text;
}

std::optional<Change> DecodeChange(const std::string& text) {
  const auto fields = LedgerFields(text, kChangeHeader);
  if (!fields) return std::nullopt;
  Change c;
  bool haveLocation = false, haveName = false, haveAction = false;
  for (const auto& [key, value] : *fields) {
    if (key == "time") {
      c.time = value;
    } else if (key == "user") {
      c.user = value;
    } else if (key == "source") {
      c.source = value == "window" ? ChangeSource::kWindow : ChangeSource::kCommandLine;
    } else if (key == "action") {
      const auto* found = std::find(std::begin(kActionNames), std::end(kActionNames), value);
      if (found == std::end(kActionNames)) return std::nullopt;  // an action of a later version: not undone here
      c.action = static_cast<ChangeAction>(found - std::begin(kActionNames));
      haveAction = true;
    } else if (key == "undoes") {
      c.undoes = Number(value).value_or(0);
    } else if (key == "location") {
      const Location* l = FindLocation(value);
      if (!l) return std::nullopt;
      c.location = l->id;
      haveLocation = true;
    } else if (key == "view") {
      c.view = value == "32" ? RegView::k32 : RegView::kNative;
    } else if (key == "name") {
      c.name = value;
      haveName = true;
    } else if (key == "direction") {
      c.direction = value == "on" ? MoveDirection::kOn : MoveDirection::kOff;
    } else if (key == "userStore") {
      c.userStore = value == "1";
    } else if (key == "from") {
      c.from = value;
    } else if (key == "to") {
      c.to = value;
    } else if (key == "type" || key == "replacedType") {
      const std::optional<uint64_t> type = Number(value);
      if (!type || *type > 0xFFFFFFFFu) return std::nullopt;
      (key == "type" ? c.type : c.replacedType) = static_cast<uint32_t>(*type);
    } else if (key == "bytes") {
      const std::optional<std::string> bytes = FromHex(value);
      if (!bytes) return std::nullopt;
      c.bytes = *bytes;
    } else if (key == "size") {
      c.size = static_cast<int64_t>(Number(value).value_or(0));
    } else if (key == "sha256") {
      c.hash = value;
    } else if (key == "flagBefore") {
      const std::optional<std::optional<RawValue>> flag = ParseFlag(value);
      if (!flag) return std::nullopt;
      c.flagOnly = true;
      c.flagBefore = *flag;
    } else if (key == "replacedName") {
      c.replaced = true;
      c.replacedName = value;
    } else if (key == "replacedSha256") {
      c.replacedHash = value;
    } else if (key == "replacedKept") {
      c.replacedKept = value == "1";
    } else if (key == "replacedTrusted") {
      c.replacedTrusted = value == "1";
    } else if (key == "result") {
      c.result = value;
    }  // keys of later versions are skipped
  }
  if (!haveLocation || !haveName || !haveAction) return std::nullopt;
  return c;
}

RegPlace ChangeHistory::Place(int32_t root) { return {root, std::string(kLedgerKey) + "\\History", 0}; }

uint64_t ChangeHistory::LastId(int32_t root) {
  const RegPlace place = Place(root);
  const std::optional<std::string> counter = LedgerText(kqm::Read(api_, place, kLastIdValue));
  uint64_t last = counter ? Number(*counter).value_or(0) : 0;
  // Records beyond the counter (one lost or put back): past them, looking a few ids ahead, else at every record.
  for (int ahead = 0; kqm::Read(api_, place, IdName(last + 1)).status != kRegFileNotFound; ++ahead) {
    if (ahead == 16) {
      UniqueRegKey key;
      if (OpenPlace(api_, place, kKeyQueryValue, key) != kRegOk) return last;
      ForEachValueName(api_, key.get(), kIdDigits + 16, [&](const std::u16string& name) {
        if (const std::optional<ValueOf> of = ValueOfName(Utf16ToUtf8(name))) last = std::max(last, of->id);
        return true;
      });
      return last;
    }
    ++last;
  }
  return last;
}

int32_t ChangeHistory::Add(int32_t root, Change& change, const std::string* kept) {
  change.id = std::max(LastId(kHkeyLocalMachine), LastId(kHkeyCurrentUser)) + 1;
  const RegPlace place = Place(root);
  const std::string name = IdName(change.id);
  // The counter first: a record written after it is never beyond it.
  if (const int32_t counted = WriteAndVerify(api_, place, kLastIdValue, LedgerValue(std::to_string(change.id))).status;
      counted != kRegOk)
    return counted;
  change.replacedKept = kept != nullptr;
  if (kept) {
    if (const int32_t written = WriteAndVerify(api_, place, name + kKeptSuffix, RawValue{kRegBinary, *kept}).status;
        written != kRegOk) {
      static_cast<void>(DeleteAndVerify(api_, place, name + kKeptSuffix));
      change.replacedKept = false;
    }
  }
  const int32_t written = WriteAndVerify(api_, place, name, LedgerValue(EncodeChange(change))).status;
  if (written != kRegOk) {
    static_cast<void>(DeleteAndVerify(api_, place, name));
    if (change.replacedKept) static_cast<void>(DeleteAndVerify(api_, place, name + kKeptSuffix));
    return written;
  }
  Trim(root);
  return kRegOk;
}

void ChangeHistory::Trim(int32_t root) {
  UniqueRegKey key;
  if (OpenPlace(api_, Place(root), kKeyQueryValue, key) != kRegOk) return;
  uint32_t values = 0, longest = 0, largest = 0;
  if (api_.QueryInfoKey(key.get(), nullptr, nullptr, &values, &longest, &largest) != kRegOk) return;
  // Within the bounds however the values add up: nothing to list.
  if (values <= maxChanges_ && uint64_t{values} * largest <= maxBytes_) return;
  struct Sizes {
    bool record = false;
    bool kept = false;
    uint64_t bytes = 0;
  };
  std::map<uint64_t, Sizes> changes;
  ForEachValue(api_, key.get(), longest + 1, largest, [&](const std::u16string& name16, const RawRead& data) {
    const std::optional<ValueOf> of = ValueOfName(Utf16ToUtf8(name16));
    if (!of || data.status != kRegOk) return;
    Sizes& sizes = changes[of->id];
    (of->kept ? sizes.kept : sizes.record) = true;
    sizes.bytes += data.value.bytes.size();
  });
  uint64_t total = 0, count = 0;
  for (const auto& [id, sizes] : changes) {
    total += sizes.bytes;
    count += sizes.record;
  }
  const RegPlace place = Place(root);
  for (const auto& [id, sizes] : changes) {
    // A kept file without its record is dropped whatever the bounds.
    if (sizes.record && count <= maxChanges_ && total <= maxBytes_) continue;
    if (sizes.record && DeleteAndVerify(api_, place, IdName(id)) != kRegOk) continue;
    if (sizes.kept) static_cast<void>(DeleteAndVerify(api_, place, IdName(id) + kKeptSuffix));
    total -= sizes.bytes;
    count -= sizes.record;
  }
}

std::vector<Change> ChangeHistory::Read(int32_t root) {
  std::vector<Change> changes;
  UniqueRegKey key;
  if (OpenPlace(api_, Place(root), kKeyQueryValue, key) != kRegOk) return changes;
  uint32_t values = 0, longest = 0, largest = 0;
  if (api_.QueryInfoKey(key.get(), nullptr, nullptr, &values, &longest, &largest) != kRegOk) return changes;
  ForEachValue(api_, key.get(), longest + 1, largest, [&](const std::u16string& name16, const RawRead& data) {
    const std::optional<ValueOf> of = ValueOfName(Utf16ToUtf8(name16));
    if (!of || of->kept) return;
    const std::optional<std::string> text = LedgerText(data);
    std::optional<Change> change = text ? DecodeChange(*text) : std::nullopt;
    // A store speaks only for its own root's entries.
    if (!change || LocationOf(change->location).root != root) return;
    change->id = of->id;
    changes.push_back(std::move(*change));
  });
  std::sort(changes.begin(), changes.end(), [](const Change& a, const Change& b) { return a.id < b.id; });
  return changes;
}

std::vector<Change> ChangeHistory::All() {
  std::vector<Change> all = Read(kHkeyLocalMachine);
  std::vector<Change> user = Read(kHkeyCurrentUser);
  all.insert(all.end(), std::make_move_iterator(user.begin()), std::make_move_iterator(user.end()));
  std::stable_sort(all.begin(), all.end(), [](const Change& a, const Change& b) { return a.id > b.id; });
  return all;
}

std::optional<ChangeHistory::Found> ChangeHistory::Find(uint64_t id) {
  for (const int32_t root : {kHkeyCurrentUser, kHkeyLocalMachine}) {
    const std::optional<std::string> text = LedgerText(kqm::Read(api_, Place(root), IdName(id)));
    std::optional<Change> change = text ? DecodeChange(*text) : std::nullopt;
    if (!change || LocationOf(change->location).root != root) continue;
    change->id = id;
    return Found{std::move(*change), root};
  }
  return std::nullopt;
}

std::optional<std::string> ChangeHistory::Kept(int32_t root, uint64_t id) {
  const RawRead read = kqm::Read(api_, Place(root), IdName(id) + kKeptSuffix);
  if (read.status != kRegOk || read.value.type != kRegBinary) return std::nullopt;
  return read.value.bytes;
}

}  // namespace kqm
