#pragma once
#include <cstdint>
#include <string>

namespace kqm::test {

// Writes a shortcut file through the shell's own link object; returns 0 or the failing HRESULT.
int32_t WriteShortcutWithShell(const std::string& linkPath, const std::string& target, const std::string& arguments,
                               const std::string& workingDirectory, const std::string& description);

}  // namespace kqm::test
