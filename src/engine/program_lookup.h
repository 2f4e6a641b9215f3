#pragma once
#include "engine/program_resolver.h"
#include "platform/file_system.h"
#include "platform/registry_api.h"
#include "platform/shell.h"

namespace kqm {

// How this machine finds the program a command line starts: its files, its environment (expanded through the
// registry's expansion), shortcut targets through the shell, and the search folders (the system folder, the
// Windows folder, then the PATH).
ProgramLookup MakeProgramLookup(FileSystem& fs, RegistryApi& api, Shell& shell);

}  // namespace kqm
