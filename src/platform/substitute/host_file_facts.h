#pragma once
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/file_system.h"

namespace kqm {

// What the host says of its own files where the portable library has no word for it (the build picks the POSIX
// or the Windows answer). Host paths, as std::filesystem takes them.

// True when `host` itself (not followed) is a symbolic link, or on Windows any reparse point.
bool HostIsLink(const std::filesystem::path& host);
// The identity of what `host` reaches, links followed; nullopt with `ec` set (a generic errno condition) when the
// host cannot tell.
std::optional<FileIdentity> HostIdentity(const std::filesystem::path& host, std::error_code& ec);

}  // namespace kqm
