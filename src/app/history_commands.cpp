#include "app/history_commands.h"

#include "app/desired_state.h"
#include "app/json.h"

#include "engine/entry_engine.h"
#include "engine/history.h"
#include "engine/locations.h"

namespace kqm {

CommandOutcome HistoryCommand(EntryEngine& engine, bool json) {
  CommandOutcome outcome;
  const std::vector<Change> changes = engine.History().All();
  for (const Change& c : changes) {
    const char* location = LocationOf(c.location).navKey;
    if (!json) {
      outcome.out += std::to_string(c.id) + "\t" + Escaped(c.time, false) + "\t" + Escaped(c.user, false) + "\t" +
                     SourceName(c.source) + "\t" + ActionName(c.action) + "\t" + location + "\t" +
                     Escaped(c.name, false) + "\t" + Escaped(ShownResult(c, changes), false) + "\n";
      continue;
    }
    const uint64_t undoneBy = UndoneBy(c, changes);
    outcome.out += std::string("{\"id\":") + std::to_string(c.id) + ",\"time\":" + JsonString(c.time) + ",\"user\":" +
                   JsonString(c.user) + ",\"source\":" + JsonString(SourceName(c.source)) + ",\"action\":" +
                   JsonString(ActionName(c.action)) + ",\"location\":" + JsonString(location) + ",\"name\":" +
                   JsonString(c.name) + ",\"view\":" + JsonString(ViewName(c.view)) +
                   ",\"result\":" + JsonString(c.result) +
                   (c.action == ChangeAction::kUndo ? ",\"undoes\":" + std::to_string(c.undoes) : std::string()) +
                   (undoneBy ? ",\"undoneBy\":" + std::to_string(undoneBy) : std::string()) + "}\n";
  }
  return outcome;
}

namespace {

CommandOutcome Undo(EntryEngine& engine, uint64_t id) {
  CommandOutcome outcome;
  const UndoResult undone = engine.Undo(id);
  if (!undone.done) {
    outcome.exitCode = 1;
    outcome.err = undone.why + "\n";
    return outcome;
  }
  outcome.out = std::string("Undid change ") + std::to_string(id);
  if (undone.id) outcome.out.append(" as change ").append(std::to_string(undone.id));
  outcome.out += ".\n";
  // Undone, but not all is as it should be: the script is told, and does not take it for done.
  for (const std::string& note : undone.notes) outcome.err += note + "\n";
  if (!undone.notes.empty()) outcome.exitCode = 1;
  return outcome;
}

}  // namespace

std::optional<CommandOutcome> UndoCommand(EntryEngine& engine, const std::string& id) {
  if (id.empty() || id.size() > 19 || id.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  return Undo(engine, std::stoull(id));
}

}  // namespace kqm
