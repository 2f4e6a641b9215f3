#include "platform/substitute/substitute_shell.h"

#include "platform/lnk_reader.h"
#include "platform/text.h"

namespace kqm {

namespace {
constexpr int32_t kInvalidArgument = static_cast<int32_t>(0x80070057);
constexpr int32_t kFail = static_cast<int32_t>(0x80004005);
constexpr int32_t kFileNotFound = static_cast<int32_t>(0x80070002);

std::u16string Fold(const std::string& name) { return FoldCase(Utf8ToUtf16(name)); }
}  // namespace

SubstituteShell::SubstituteShell(FileSystem& fs) : fs_(&fs) {
  SetEnvironmentVariable("USERNAME", "user");
  SetEnvironmentVariable("SystemRoot", "C:\\windows");
  specialFolders_[7] = "C:\\users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp";
  specialFolders_[24] = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp";
}

void SubstituteShell::SetSpecialFolder(int32_t csidl, const std::string& path) {
  if (path.empty())
    specialFolders_.erase(csidl);
  else
    specialFolders_[csidl] = path;
}

void SubstituteShell::SetEnvironmentVariable(const std::string& name, const std::string& value) {
  environment_[Fold(name)] = {name, value};
}

void SubstituteShell::UnsetEnvironmentVariable(const std::string& name) { environment_.erase(Fold(name)); }

ShellText SubstituteShell::WindowsFolder() { return ShellText{0, windowsFolder_}; }

ShellText SubstituteShell::SpecialFolder(int32_t csidl, std::intptr_t) {
  const auto it = specialFolders_.find(csidl);
  if (it == specialFolders_.end()) return ShellText{kInvalidArgument, ""};
  return ShellText{0, it->second};
}

ShellText SubstituteShell::ExpandEnvironment(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const size_t open = text.find('%', i);
    if (open == std::string::npos) break;
    const size_t close = text.find('%', open + 1);
    if (close == std::string::npos) break;
    out.append(text, i, open - i);
    const auto it = environment_.find(Fold(text.substr(open + 1, close - open - 1)));
    if (close > open + 1 && it != environment_.end()) {
      out += it->second.second;
      i = close + 1;
    } else {
      // An unknown name stays as written; its closing "%" may open the next name.
      out.append(text, open, close - open);
      i = close;
    }
  }
  out.append(text, i, std::string::npos);
  return ShellText{0, out};
}

std::optional<std::string> SubstituteShell::EnvironmentVariable(const std::string& name) {
  const auto it = environment_.find(Fold(name));
  if (it == environment_.end()) return std::nullopt;
  return it->second.second;
}

ShellText SubstituteShell::ShortcutTarget(const std::string& shortcutPath) {
  const auto bytes = fs_->ReadWholeFile(shortcutPath);
  if (!bytes) return ShellText{kFileNotFound, ""};
  const auto link = ParseShortcut(*bytes, ansiCodePage_);
  if (!link) return ShellText{kFail, ""};
  return ShellText{0, link->target};
}

int32_t SubstituteShell::OpenWithAssociatedProgram(const std::string& pathOrAddress) {
  opened_.push_back(pathOrAddress);
  return openResult_;
}

void SubstituteShell::SetFileVersion(const std::string& path, const FileVersionFacts& facts) {
  versions_[Fold(path)] = facts;
}

std::optional<FileVersionFacts> SubstituteShell::FileVersion(const std::string& path) {
  const auto found = versions_.find(Fold(path));
  if (found == versions_.end()) return std::nullopt;
  return found->second;
}

}  // namespace kqm
