#pragma once
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/registry_values.h"
#include "engine/startup_entry.h"

namespace kqm {

// One entry as the window showed it: 64-bit hashes (FNV-1a) of its identity within its location (view and name
// folded as Windows folds it) and of its content (a registry value's type and bytes; a file's size and a
// shortcut's target). The same entry switched off or on keeps both.
struct SeenKey {
  uint64_t identity = 0;
  uint64_t content = 0;
  auto operator<=>(const SeenKey&) const = default;
};
SeenKey SeenKeyOf(const StartupEntry& entry);

// What the window showed of a location, and when (seconds since 1970-01-01 UTC).
struct SeenRecord {
  int64_t time = 0;
  std::vector<SeenKey> entries;  // sorted, each once
  bool operator==(const SeenRecord&) const = default;
};
// The record of `keys` (in any order) shown at `time`.
SeenRecord MakeSeenRecord(std::vector<SeenKey> keys, int64_t time);

// How an entry stands with what was shown last: seen then, not there then, or there with other content.
enum class Novelty : uint8_t { kSeen, kNew, kChanged };
Novelty NoveltyOf(const SeenRecord& record, const SeenKey& key);
// The details' line for it: "New since <date>" or "Changed since <date>"; "" when seen.
std::string NoveltyText(Novelty novelty, int64_t since);

// The seconds since 1970-01-01 UTC now.
int64_t UnixTimeNow();

// The record as text ("kqm-seen/1", a "time=" line and an "entries=" line of 32 hex digits an entry), and back;
// nullopt for text that is no record of a version this one reads.
std::string EncodeSeenRecord(const SeenRecord& record);
std::optional<SeenRecord> DecodeSeenRecord(const std::string& text);

// The user's records, one a location, in his ledger (Software\Kestrum\QuorvelManager\Ledger\Seen below
// HKEY_CURRENT_USER), each value named after its location's navigation key.
class SeenEntries {
 public:
  // A location of more entries is not remembered (its record is removed): nothing there is ever marked new.
  static constexpr size_t kMaxEntries = 20000;

  explicit SeenEntries(RegistryApi& api) : api_(api) {}
  // The record of what the window showed of `location` last; nullopt when it never showed it (or the record is
  // unreadable).
  std::optional<SeenRecord> Get(LocationId location);
  // Keeps `record` as what the window showed of `location` last; 0 when written.
  int32_t Put(LocationId location, const SeenRecord& record);
  static RegPlace Place();

 private:
  RegistryApi& api_;
};

}  // namespace kqm
