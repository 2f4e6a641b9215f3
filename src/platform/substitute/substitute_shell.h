#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/shell.h"

namespace kqm {

// A stand-in for the shell: the Windows folder, special folders and environment are whatever the owner sets
// (defaults: "C:\windows", USERNAME "user", StartUp folders under "C:\users\user" and "C:\ProgramData"),
// shortcut files are read from the given file system by the program's own reader, and opened documents are
// recorded instead of opened.
class SubstituteShell final : public Shell {
 public:
  explicit SubstituteShell(FileSystem& fs);

  void SetWindowsFolder(const std::string& path) { windowsFolder_ = path; }
  // Sets (or, with an empty path, removes) the path of a special folder.
  void SetSpecialFolder(int32_t csidl, const std::string& path);
  // Sets an environment variable (names compare without regard to case).
  void SetEnvironmentVariable(const std::string& name, const std::string& value);
  void UnsetEnvironmentVariable(const std::string& name);
  // The system's ANSI code page that shortcut files are read in (default 1252).
  void SetAnsiCodePage(uint32_t codePage) { ansiCodePage_ = codePage; }
  // What OpenWithAssociatedProgram answers from now on (0 = success).
  void SetOpenResult(int32_t status) { openResult_ = status; }
  // Every path or address handed to OpenWithAssociatedProgram, in order.
  const std::vector<std::string>& OpenedPaths() const { return opened_; }

  ShellText WindowsFolder() override;
  ShellText SpecialFolder(int32_t csidl, std::intptr_t ownerWindow) override;
  ShellText ExpandEnvironment(const std::string& text) override;
  std::optional<std::string> EnvironmentVariable(const std::string& name) override;
  ShellText ShortcutTarget(const std::string& shortcutPath) override;
  int32_t OpenWithAssociatedProgram(const std::string& pathOrAddress) override;
  // Records the program and its parameters ("program parameters") and answers as SetOpenResult says.
  int32_t RunElevated(const std::string& program, const std::string& parameters) override {
    elevated_.push_back(program + " " + parameters);
    return openResult_;
  }
  const std::vector<std::string>& ElevatedRuns() const { return elevated_; }
  // Records "select <path>" and answers as SetOpenResult says.
  int32_t ShowInFolder(const std::string& path) override {
    started_.push_back("select " + path);
    return openResult_;
  }
  // Records "run <program> <parameters>" and answers as SetOpenResult says.
  int32_t StartProgram(const std::string& program, const std::string& parameters) override {
    started_.push_back("run " + program + " " + parameters);
    return openResult_;
  }
  // What ShowInFolder and StartProgram were asked, in order.
  const std::vector<std::string>& Started() const { return started_; }
  // Gives the file at `path` (compared without regard to case) a version resource saying `facts`.
  void SetFileVersion(const std::string& path, const FileVersionFacts& facts);
  std::optional<FileVersionFacts> FileVersion(const std::string& path) override;

 private:
  FileSystem* fs_;
  std::string windowsFolder_ = "C:\\windows";
  std::map<int32_t, std::string> specialFolders_;
  std::map<std::u16string, std::pair<std::string, std::string>> environment_;  // folded name -> (name, value)
  std::vector<std::string> opened_;
  std::vector<std::string> elevated_;
  std::vector<std::string> started_;
  int32_t openResult_ = 0;
  uint32_t ansiCodePage_ = 1252;
  std::map<std::u16string, FileVersionFacts> versions_;  // folded path -> facts
};

}  // namespace kqm
