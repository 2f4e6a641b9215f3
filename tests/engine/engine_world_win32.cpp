#include <filesystem>
#include <windows.h>

#include "platform/win32/win32_move_lock.h"
#include "engine_world.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_wide_text.h"
#include "win32_shortcut_writer.h"

namespace kqm::test {

namespace {

namespace fsys = std::filesystem;

fsys::path ProgramFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fsys::path(path).parent_path();
}

// The prefix's real StartUp folders and shortcuts made by the shell's link object; the program folder is a fresh
// folder beside the test program (drive Z: under Wine, another volume than the prefix's C:).
class Win32World final : public EngineWorld {
 public:
  Win32World() {
    program_ = ProgramFolder() / UniqueName("program");
    fsys::create_directories(program_);
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    scratch_ = fsys::path(temp) / UniqueName("scratch");
    fsys::create_directories(scratch_);
    std::error_code ec;
    for (bool all : {false, true}) fsys::create_directories(fsys::path(Wide(StartUpFolder(all))), ec);
    // Wine shows the host's tmpfs through drive Z:; it is another host file system than the prefix's drive C:.
    if (fsys::is_directory(L"Z:\\dev\\shm", ec)) {
      other_ = fsys::path(L"Z:\\dev\\shm") / UniqueName("other");
      fsys::create_directories(other_, ec);
      if (ec) other_.clear();
    }
  }
  ~Win32World() override {
    std::error_code ec;
    fsys::remove_all(program_, ec);
    fsys::remove_all(scratch_, ec);
    if (!other_.empty()) fsys::remove_all(other_, ec);
  }
  FileSystem& Files() override { return files_; }
  Shell& TheShell() override { return shell_; }
  std::string StartUpFolder(bool bAll) override {
    return shell_.SpecialFolder(bAll ? special_folder::kCommonStartUp : special_folder::kStartUp, 0).value;
  }
  std::string DisabledPath() override { return Narrow(program_.wstring()) + "\\Disabled\\"; }
  std::string Scratch() override { return Narrow(scratch_.wstring()); }
  std::string OtherVolume() override { return other_.empty() ? "" : Narrow(other_.wstring()); }
  bool MakeShortcut(const std::string& path, Sample sample) override {
    return WriteShortcutWithShell(path, SampleTarget(sample), "", "", "") == 0;
  }
  bool IsReal() const override { return true; }

 private:
  Win32FileSystem files_;
  Win32Shell shell_;
  fsys::path program_;
  fsys::path scratch_;
  fsys::path other_;
};

}  // namespace

std::unique_ptr<EngineWorld> MakeEngineWorld() { return std::make_unique<Win32World>(); }

std::unique_ptr<MoveLock> MakeMoveLock() { return std::make_unique<Win32MoveLock>(); }

}  // namespace kqm::test
