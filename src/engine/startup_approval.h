#pragma once
#include <cstdint>
#include <string>
#include <unordered_set>

#include "engine/registry_values.h"

namespace kqm {

// Windows' own startup approval: binary values named like the entry below
// root\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\<list>; an odd first byte keeps the
// entry from starting.
inline constexpr const char* kApprovedBase =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";

// The key of one approval list.
RegPlace ApprovalPlace(int32_t root, const std::string& list);
// Whether a flag's bytes keep its entry from starting.
bool SwitchedOff(const RawValue& flag);
// The names (folded) that the list marks as switched off.
std::unordered_set<std::u16string> SwitchedOffNames(RegistryApi& api, int32_t root, const std::string& list);
// Writes the form Windows writes for "off" (03 00 00 00, then `fileTime`, the moment it was switched off in 100 ns
// steps since 1601-01-01 UTC, little-endian), so that Windows keeps an entry of that name from starting should its
// program add it again; 0 when it reads back, else the failing status.
int32_t SetSwitchedOff(RegistryApi& api, int32_t root, const std::string& list, const std::string& name,
                       uint64_t fileTime);
// The system clock now, as a FILETIME value.
uint64_t FileTimeNow();
// Writes the form Windows writes for "on" over a flag that keeps `name` switched off; 0 when none does (any
// more), else the failing status.
int32_t ClearSwitchedOff(RegistryApi& api, int32_t root, const std::string& list, const std::string& name);

}  // namespace kqm
