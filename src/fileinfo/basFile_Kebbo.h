#pragma once
#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "platform/shell.h"

namespace kqm {

class ErrorReporter;

// Selectors for SplitPath; combine with "|".
enum PathPart : int32_t { ptName = 1, ptExtension = 2, ptFolder = 4 };

// The text ShortcutTarget gives when a shortcut cannot be read.
inline constexpr const char* kShortcutTargetError = "Error occured.";

// Volume facts as the file object reports them.
struct VolumeInfo {
  std::string RootPathName;
  std::string VolumeName;
  uint32_t VolumeSerialNumber = 0;
  uint32_t MaximumComponentLength = 0;
  uint32_t FileSystemFlags = 0;
  std::string FileSystemName;
};

// The part of an open-file record the program reads.
struct FileOpenInfo {
  uint8_t fFixedDisk = 0;  // non-zero: the file could be opened and lies on a fixed disk
};

// Times and volume serial of a file, all zero when it cannot be opened.
struct FileInformationRecord {
  FileTime ftCreationTime = 0;
  FileTime ftLastAccessTime = 0;
  FileTime ftLastWriteTime = 0;
  uint32_t dwVolumeSerialNumber = 0;
};

// A calendar time split into fields (UTC when it comes from a file time).
struct SystemTime {
  uint16_t wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0, wHour = 0, wMinute = 0, wSecond = 0, wMilliseconds = 0;
};

// The Windows folder without a trailing backslash; "" when the shell cannot give it.
std::string WindowsFolder(Shell& shell);
// The log-on name from %USERNAME%; the text "%USERNAME%" when the variable is not set.
std::string CurrentUserName(Shell& shell);
// The path of special folder `lFolder` (7 StartUp, 24 common StartUp) for owner `hWnd`; on failure the reporter
// is told (procedure "FolderLocation") and "" is returned, meaning "no folder".
std::string FolderLocation(Shell& shell, ErrorReporter& reporter, int32_t lFolder, std::intptr_t hWnd);
// The target path of a shortcut file, or "Error occured." when it cannot be read.
std::string ShortcutTarget(Shell& shell, const std::string& sShortcutPath);
// Hands a path or address to its associated program; 0 when it was opened, else the shell's error code.
int32_t ShellOpen(Shell& shell, const std::string& sPathOrAddress);

// `s` followed by `sSuffix` unless `s` already ends with it (exact comparison).
std::string EnsureSuffix(const std::string& s, const std::string& sSuffix);
// The parts of a Windows path chosen by `flags` (PathPart), folder with its trailing "\", extension without ".".
std::string SplitPath(const std::string& sPath, int32_t flags);
// The root of a path ("D:\", "\\server\share", "\"), or "".
std::string PathRoot(const std::string& sPath);
// `s` up to its first NUL character, or unchanged.
std::string TrimAtNull(const std::string& s);

// Whether the file opens for reading on a fixed disk.
FileOpenInfo FileOpenRecord(FileSystem& fs, const std::string& sPath);
// Times and volume serial read through an open handle; all zero when the file cannot be opened.
FileInformationRecord FileInformation(FileSystem& fs, const std::string& sPath);
// A file time split into UTC fields (no time-zone shift); year 1601 for the zero time.
SystemTime FileTimeToSystemTime(FileTime ft);
// Automation date of a file time: days since 1899-12-30 00:00 UTC, whole seconds; 0 when out of range.
double FileTimeToDate(FileTime ft);
// Automation date of calendar fields (milliseconds dropped); 0 when the fields are not a valid date in 100-9999.
double SystemTimeToDate(const SystemTime& st);
// The decompressed name of an expand-style compressed file, else the path itself; "" when unreadable.
std::string ExpandedFileName(FileSystem& fs, const std::string& sPath);
// The 8.3 form of an existing path; "" when the path does not exist.
std::string ShortPathName(FileSystem& fs, const std::string& sPath);
// Attribute bits of a file or folder; -1 (all bits set) when it is missing.
int32_t FileAttributes(FileSystem& fs, const std::string& sPath);
// Length in bytes read through an open handle; 0 when the file cannot be opened.
int64_t FileLength(FileSystem& fs, const std::string& sPath);
// Volume facts of a root; the names are "" and the numbers 0 when the volume cannot be read.
VolumeInfo VolumeInformation(FileSystem& fs, const std::string& sRoot);
// Number of entries (folders, "." and ".." included) matching a wildcard pattern.
int32_t CountMatches(FileSystem& fs, const std::string& sSpec);

}  // namespace kqm
