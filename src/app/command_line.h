#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kqm {

class clsStartUp;

// What a command for scripts printed and how it ended.
struct CommandOutcome {
  int exitCode = 0;  // 0 done, 1 a move failed or a place could not be read (why on standard error), 2 bad arguments
  std::string out;   // for standard output (UTF-8)
  std::string err;   // for standard error
};

// Runs the program's command line for scripts, with the same engine and the same checks as the window:
//   /list [LOCATION] [/json]     the entries of one location (or of all), one per line
//   /disable LOCATION NAME       switches an entry off      /enable LOCATION NAME   switches it on
//   /history [/json]             the changes made, newest first   /undo ID   takes change ID back
//   /?                           how to use it
// LOCATION is a navigation key: HKLMR HKLMRO HKLMS HKCUR HKCURO USER ALLUSERS. nullopt when `args` (the
// arguments after the program's name) are empty: the window is wanted.
std::optional<CommandOutcome> RunCommandLine(const std::vector<std::string>& args, clsStartUp& engine);

// `text` with what would break its line escaped: an unpaired surrogate of a name as its \\uXXXX escape, and
// control characters as \\u00XX in JSON (quotes and backslashes too) or \\xNN in a plain-text field.
std::string Escaped(const std::string& text, bool json);

// Whether a process's whole command line (the program's name first, quoted or not) names anything after the
// program, by the system's rule for where that name ends.
bool NamesArguments(std::u16string_view commandLine);

}  // namespace kqm
