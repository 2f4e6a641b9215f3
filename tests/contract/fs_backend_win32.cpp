#include <atomic>
#include <filesystem>
#include <windows.h>

#include "fs_contract_backend.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_wide_text.h"

namespace kqm::contract {

namespace {

namespace fsys = std::filesystem;

std::wstring UniqueName() {
  static std::atomic<int> counter{0};
  return L"kqm-fs-contract-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

class Win32Backend final : public FsShellBackend {
 public:
  Win32Backend() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    root_ = fsys::path(temp) / UniqueName();
    fsys::create_directories(root_);
    std::error_code ec;
    // Wine shows the host's tmpfs through drive Z:; it is another host file system than the prefix's drive C:.
    if (fsys::is_directory(L"Z:\\dev\\shm", ec)) {
      other_ = fsys::path(L"Z:\\dev\\shm") / UniqueName();
      fsys::create_directories(other_, ec);
      if (ec) other_.clear();
    }
  }
  ~Win32Backend() override {
    std::error_code ec;
    fsys::remove_all(root_, ec);
    if (!other_.empty()) fsys::remove_all(other_, ec);
  }
  FileSystem& Files() override { return files_; }
  Shell& TheShell() override { return shell_; }
  std::string Root() const override { return Narrow(root_.wstring()); }
  std::string OtherVolumeRoot() const override { return other_.empty() ? "" : Narrow(other_.wstring()); }
  void SetEnvironment(const std::string& name, const std::string& value) override {
    SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str());
  }
  std::string Name() const override { return "win32"; }

 private:
  Win32FileSystem files_;
  Win32Shell shell_;
  fsys::path root_;
  fsys::path other_;
};

}  // namespace

std::unique_ptr<FsShellBackend> MakeFsShellBackend() { return std::make_unique<Win32Backend>(); }

}  // namespace kqm::contract
