#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kqm {

class clsStartUp;
class FileSystem;

// What a command for scripts printed and how it ended.
struct CommandOutcome {
  // 0 done, 1 a move failed or a place could not be read (why on standard error), 2 bad arguments, 3 /check found
  // entries that differ from their wanted state
  int exitCode = 0;
  std::string out;   // for standard output (UTF-8)
  std::string err;   // for standard error
};

// What the commands for fleet engines need from outside the engine.
struct CommandContext {
  FileSystem* files = nullptr;  // reads a state file, and StartUp files for their content's hash; none: not read
  // All of standard input (a DSC instance, or a state file named "-"); nullopt when there is none to read.
  std::function<std::optional<std::string>()> readInput;
  std::string machine;  // the computer's name, for an export's heading
  std::string user;     // the user's name
  std::string time;     // now, UTC, as "YYYY-MM-DDThh:mm:ssZ"
};

// Runs the program's command line for scripts, with the same engine and the same checks as the window:
//   /list [LOCATION] [/json]     the entries of one location (or of all), one per line
//   /disable LOCATION NAME       switches an entry off      /enable LOCATION NAME   switches it on
//   /export [/json]              every entry of every location as one JSON document
//   /check FILE [/json]          which entries differ from the desired state FILE (exit code 3 when any does)
//   /apply FILE [/whatif] [/json]  brings the entries FILE names to their wanted state
//   /dsc get|set|test|export     the DSC resource's operations, the instance as JSON on standard input
//   /history [/json]             the changes made, newest first   /undo ID   takes change ID back
//   /?                           how to use it
// LOCATION is a navigation key: HKLMR HKLMRO HKLMS HKCUR HKCURO USER ALLUSERS. nullopt when `args` (the
// arguments after the program's name) are empty: the window is wanted.
std::optional<CommandOutcome> RunCommandLine(const std::vector<std::string>& args, clsStartUp& engine,
                                             const CommandContext& context = {});

// Whether a process's whole command line (the program's name first, quoted or not) names anything after the
// program, by the system's rule for where that name ends.
bool NamesArguments(std::u16string_view commandLine);

}  // namespace kqm
