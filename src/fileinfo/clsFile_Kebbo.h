#pragma once
#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace kqm {

// Facts about one file, named by its full path. Only the path is stored; every other property is read from the
// file system each time. Failing reads give "" / false / 0 / the zero date (dates are automation dates, UTC).
class clsFile_Kebbo {
 public:
  explicit clsFile_Kebbo(FileSystem& fs) : fs_(&fs) {}

  // The file opens for reading and lies on a fixed disk.
  bool bFixedDisk() const;
  // Creation time; 1601-01-01 (-109205) when the file cannot be opened.
  double dCreated() const;
  // Last access time; 1601-01-01 when the file cannot be opened.
  double dLastAccessed() const;
  // Name the file decompresses to (the path itself when not compressed).
  std::string sExpandedName() const;
  // 8.3 form of the path.
  std::string sShortName() const;
  // The stored path.
  const std::string& sFileName() const { return sFileName_; }
  // Stores the path as given (no normalisation, no check).
  void sFileName(const std::string& value) { sFileName_ = value; }
  // Attribute bits; -1 for a missing file.
  int32_t eAttributes() const;
  // Sets the attribute bits; the outcome is not reported.
  void eAttributes(int32_t value);
  // Length in bytes; 0 when it cannot be measured.
  int64_t lSize() const;
  // Last write time, read through the short form of the path.
  double dLastModified() const;
  // File name without folder and extension.
  std::string sName() const;
  // File name without folder.
  std::string sNameAndExtension() const;
  // Extension without the dot.
  std::string sExtension() const;
  // Folder part with its trailing backslash.
  std::string sPath() const;
  // "D:" for a path on a drive letter, else "".
  std::string sDriveLetter() const;
  // Root of the path ending in "\" ("D:\", "\\srv\share\"), or "".
  std::string sPathRoot() const;
  // The path is a UNC path (or on a network drive letter).
  bool bNetworkPath() const;
  // The path is exactly "\\server\share".
  bool bUNCServerShare() const;
  // The path is "\\server" alone.
  bool bUNCServer() const;
  // The path starts with "\\".
  bool bUNC() const;
  // Drive type of the root (drive_type numbers).
  int32_t eVolumeType() const;
  // Volume serial number read through the file's handle; 0 when it cannot be opened.
  int32_t lVolumeSerialNo() const;
  // Label of the volume the path's root names.
  std::string sVolumeName() const;

 private:
  FileSystem* fs_;
  std::string sFileName_;
};

}  // namespace kqm
