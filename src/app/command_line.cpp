#include "app/command_line.h"

#include <cstdio>

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
    "  QuorvelManager.exe /history [/json]          the changes made to entries, newest first\n"
    "  QuorvelManager.exe /undo ID                  takes change ID of the history back\n"
    "  QuorvelManager.exe /?                        shows this text\n"
    "LOCATION: HKLMR, HKLMRO, HKLMS, HKCUR, HKCURO, USER or ALLUSERS.\n"
    "Exit code: 0 done, 1 the entry could not be moved or the change undone (why on standard error), 2 bad\n"
    "arguments.\n";

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

// `text` with what would break its line escaped: an unpaired surrogate of a name as its \\uXXXX escape, and
// control characters as \\u00XX in JSON (quotes and backslashes too) or \\xNN in a plain-text field.
std::string Escaped(const std::string& text, bool json) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    char escaped[8];
    if (const char16_t surrogate = SurrogateAt(text, i)) {
      std::snprintf(escaped, sizeof escaped, json ? "\\u%04x" : "\\u%04X", static_cast<unsigned>(surrogate));
      out += escaped;
      i += 2;
    } else if (json && (c == '"' || c == '\\')) {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || (!json && c == 0x7F)) {
      std::snprintf(escaped, sizeof escaped, json ? "\\u%04x" : "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

namespace {

// A JSON string.
std::string Json(const std::string& text) {
  std::string out(1, '"');
  out += Escaped(text, true);
  out += '"';
  return out;
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

void List(EntryEngine& engine, const Location& location, bool json, CommandOutcome& outcome) {
  const ProgramLookup lookup = engine.Lookup();
  std::string& out = outcome.out;
  std::vector<ReadProblem> problems;
  const std::vector<StartupEntry> entries = engine.ReadEntries(location.id, &problems);
  // A place that cannot be read is no empty list.
  for (const ReadProblem& problem : problems) {
    outcome.err += ReadProblemText(problem.place, problem.code) + "\n";
    outcome.exitCode = 1;
  }
  for (const StartupEntry& entry : entries) {
    if (!json) {
      out += std::string(location.navKey) + "\t" + StateText(entry) + "\t" + Field(entry.name) + "\t" +
             Field(entry.shown) + "\n";
      continue;
    }
    const std::string type = entry.IsFile() ? "file" : entry.readable ? RegistryTypeName(entry.type) : "";
    const std::optional<ResolvedProgram> program = ProgramOf(entry, lookup);
    out += "{\"location\":" + Json(location.navKey) + ",\"name\":" + Json(entry.name) +
           ",\"command\":" + Json(entry.shown) + ",\"on\":" + (entry.state == EntryState::kOn ? "true" : "false") +
           ",\"offByWindows\":" + (entry.state == EntryState::kOffByWindows ? "true" : "false") +
           ",\"view\":" + Json(entry.view == RegView::k32 ? "32-bit" : "native") + ",\"type\":" + Json(type) +
           ",\"program\":" + (program ? Json(program->path) : std::string("null")) +
           ",\"exists\":" + (program && program->exists ? "true" : "false") + "}\n";
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

}  // namespace

std::optional<CommandOutcome> RunCommandLine(const std::vector<std::string>& args, clsStartUp& engine) {
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
