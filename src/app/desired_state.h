#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/json.h"
#include "engine/entry_engine.h"

namespace kqm {

// The name an exported state and a desired-state file carry in their "schema" member.
inline constexpr const char* kStateSchemaName = "kestrum-startup-state/1";

// One entry as a desired state names it: who it is (location, view, name), whether it is to start, and what it
// must hold to be meant.
struct WantedEntry {
  LocationId location = LocationId::kHkcuRun;
  RegView view = RegView::kNative;
  std::string name;
  std::string state;  // "on", "off" or "offByWindows" as written; "" when not given
  bool starts = false;  // "on"; "off" and "offByWindows" both mean the entry must not start
  std::optional<std::string> type;  // when given, only an entry of this type ("REG_SZ", "file") is meant
  std::optional<std::string> data;  // when given, only an entry holding this data is meant
  bool replace = false;  // a move may replace a different entry of the same name at its destination

  EntryIdentity Identity() const;
};

// Reads one entry object; nullopt with `error` set when it is none (a state is required when `needState`).
std::optional<WantedEntry> ReadWantedEntry(const JsonValue& object, bool needState, std::string& error);
// Reads a desired-state document (the export's format, usually trimmed): its entries, or nullopt with `error`.
// The same entry may not be wanted both on and off.
std::optional<std::vector<WantedEntry>> ReadDesiredState(const JsonValue& document, std::string& error);

// What it takes to bring one wanted entry to its state, planned over the entries read at its location.
struct Step {
  enum class Kind {
    kAsWanted,  // nothing to do (an entry that is to stay off and exists nowhere is as wanted)
    kSwitch,    // `entry` is to be switched in `direction`
    kNowhere,   // to be on, but no such entry exists anywhere: nothing is ever created
  };
  Kind kind = Kind::kAsWanted;
  const StartupEntry* entry = nullptr;  // the entry to switch, else the one that stands for it now (nullptr: none)
  MoveDirection direction = MoveDirection::kOff;
};

// The data an entry holds as an export shows it: registry text (REG_SZ, REG_EXPAND_SZ) as stored up to its first
// NUL, unexpanded; other registry data as lowercase hex; a file's content as its SHA-256 in lowercase hex; nullopt
// when it cannot be read.
using DataOf = std::function<std::optional<std::string>(const StartupEntry&)>;
std::optional<std::string> RegistryDataText(const StartupEntry& entry);

// Why an entry wanted on that exists nowhere is not switched on.
std::string NowhereMessage(const WantedEntry& wanted);

// Plans one wanted entry over `entries` (those of its location): the live entry decides whether it starts; an
// entry to be switched on is taken from where Windows keeps it off, else from the store.
Step PlanStep(const WantedEntry& wanted, const std::vector<StartupEntry>& entries, const DataOf& dataOf);

// The entries of every location as an export and the DSC resource show them, read once per location.
class StartupState {
 public:
  StartupState(EntryEngine& engine, const CommandContext& context);

  // The entries of a location, read now or earlier; a place that could not be read is added to Problems().
  const std::vector<StartupEntry>& Entries(LocationId location);
  // Forgets what was read of a location (after a move there).
  void Forget(LocationId location) { read_.erase(location); }
  // The lines that tell of places that could not be read, one each.
  const std::string& Problems() const { return problems_; }

  // The plan for one wanted entry, over its location's entries as read.
  Step Plan(const WantedEntry& wanted);
  // Carries out a kSwitch step; a different entry of that name at the destination is replaced only when `replace`.
  MoveResult Switch(const Step& step, bool replace);

  // An entry's members as JSON, without the braces: location, view, name, state, type, data, program, exists,
  // source.
  std::string Members(const StartupEntry& entry);
  std::optional<std::string> Data(const StartupEntry& entry);

 private:
  EntryEngine& engine_;
  const CommandContext& context_;
  ProgramLookup lookup_;
  bool lookedUp_ = false;
  std::map<LocationId, std::vector<StartupEntry>> read_;
  std::string problems_;
};

// "on", "off" or "offByWindows".
const char* StateName(EntryState state);
// "native" or "32-bit".
const char* ViewName(RegView view);

// /export: every entry of every location as one JSON document.
CommandOutcome ExportState(EntryEngine& engine, const CommandContext& context);
// /check FILE: one line per entry that differs, then "N of M entries differ"; exit 0, 3 when any differs, 1 on an
// error. FILE "-" is standard input.
CommandOutcome CheckState(EntryEngine& engine, const CommandContext& context, const std::string& file, bool json);
// /apply FILE: switches each entry that differs; with `whatIf` says what it would switch and changes nothing.
CommandOutcome ApplyState(EntryEngine& engine, const CommandContext& context, const std::string& file, bool whatIf,
                          bool json);

// The text of a state file (or of standard input for "-"), at most kJsonMaxBytes; nullopt with `error` set.
std::optional<std::string> ReadStateText(const CommandContext& context, const std::string& file, std::string& error);

}  // namespace kqm
