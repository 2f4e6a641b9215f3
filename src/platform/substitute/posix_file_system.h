#pragma once
#include <filesystem>
#include <map>
#include <string>

#include "platform/file_system.h"

namespace kqm {

// A stand-in for the Windows file system over the host's files: each drive letter is mapped to a host folder (as
// Wine maps its drives), Windows paths use "\" (or "/"), and names match without regard to letter case. No
// volume keeps 8.3 names, so short paths are the long ones; creation and access times read as the last write
// time; hidden, system and archive bits live in this object. A host symbolic link is a reparse point, and an
// identity is what the host numbers the file by (device and inode). A move renames without replacing; between two
// host file systems it takes the steps of a move to another volume (file_system.h), flushed with the host's own call.
class PosixFileSystem final : public FileSystem {
 public:
  struct Drive {
    std::filesystem::path hostFolder;
    uint32_t type = drive_type::kFixed;
    std::string volumeName;
    uint32_t serialNumber = 0;
    uint32_t maximumComponentLength = 255;
    uint32_t fileSystemFlags = 0x0000'0007;  // case-sensitive search, case preserved, Unicode on disk
    std::string fileSystemName = "NTFS";
  };

  // Maps drive `letter` ("C") to a host folder; returns its settings for further changes.
  Drive& MapDrive(char letter, const std::filesystem::path& hostFolder);
  // Sets the folder relative paths start from (a Windows path on a mapped drive).
  void CurrentDirectory(const std::string& windowsPath) { currentDirectory_ = windowsPath; }
  // The host path a Windows path names (existing names matched without regard to case); nullopt off the drives.
  std::optional<std::filesystem::path> HostPath(const std::string& windowsPath) const;

  std::unique_ptr<FileSearch> FindFirst(const std::string& spec, FoundFile& first, uint32_t* error = nullptr) override;
  std::optional<uint32_t> Attributes(const std::string& path, uint32_t* error = nullptr) override;
  uint32_t SetAttributes(const std::string& path, uint32_t attributes) override;
  std::optional<FileFacts> FileInformation(const std::string& path, uint32_t* error = nullptr) override;
  std::optional<FileIdentity> Identity(const std::string& path, uint32_t* error = nullptr) override;
  std::optional<uint64_t> FileLength(const std::string& path, uint32_t* error = nullptr) override;
  bool OpenableOnFixedDisk(const std::string& path) override;
  std::optional<std::string> ShortPathName(const std::string& path, uint32_t* error = nullptr) override;
  std::optional<std::string> ExpandedName(const std::string& path, uint32_t* error = nullptr) override;
  std::optional<VolumeFacts> VolumeInformation(const std::string& root, uint32_t* error = nullptr) override;
  uint32_t DriveType(const std::string& root) override;
  bool FolderExists(const std::string& path) override;
  uint32_t CreateFolder(const std::string& path) override;
  uint32_t MoveFileNoReplace(const std::string& from, const std::string& to) override;
  uint32_t MoveFileInSteps(const std::string& from, const std::string& to, const MoveStepCheck& beforeStep) override;
  uint32_t WriteWholeFile(const std::string& path, const std::string& bytes) override;
  std::optional<std::string> ReadWholeFile(const std::string& path, uint32_t* error = nullptr) override;
  uint32_t RemoveFile(const std::string& path) override;
  uint32_t RemoveFolder(const std::string& path) override;

 private:
  struct Resolved {
    std::filesystem::path host;
    const Drive* drive = nullptr;
    bool isRoot = false;
    bool parentExists = false;  // every folder above the last name exists
    uint32_t error = 0;         // non-zero when the path cannot name anything on the drives
  };
  Resolved Resolve(const std::string& windowsPath) const;
  uint32_t AttributesOf(const std::filesystem::path& host, const std::string& name) const;
  const Drive* DriveOfRoot(const std::string& root) const;

  std::map<char, Drive> drives_;
  std::string currentDirectory_ = "C:\\";
  std::map<std::u16string, uint32_t> storedBits_;  // hidden/system/archive choices, by folded host path
};

}  // namespace kqm
