#pragma once
#include <string>

#include "engine/move_result.h"

namespace kqm {

// The text shown when a move of the entry named `name` did not complete: what was tried, what happened and why,
// and where the entry is now.
std::string NotMovedMessage(const std::string& name, bool toEnable, const MoveResult& result);
// The question asked before a move replaces a different entry of the same name.
std::string ReplaceQuestionText(const ReplaceQuestion& question);

}  // namespace kqm
