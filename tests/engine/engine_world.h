#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/list_view.h"
#include "platform/move_lock.h"
#include "platform/shell.h"

namespace kqm::test {

// Shortcut targets the tests use (natively a shell-made sample file stands for each).
enum class Sample { kProgram, kFolder, kDocument };
std::string SampleTarget(Sample sample);

// The file system and shell the engine's folder tests run against: the substitutes over a temporary host
// folder natively, the real services and the Wine prefix's own StartUp folders in the Windows build.
class EngineWorld {
 public:
  virtual ~EngineWorld() = default;
  virtual FileSystem& Files() = 0;
  virtual Shell& TheShell() = 0;
  // The live StartUp folder the shell names (no trailing "\"); it exists.
  virtual std::string StartUpFolder(bool bAll) = 0;
  // A program folder of this world's own beside the test program, followed by "Disabled\" (not created).
  virtual std::string DisabledPath() = 0;
  // An empty folder of this world's own (no trailing "\").
  virtual std::string Scratch() = 0;
  // An empty folder of this world's own on another volume than the StartUp folders, so that a move there copies
  // (no trailing "\"); "" when the machine has no such volume.
  virtual std::string OtherVolume() = 0;
  // Writes a shortcut to `sample`'s target at `path` the way the system does; true on success.
  virtual bool MakeShortcut(const std::string& path, Sample sample) = 0;
  // True when the real services are in use.
  virtual bool IsReal() const = 0;
};

std::unique_ptr<EngineWorld> MakeEngineWorld();
// A move lock as one copy of the program holds it: the machine's named one in the Windows build, the process's
// natively. Each call gives another copy's handle on the same lock.
std::unique_ptr<MoveLock> MakeMoveLock();

// A name no other test or process uses: "kqm-<stem>-<process>-<n>".
std::string UniqueName(const std::string& stem);

// A shell that passes everything on, except the special folders and the user name it is told to answer.
class SteeredShell final : public Shell {
 public:
  explicit SteeredShell(Shell& inner) : inner_(inner) {}
  // Answers special folder `csidl` with `path`, or with a failure when `path` is nullopt.
  void Folder(int32_t csidl, std::optional<std::string> path) { folders_.push_back({csidl, std::move(path)}); }
  // Answers "%USERNAME%" with `name`.
  void UserName(std::string name) { userName_ = std::move(name); }

  ShellText WindowsFolder() override { return inner_.WindowsFolder(); }
  ShellText SpecialFolder(int32_t csidl, std::intptr_t owner) override;
  ShellText ExpandEnvironment(const std::string& text) override;
  std::optional<std::string> EnvironmentVariable(const std::string& name) override {
    return inner_.EnvironmentVariable(name);
  }
  ShellText ShortcutTarget(const std::string& path) override { return inner_.ShortcutTarget(path); }
  int32_t OpenWithAssociatedProgram(const std::string& path) override {
    return inner_.OpenWithAssociatedProgram(path);
  }
  int32_t RunElevated(const std::string& program, const std::string& parameters) override {
    return inner_.RunElevated(program, parameters);
  }

 private:
  Shell& inner_;
  std::vector<std::pair<int32_t, std::optional<std::string>>> folders_;
  std::optional<std::string> userName_;
};

// One list row as plain data, for comparisons.
struct RowData {
  std::string text;
  bool checked = false;
  std::string tag;
  int32_t icon = 0;
  std::string path;
  bool operator==(const RowData&) const = default;
};
// The rows of a list, in order; with `prefix`, only those whose text starts with it.
std::vector<RowData> Rows(ListView& list, const std::string& prefix = "");
// Prints a row in failure messages.
void PrintTo(const RowData& row, std::ostream* os);

}  // namespace kqm::test
