#include "platform/win32/win32_file_system.h"

#include <algorithm>
#include <vector>
#include <windows.h>
#include <lzexpand.h>

#include "platform/expanded_name.h"
#include "platform/unique_handle.h"
#include "platform/win32/win32_wide_text.h"

namespace kqm {

namespace {

struct FindCloser {
  void operator()(HANDLE h) const { FindClose(h); }
};
struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using FindHandle = UniqueHandle<HANDLE, FindCloser, nullptr>;
using FileHandle = UniqueHandle<HANDLE, HandleCloser, nullptr>;

FileTime ToFileTime(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

uint32_t Fail(uint32_t* error) {
  const uint32_t code = GetLastError();
  if (error) *error = code;
  return code;
}

uint32_t Status(BOOL ok) { return ok ? 0 : GetLastError(); }

FoundFile ToFoundFile(const WIN32_FIND_DATAW& data) {
  FoundFile f;
  f.name = Narrow(data.cFileName);
  f.shortName = Narrow(data.cAlternateFileName);
  f.attributes = data.dwFileAttributes;
  f.creationTime = ToFileTime(data.ftCreationTime);
  f.lastAccessTime = ToFileTime(data.ftLastAccessTime);
  f.lastWriteTime = ToFileTime(data.ftLastWriteTime);
  f.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return f;
}

// An open handle for reading; the invalid-handle value becomes "owns nothing".
FileHandle OpenForReading(const std::string& path) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  return FileHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

class Win32FileSearch final : public FileSearch {
 public:
  explicit Win32FileSearch(FindHandle handle) : handle_(std::move(handle)) {}
  bool Next(FoundFile& entry) override {
    WIN32_FIND_DATAW data{};
    if (!FindNextFileW(handle_.get(), &data)) return false;
    entry = ToFoundFile(data);
    return true;
  }

 private:
  FindHandle handle_;
};

// Calls a "fill this buffer of n characters" function, growing the buffer when the result does not fit.
template <typename Fill>
std::optional<std::string> FillGrowing(Fill&& fill, uint32_t* error) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD n = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      Fail(error);
      return std::nullopt;
    }
    if (n < buffer.size()) return Narrow(buffer.data());
    buffer.assign(n + 1, L'\0');
  }
  if (error) *error = ERROR_INSUFFICIENT_BUFFER;
  return std::nullopt;
}

}  // namespace

std::unique_ptr<FileSearch> Win32FileSystem::FindFirst(const std::string& spec, FoundFile& first, uint32_t* error) {
  WIN32_FIND_DATAW data{};
  HANDLE h = FindFirstFileW(Wide(spec).c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) {
    Fail(error);
    return nullptr;
  }
  first = ToFoundFile(data);
  return std::make_unique<Win32FileSearch>(FindHandle(h));
}

std::optional<uint32_t> Win32FileSystem::Attributes(const std::string& path, uint32_t* error) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    Fail(error);
    return std::nullopt;
  }
  return attributes;
}

uint32_t Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  return Status(SetFileAttributesW(Wide(path).c_str(), attributes));
}

std::optional<FileFacts> Win32FileSystem::FileInformation(const std::string& path, uint32_t* error) {
  const FileHandle file = OpenForReading(path);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.get(), &info)) {
    Fail(error);
    return std::nullopt;
  }
  FileFacts facts;
  facts.attributes = info.dwFileAttributes;
  facts.creationTime = ToFileTime(info.ftCreationTime);
  facts.lastAccessTime = ToFileTime(info.ftLastAccessTime);
  facts.lastWriteTime = ToFileTime(info.ftLastWriteTime);
  facts.volumeSerialNumber = info.dwVolumeSerialNumber;
  facts.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return facts;
}

std::optional<FileIdentity> Win32FileSystem::Identity(const std::string& path, uint32_t* error) {
  // Attribute access with every sharing mode never stands in another program's way; backup semantics open folders
  // too. Without FILE_FLAG_OPEN_REPARSE_POINT the handle is of what a link leads to. (Wine derives the serial from
  // the drive whose folder holds the file's real path, so two hard links in the trees of two drives differ.)
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE h = CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    Fail(error);
    return std::nullopt;
  }
  const FileHandle file(h);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info)) {
    Fail(error);
    return std::nullopt;
  }
  const uint64_t index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return FileIdentity{info.dwVolumeSerialNumber, index};
}

