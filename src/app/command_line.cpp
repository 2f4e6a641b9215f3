#include "app/command_line.h"

#include "app/desired_state.h"
#include "app/dsc_resource.h"
#include "app/json.h"
#include "platform/text.h"

#include "app/history_commands.h"
#include "engine/clsStartUp.h"
#include "engine/entry_details.h"
#include "engine/locations.h"
#include "engine/move_messages.h"

namespace kqm {

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  QuorvelManager.exe                           opens the window\n"
    "  QuorvelManager.exe /list [LOCATION] [/json]  lists the entries of a location (or of all)\n"
    "  QuorvelManager.exe /disable LOCATION NAME    switches an entry off\n"
    "  QuorvelManager.exe /enable LOCATION NAME     switches an entry on\n"
    "  QuorvelManager.exe /export                   every entry of every location as one JSON document\n"
    "  QuorvelManager.exe /check FILE [/json]       which entries differ from the desired state in FILE\n"
    "  QuorvelManager.exe /apply FILE [/whatif] [/json]\n"
    "                                               switches the entries FILE names to their wanted state\n"
    "  QuorvelManager.exe /dsc get|set|test|export  the DSC resource (the instance as JSON on standard input)\n"
    "  QuorvelManager.exe /history [/json]          the changes made to entries, newest first\n"
    "  QuorvelManager.exe /undo ID                  takes change ID of the history back\n"
    "  QuorvelManager.exe /?                        shows this text\n"
    "LOCATION: HKLMR, HKLMRO, HKLMS, HKCUR, HKCURO, USER or ALLUSERS. FILE: a state as /export writes it, usually\n"
    "trimmed to the entries that matter, each with the \"state\" wanted; \"-\" reads it from standard input.\n"
    "Exit code: 0 done, 1 an entry could not be moved, a change not undone or something not read (why on stderr),\n"
    "2 bad arguments, 3 /check found entries that differ.\n";

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// A field of a plain-text line, so that one entry is one line of tab-separated fields.
std::string Field(const std::string& text) { return Escaped(text, false); }

std::string StateText(const StartupEntry& entry) {
  switch (entry.state) {
    case EntryState::kOn: return "on";
    case EntryState::kOffByWindows: return "off by Windows";
    case EntryState::kOff: break;
  }
  return "off";
}

// How a file in the Disabled folder stands with the program's records: "recorded" (and every other entry),
// "unrecorded" (someone else put it there) or "changed" (changed since the program switched it off).
const char* TrustName(FileTrust trust) {
  switch (trust) {
    case FileTrust::kUnrecorded: return "unrecorded";
    case FileTrust::kChanged: return "changed";
    case FileTrust::kRecorded: break;
  }
  return "recorded";
}

// The marks the window's row shows for an entry's store, records and switched-off copy, as words: "" for none.
std::string TrustMarks(const StartupEntry& entry) {
  std::string marks;
  const auto add = [&marks](const char* mark) {
    std::string_view text = mark;
    while (!text.empty() && (text.front() == ' ' || text.front() == '[')) text.remove_prefix(1);
    if (!text.empty() && text.back() == ']') text.remove_suffix(1);
    marks.append(marks.empty() ? "" : "; ").append(text);
  };
  if (entry.alsoOff) add(entry.state == EntryState::kOffByWindows ? kReAddedMark : kAlsoOffMark);
  if (entry.InSharedStore()) add(kSharedStoreMark);
  if (entry.trust == FileTrust::kUnrecorded) add(kUnrecordedMark);
  if (entry.trust == FileTrust::kChanged) add(kChangedMark);
  return marks;
}

void List(EntryEngine& engine, const Location& location, bool json, CommandOutcome& outcome) {
  const ProgramLookup lookup = engine.Lookup();
  std::string& out = outcome.out;
  std::vector<ReadProblem> problems;
  const std::vector<StartupEntry> entries = engine.ReadEntries(location.id, &problems);
  // New or changed since the window last showed the location (never: nothing is new). A script only looks.
  const std::optional<SeenRecord> seen = json ? engine.Seen().Get(location.id) : std::nullopt;
  // A place that cannot be read is no empty list.
  for (const ReadProblem& problem : problems) {
    outcome.err += ReadProblemText(problem.place, problem.code) + "\n";
    outcome.exitCode = 1;
  }
  for (const StartupEntry& entry : entries) {
    if (!json) {
      out += std::string(location.navKey) + "\t" + StateText(entry) + "\t" + Field(entry.name) + "\t" +
             Field(entry.shown);
      // What the window marks its row with beyond view and Windows' switch: one more field, only when there is any.
      if (const std::string marks = TrustMarks(entry); !marks.empty()) out.append("\t").append(Field(marks));
      out += "\n";
      continue;
    }
    const std::string type = entry.IsFile() ? "file" : entry.readable ? RegistryTypeName(entry.type) : "";
    const std::optional<ResolvedProgram> program = ProgramOf(entry, lookup);
    out += "{\"location\":" + JsonString(location.navKey) + ",\"name\":" + JsonString(entry.name) +
           ",\"command\":" + JsonString(entry.shown) +
           ",\"on\":" + (entry.state == EntryState::kOn ? "true" : "false") +
           ",\"offByWindows\":" + (entry.state == EntryState::kOffByWindows ? "true" : "false") +
           ",\"view\":" + JsonString(ViewName(entry.view)) +
           ",\"type\":" + JsonString(type) +
           ",\"program\":" + (program ? JsonString(program->path) : std::string("null")) +
           ",\"exists\":" + (program && program->exists ? "true" : "false");
    out += std::string(",\"trust\":") + JsonString(TrustName(entry.trust)) +
           ",\"sharedStore\":" + (entry.InSharedStore() ? "true" : "false") +
           ",\"new\":" + (seen && NoveltyOf(*seen, SeenKeyOf(entry)) != Novelty::kSeen ? "true" : "false") +
           ",\"alsoOff\":" + (entry.alsoOff ? "true" : "false") + "}\n";
  }
}

CommandOutcome Move(EntryEngine& engine, const Location& location, const std::string& name, bool toEnable) {
  const std::vector<StartupEntry> entries = engine.ReadEntries(location.id);
  // The entry the window would show for it: on to switch off, off to switch on; the exact name first.
  const StartupEntry* found = nullptr;
  for (int pass = 0; pass < 2 && !found; ++pass)
    for (const StartupEntry& entry : entries) {
      const bool matches = pass == 0 ? entry.name == name : Upper(entry.name) == Upper(name);
      if (matches && (entry.state == EntryState::kOn) == !toEnable) {
        found = &entry;
        break;
      }
    }
  CommandOutcome outcome;
  if (!found) {
    outcome.exitCode = 1;
    outcome.err = "No entry \"" + name + "\" that is " + (toEnable ? "off" : "on") + " in " + location.navKey + ".\n";
    return outcome;
  }
  const MoveResult result = engine.Move(*found, toEnable ? MoveDirection::kOn : MoveDirection::kOff);
  if (result) {
    outcome.out = std::string(toEnable ? "Enabled" : "Disabled") + " \"" + name + "\" in " + location.navKey + ".\n";
    // Moved, but not all is as it should be: the script is told, and does not take it for done.
    for (const std::string& note : result.notes) outcome.err += note + "\n";
    if (!result.notes.empty()) outcome.exitCode = 1;
    return outcome;
  }
  outcome.exitCode = 1;
  outcome.err = NotMovedMessage(found->Caption(), toEnable, result) + "\n";
  return outcome;
}

CommandOutcome BadArguments(const std::string& why) { return {2, "", why + "\n\n" + kUsage}; }

// The arguments after the verb: /json (and /whatif when `whatIf` is allowed), and `files` other arguments.
bool ReadOptions(const std::vector<std::string>& args, bool whatIf, size_t files, std::vector<std::string>& found,
                 std::vector<std::string>& named, std::string& why) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string option = Upper(args[i]);
    if (option == "/JSON" || (whatIf && option == "/WHATIF")) {
      found.push_back(option);
    } else if (named.size() < files && !args[i].empty()) {
      named.push_back(args[i]);
    } else {
      why = std::string("Unknown option \"") + args[i] + "\" for " + args[0] + ".";
      return false;
    }
  }
  if (named.size() < files) why = args[0] + " needs a file (\"-\" for standard input).";
  return named.size() == files;
}

