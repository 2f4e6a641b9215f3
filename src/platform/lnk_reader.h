#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kqm {

// What a shortcut (.lnk) file says, every text valid UTF-8.
struct ShortcutData {
  uint32_t linkFlags = 0;
  std::string target;            // the best available target path ("" when the link names no file-system path);
                                 // for an installer-advertised shortcut "(installer shortcut: <descriptor>)"
  std::string idListPath;        // the path spelled by the item-id list, "" when it holds none
  std::string localBasePath;     // the link-info path as stored (a lossy code-page text when not Unicode)
  std::string description;
  std::string relativePath;
  std::string workingDirectory;
  std::string arguments;
  std::string iconLocation;
  std::string installerDescriptor;  // the installer's name for the program of an advertised shortcut, else ""
};

// Reads a shortcut file's bytes; nullopt when they are not a shortcut. Never reads outside `bytes`.
// Code-page fields are read in `ansiCodePage`, the ANSI code page of the system that wrote the link (as a rule
// the reading system's own). A string field that cannot be read or used is left empty; the rest stays.
// The target is the link-info path when it is Unicode or plain ASCII, else the item-id list's Unicode names
// (a code-page path has lost every character its code page lacks), else the network or environment forms.
std::optional<ShortcutData> ParseShortcut(std::string_view bytes, uint32_t ansiCodePage = 1252);

}  // namespace kqm
