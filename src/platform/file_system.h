#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kqm {

// Windows error codes the file-system seam reports (both backends use these numbers).
namespace fs_error {
constexpr uint32_t kOk = 0;
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kNotSameDevice = 17;
constexpr uint32_t kNoMoreFiles = 18;
constexpr uint32_t kWriteFault = 29;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kNotSupported = 50;
constexpr uint32_t kBadNetPath = 53;
constexpr uint32_t kFileExists = 80;
constexpr uint32_t kInvalidParameter = 87;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kInvalidName = 123;
constexpr uint32_t kDirNotEmpty = 145;
constexpr uint32_t kAlreadyExists = 183;
}  // namespace fs_error

// File attribute bits as Windows numbers them.
namespace file_attribute {
constexpr uint32_t kReadOnly = 0x1;
constexpr uint32_t kHidden = 0x2;
constexpr uint32_t kSystem = 0x4;
constexpr uint32_t kDirectory = 0x10;
constexpr uint32_t kArchive = 0x20;
constexpr uint32_t kNormal = 0x80;
constexpr uint32_t kTemporary = 0x100;
constexpr uint32_t kReparsePoint = 0x400;  // a symbolic link, junction or other reparse point (the path itself)
constexpr uint32_t kInvalid = 0xFFFFFFFF;
}  // namespace file_attribute

// Drive types as Windows numbers them.
namespace drive_type {
constexpr uint32_t kUnknown = 0;
constexpr uint32_t kNoRootDir = 1;
constexpr uint32_t kRemovable = 2;
constexpr uint32_t kFixed = 3;
constexpr uint32_t kRemote = 4;
constexpr uint32_t kCdRom = 5;
constexpr uint32_t kRamDisk = 6;
}  // namespace drive_type

// A file time: 100-ns intervals since 1601-01-01 00:00:00 UTC (0 = unknown).
using FileTime = uint64_t;

// One entry of a folder search.
struct FoundFile {
  std::string name;        // long name, UTF-8, no folder part
  std::string shortName;   // 8.3 alternate name, "" when the long name is already one
  uint32_t attributes = 0;
  FileTime creationTime = 0;
  FileTime lastAccessTime = 0;
  FileTime lastWriteTime = 0;
  uint64_t size = 0;       // bytes; 0 for folders
};

// Facts read through an open handle of a file.
struct FileFacts {
  uint32_t attributes = 0;
  FileTime creationTime = 0;
  FileTime lastAccessTime = 0;
  FileTime lastWriteTime = 0;
  uint32_t volumeSerialNumber = 0;
  uint64_t size = 0;
};

// Facts about a volume, given its root ("C:\").
struct VolumeFacts {
  std::string volumeName;
  uint32_t serialNumber = 0;
  uint32_t maximumComponentLength = 0;
  uint32_t fileSystemFlags = 0;
  std::string fileSystemName;
};

// What tells one file from another, whichever path reaches it: the volume and the file's number on it (Windows:
// the volume serial number and the 64-bit file index; POSIX: the device and inode numbers). Identities of two paths
// read while both exist are equal when the paths reach one file or folder (through links, or as two hard links of
// one file) and differ for two different files, whatever their bytes.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t file = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The steps of a move to another volume, in the order they are taken: copy the file to a temporary name in the
// destination folder, flush the copy to the disk, compare its size and SHA-256 with the source's, rename it to the
// destination name (never replacing), delete the source.
enum class MoveStep : uint8_t { kCopy, kFlush, kVerify, kPlace, kRemoveSource };

// Asked before each step of a move to another volume: 0 lets the step run, any other status fails the move there
// as if the step itself had failed with it.
using MoveStepCheck = std::function<uint32_t(MoveStep)>;