bool Has(const std::vector<std::string>& options, const char* option) {
  for (const std::string& o : options)
    if (o == option) return true;
  return false;
}

}  // namespace

std::optional<CommandOutcome> RunCommandLine(const std::vector<std::string>& args, clsStartUp& engine,
                                             const CommandContext& context) {
  if (args.empty()) return std::nullopt;
  // A script asks; nothing may be replaced without a person to say yes.
  engine.AskReplace(nullptr);
  engine.Entries().AskUntrusted(nullptr);
  engine.Entries().ChangesFrom(ChangeSource::kCommandLine);
  const std::string verb = Upper(args[0]);
  if (verb == "/?" || verb == "-?" || verb == "/HELP") return CommandOutcome{0, kUsage, ""};
  if (verb == "/LIST") {
    bool json = false;
    const Location* only = nullptr;
    for (size_t i = 1; i < args.size(); ++i) {
      if (Upper(args[i]) == "/JSON") {
        json = true;
      } else if (const Location* l = FindLocationIgnoringCase(args[i]); l && !only) {
        only = l;
      } else {
        return BadArguments("Unknown location or option \"" + args[i] + "\".");
      }
    }
    CommandOutcome outcome;
    for (const Location& l : kLocations)
      if (!only || only == &l) List(engine.Entries(), l, json, outcome);
    return outcome;
  }
  if (verb == "/EXPORT" || verb == "/CHECK" || verb == "/APPLY") {
    std::vector<std::string> options, file;
    std::string why;
    if (!ReadOptions(args, verb == "/APPLY", verb == "/EXPORT" ? 0 : 1, options, file, why))
      return BadArguments(why);
    if (verb == "/EXPORT") return ExportState(engine.Entries(), context);
    if (verb == "/CHECK") return CheckState(engine.Entries(), context, file[0], Has(options, "/JSON"));
    return ApplyState(engine.Entries(), context, file[0], Has(options, "/WHATIF"), Has(options, "/JSON"));
  }
  if (verb == "/DSC") {
    if (args.size() != 2) return BadArguments("/dsc takes one operation: get, set, test or export.");
    std::string operation = args[1];
    for (char& c : operation)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const CommandOutcome outcome = RunDsc(engine.Entries(), context, operation);
    return outcome.exitCode == 2 ? BadArguments(outcome.err.substr(0, outcome.err.size() - 1)) : outcome;
  }
  if (verb == "/HISTORY") {
    if (args.size() == 1 || (args.size() == 2 && Upper(args[1]) == "/JSON"))
      return HistoryCommand(engine.Entries(), args.size() == 2);
    return BadArguments("/history takes only /json.");
  }
  if (verb == "/UNDO") {
    if (std::optional<CommandOutcome> outcome = args.size() == 2 ? UndoCommand(engine.Entries(), args[1]) : std::nullopt)
      return outcome;
    return BadArguments("/undo takes the id of a change, as /history lists it.");
  }
  if (verb == "/DISABLE" || verb == "/ENABLE") {
    if (args.size() != 3) return BadArguments(args[0] + " takes a location and an entry's name.");
    const Location* location = FindLocationIgnoringCase(args[1]);
    if (!location) return BadArguments("Unknown location \"" + args[1] + "\".");
    return Move(engine.Entries(), *location, args[2], verb == "/ENABLE");
  }
  return BadArguments("Unknown command \"" + args[0] + "\".");
}

bool NamesArguments(std::u16string_view line) {
  size_t at = 0;
  // The program's name ends at its closing quote when it starts with one (whatever follows), else at the first
  // blank.
  if (!line.empty() && line[0] == u'"') {
    at = line.find(u'"', 1);
    at = at == std::u16string_view::npos ? line.size() : at + 1;
  } else {
    at = line.find_first_of(u" \t");
    if (at == std::u16string_view::npos) at = line.size();
  }
  return line.find_first_not_of(u" \t", at) != std::u16string_view::npos;
}

}  // namespace kqm
