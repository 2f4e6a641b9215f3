#include "engine/ledger.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

#include "platform/text.h"

namespace kqm {

namespace {

constexpr const char* kMovesKey = "\\Moves";
constexpr const char* kMoveHeader = "kqm-move/1";

// Percent-escapes what would end a line or a key, and anything outside printable ASCII but UTF-8 text itself.
std::string Escape(const std::string& value) {
  std::string out;
  for (const unsigned char c : value) {
    if (c == '%' || c == '=' || c < 0x20 || c == 0x7F) {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::optional<std::string> Unescape(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '%') {
      out += value[i];
      continue;
    }
    if (i + 2 >= value.size()) return std::nullopt;
    unsigned byte = 0;
    if (std::sscanf(value.substr(i + 1, 2).c_str(), "%2X", &byte) != 1) return std::nullopt;
    out += static_cast<char>(byte);
    i += 2;
  }
  return out;
}

std::string PlaceField(const RegPlace& place) {
  return std::to_string(place.root) + "|" + std::to_string(place.view) + "|" + place.path;
}

std::optional<RegPlace> ParsePlace(const std::string& field) {
  const size_t a = field.find('|'), b = a == std::string::npos ? a : field.find('|', a + 1);
  if (b == std::string::npos) return std::nullopt;
  try {
    return RegPlace{static_cast<int32_t>(std::stol(field.substr(0, a))),
                    field.substr(b + 1), static_cast<uint32_t>(std::stoul(field.substr(a + 1, b - a - 1)))};
  } catch (const std::exception&) {
    return std::nullopt;
  }
}


std::string FreshId() {
  static std::mt19937_64 random{std::random_device{}()};
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  char id[48];
  std::snprintf(id, sizeof id, "%016llx-%08llx",
                static_cast<unsigned long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()),
                static_cast<unsigned long long>(random() & 0xFFFFFFFFu));
  return id;
}

}  // namespace

std::string LedgerEscape(const std::string& value) { return Escape(value); }

std::optional<std::string> LedgerUnescape(const std::string& value) { return Unescape(value); }

std::optional<std::vector<std::pair<std::string, std::string>>> LedgerFields(const std::string& text,
                                                                              const std::string& header) {
  size_t at = text.find('\n');
  if (text.substr(0, at) != header) return std::nullopt;
  std::vector<std::pair<std::string, std::string>> fields;
  while (at != std::string::npos && at + 1 < text.size()) {
    const size_t end = text.find('\n', at + 1);
    const std::string line = text.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
    at = end;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::optional<std::string> value = Unescape(line.substr(eq + 1));
    if (!value) return std::nullopt;
    fields.emplace_back(line.substr(0, eq), std::move(*value));
  }
  return fields;
}

RawValue LedgerValue(const std::string& text) { return RawValue{kRegSz, Utf16ToBytes(Utf8ToUtf16(text), true)}; }

std::optional<std::string> LedgerText(const RawRead& read) {
  if (read.status != kRegOk || read.value.type != kRegSz) return std::nullopt;
  std::u16string text = BytesToUtf16(read.value.bytes.data(), read.value.bytes.size());
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  return Utf16ToUtf8(text);
}

std::string EncodeMoveRecord(const MoveRecord& r) {
  std::string text = std::string(kMoveHeader) + "\n";
  const auto line = [&text](const char* key, const std::string& value) {
    text += std::string(key) + "=" + Escape(value) + "\n";
  };
  line("location", LocationOf(r.location).navKey);
  line("view", r.view == RegView::k32 ? "32" : "native");
  line("name", r.name);
  line("direction", r.direction == MoveDirection::kOff ? "off" : "on");
  if (r.IsFile()) {
    line("fromFolder", r.fromFolder);
    line("toFolder", r.toFolder);
    line("aside", r.aside);
    line("replaced", r.replaced);
  } else {
    line("from", PlaceField(r.from));
    line("to", PlaceField(r.to));
  }
  line("type", std::to_string(r.type));
  line("sha256", r.hash);
  return text;
}

std::optional<MoveRecord> DecodeMoveRecord(const std::string& text) {
  const auto fields = LedgerFields(text, kMoveHeader);
  if (!fields) return std::nullopt;
  MoveRecord r;
  bool haveLocation = false, haveName = false;
  for (const auto& [key, value] : *fields) {
    if (key == "location") {
      const Location* l = FindLocation(value);
      if (!l) return std::nullopt;
      r.location = l->id;
      haveLocation = true;
    } else if (key == "view") {
      r.view = value == "32" ? RegView::k32 : RegView::kNative;
    } else if (key == "name") {
      r.name = value;
      haveName = true;
    } else if (key == "direction") {
      r.direction = value == "on" ? MoveDirection::kOn : MoveDirection::kOff;
    } else if (key == "from" || key == "to") {
      const std::optional<RegPlace> place = ParsePlace(value);
      if (!place) return std::nullopt;
      (key == "from" ? r.from : r.to) = *place;
    } else if (key == "fromFolder") {
      r.fromFolder = value;
    } else if (key == "toFolder") {
      r.toFolder = value;
    } else if (key == "aside") {
      r.aside = value;
    } else if (key == "replaced") {
      r.replaced = value;
    } else if (key == "type") {
      r.type = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
    } else if (key == "sha256") {
      r.hash = value;
    }  // keys of later versions are skipped
  }
  if (!haveLocation || !haveName) return std::nullopt;
  return r;
}

RegPlace MoveJournal::Place(int32_t root) { return {root, std::string(kLedgerKey) + kMovesKey, 0}; }

int32_t MoveJournal::Begin(int32_t root, MoveRecord& record) {
  record.id = FreshId();
  const std::string text = EncodeMoveRecord(record);
  return WriteAndVerify(api_, Place(root), record.id, LedgerValue(text)).status;
}

int32_t MoveJournal::End(int32_t root, const MoveRecord& record) {
  return DeleteAndVerify(api_, Place(root), record.id);
}

std::vector<MoveRecord> MoveJournal::Open(int32_t root) {
  std::vector<MoveRecord> records;
  UniqueRegKey key;
  if (OpenPlace(api_, Place(root), kKeyQueryValue, key) != kRegOk) return records;
  uint32_t values = 0, longest = 0, largest = 0;
  if (api_.QueryInfoKey(key.get(), nullptr, nullptr, &values, &longest, &largest) != kRegOk) return records;
  ForEachValue(api_, key.get(), longest + 1, largest, [&](const std::u16string& name, const RawRead& data) {
    const std::optional<std::string> text = LedgerText(data);
    if (!text) return;
    if (std::optional<MoveRecord> record = DecodeMoveRecord(*text)) {
      record->id = Utf16ToUtf8Exact(name);
      records.push_back(std::move(*record));
    }
  });
  std::sort(records.begin(), records.end(), [](const MoveRecord& a, const MoveRecord& b) { return a.id < b.id; });
  return records;
}

RegPlace FileRecords::Place(int32_t root) { return {root, std::string(kLedgerKey) + "\\Files", 0}; }

int32_t FileRecords::Put(int32_t root, const FileRecord& record) {
  const std::string text = std::string("kqm-file/1\nsize=") + std::to_string(record.size) + "\nsha256=" +
                           Escape(record.hash) + "\n";
  return WriteAndVerify(api_, Place(root), record.name, LedgerValue(text)).status;
}

int32_t FileRecords::Remove(int32_t root, const std::string& name) { return DeleteAndVerify(api_, Place(root), name); }

std::optional<FileRecord> FileRecords::Get(int32_t root, const std::string& name) {
  const std::optional<std::string> text = LedgerText(Read(api_, Place(root), name));
  const auto fields = text ? LedgerFields(*text, "kqm-file/1") : std::nullopt;
  if (!fields) return std::nullopt;
  FileRecord record{name, -1, {}};
  for (const auto& [key, value] : *fields) {
    if (key == "size") record.size = std::strtoll(value.c_str(), nullptr, 10);
    if (key == "sha256") record.hash = value;
  }
  if (record.size < 0 || record.hash.empty()) return std::nullopt;
  return record;
}

}  // namespace kqm
