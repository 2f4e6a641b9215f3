#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kqm {

// What a shortcut (.lnk) file says, texts in UTF-8.
struct ShortcutData {
  uint32_t linkFlags = 0;
  std::string target;            // the best available target path ("" when the link names no file-system path)
  std::string idListPath;        // the path spelled by the item-id list, "" when it holds none
  std::string localBasePath;     // the link-info path as stored (a lossy code-page text when not Unicode)
  std::string description;
  std::string relativePath;
  std::string workingDirectory;
  std::string arguments;
  std::string iconLocation;
};

// Reads a shortcut file's bytes; nullopt when they are not a shortcut. Never reads outside `bytes`.
// The target is the link-info path when it is Unicode or plain ASCII, else the item-id list's Unicode names
// (a code-page path has lost every character its code page lacks), else the network or environment forms.
std::optional<ShortcutData> ParseShortcut(std::string_view bytes);

}  // namespace kqm
