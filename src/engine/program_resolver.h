#pragma once
#include <functional>
#include <string>
#include <vector>

namespace kqm {

// How the resolver sees the machine: all paths are Windows paths in UTF-8.
struct ProgramLookup {
  // True when the path names an existing file (not a folder).
  std::function<bool(const std::string& path)> isFile;
  // The text with its %NAME% variables replaced (undefined ones left as written).
  std::function<std::string(const std::string& text)> expand;
  // The target of a shortcut file, "" when it cannot be read.
  std::function<std::string(const std::string& shortcut)> shortcutTarget;
  // Where a bare program name is looked for, in order (the system folder, the Windows folder, the PATH).
  std::vector<std::string> searchFolders;
};

// The program a startup entry runs, and whether its file exists.
struct ResolvedProgram {
  std::string path;     // the file found, or the best reading of the command when none is
  bool exists = false;
};

// Finds the file a command line starts, the way the system would: a quoted path; an unquoted path with spaces
// tried prefix by prefix (with ".exe" added where the name has no extension); bare names in the search folders;
// environment variables expanded for the lookup only; a shortcut's target; and, for the hosts that run another
// file (rundll32, cmd /c or /k with start, wscript, cscript, mshta, powershell -File, regsvr32), that file.
// Its cost grows linearly with the command: at most 32 prefixes are tried, each path is looked up once, and a
// command longer than a command line can be (32,766 UTF-16 characters and its null) is not looked up (exists false).
ResolvedProgram ResolveProgram(const std::string& commandLine, const ProgramLookup& lookup);

// The command line split into arguments as the system's C runtime splits it (quotes group, "" and \" escape).
std::vector<std::string> SplitArguments(const std::string& commandLine);

}  // namespace kqm
