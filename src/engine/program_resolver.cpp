#include "engine/program_resolver.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

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

// The most characters CreateProcess takes on a command line, its terminating null included.
constexpr size_t kLongestCommandLine = 32767;
// Real install paths hold a handful of spaces, so 32 prefixes find any of them; a value padded with more costs no more.
constexpr size_t kMostProgramPrefixes = 32;

// True when the system would refuse to start the command: longer, in UTF-16 characters, than a command line can be.
bool LongerThanACommandLine(const std::string& command) {
  if (command.size() < kLongestCommandLine) return false;  // never fewer bytes of UTF-8 than UTF-16 characters
  size_t characters = 1;  // the terminating null
  for (const char c : command) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) characters += byte >= 0xF0 ? 2 : 1;  // a four-byte sequence is a surrogate pair
  }
  return characters > kLongestCommandLine;
}

// The lookups of one resolution: each path is asked of the machine once (compared without regard to case, as
// Windows compares paths; the PATH often names the system folders again).
class Files {
 public:
  explicit Files(const ProgramLookup& lookup) : lookup_(lookup) {}
  const ProgramLookup& Lookup() const { return lookup_; }
  bool IsFile(const std::string& path) {
    const auto [known, added] = answers_.try_emplace(Lower(path), false);
    if (added) known->second = lookup_.isFile(path);
    return known->second;
  }

 private:
  const ProgramLookup& lookup_;
  std::unordered_map<std::string, bool> answers_;
};

// The existing file `path` names: as written, then with `extension` added when it has none; a bare name is
// looked for in the search folders. "" when there is none.
std::string Locate(const std::string& path, Files& files, const char* extension) {
  if (path.empty()) return {};
  std::vector<std::string> names{path};
  if (extension && !HasExtension(path)) names.push_back(path + extension);
  for (const std::string& name : names) {
    if (name.find_first_of("\\/:") != std::string::npos) {
      if (files.IsFile(name)) return name;
      continue;
    }
    for (const std::string& folder : files.Lookup().searchFolders) {
      const std::string candidate = folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
      if (files.IsFile(candidate)) return candidate;
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

// The program part as written, nothing looked up: the quoted path, or the text up to the first space.
ProgramPart WrittenProgram(const std::string& s) {
  if (!s.empty() && s[0] == '"') {
    const size_t end = s.find('"', 1);
    return {s.substr(1, end == std::string::npos ? std::string::npos : end - 1), "",
            end == std::string::npos ? "" : s.substr(end + 1)};
  }
  const size_t space = s.find(' ');
  return {s.substr(0, space), "", space == std::string::npos ? "" : s.substr(space)};
}

ProgramPart SplitProgram(const std::string& command, Files& files) {
  const std::string s = TrimLeft(command);
  if (!s.empty() && s[0] == '"') {
    ProgramPart part = WrittenProgram(s);
    part.located = Locate(part.written, files, ".exe");
    return part;
  }
  size_t space = s.find(' ');
  for (size_t tried = 0; tried < kMostProgramPrefixes; ++tried) {
    std::string candidate = s.substr(0, space);
    if (std::string located = Locate(candidate, files, ".exe"); !located.empty())
      return {std::move(candidate), std::move(located), space == std::string::npos ? "" : s.substr(space)};
    if (space == std::string::npos) break;
    space = s.find(' ', space + 1);
  }
  return WrittenProgram(s);
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

ResolvedProgram Resolve(const std::string& commandLine, Files& files, int depth) {
  // Too long to start, and too long to expand (the system expands at most 32K characters): nothing to look up.
  if (LongerThanACommandLine(commandLine)) return {WrittenProgram(TrimLeft(commandLine)).written, false};
  const ProgramLookup& lookup = files.Lookup();
  const std::string command = lookup.expand(commandLine);
  if (LongerThanACommandLine(command)) return {WrittenProgram(TrimLeft(command)).written, false};
  const ProgramPart part = SplitProgram(command, files);
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
    return Found(library, Locate(library, files, ".dll"));
  }
  if (host == "regsvr32") {
    const std::string library = firstOperand(true);
    if (!library.empty()) return Found(library, Locate(library, files, nullptr));
  }
  if (host == "wscript" || host == "cscript" || host == "mshta") {
    const std::string script = firstOperand(true);
    if (!script.empty()) return Found(script, Locate(script, files, nullptr));
  }
  if (host == "powershell" || host == "pwsh") {
    for (size_t i = 0; i + 1 < args.size(); ++i)
      if (Lower(args[i]) == "-file") return Found(args[i + 1], Locate(args[i + 1], files, nullptr));
  }
  if (host == "cmd" && depth < 4) {
    for (size_t i = 0; i < args.size(); ++i)
      if (Lower(args[i]) == "/c" || Lower(args[i]) == "/k") {
        const std::string started = CommandAfterStart(args, i + 1);
        if (!started.empty()) return Resolve(started, files, depth + 1);
        break;
      }
  }
  if (!part.located.empty() && EndsWith(part.located, ".lnk") && lookup.shortcutTarget) {
    const std::string target = lookup.shortcutTarget(part.located);
    if (!target.empty()) return {target, files.IsFile(target)};
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
  Files files(lookup);
  return Resolve(commandLine, files, 0);
}

}  // namespace kqm
