#pragma once
#include <memory>

#include "platform/shell.h"

namespace kqm {

// The real shell through shell32, ole32 and kernel32's wide entry points.
class Win32Shell final : public Shell {
 public:
  Win32Shell();
  ~Win32Shell() override;
  Win32Shell(const Win32Shell&) = delete;
  Win32Shell& operator=(const Win32Shell&) = delete;

  ShellText WindowsFolder() override;
  ShellText SpecialFolder(int32_t csidl, std::intptr_t ownerWindow) override;
  ShellText ExpandEnvironment(const std::string& text) override;
  std::optional<std::string> EnvironmentVariable(const std::string& name) override;
  ShellText ShortcutTarget(const std::string& shortcutPath) override;
  int32_t OpenWithAssociatedProgram(const std::string& pathOrAddress) override;
  int32_t RunElevated(const std::string& program, const std::string& parameters) override;
  int32_t ShowInFolder(const std::string& path) override;
  int32_t StartProgram(const std::string& program, const std::string& parameters) override;
  std::string RegistryEditorKeyText(const std::string& keyPath) override;
  std::optional<FileVersionFacts> FileVersion(const std::string& path) override;

 private:
  class LinkReader;
  // One shell link object for every shortcut read on the thread that made it (made on the first read).
  std::unique_ptr<LinkReader> links_;
};

}  // namespace kqm