// The temporary a move to another volume copies into is named kMoveTemporaryPrefix + random hex digits +
// kMoveTemporarySuffix, in the destination folder. A file of that form is never an entry: only a process ended
// during such a move leaves one behind.
inline constexpr const char* kMoveTemporaryPrefix = "~kqm-";
inline constexpr const char* kMoveTemporarySuffix = ".partial";
// True for a name of exactly that form (16 lowercase hex digits).
inline bool IsMoveTemporaryName(std::string_view name) {
  const std::string_view prefix = kMoveTemporaryPrefix, suffix = kMoveTemporarySuffix;
  if (name.size() != prefix.size() + 16 + suffix.size() || name.substr(0, prefix.size()) != prefix ||
      name.substr(name.size() - suffix.size()) != suffix)
    return false;
  for (const char c : name.substr(prefix.size(), 16))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

// An open folder search; destroying it closes the search.
class FileSearch {
 public:
  virtual ~FileSearch() = default;
  // Fills `entry` with the next match and returns true; false when there are no more (or on error).
  virtual bool Next(FoundFile& entry) = 0;
};

// The file services the program uses. Paths are Windows paths ("C:\dir\file.ext", "\\server\share\x") in UTF-8;
// statuses are Windows error codes (fs_error), 0 meaning success. Names compare without regard to letter case.
// Under Wine a Unix symbolic link is followed by the calls that change files too: moving, deleting or removing it
// moves, deletes or removes what it leads to and leaves the link.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Starts a search of `spec` (folder + wildcard pattern, "*" and "?"); fills `first` with the first match.
  // Returns the open search, or nullptr with `*error` set (2 nothing matches, 3 folder missing).
  virtual std::unique_ptr<FileSearch> FindFirst(const std::string& spec, FoundFile& first, uint32_t* error = nullptr) = 0;

  // Attribute bits of a file or folder; nullopt (error in `*error`) when it cannot be read, e.g. missing. The last
  // name is not followed: a link there has kReparsePoint (and kDirectory when it leads to a folder). So does its
  // entry in a search. (Wine marks only Unix links to folders; a Unix link to a file reads as that file.)
  virtual std::optional<uint32_t> Attributes(const std::string& path, uint32_t* error = nullptr) = 0;
  // Sets the attribute bits (read-only, hidden, system, archive, normal); returns a status.
  virtual uint32_t SetAttributes(const std::string& path, uint32_t attributes) = 0;

  // Opens the file for reading and reads its times, size and volume serial through the handle; folders fail.
  virtual std::optional<FileFacts> FileInformation(const std::string& path, uint32_t* error = nullptr) = 0;
  // The identity of the file or folder the path reaches, links followed; nullopt (error in `*error`) when it cannot
  // be opened. Compare only two identities that were both read: two nullopts say nothing.
  virtual std::optional<FileIdentity> Identity(const std::string& path, uint32_t* error = nullptr) = 0;
  // Length of a file in bytes, read through an open handle; nullopt when it cannot be opened.
  virtual std::optional<uint64_t> FileLength(const std::string& path, uint32_t* error = nullptr) = 0;
  // True when the file can be opened for reading and lies on a fixed disk.
  virtual bool OpenableOnFixedDisk(const std::string& path) = 0;

  // The 8.3 form of an existing path (the path itself where a volume keeps no short names).
  virtual std::optional<std::string> ShortPathName(const std::string& path, uint32_t* error = nullptr) = 0;
  // The name a compressed (expand-style) file decompresses to, else the path itself; nullopt when unreadable.
  virtual std::optional<std::string> ExpandedName(const std::string& path, uint32_t* error = nullptr) = 0;

  // Volume facts for a root such as "C:\" or "\\server\share\"; nullopt when there is no such volume.
  virtual std::optional<VolumeFacts> VolumeInformation(const std::string& root, uint32_t* error = nullptr) = 0;
  // Drive type (drive_type) of a root such as "C:\"; 1 when there is no such root.
  virtual uint32_t DriveType(const std::string& root) = 0;

  // True when `path` names an existing folder.
  virtual bool FolderExists(const std::string& path) = 0;
  // Creates one folder whose parent exists; 183 when something of that name exists, 3 when the parent is missing.
  virtual uint32_t CreateFolder(const std::string& path) = 0;
  // Moves a file to `to`, never replacing an existing file (then 183 or 80) and also across volumes; on any failure
  // the file stays at `from`, and at no moment is it in neither place. Within one volume the move is one rename,
  // written through to the disk. Across volumes (the rename fails with 17) the file is copied to a temporary of the
  // form above in the destination folder, flushed, compared with the source (size and SHA-256), renamed to `to`
  // without replacing and only then deleted at `from`: its name never holds a partial copy, a reported success
  // finds the copy on the disk, and a failure at any step removes what the move made at the destination (the
  // temporary, or the placed copy when the source cannot be deleted).
  virtual uint32_t MoveFileNoReplace(const std::string& from, const std::string& to) = 0;
  // MoveFileNoReplace, asking `beforeStep` (when set) before each step of a move to another volume; never asked
  // within one volume.
  virtual uint32_t MoveFileInSteps(const std::string& from, const std::string& to, const MoveStepCheck& beforeStep) = 0;

  // Writes `bytes` to a file, creating or truncating it.
  virtual uint32_t WriteWholeFile(const std::string& path, const std::string& bytes) = 0;
  // The whole content of a file; nullopt when it cannot be read.
  virtual std::optional<std::string> ReadWholeFile(const std::string& path, uint32_t* error = nullptr) = 0;
  // Deletes a file (not a folder).
  virtual uint32_t RemoveFile(const std::string& path) = 0;
  // Deletes an empty folder.
  virtual uint32_t RemoveFolder(const std::string& path) = 0;
};

}  // namespace kqm
