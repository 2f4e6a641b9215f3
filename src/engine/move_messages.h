#pragma once
#include <string>

#include "engine/move_result.h"

namespace kqm {

// The text shown when a move of the entry named `name` did not complete: what was tried, what happened and why,
// and where the entry is now.
std::string NotMovedMessage(const std::string& name, bool toEnable, const MoveResult& result);
// A platform status in words ("the disk is full"), for the statuses a move or a read meets.
std::string StatusText(uint32_t code);
// The line that tells of a place a read could not list.
std::string ReadProblemText(const std::string& place, uint32_t code);
// The note for a flag of Windows' own at `place` that could not be set to "on".
std::string StillKeptOffNote(const std::string& place, uint32_t code);
// The text shown when a move completed but left notes: what was done, then the notes.
std::string MovedWithNotesMessage(const std::string& name, bool toEnable, const MoveResult& result);
// The question asked before a file the program did not put in the Disabled folder (or that has changed since) is
// moved into a StartUp folder.
std::string UntrustedQuestionText(const UntrustedQuestion& question);
// The question asked before a move replaces a different entry of the same name.
std::string ReplaceQuestionText(const ReplaceQuestion& question);

}  // namespace kqm
