#include "engine/entry_details.h"

#include <cmath>
#include <cstdio>

namespace kqm {

namespace {

std::string Thousands(int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

}  // namespace

std::string DateText(double date) {
  // 1601-01-02 is day -109204: anything earlier is the file system's "no date".
  if (!(date >= -109204.0) || date > 2958465.0) return {};
  const auto minutes = static_cast<int64_t>(std::floor(date * 1440.0 + 0.5));
  int64_t days = minutes / 1440 - (minutes % 1440 < 0);
  const int64_t minuteOfDay = minutes - days * 1440;
  // Days since 1970-01-01, then the civil date (Howard Hinnant's algorithm).
  days -= 25569;
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yoe + era * 400 + (month <= 2);
  char text[96];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld UTC", static_cast<long long>(year),
                static_cast<long long>(month), static_cast<long long>(day),
                static_cast<long long>(minuteOfDay / 60), static_cast<long long>(minuteOfDay % 60));
  return text;
}

std::string EntryDetailsText(const EntryDetails& d) {
  std::string text = d.novelty.empty() ? std::string() : d.novelty + "\n";
  text += "Command: " + d.command + "\n";
  text += "Stored in: " + (d.storedIn.empty() ? std::string("(unknown)") : d.storedIn);
  if (!d.type.empty()) text += ", " + d.type;
  text += "\nProgram: ";
  if (d.program.path.empty()) return text + "(none found in the command line)";
  text += d.program.path;
  if (!d.program.exists || !d.facts) return text + " - file not found";
  const ProgramFileFacts& f = *d.facts;
  if (f.version) {
    std::string about;
    for (const std::string& part : {f.version->description, f.version->company})
      if (!part.empty()) about += (about.empty() ? "" : ", ") + part;
    if (!f.version->version.empty()) about += (about.empty() ? "version " : ", version ") + f.version->version;
    if (!about.empty()) text += "\n  " + about;
  }
  text += "\n  " + Thousands(f.size) + " bytes";
  if (const std::string created = DateText(f.created); !created.empty()) text += ", created " + created;
  if (const std::string modified = DateText(f.modified); !modified.empty()) text += ", modified " + modified;
  return text;
}

std::optional<ResolvedProgram> ProgramOf(const StartupEntry& entry, const ProgramLookup& lookup) {
  // A text shown in place of a path (an installer's shortcut, "(installer shortcut: ...)") names no file.
  if (!StartsACommand(entry) || entry.shown.empty() || entry.shown.front() == '(') return std::nullopt;
  return ResolveProgram(entry.shown, lookup);
}

EntryDetails DescribeEntry(EntryEngine& engine, const StartupEntry& entry, const ProgramLookup& lookup) {
  EntryDetails d;
  d.command = entry.shown;
  d.storedIn = engine.StoredIn(entry);
  if (entry.IsFile())
    d.type = HasShortcutExtension(entry.name) ? "shortcut" : "file";
  else if (entry.readable)
    d.type = RegistryTypeName(entry.type);
  d.program = ProgramOf(entry, lookup).value_or(ResolvedProgram{});
  if (d.program.exists) d.facts = engine.FileFacts(d.program.path);
  return d;
}

}  // namespace kqm
