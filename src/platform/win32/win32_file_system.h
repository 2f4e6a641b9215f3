#pragma once
#include "platform/file_system.h"

namespace kqm {

// The real file system through kernel32's and lz32's wide entry points.
class Win32FileSystem final : public FileSystem {
 public:
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
};

}  // namespace kqm
