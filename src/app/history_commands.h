#pragma once
#include <optional>
#include <string>

#include "app/command_line.h"

namespace kqm {

class EntryEngine;

// /history [/json]: the changes of both stores, newest first: a line of tab-separated fields each (id, time, user,
// source, action, location, name, result), or with `json` one JSON object each with the fields id, time, user,
// source, action, location, name, view and result (and undoes, undoneBy where they apply).
CommandOutcome HistoryCommand(EntryEngine& engine, bool json);
// /undo ID: takes the change back; exit code 0, or 1 with the reason on standard error. nullopt when `id` is no
// change's id (not a decimal number).
std::optional<CommandOutcome> UndoCommand(EntryEngine& engine, const std::string& id);

}  // namespace kqm