std::optional<uint64_t> Win32FileSystem::FileLength(const std::string& path, uint32_t* error) {
  const FileHandle file = OpenForReading(path);
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size)) {
    Fail(error);
    return std::nullopt;
  }
  return static_cast<uint64_t>(size.QuadPart);
}

bool Win32FileSystem::OpenableOnFixedDisk(const std::string& path) {
  if (!OpenForReading(path)) return false;
  wchar_t volume[MAX_PATH + 1] = {};
  if (!GetVolumePathNameW(Wide(path).c_str(), volume, MAX_PATH + 1)) return false;
  return GetDriveTypeW(volume) == DRIVE_FIXED;
}

std::optional<std::string> Win32FileSystem::ShortPathName(const std::string& path, uint32_t* error) {
  const std::wstring wide = Wide(path);
  return FillGrowing([&](wchar_t* buffer, DWORD size) { return GetShortPathNameW(wide.c_str(), buffer, size); },
                     error);
}

std::optional<std::string> Win32FileSystem::ExpandedName(const std::string& path, uint32_t* error) {
  std::wstring in = Wide(path);
  // The function writes the expanded name without a size; it is never longer than the input plus an extension.
  std::vector<wchar_t> out(in.size() + MAX_PATH, L'\0');
  if (GetExpandedNameW(in.data(), out.data()) >= 0) return Narrow(out.data());
  // The function goes through the code page, so it cannot open a name with characters outside it; such a file
  // is opened here and its header read directly.
  const FileHandle file = OpenForReading(path);
  char header[14] = {};
  DWORD read = 0;
  if (!file || !ReadFile(file.get(), header, sizeof header, &read, nullptr)) {
    Fail(error);
    return std::nullopt;
  }
  return ExpandedNameFromHeader(path, std::string_view(header, read));
}

std::optional<VolumeFacts> Win32FileSystem::VolumeInformation(const std::string& root, uint32_t* error) {
  wchar_t label[MAX_PATH + 1] = {};
  wchar_t fileSystem[MAX_PATH + 1] = {};
  DWORD serial = 0, maxComponent = 0, flags = 0;
  if (!GetVolumeInformationW(Wide(root).c_str(), label, MAX_PATH + 1, &serial, &maxComponent, &flags, fileSystem,
                             MAX_PATH + 1)) {
    Fail(error);
    return std::nullopt;
  }
  VolumeFacts facts;
  facts.volumeName = Narrow(label);
  facts.serialNumber = serial;
  facts.maximumComponentLength = maxComponent;
  facts.fileSystemFlags = flags;
  facts.fileSystemName = Narrow(fileSystem);
  return facts;
}

uint32_t Win32FileSystem::DriveType(const std::string& root) { return GetDriveTypeW(Wide(root).c_str()); }

bool Win32FileSystem::FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

uint32_t Win32FileSystem::CreateFolder(const std::string& path) {
  return Status(CreateDirectoryW(Wide(path).c_str(), nullptr));
}

uint32_t Win32FileSystem::MoveFileNoReplace(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING an existing destination fails the move; across volumes the system copies
  // and deletes the source only after the copy is complete, removing a partial copy on failure.
  return Status(MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_COPY_ALLOWED));
}

uint32_t Win32FileSystem::WriteWholeFile(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  const FileHandle file(h);
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  return 0;
}

std::optional<std::string> Win32FileSystem::ReadWholeFile(const std::string& path, uint32_t* error) {
  const FileHandle file = OpenForReading(path);
  if (!file) {
    Fail(error);
    return std::nullopt;
  }
  std::string content;
  char chunk[65536];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) {
      Fail(error);
      return std::nullopt;
    }
    if (read == 0) return content;
    content.append(chunk, read);
  }
}

uint32_t Win32FileSystem::RemoveFile(const std::string& path) { return Status(DeleteFileW(Wide(path).c_str())); }

uint32_t Win32FileSystem::RemoveFolder(const std::string& path) {
  return Status(RemoveDirectoryW(Wide(path).c_str()));
}

}  // namespace kqm
