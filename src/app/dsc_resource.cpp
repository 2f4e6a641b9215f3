#include "app/dsc_resource.h"

#include <optional>

#include "app/desired_state.h"
#include "app/json.h"
#include "engine/move_messages.h"

namespace kqm {

namespace {

// The actual state of the instance `wanted` names: the entry that stands for it, or its identity with "_exist"
// false; with `test`, whether it is as wanted.
std::string Instance(StartupState& state, const WantedEntry& wanted, const Step& step, bool test) {
  std::string out = "{";
  if (step.entry) {
    out += state.Members(*step.entry) + ",\"_exist\":true";
  } else {
    out += std::string("\"location\":") + JsonString(LocationOf(wanted.location).navKey) +
           ",\"view\":" + JsonString(ViewName(wanted.view)) + ",\"name\":" + JsonString(wanted.name) +
           ",\"_exist\":false";
  }
  if (test) out += std::string(",\"_inDesiredState\":") + (step.kind == Step::Kind::kAsWanted ? "true" : "false");
  return out + "}\n";
}

CommandOutcome Failure(const std::string& why) { return {1, "", why + "\n"}; }

}  // namespace

CommandOutcome RunDsc(EntryEngine& engine, const CommandContext& context, const std::string& operation) {
  StartupState state(engine, context);
  CommandOutcome outcome;
  if (operation == "export") {
    for (const Location& location : kLocations)
      for (const StartupEntry& entry : state.Entries(location.id)) {
        outcome.out += '{';
        outcome.out += state.Members(entry);
        outcome.out += ",\"_exist\":true}\n";
      }
    outcome.err = state.Problems();
    outcome.exitCode = outcome.err.empty() ? 0 : 1;
    return outcome;
  }
  if (operation != "get" && operation != "set" && operation != "test")
    return {2, "", std::string("Unknown DSC operation \"") + operation + "\": get, set, test or export.\n"};

  const std::optional<std::string> input = context.readInput ? context.readInput() : std::nullopt;
  if (!input || input->find_first_not_of(" \t\r\n") == std::string::npos)
    return Failure(std::string("The DSC operation ") + operation + " expects the instance as JSON on standard input.");
  const JsonParse parsed = ParseJson(*input);
  if (!parsed.ok()) return Failure(std::string("The instance is not valid JSON: ") + parsed.error + ".");
  std::string error;
  const std::optional<WantedEntry> wanted = ReadWantedEntry(parsed.value, operation != "get", error);
  if (!wanted) return Failure(std::string("The instance cannot be used: ") + error + ".");

  Step step = state.Plan(*wanted);
  if (operation == "set" && step.kind == Step::Kind::kNowhere) {
    outcome.exitCode = 1;
    outcome.err = NowhereMessage(*wanted) + "\n";
  } else if (operation == "set" && step.kind == Step::Kind::kSwitch) {
    const std::string caption = step.entry->Caption();
    const MoveResult moved = state.Switch(step, wanted->replace);
    if (!moved) outcome.err = NotMovedMessage(caption, step.direction == MoveDirection::kOn, moved) + "\n";
    for (const std::string& note : moved.notes) outcome.err += note + "\n";
    if (!outcome.err.empty()) outcome.exitCode = 1;
    state.Forget(wanted->location);
    step = state.Plan(*wanted);
  }
  outcome.out = Instance(state, *wanted, step, operation == "test");
  if (!state.Problems().empty()) {
    outcome.err = state.Problems() + outcome.err;
    outcome.exitCode = 1;
  }
  return outcome;
}

}  // namespace kqm
