#include "platform/win32/win32_file_system.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <random>
#include <vector>
#include <windows.h>
#include <lzexpand.h>

#include "platform/expanded_name.h"
#include "platform/sha256.h"
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

constexpr DWORD kCopyChunk = 1u << 20;
// The attributes a moved file keeps.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

uint32_t Ask(const MoveStepCheck& beforeStep, MoveStep step) { return beforeStep ? beforeStep(step) : 0; }

// A fresh name of the temporary form (file_system.h), without a folder.
std::wstring TemporaryName() {
  static std::atomic<uint32_t> counter{0};
  std::random_device random;
  const uint64_t value = ((uint64_t{random()} << 32) | random()) ^ (uint64_t{GetCurrentProcessId()} << 16) ^
                         (uint64_t{GetTickCount()} << 40) ^ ++counter;
  std::string digits(16, '0');
  for (size_t i = 0; i < digits.size(); ++i) digits[i] = "0123456789abcdef"[(value >> (60 - 4 * i)) & 0xF];
  return Wide(std::string(kMoveTemporaryPrefix) + digits + kMoveTemporarySuffix);
}

// Deletes a file this move made, whatever attributes it was given.
void RemoveOwnFile(const std::wstring& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
}

// Writes all of `size` bytes; 0 or the failure's code.
DWORD WriteAll(HANDLE file, const char* data, DWORD size) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(file, data, size, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    data += written;
    size -= written;
  }
  return 0;
}

struct Digest {
  uint64_t size = 0;
  std::array<uint8_t, 32> sha256{};
  bool operator==(const Digest&) const = default;
};

// The size and SHA-256 of a file's bytes, read through a handle of its own; 0 or the failure's code.
DWORD ReadDigest(const std::wstring& path, Digest& digest) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  const FileHandle file(h);
  std::vector<char> buffer(kCopyChunk);
  Sha256 hasher;
  digest.size = 0;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer.data(), kCopyChunk, &read, nullptr)) return GetLastError();
    if (read == 0) break;
    hasher.Update(std::string_view(buffer.data(), read));
    digest.size += read;
  }
  digest.sha256 = hasher.Finish();
  return 0;
}

// The move of MoveFileInSteps once a rename has failed because `target` lies on another volume.
uint32_t MoveAcrossVolumes(const std::wstring& source, const std::wstring& target, const MoveStepCheck& beforeStep) {
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) return ERROR_ALREADY_EXISTS;
  if (const uint32_t stop = Ask(beforeStep, MoveStep::kCopy)) return stop;
  // Others may read the source meanwhile, not change it.
  HANDLE in = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in == INVALID_HANDLE_VALUE) return GetLastError();
  FileHandle input(in);
  BY_HANDLE_FILE_INFORMATION facts{};
  if (!GetFileInformationByHandle(input.get(), &facts)) return GetLastError();

  const std::wstring folder = target.substr(0, target.find_last_of(L"\\/") + 1);
  std::wstring temporary;
  FileHandle output;
  for (int attempt = 0; !output; ++attempt) {
    temporary = folder + TemporaryName();
    HANDLE out = CreateFileW(temporary.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
      output.reset(out);
    } else {
      const DWORD error = GetLastError();
      if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 7) return error;
    }
  }
  auto fail = [&](DWORD error) -> uint32_t {
    output.reset();
    RemoveOwnFile(temporary);
    return error;
  };

  std::vector<char> buffer(kCopyChunk);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(input.get(), buffer.data(), kCopyChunk, &read, nullptr)) return fail(GetLastError());
    if (read == 0) break;
    if (const DWORD error = WriteAll(output.get(), buffer.data(), read)) return fail(error);
  }
  if (!SetFileTime(output.get(), &facts.ftCreationTime, nullptr, &facts.ftLastWriteTime)) return fail(GetLastError());
  input.reset();

  if (const uint32_t stop = Ask(beforeStep, MoveStep::kFlush)) return fail(stop);
  if (!FlushFileBuffers(output.get())) return fail(GetLastError());
  output.reset();

  if (const uint32_t stop = Ask(beforeStep, MoveStep::kVerify)) return fail(stop);
  Digest original, copy;
  if (const DWORD error = ReadDigest(source, original)) return fail(error);
  if (const DWORD error = ReadDigest(temporary, copy)) return fail(error);
  const uint64_t sizeAtCopy = (static_cast<uint64_t>(facts.nFileSizeHigh) << 32) | facts.nFileSizeLow;
  if (!(original == copy) || copy.size != sizeAtCopy) return fail(ERROR_WRITE_FAULT);

  if (const uint32_t stop = Ask(beforeStep, MoveStep::kPlace)) return fail(stop);
  const DWORD kept = facts.dwFileAttributes & kKeptAttributes;
  if (kept && !SetFileAttributesW(temporary.c_str(), kept)) return fail(GetLastError());
  if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return fail(GetLastError());

  // From here the file is in both places until the source goes; a source that stays takes the copy back.
  if (const uint32_t stop = Ask(beforeStep, MoveStep::kRemoveSource)) {
    RemoveOwnFile(target);
    return stop;
  }
  // A read-only file moves as a rename would move it.
  const bool readOnly = facts.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
  if (readOnly) SetFileAttributesW(source.c_str(), facts.dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  if (!DeleteFileW(source.c_str())) {
    const DWORD error = GetLastError();
    if (readOnly) SetFileAttributesW(source.c_str(), facts.dwFileAttributes);
    RemoveOwnFile(target);
    return error;
  }
  return 0;
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
  return MoveFileInSteps(from, to, nullptr);
}

uint32_t Win32FileSystem::MoveFileInSteps(const std::string& from, const std::string& to,
                                          const MoveStepCheck& beforeStep) {
  const std::wstring source = Wide(from), target = Wide(to);
  // Without MOVEFILE_REPLACE_EXISTING an existing destination fails the move. Without MOVEFILE_COPY_ALLOWED the
  // system never copies: its copy is made under the destination's own name (a process ended meanwhile leaves it cut
  // short there) and is not flushed. Write-through returns once the rename is on the disk.
  if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return 0;
  const DWORD error = GetLastError();
  // Wine answers 17 where the two folders lie on different host file systems; two drive letters on one host file
  // system rename.
  if (error != ERROR_NOT_SAME_DEVICE) return error;
  return MoveAcrossVolumes(source, target, beforeStep);
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
