#include "engine/program_lookup.h"

#include <algorithm>

#include "fileinfo/basFile_Kebbo.h"
#include "platform/text.h"

namespace kqm {

ProgramLookup MakeProgramLookup(FileSystem& fs, RegistryApi& api, Shell& shell) {
  ProgramLookup lookup;
  lookup.isFile = [&fs](const std::string& path) {
    const auto attributes = fs.Attributes(path);
    return attributes && !(*attributes & file_attribute::kDirectory);
  };
  lookup.expand = [&api](const std::string& text) {
    const std::u16string source = Utf8ToUtf16(text);
    const uint32_t needed = api.ExpandEnvironment(source, nullptr, 0);
    if (needed == 0) return text;
    std::u16string expanded(needed, u'\0');
    api.ExpandEnvironment(source, expanded.data(), needed);
    expanded.resize(needed - 1);
    return Utf16ToUtf8(expanded);
  };
  lookup.shortcutTarget = [&shell](const std::string& shortcut) {
    const ShellText target = shell.ShortcutTarget(shortcut);
    return target.ok() ? target.value : std::string();
  };
  const std::string windows = WindowsFolder(shell);
  if (!windows.empty()) lookup.searchFolders = {windows + "\\system32", windows};
  if (const auto path = shell.EnvironmentVariable("PATH")) {
    for (size_t start = 0; start <= path->size();) {
      const size_t end = std::min(path->find(';', start), path->size());
      if (end > start) lookup.searchFolders.push_back(path->substr(start, end - start));
      start = end + 1;
    }
  }
  return lookup;
}

}  // namespace kqm
