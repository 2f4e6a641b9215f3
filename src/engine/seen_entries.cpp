#include "engine/seen_entries.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "engine/entry_details.h"
#include "engine/ledger.h"
#include "platform/text.h"

namespace kqm {

namespace {

constexpr const char* kSeenHeader = "kqm-seen/1";
constexpr size_t kKeyDigits = 32;

class Fnv1a {
 public:
  Fnv1a& Add(std::string_view bytes) {
    for (const unsigned char c : bytes) hash_ = (hash_ ^ c) * 0x100000001B3ULL;
    return *this;
  }
  Fnv1a& Add(uint64_t number) {  // little-endian, whatever the machine's order
    for (int i = 0; i < 8; ++i) hash_ = (hash_ ^ ((number >> (8 * i)) & 0xFF)) * 0x100000001B3ULL;
    return *this;
  }
  uint64_t Value() const { return hash_; }

 private:
  uint64_t hash_ = 0xCBF29CE484222325ULL;
};

void AppendHex(std::string& out, uint64_t value) {
  static const char kDigits[] = "0123456789abcdef";
  for (int shift = 60; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

std::optional<uint64_t> ParseHex(std::string_view text) {
  uint64_t value = 0;
  for (const char c : text) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<uint64_t>(digit);
  }
  return value;
}

}  // namespace

SeenKey SeenKeyOf(const StartupEntry& entry) {
  const std::u16string folded = FoldCase(Utf8ToUtf16(entry.name));
  Fnv1a identity;
  identity.Add(entry.view == RegView::k32 ? "32|" : "64|")
      .Add(std::string_view(reinterpret_cast<const char*>(folded.data()), folded.size() * sizeof(char16_t)));
  Fnv1a content;
  if (entry.IsFile())
    content.Add(static_cast<uint64_t>(entry.size)).Add(HasShortcutExtension(entry.name) ? entry.shown : "");
  else if (entry.readable)
    content.Add(entry.type).Add(entry.bytes);
  else
    content.Add("unreadable");
  return {identity.Value(), content.Value()};
}

SeenRecord MakeSeenRecord(std::vector<SeenKey> keys, int64_t time) {
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  return {time, std::move(keys)};
}

Novelty NoveltyOf(const SeenRecord& record, const SeenKey& key) {
  const auto first = std::lower_bound(record.entries.begin(), record.entries.end(), SeenKey{key.identity, 0});
  if (first == record.entries.end() || first->identity != key.identity) return Novelty::kNew;
  return std::binary_search(first, record.entries.end(), key) ? Novelty::kSeen : Novelty::kChanged;
}

std::string NoveltyText(Novelty novelty, int64_t since) {
  if (novelty == Novelty::kSeen) return {};
  return std::string(novelty == Novelty::kNew ? "New" : "Changed") + " since " +
         DateText(static_cast<double>(since) / 86400.0 + 25569.0);
}

int64_t UnixTimeNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string EncodeSeenRecord(const SeenRecord& record) {
  std::string text = std::string(kSeenHeader) + "\ntime=" + std::to_string(record.time) + "\nentries=";
  text.reserve(text.size() + record.entries.size() * kKeyDigits + 1);
  for (const SeenKey& key : record.entries) {
    AppendHex(text, key.identity);
    AppendHex(text, key.content);
  }
  return text + "\n";
}

std::optional<SeenRecord> DecodeSeenRecord(const std::string& text) {
  size_t at = text.find('\n');
  if (text.substr(0, at) != kSeenHeader) return std::nullopt;
  SeenRecord record;
  bool haveTime = false, haveEntries = false;
  while (at != std::string::npos && at + 1 < text.size()) {
    const size_t end = text.find('\n', at + 1);
    const std::string_view line =
        std::string_view(text).substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
    at = end;
    if (line.rfind("time=", 0) == 0) {
      const std::string digits(line.substr(5));
      char* stop = nullptr;
      record.time = std::strtoll(digits.c_str(), &stop, 10);
      haveTime = !digits.empty() && *stop == '\0';
    } else if (line.rfind("entries=", 0) == 0) {
      const std::string_view keys = line.substr(8);
      if (keys.size() % kKeyDigits != 0) return std::nullopt;
      record.entries.reserve(keys.size() / kKeyDigits);
      for (size_t i = 0; i < keys.size(); i += kKeyDigits) {
        const std::optional<uint64_t> identity = ParseHex(keys.substr(i, 16));
        const std::optional<uint64_t> content = ParseHex(keys.substr(i + 16, 16));
        if (!identity || !content) return std::nullopt;
        record.entries.push_back({*identity, *content});
      }
      haveEntries = true;
    }  // keys of later versions are skipped
  }
  if (!haveTime || !haveEntries) return std::nullopt;
  return MakeSeenRecord(std::move(record.entries), record.time);
}

RegPlace SeenEntries::Place() { return {kHkeyCurrentUser, std::string(kLedgerKey) + "\\Seen", 0}; }

std::optional<SeenRecord> SeenEntries::Get(LocationId location) {
  const RawRead read = Read(api_, Place(), LocationOf(location).navKey);
  if (read.status != kRegOk || read.value.type != kRegSz) return std::nullopt;
  std::u16string text = BytesToUtf16(read.value.bytes.data(), read.value.bytes.size());
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  return DecodeSeenRecord(Utf16ToUtf8(text));
}

int32_t SeenEntries::Put(LocationId location, const SeenRecord& record) {
  const char* name = LocationOf(location).navKey;
  if (record.entries.size() > kMaxEntries) return DeleteAndVerify(api_, Place(), name);
  const std::string text = EncodeSeenRecord(record);
  return WriteAndVerify(api_, Place(), name, RawValue{kRegSz, Utf16ToBytes(Utf8ToUtf16(text), true)}).status;
}

}  // namespace kqm
