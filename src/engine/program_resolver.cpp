#include "engine/program_resolver.h"

#include <algorithm>
#include <cctype>

namespace kqm {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string TrimLeft(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : s.substr(first);
}

std::string FileNameOf(const std::string& path) {
  const size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool HasExtension(const std::string& path) { return FileNameOf(path).find('.') != std::string::npos; }

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && Lower(s.substr(s.size() - tail.size())) == tail;
}

// The existing file `path` names: as written, then with `extension` added when it has none; a bare name is
// looked for in the search folders. "" when there is none.
std::string Locate(const std::string& path, const ProgramLookup& lookup, const char* extension) {
  if (path.empty()) return {};
  std::vector<std::string> names{path};
  if (extension && !HasExtension(path)) names.push_back(path + extension);
  for (const std::string& name : names) {
    if (name.find_first_of("\\/:") != std::string::npos) {
      if (lookup.isFile(name)) return name;
      continue;
    }
    for (const std::string& folder : lookup.searchFolders) {
      const std::string candidate = folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
      if (lookup.isFile(candidate)) return candidate;
    }
  }
  return {};
}

ResolvedProgram Found(const std::string& written, const std::string& located) {
  return located.empty() ? ResolvedProgram{written, false} : ResolvedProgram{located, true};
}

// The program part of a command line and what follows it. Unquoted, each prefix ending at a space is tried,
// as the system tries "C:\Program.exe" before "C:\Program Files\App.exe".
struct ProgramPart {
  std::string written;  // the program as the command spells it
  std::string located;  // the existing file, "" when none was found
  std::string rest;
};

ProgramPart SplitProgram(const std::string& command, const ProgramLookup& lookup) {
  const std::string s = TrimLeft(command);
  if (!s.empty() && s[0] == '"') {
    const size_t end = s.find('"', 1);
    const std::string written = s.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    return {written, Locate(written, lookup, ".exe"), end == std::string::npos ? "" : s.substr(end + 1)};
  }
  for (size_t space = s.find(' ');; space = s.find(' ', space + 1)) {
    const std::string candidate = s.substr(0, space);
    if (const std::string located = Locate(candidate, lookup, ".exe"); !located.empty())
      return {candidate, located, space == std::string::npos ? "" : s.substr(space)};
    if (space == std::string::npos) break;
  }
  const size_t space = s.find(' ');
  return {s.substr(0, space), "", space == std::string::npos ? "" : s.substr(space)};
}

std::string Quoted(const std::string& argument) {
  if (argument.find_first_of(" \t") == std::string::npos) return argument;
  std::string quoted(1, '"');
  quoted += argument;
  quoted += '"';
  return quoted;
}

// What "cmd /c" runs: its command, without a leading "start", start's title and its switches.
std::string CommandAfterStart(const std::vector<std::string>& args, size_t from) {
  size_t i = from;
  if (i < args.size() && Lower(args[i]) == "start") {
    ++i;
    // A first argument that had to be quoted (empty or with blanks) is the window's title when more follow.
    if (i + 1 < args.size() && (args[i].empty() || args[i].find_first_of(" \t") != std::string::npos)) ++i;
    while (i < args.size() && !args[i].empty() && args[i][0] == '/') i += Lower(args[i]) == "/d" ? 2 : 1;
  }
  std::string command;
  for (; i < args.size(); ++i) {
    if (!command.empty()) command += ' ';
    command += Quoted(args[i]);
  }
  return command;
}

ResolvedProgram Resolve(const std::string& commandLine, const ProgramLookup& lookup, int depth) {
  const ProgramPart part = SplitProgram(lookup.expand(commandLine), lookup);
  const std::string program = part.located.empty() ? part.written : part.located;
  std::string host = Lower(FileNameOf(program));
  if (EndsWith(host, ".exe")) host.resize(host.size() - 4);
  const std::vector<std::string> args = SplitArguments(part.rest);
  auto firstOperand = [&](bool slashSwitches) -> std::string {
    for (const std::string& a : args)
      if (!a.empty() && !(slashSwitches && a[0] == '/') && a[0] != '-') return a;
    return {};
  };

  if (host == "rundll32") {
    // "rundll32 shell32.dll,Control_RunDLL x": the library, up to its entry point.
    std::string library = args.empty() ? std::string() : args[0].substr(0, args[0].find(','));
    if (library.empty()) return Found(program, part.located);
    return Found(library, Locate(library, lookup, ".dll"));
  }
  if (host == "regsvr32") {
    const std::string library = firstOperand(true);
    if (!library.empty()) return Found(library, Locate(library, lookup, nullptr));
  }
  if (host == "wscript" || host == "cscript" || host == "mshta") {
    const std::string script = firstOperand(true);
    if (!script.empty()) return Found(script, Locate(script, lookup, nullptr));
  }
  if (host == "powershell" || host == "pwsh") {
    for (size_t i = 0; i + 1 < args.size(); ++i)
      if (Lower(args[i]) == "-file") return Found(args[i + 1], Locate(args[i + 1], lookup, nullptr));
  }
  if (host == "cmd" && depth < 4) {
    for (size_t i = 0; i < args.size(); ++i)
      if (Lower(args[i]) == "/c" || Lower(args[i]) == "/k") {
        const std::string command = CommandAfterStart(args, i + 1);
        if (!command.empty()) return Resolve(command, lookup, depth + 1);
        break;
      }
  }
  if (!part.located.empty() && EndsWith(part.located, ".lnk") && lookup.shortcutTarget) {
    const std::string target = lookup.shortcutTarget(part.located);
    if (!target.empty()) return {target, lookup.isFile(target)};
  }
  return Found(part.written, part.located);
}

}  // namespace

std::vector<std::string> SplitArguments(const std::string& commandLine) {
  std::vector<std::string> args;
  std::string current;
  bool inQuotes = false, any = false;
  for (size_t i = 0; i < commandLine.size();) {
    const char c = commandLine[i];
    if (c == '\\') {
      size_t slashes = 0;
      while (i < commandLine.size() && commandLine[i] == '\\') ++slashes, ++i;
      if (i < commandLine.size() && commandLine[i] == '"') {
        current.append(slashes / 2, '\\');
        if (slashes % 2) {
          current += '"';
          ++i;
        }
      } else {
        current.append(slashes, '\\');
      }
      any = true;
      continue;
    }
    if (c == '"') {
      if (inQuotes && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
        current += '"';  // "" inside quotes is one quote
        i += 2;
        continue;
      }
      inQuotes = !inQuotes;
      any = true;
      ++i;
      continue;
    }
    if ((c == ' ' || c == '\t') && !inQuotes) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
      ++i;
      continue;
    }
    current += c;
    any = true;
    ++i;
  }
  if (any) args.push_back(current);
  return args;
}

ResolvedProgram ResolveProgram(const std::string& commandLine, const ProgramLookup& lookup) {
  return Resolve(commandLine, lookup, 0);
}

}  // namespace kqm
