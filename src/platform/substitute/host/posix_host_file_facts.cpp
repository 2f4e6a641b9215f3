#include <cerrno>

#include <sys/stat.h>

#include "platform/substitute/host_file_facts.h"

namespace kqm {

bool HostIsLink(const std::filesystem::path& host) {
  struct stat st {};
  return ::lstat(host.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::optional<FileIdentity> HostIdentity(const std::filesystem::path& host, std::error_code& ec) {
  struct stat st {};
  if (::stat(host.c_str(), &st) != 0) {
    ec.assign(errno, std::generic_category());
    return std::nullopt;
  }
  ec.clear();
  return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

}  // namespace kqm
