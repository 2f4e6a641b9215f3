#include <windows.h>

#include "platform/substitute/host_file_facts.h"
#include "platform/unique_handle.h"

namespace kqm {

namespace {

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = UniqueHandle<HANDLE, HandleCloser, nullptr>;

std::errc ToErrc(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return std::errc::no_such_file_or_directory;
    case ERROR_ACCESS_DENIED:
      return std::errc::permission_denied;
    case ERROR_SHARING_VIOLATION:
      return std::errc::device_or_resource_busy;
    default:
      return std::errc::io_error;
  }
}

}  // namespace

bool HostIsLink(const std::filesystem::path& host) {
  const DWORD attributes = GetFileAttributesW(host.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::optional<FileIdentity> HostIdentity(const std::filesystem::path& host, std::error_code& ec) {
  // The C library's stat gives no file numbers on Windows; the handle does. Backup semantics open folders too.
  HANDLE h = CreateFileW(host.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  const FileHandle file(h == INVALID_HANDLE_VALUE ? nullptr : h);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.get(), &info)) {
    ec = std::make_error_code(ToErrc(GetLastError()));
    return std::nullopt;
  }
  ec.clear();
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

}  // namespace kqm
