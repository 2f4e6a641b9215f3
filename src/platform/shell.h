#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace kqm {

// Special-folder numbers (the shell's CSIDL numbering) the program asks for.
namespace special_folder {
constexpr int32_t kStartUp = 7;         // the current user's StartUp folder
constexpr int32_t kCommonStartUp = 24;  // the StartUp folder shared by all users
}  // namespace special_folder

// Result of a shell query: `status` is 0 on success, else an HRESULT or Windows error code, with `value` empty.
struct ShellText {
  int32_t status = 0;
  std::string value;
  bool ok() const { return status == 0; }
};

// What a file's version resource says about it (its first language's strings); fields it lacks are "".
struct FileVersionFacts {
  std::string description;  // FileDescription
  std::string company;      // CompanyName
  std::string version;      // FileVersion as written, else the fixed part's four numbers
};

// The shell and environment services the program uses. All text is UTF-8.
class Shell {
 public:
  virtual ~Shell() = default;

  // The Windows folder, without a trailing backslash.
  virtual ShellText WindowsFolder() = 0;
  // The path of a special folder (special_folder numbers) for an owner window handle (0 = none), no trailing "\".
  virtual ShellText SpecialFolder(int32_t csidl, std::intptr_t ownerWindow) = 0;
  // Replaces each %NAME% of a defined variable by its value; undefined ones stay as written.
  virtual ShellText ExpandEnvironment(const std::string& text) = 0;
  // The value of one environment variable; nullopt when it is not defined.
  virtual std::optional<std::string> EnvironmentVariable(const std::string& name) = 0;
  // The target path of a shortcut (.lnk) file; status non-zero when the file cannot be read as a shortcut.
  virtual ShellText ShortcutTarget(const std::string& shortcutPath) = 0;
  // Opens a document, folder or address with its associated program (verb "open", shown normally).
  // Returns 0 on success, else an error code.
  virtual int32_t OpenWithAssociatedProgram(const std::string& pathOrAddress) = 0;
  // Starts a program with administrator rights (the verb "runas"; the system asks the user to agree).
  // Returns 0 once it is started, else an error code (50 where the shell cannot do it).
  virtual int32_t RunElevated(const std::string& program, const std::string& parameters) {
    static_cast<void>(program);
    static_cast<void>(parameters);
    return 50;
  }
  // Opens the folder holding the file `path` in the file manager with the file selected. Returns 0 once asked,
  // else an error code (50 where the shell cannot do it).
  virtual int32_t ShowInFolder(const std::string& path) {
    static_cast<void>(path);
    return 50;
  }
  // Starts a program (a path or a name the system finds) with its parameters, shown normally. Returns 0 once it
  // is started, else an error code (50 where the shell cannot do it).
  virtual int32_t StartProgram(const std::string& program, const std::string& parameters) {
    static_cast<void>(program);
    static_cast<void>(parameters);
    return 50;
  }
  // The text the registry editor keeps as the key it was left at ("LastKey") for a key path written
  // "HKEY_CURRENT_USER\Software\...": below the tree's "Computer" item, as Windows' editor reads it.
  virtual std::string RegistryEditorKeyText(const std::string& keyPath) { return "Computer\\" + keyPath; }
  // The version resource of a file; nullopt when it has none or cannot be read.
  virtual std::optional<FileVersionFacts> FileVersion(const std::string& path) {
    static_cast<void>(path);
    return std::nullopt;
  }
};

}  // namespace kqm
