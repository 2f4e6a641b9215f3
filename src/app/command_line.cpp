#include "app/command_line.h"

#include <cstdio>

#include "engine/clsStartUp.h"
#include "engine/entry_details.h"
#include "platform/substitute/memory_list_view.h"
#include "ui/main_window/frmMain.h"

namespace kqm {

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  QuorvelManager.exe                           opens the window\n"
    "  QuorvelManager.exe /list [LOCATION] [/json]  lists the entries of a location (or of all)\n"
    "  QuorvelManager.exe /disable LOCATION NAME    switches an entry off\n"
    "  QuorvelManager.exe /enable LOCATION NAME     switches an entry on\n"
    "  QuorvelManager.exe /?                        shows this text\n"
    "LOCATION: HKLMR, HKLMRO, HKLMS, HKCUR, HKCURO, USER or ALLUSERS.\n"
    "Exit code: 0 done, 1 the entry could not be moved (why on standard error), 2 bad arguments.\n";

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

struct Location {
  const char* key;
  void (*load)(clsStartUp&, ListView&);
};

const Location kLocations[] = {
    {"HKLMR", [](clsStartUp& e, ListView& l) { e.LoadHKLMRItems(l); }},
    {"HKLMRO", [](clsStartUp& e, ListView& l) { e.LoadHKLMROItems(l); }},
    {"HKLMS", [](clsStartUp& e, ListView& l) { e.LoadHKLMRSItems(l); }},
    {"HKCUR", [](clsStartUp& e, ListView& l) { e.LoadHKCURItems(l); }},
    {"HKCURO", [](clsStartUp& e, ListView& l) { e.LoadHKCUROItems(l); }},
    {"USER", [](clsStartUp& e, ListView& l) { e.LoadStartUpFiles(l, false); }},
    {"ALLUSERS", [](clsStartUp& e, ListView& l) { e.LoadStartUpFiles(l, true); }},
};

const Location* FindLocation(const std::string& key) {
  for (const Location& l : kLocations)
    if (Upper(key) == l.key) return &l;
  return nullptr;
}

std::string Json(const std::string& text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

void List(clsStartUp& engine, const Location& location, bool json, std::string& out) {
  MemoryListView list;
  location.load(engine, list);
  const bool files = list.Tag() == "USER" || list.Tag() == "ALL";
  const ProgramLookup lookup = engine.Lookup();
  for (int32_t i = 1; i <= list.Count(); ++i) {
    const ListItem& row = *list.Item(i);
    const EntryMarks marks = TagMarks(row.Tag());
    const std::string command = UnmarkedText(row.SubItem(1), marks);
    const std::string state = row.Checked() ? "on" : marks.offByWindows ? "off by Windows" : "off";
    const std::string name = files ? TagBase(row.Tag()) : row.Text();
    if (!json) {
      out += std::string(location.key) + "\t" + state + "\t" + name + "\t" + command + "\n";
      continue;
    }
    std::string type = "file";
    if (!files) {
      const auto root = RootTagValue(TagBase(row.Tag()));
      type = root ? engine.EntryTypeName(*root, list.Tag(), row.Text(), marks, row.Checked() || marks.offByWindows)
                  : std::string();
    }
    const std::optional<ResolvedProgram> program = ListedProgram(engine, list.Tag(), row, lookup);
    out += "{\"location\":" + Json(location.key) + ",\"name\":" + Json(name) + ",\"command\":" + Json(command) +
           ",\"on\":" + (row.Checked() ? "true" : "false") +
           ",\"offByWindows\":" + (marks.offByWindows ? "true" : "false") +
           ",\"view\":" + Json(marks.view == RegView::k32 ? "32-bit" : "native") + ",\"type\":" + Json(type) +
           ",\"program\":" + (program ? Json(program->path) : std::string("null")) +
           ",\"exists\":" + (program && program->exists ? "true" : "false") + "}\n";
  }
}

CommandOutcome Move(clsStartUp& engine, const Location& location, const std::string& name, bool toEnable) {
  MemoryListView list;
  location.load(engine, list);
  const bool files = list.Tag() == "USER" || list.Tag() == "ALL";
  // The row the window would show for it: on to switch off, off to switch on; the exact name first.
  ListItem* row = nullptr;
  for (int pass = 0; pass < 2 && !row; ++pass)
    for (int32_t i = 1; i <= list.Count() && !row; ++i) {
      ListItem* candidate = list.Item(i);
      const std::string rowName = files ? TagBase(candidate->Tag()) : candidate->Text();
      const bool matches = pass == 0 ? rowName == name : Upper(rowName) == Upper(name);
      if (matches && candidate->Checked() == !toEnable) row = candidate;
    }
  CommandOutcome outcome;
  if (!row) {
    outcome.exitCode = 1;
    outcome.err = "No entry \"" + name + "\" that is " + (toEnable ? "off" : "on") + " in " + location.key + ".\n";
    return outcome;
  }
  const MoveResult result = MoveListedEntry(engine, list.Tag(), *row, toEnable);
  if (result) {
    outcome.out = std::string(toEnable ? "Enabled" : "Disabled") + " \"" + name + "\" in " + location.key + ".\n";
    return outcome;
  }
  outcome.exitCode = 1;
  outcome.err = frmMain::NotMovedMessage(row->Text(), toEnable, result) + "\n";
  return outcome;
}

CommandOutcome BadArguments(const std::string& why) { return {2, "", why + "\n\n" + kUsage}; }

}  // namespace

std::optional<CommandOutcome> RunCommandLine(const std::vector<std::string>& args, clsStartUp& engine) {
  if (args.empty()) return std::nullopt;
  // A script asks; nothing may be replaced without a person to say yes.
  engine.AskReplace(nullptr);
  const std::string verb = Upper(args[0]);
  if (verb == "/?" || verb == "-?" || verb == "/HELP") return CommandOutcome{0, kUsage, ""};
  if (verb == "/LIST") {
    bool json = false;
    const Location* only = nullptr;
    for (size_t i = 1; i < args.size(); ++i) {
      if (Upper(args[i]) == "/JSON") {
        json = true;
      } else if (const Location* l = FindLocation(args[i]); l && !only) {
        only = l;
      } else {
        return BadArguments("Unknown location or option \"" + args[i] + "\".");
      }
    }
    CommandOutcome outcome;
    for (const Location& l : kLocations)
      if (!only || only == &l) List(engine, l, json, outcome.out);
    return outcome;
  }
  if (verb == "/DISABLE" || verb == "/ENABLE") {
    if (args.size() != 3) return BadArguments(args[0] + " takes a location and an entry's name.");
    const Location* location = FindLocation(args[1]);
    if (!location) return BadArguments("Unknown location \"" + args[1] + "\".");
    return Move(engine, *location, args[2], verb == "/ENABLE");
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
