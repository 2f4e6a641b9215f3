#pragma once
#include <atomic>
#include <filesystem>
#include <random>
#include <string>

#include "platform/substitute/posix_file_system.h"

namespace kqm::test {

// A substitute file system whose drive C: is a fresh host folder, removed again at the end.
class TempDrive {
 public:
  TempDrive() {
    static std::atomic<int> counter{0};
    std::random_device random;
    host_ = std::filesystem::temp_directory_path() /
            ("kqm-fileinfo-" + std::to_string(random()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(host_);
    driveC = &fs.MapDrive('C', host_);
  }
  ~TempDrive() {
    std::error_code ec;
    std::filesystem::remove_all(host_, ec);
  }
  TempDrive(const TempDrive&) = delete;
  TempDrive& operator=(const TempDrive&) = delete;

  // The host folder drive C: stands for.
  const std::filesystem::path& Host() const { return host_; }
  // Creates the folders of a Windows path on drive C:, one level at a time.
  void Folder(const std::string& path) {
    for (size_t cut = path.find('\\', 3); ; cut = path.find('\\', cut + 1)) {
      fs.CreateFolder(path.substr(0, cut));
      if (cut == std::string::npos) break;
    }
  }
  // Writes a file, creating its folders.
  void File(const std::string& path, const std::string& bytes = "x") {
    Folder(path.substr(0, path.rfind('\\')));
    fs.WriteWholeFile(path, bytes);
  }

  PosixFileSystem fs;
  PosixFileSystem::Drive* driveC = nullptr;

 private:
  std::filesystem::path host_;
};

}  // namespace kqm::test
