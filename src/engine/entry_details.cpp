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

bool EndsWithLnk(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == ".lnk";
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
  char text[40];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld UTC", static_cast<long long>(year),
                static_cast<long long>(month), static_cast<long long>(day),
                static_cast<long long>(minuteOfDay / 60), static_cast<long long>(minuteOfDay % 60));
  return text;
}

std::string EntryDetailsText(const EntryDetails& d) {
  std::string text = "Command: " + d.command + "\n";
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

std::string ListedCommand(const ListItem& row) { return UnmarkedText(row.SubItem(1), TagMarks(row.Tag())); }

namespace {

bool IsFileList(const std::string& listTag) { return listTag == "USER" || listTag == "ALL"; }

// The program behind the command a row shows, when the entry's type (as DescribeListedEntry or the registry
// gives it) is one the system runs.
std::optional<ResolvedProgram> ProgramOf(const std::string& command, bool runnable, const ProgramLookup& lookup) {
  // A text shown in place of a path (an installer's shortcut, "(installer shortcut: ...)") names no file.
  if (!runnable || command.empty() || command.front() == '(') return std::nullopt;
  return ResolveProgram(command, lookup);
}

}  // namespace

std::optional<ResolvedProgram> ListedProgram(clsStartUp& engine, const std::string& listTag, const ListItem& row,
                                             const ProgramLookup& lookup) {
  bool runnable = IsFileList(listTag);
  if (!runnable && !row.Tag().empty()) {
    const EntryMarks marks = TagMarks(row.Tag());
    const bool live = row.Checked() || marks.offByWindows;
    if (const std::optional<int32_t> root = RootTagValue(TagBase(row.Tag())))
      runnable = IsCommandType(engine.EntryTypeName(*root, listTag, row.Text(), marks, live));
  }
  return ProgramOf(ListedCommand(row), runnable, lookup);
}

EntryDetails DescribeListedEntry(clsStartUp& engine, const std::string& listTag, const ListItem& row,
                                 const ProgramLookup& lookup) {
  EntryDetails d;
  const EntryMarks marks = TagMarks(row.Tag());
  const bool live = row.Checked() || marks.offByWindows;
  d.command = ListedCommand(row);
  if (IsFileList(listTag)) {
    const std::string file = TagBase(row.Tag());
    const std::string folder = engine.FileEntryFolder(listTag == "ALL", live);
    d.storedIn = folder.empty() ? std::string() : folder + file;
    d.type = EndsWithLnk(file) ? "shortcut" : "file";
  } else if (const std::optional<int32_t> root = RootTagValue(TagBase(row.Tag()))) {
    d.storedIn = engine.EntryPlace(*root, listTag, marks, live);
    d.type = engine.EntryTypeName(*root, listTag, row.Text(), marks, live);
  }
  d.program = ProgramOf(d.command, IsFileList(listTag) || IsCommandType(d.type), lookup).value_or(ResolvedProgram{});
  if (d.program.exists) d.facts = engine.FileFacts(d.program.path);
  return d;
}

}  // namespace kqm
