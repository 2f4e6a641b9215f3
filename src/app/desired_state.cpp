#include "app/desired_state.h"

#include <tuple>

#include "engine/entry_details.h"
#include "engine/move_messages.h"
#include "platform/file_system.h"
#include "platform/registry_api.h"
#include "platform/sha256.h"
#include "platform/text.h"

namespace kqm {

namespace {

// A StartUp file larger than this is not read for its hash (its data is then unknown).
constexpr int64_t kMaxHashedFileBytes = 64 << 20;

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string TypeName(const StartupEntry& entry) {
  return entry.IsFile() ? "file" : entry.readable ? RegistryTypeName(entry.type) : "";
}

bool IsText(const StartupEntry& entry) {
  return !entry.IsFile() && (entry.type == kRegSz || entry.type == kRegExpandSz);
}

// Reads the member `name` of `object` when it is a string (absent or null: not given); false with `error` set when
// it is something else.
bool OptionalText(const JsonValue& object, const char* name, std::optional<std::string>& out, std::string& error) {
  const JsonValue* member = object.Find(name);
  if (!member || member->Is(JsonValue::Kind::kNull)) return true;
  if (!member->Is(JsonValue::Kind::kString)) {
    error = std::string("\"") + name + "\" must be a string";
    return false;
  }
  out = member->text;
  return true;
}

bool Matches(const WantedEntry& wanted, const StartupEntry& entry, const DataOf& dataOf) {
  if (entry.Identity() != wanted.Identity()) return false;
  if (wanted.type && Lower(*wanted.type) != Lower(TypeName(entry))) return false;
  if (!wanted.data) return true;
  const std::optional<std::string> data = dataOf(entry);
  if (!data) return false;
  return IsText(entry) ? *data == *wanted.data : *data == Lower(*wanted.data);
}

// The identity's fields of a line: location, view and name.
std::string IdentityFields(const WantedEntry& wanted, bool json) {
  const char* location = LocationOf(wanted.location).navKey;
  if (json)
    return std::string("\"location\":") + JsonString(location) + ",\"view\":" + JsonString(ViewName(wanted.view)) +
           ",\"name\":" + JsonString(wanted.name);
  return std::string(location) + "\t" + ViewName(wanted.view) + "\t" + Escaped(wanted.name, false);
}

// Reads and checks the desired state of `file`: its entries, or nullopt with the outcome of the failure set.
std::optional<std::vector<WantedEntry>> LoadDesiredState(const CommandContext& context, const std::string& file,
                                                         CommandOutcome& outcome) {
  std::string error;
  const std::optional<std::string> text = ReadStateText(context, file, error);
  std::optional<std::vector<WantedEntry>> wanted;
  if (text) {
    const JsonParse parsed = ParseJson(*text);
    if (!parsed.ok())
      error = std::string("The desired state ") + Escaped(file, false) + " is not valid JSON: " + parsed.error + ".";
    else if (!(wanted = ReadDesiredState(parsed.value, error)))
      error = std::string("The desired state ") + Escaped(file, false) + " cannot be used: " + error + ".";
  }
  if (!wanted) outcome = {1, "", error + "\n"};
  return wanted;
}

}  // namespace

EntryIdentity WantedEntry::Identity() const { return {location, view, FoldCase(Utf8ToUtf16(name))}; }

const char* StateName(EntryState state) {
  switch (state) {
    case EntryState::kOn: return "on";
    case EntryState::kOffByWindows: return "offByWindows";
    case EntryState::kOff: break;
  }
  return "off";
}

const char* ViewName(RegView view) { return view == RegView::k32 ? "32-bit" : "native"; }

std::optional<WantedEntry> ReadWantedEntry(const JsonValue& object, bool needState, std::string& error) {
  if (!object.Is(JsonValue::Kind::kObject)) {
    error = "it is not a JSON object";
    return std::nullopt;
  }
  // Members the export writes are known; others are refused, so that a misspelt "data" cannot widen what is meant.
  // DSC's own members start with "_".
  for (const auto& [member, value] : object.members) {
    static const char* const kKnown[] = {"location", "view",   "name",   "state",  "type",
                                         "data",     "program", "exists", "source", "replace"};
    bool known = !member.empty() && member[0] == '_';
    for (const char* k : kKnown) known = known || member == k;
    if (!known) {
      error = std::string("\"") + Escaped(member, false) + "\" is no member of an entry";
      return std::nullopt;
    }
  }
  // Entries are switched on and off, never created or removed.
  if (const JsonValue* exist = object.Find("_exist");
      needState && exist && !(exist->Is(JsonValue::Kind::kBool) && exist->boolean)) {
    error = "\"_exist\" can only be true: entries are switched on and off, never created or removed";
    return std::nullopt;
  }
  WantedEntry wanted;
  std::optional<std::string> location, view, name, state;
  if (!OptionalText(object, "location", location, error) || !OptionalText(object, "view", view, error) ||
      !OptionalText(object, "name", name, error) || !OptionalText(object, "state", state, error) ||
      !OptionalText(object, "type", wanted.type, error) || !OptionalText(object, "data", wanted.data, error))
    return std::nullopt;
  const Location* where = location ? FindLocationIgnoringCase(*location) : nullptr;
  if (!where) {
    error = "\"location\" must be one of HKLMR, HKLMRO, HKLMS, HKCUR, HKCURO, USER and ALLUSERS";
    return std::nullopt;
  }
  wanted.location = where->id;
  if (view && Lower(*view) == "32-bit" && where->HasTwoViews()) {
    wanted.view = RegView::k32;
  } else if (view && Lower(*view) != "native") {
    error = where->HasTwoViews() ? "\"view\" must be \"native\" or \"32-bit\""
                                 : std::string("\"view\" of ") + where->navKey + " can only be \"native\"";
    return std::nullopt;
  }
  if (!name) {
    error = "\"name\" is missing";
    return std::nullopt;
  }
  wanted.name = *name;
  if (state && (*state == "on" || *state == "off" || *state == "offByWindows")) {
    wanted.state = *state;
    wanted.starts = *state == "on";
  } else if (state || needState) {
    error = "\"state\" must be \"on\", \"off\" or \"offByWindows\"";
    return std::nullopt;
  }
  if (const JsonValue* replace = object.Find("replace")) {
    if (!replace->Is(JsonValue::Kind::kBool)) {
      error = "\"replace\" must be true or false";
      return std::nullopt;
    }
    wanted.replace = replace->boolean;
  }
  return wanted;
}

std::optional<std::vector<WantedEntry>> ReadDesiredState(const JsonValue& document, std::string& error) {
  const JsonValue* schema = document.Find("schema");
  if (!schema || !schema->Is(JsonValue::Kind::kString) || schema->text != kStateSchemaName) {
    error = std::string("it is no startup state (its \"schema\" must be \"") + kStateSchemaName + "\")";
    return std::nullopt;
  }
  const JsonValue* entries = document.Find("entries");
  if (!entries || !entries->Is(JsonValue::Kind::kArray)) {
    error = "\"entries\" must be a list";
    return std::nullopt;
  }
  std::vector<WantedEntry> wanted;
  wanted.reserve(entries->items.size());
  // Entries that mean the same (identity, type and data) by the first that named them.
  std::map<std::tuple<LocationId, RegView, std::u16string, std::optional<std::string>, std::optional<std::string>>,
           size_t>
      seen;
  for (const JsonValue& item : entries->items) {
    std::optional<WantedEntry> entry = ReadWantedEntry(item, true, error);
    const std::string number = std::to_string(wanted.size() + 1);
    if (!entry) {
      error = std::string("entry ") + number + ": " + error;
      return std::nullopt;
    }
    const EntryIdentity id = entry->Identity();
    const auto [at, added] = seen.try_emplace(
        {id.location, id.view, id.foldedName, entry->type ? std::optional(Lower(*entry->type)) : std::nullopt,
         entry->data},
        wanted.size());
    if (!added && wanted[at->second].starts != entry->starts) {
      error = std::string("entry ") + number + " wants \"" + Escaped(entry->name, false) + "\" " + entry->state +
              ", entry " + std::to_string(at->second + 1) + " " + wanted[at->second].state;
      return std::nullopt;
    }
    wanted.push_back(std::move(*entry));
  }
  return wanted;
}

std::optional<std::string> RegistryDataText(const StartupEntry& entry) {
  if (entry.IsFile() || !entry.readable) return std::nullopt;
  if (IsText(entry)) {
    std::u16string text = BytesToUtf16(entry.bytes.data(), entry.bytes.size());
    if (const size_t nul = text.find(u'\0'); nul != std::u16string::npos) text.resize(nul);
    return Utf16ToUtf8Exact(text);
  }
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(entry.bytes.size() * 2);
  for (const char byte : entry.bytes) {
    hex += kDigits[static_cast<unsigned char>(byte) >> 4];
    hex += kDigits[static_cast<unsigned char>(byte) & 0xF];
  }
  return hex;
}

std::string NowhereMessage(const WantedEntry& wanted) {
  return std::string("No entry \"") + Escaped(wanted.name, false) + "\" in " + LocationOf(wanted.location).navKey +
         " to switch on: an entry that exists nowhere is never created.";
}

Step PlanStep(const WantedEntry& wanted, const std::vector<StartupEntry>& entries, const DataOf& dataOf) {
  const StartupEntry* live = nullptr;
  const StartupEntry* stored = nullptr;
  for (const StartupEntry& entry : entries) {
    if (!Matches(wanted, entry, dataOf)) continue;
    const StartupEntry*& slot = entry.IsLive() ? live : stored;
    if (!slot) slot = &entry;
  }
  Step step;
  step.entry = live ? live : stored;
  const bool on = live && live->state == EntryState::kOn;
  if (wanted.starts && !on) {
    step.kind = step.entry ? Step::Kind::kSwitch : Step::Kind::kNowhere;
    step.direction = MoveDirection::kOn;
  } else if (!wanted.starts && on) {
    step.kind = Step::Kind::kSwitch;
    step.direction = MoveDirection::kOff;
  }
  return step;
}

StartupState::StartupState(EntryEngine& engine, const CommandContext& context) : engine_(engine), context_(context) {}

const std::vector<StartupEntry>& StartupState::Entries(LocationId location) {
  if (const auto found = read_.find(location); found != read_.end()) return found->second;
  std::vector<ReadProblem> problems;
  std::vector<StartupEntry>& entries = read_[location] = engine_.ReadEntries(location, &problems);
  for (const ReadProblem& problem : problems) {
    const std::string line = ReadProblemText(problem.place, problem.code) + "\n";
    if (problems_.find(line) == std::string::npos) problems_ += line;  // once, however often it is read again
  }
  return entries;
}

Step StartupState::Plan(const WantedEntry& wanted) {
  return PlanStep(wanted, Entries(wanted.location), [this](const StartupEntry& entry) { return Data(entry); });
}

MoveResult StartupState::Switch(const Step& step, bool replace) {
  if (replace) engine_.AskReplace([](const ReplaceQuestion&) { return true; });
  MoveResult result = engine_.Move(*step.entry, step.direction);
  engine_.AskReplace(nullptr);
  return result;
}

std::optional<std::string> StartupState::Data(const StartupEntry& entry) {
  if (!entry.IsFile()) return RegistryDataText(entry);
  if (!entry.hash.empty()) return entry.hash;
  if (!context_.files || entry.size < 0 || entry.size > kMaxHashedFileBytes) return std::nullopt;
  const std::optional<std::string> bytes = context_.files->ReadWholeFile(entry.folder + entry.name);
  return bytes ? std::optional(Sha256Hex(*bytes)) : std::nullopt;
}

std::string StartupState::Members(const StartupEntry& entry) {
  if (!lookedUp_) {
    lookup_ = engine_.Lookup();
    lookedUp_ = true;
  }
  const std::string type = TypeName(entry);
  const std::optional<std::string> data = Data(entry);
  const std::optional<ResolvedProgram> program = ProgramOf(entry, lookup_);
  return std::string("\"location\":") + JsonString(entry.Where().navKey) +
         ",\"view\":" + JsonString(ViewName(entry.view)) +
         ",\"name\":" + JsonString(entry.name) + ",\"state\":" + JsonString(StateName(entry.state)) +
         ",\"type\":" + (type.empty() ? std::string("null") : JsonString(type)) +
         ",\"data\":" + (data ? JsonString(*data) : std::string("null")) +
         ",\"program\":" + (program ? JsonString(program->path) : std::string("null")) +
         ",\"exists\":" + (program && program->exists ? "true" : "false") +
         ",\"source\":" + JsonString(engine_.StoredIn(entry));
}

std::optional<std::string> ReadStateText(const CommandContext& context, const std::string& file, std::string& error) {
  std::optional<std::string> text;
  uint32_t code = 0;
  if (file == "-") {
    if (context.readInput) text = context.readInput();
    if (!text) error = "Standard input could not be read.";
  } else if (!context.files) {
    error = "Files cannot be read here.";
  } else if (const std::optional<uint64_t> size = context.files->FileLength(file, &code); !size) {
    error = std::string("The file ") + Escaped(file, false) + " could not be read: " + StatusText(code) + ".";
  } else if (*size > kJsonMaxBytes) {
    error = std::string("The file ") + Escaped(file, false) + " is larger than " + std::to_string(kJsonMaxBytes) +
            " bytes.";
  } else if (!(text = context.files->ReadWholeFile(file, &code))) {
    error = std::string("The file ") + Escaped(file, false) + " could not be read: " + StatusText(code) + ".";
  }
  return text;
}

CommandOutcome ExportState(EntryEngine& engine, const CommandContext& context) {
  StartupState state(engine, context);
  CommandOutcome outcome;
  std::string& out = outcome.out;
  out = std::string("{\"schema\":") + JsonString(kStateSchemaName) + ",\"machine\":" + JsonString(context.machine) +
        ",\"user\":" + JsonString(context.user) + ",\"time\":" + JsonString(context.time) + ",\"entries\":[";
  bool first = true;
  for (const Location& location : kLocations)
    for (const StartupEntry& entry : state.Entries(location.id)) {
      out += first ? "\n{" : ",\n{";
      out += state.Members(entry);
      out += '}';
      first = false;
    }
  out += "\n]}\n";
  // A place that cannot be read is no empty list.
  outcome.err = state.Problems();
  if (!outcome.err.empty()) outcome.exitCode = 1;
  return outcome;
}

CommandOutcome CheckState(EntryEngine& engine, const CommandContext& context, const std::string& file, bool json) {
  CommandOutcome outcome;
  const std::optional<std::vector<WantedEntry>> wanted = LoadDesiredState(context, file, outcome);
  if (!wanted) return outcome;
  StartupState state(engine, context);
  size_t differ = 0;
  for (const WantedEntry& entry : *wanted) {
    const Step step = state.Plan(entry);
    if (step.kind == Step::Kind::kAsWanted) continue;
    ++differ;
    const char* now = step.entry ? StateName(step.entry->state) : nullptr;
    outcome.out += json ? std::string("{") + IdentityFields(entry, true) + ",\"state\":" +
                              (now ? JsonString(now) : std::string("null")) + ",\"wanted\":" +
                              JsonString(entry.state) + "}\n"
                        : IdentityFields(entry, false) + "\t" + (now ? now : "nowhere") + "\twanted " + entry.state +
                              "\n";
  }
  const std::string of = std::to_string(differ) + " of " + std::to_string(wanted->size());
  outcome.out += json ? std::string("{\"differ\":") + std::to_string(differ) + ",\"entries\":" +
                            std::to_string(wanted->size()) + "}\n"
                      : of + (differ == 1 ? " entries differs\n" : " entries differ\n");
  outcome.err = state.Problems();
  outcome.exitCode = !outcome.err.empty() ? 1 : differ ? 3 : 0;
  return outcome;
}

CommandOutcome ApplyState(EntryEngine& engine, const CommandContext& context, const std::string& file, bool whatIf,
                          bool json) {
  CommandOutcome outcome;
  const std::optional<std::vector<WantedEntry>> wanted = LoadDesiredState(context, file, outcome);
  if (!wanted) return outcome;
  StartupState state(engine, context);
  size_t changed = 0, planned = 0, failed = 0;
  bool notes = false;
  for (const WantedEntry& entry : *wanted) {
    const Step step = state.Plan(entry);
    if (step.kind == Step::Kind::kAsWanted) continue;
    const bool on = step.direction == MoveDirection::kOn;
    const char* before = step.entry ? StateName(step.entry->state) : nullptr;
    std::string result, said, error;
    if (step.kind == Step::Kind::kNowhere) {
      error = NowhereMessage(entry);
    } else if (whatIf) {
      result = "planned", said = on ? "would switch on" : "would switch off";
      ++planned;
    } else {
      const std::string caption = step.entry->Caption();
      const MoveResult moved = state.Switch(step, entry.replace);
      state.Forget(entry.location);  // read again for the next entry there
      if (moved) {
        result = "changed", said = on ? "switched on" : "switched off";
        ++changed;
        // Moved, but not all is as it should be: the script is told, and does not take it for done.
        for (const std::string& note : moved.notes) error += (error.empty() ? "" : " ") + note;
        notes = notes || !moved.notes.empty();
      } else {
        error = NotMovedMessage(caption, on, moved);
      }
    }
    if (result.empty()) {
      result = "failed", said = on ? "not switched on" : "not switched off";
      ++failed;
    }
    if (!error.empty()) outcome.err += error + "\n";
    outcome.out += json ? std::string("{") + IdentityFields(entry, true) + ",\"state\":" +
                              (before ? JsonString(before) : std::string("null")) + ",\"wanted\":" +
                              JsonString(entry.state) + ",\"result\":" + JsonString(result) +
                              (error.empty() ? "" : std::string(",\"error\":") + JsonString(error)) + "}\n"
                        : IdentityFields(entry, false) + "\t" + said + "\n";
  }
  if (json) {
    outcome.out += std::string("{\"changed\":") + std::to_string(changed) + ",\"failed\":" + std::to_string(failed) +
                   (whatIf ? std::string(",\"planned\":") + std::to_string(planned) : "") + "}\n";
  } else if (changed + planned + failed == 0) {
    outcome.out += std::string("Nothing changed: all ") + std::to_string(wanted->size()) + " entries are as wanted.\n";
  } else if (whatIf) {
    outcome.out += std::to_string(planned) + " would change, " + std::to_string(failed) +
                   " failed; nothing was changed.\n";
  } else {
    outcome.out += std::to_string(changed) + " changed, " + std::to_string(failed) + " failed.\n";
  }
  outcome.err = state.Problems() + outcome.err;
  outcome.exitCode = failed || notes || !state.Problems().empty() ? 1 : 0;
  return outcome;
}

}  // namespace kqm
