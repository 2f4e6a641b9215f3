#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/registry_api.h"

namespace kqm::test {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr const char* kRunServicesKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
inline constexpr const char* kStore = "Software\\Kestrum\\QuorvelManager\\Disabled\\";

// One stored value: its type and raw bytes.
struct Stored {
  uint32_t type = 0;
  std::string bytes;
};

// Writes a value through the seam, creating the key; true on success.
bool Put(RegistryApi& api, int32_t root, const std::string& path, const std::string& name, uint32_t type,
         const std::string& bytes);
bool PutText(RegistryApi& api, int32_t root, const std::string& path, const std::string& name,
             const std::string& text, uint32_t type = kRegSz);
bool PutDword(RegistryApi& api, int32_t root, const std::string& path, const std::string& name, uint32_t value);
// The value's type and bytes; nullopt when it is not there.
std::optional<Stored> Read(RegistryApi& api, int32_t root, const std::string& path, const std::string& name);
// The value's text when it is a string value; nullopt otherwise.
std::optional<std::string> ReadText(RegistryApi& api, int32_t root, const std::string& path,
                                    const std::string& name);
// The string bytes the program writes for `text` (UTF-16LE with a terminator).
std::string TextBytes(const std::string& text);
bool KeyExists(RegistryApi& api, int32_t root, const std::string& path);
// The key's value names in enumeration order.
std::vector<std::string> ValueNames(RegistryApi& api, int32_t root, const std::string& path);
// Deletes a value when it is there.
void Remove(RegistryApi& api, int32_t root, const std::string& path, const std::string& name);

}  // namespace kqm::test
