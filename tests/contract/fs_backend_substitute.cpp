#include <atomic>
#include <filesystem>
#include <random>

#include "fs_contract_backend.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/substitute_shell.h"

namespace kqm::contract {

namespace {

namespace fsys = std::filesystem;

fsys::path UniqueFolder(const fsys::path& base) {
  static std::atomic<int> counter{0};
  std::random_device random;
  const fsys::path folder = base / ("kqm-fs-contract-" + std::to_string(random()) + "-" + std::to_string(++counter));
  fsys::create_directories(folder);
  return folder;
}

class SubstituteBackend final : public FsShellBackend {
 public:
  SubstituteBackend() : shell_(files_) {
    host_ = UniqueFolder(fsys::temp_directory_path());
    fsys::create_directories(host_ / "case");
    files_.MapDrive('C', host_);
    std::error_code ec;
    // A tmpfs folder is another host file system than the temporary folder, as another volume would be.
    if (fsys::is_directory("/dev/shm", ec)) {
      other_ = UniqueFolder("/dev/shm");
      files_.MapDrive('D', other_);
    }
  }
  ~SubstituteBackend() override {
    std::error_code ec;
    fsys::remove_all(host_, ec);
    if (!other_.empty()) fsys::remove_all(other_, ec);
  }
  FileSystem& Files() override { return files_; }
  Shell& TheShell() override { return shell_; }
  std::string Root() const override { return "C:\\case"; }
  std::string OtherVolumeRoot() const override { return other_.empty() ? "" : "D:\\"; }
  void SetEnvironment(const std::string& name, const std::string& value) override {
    shell_.SetEnvironmentVariable(name, value);
  }
  std::string MakeSymbolicLink(const std::string& link, const std::string& target, bool folder) override {
    const auto hostLink = files_.HostPath(link);
    const auto hostTarget = files_.HostPath(target);
    if (!hostLink || !hostTarget) return "not on a mapped drive";
    std::error_code ec;
    if (folder)
      fsys::create_directory_symlink(*hostTarget, *hostLink, ec);
    else
      fsys::create_symlink(*hostTarget, *hostLink, ec);
    return ec ? "symlink: " + ec.message() : "";
  }
  std::string MakeHardLink(const std::string& link, const std::string& target) override {
    const auto hostLink = files_.HostPath(link);
    const auto hostTarget = files_.HostPath(target);
    if (!hostLink || !hostTarget) return "not on a mapped drive";
    std::error_code ec;
    fsys::create_hard_link(*hostTarget, *hostLink, ec);
    return ec ? "link: " + ec.message() : "";
  }
  std::string FileLinksUnmarkedBecause() const override { return ""; }
  std::string Name() const override { return "substitute"; }

 private:
  PosixFileSystem files_;
  SubstituteShell shell_;
  fsys::path host_;
  fsys::path other_;
};

}  // namespace

std::unique_ptr<FsShellBackend> MakeFsShellBackend() { return std::make_unique<SubstituteBackend>(); }

}  // namespace kqm::contract
