#pragma once
#include <string>

#include "app/command_line.h"
#include "engine/entry_engine.h"

namespace kqm {

// The DSC resource type whose manifest calls "QuorvelManager.exe /dsc <operation>".
inline constexpr const char* kDscResourceType = "Kestrum.QuorvelManager/StartupEntry";

// One operation of the DSC resource. get, set and test read one instance (location, view, name, state, and
// optionally type, data and replace) as JSON on standard input and write the actual state as one JSON line (test
// adds "_inDesiredState"; set first switches the entry when it is not as wanted); export writes one JSON line per
// entry of every location. Exit code 0 done, 1 an error (why on standard error), 2 an unknown operation.
CommandOutcome RunDsc(EntryEngine& engine, const CommandContext& context, const std::string& operation);

}  // namespace kqm
