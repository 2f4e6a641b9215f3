#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/substitute/process_move_lock.h"
#include "engine_world.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/substitute_shell.h"

namespace kqm::test {

namespace {

namespace fsys = std::filesystem;

const char* SampleFile(Sample sample) {
  switch (sample) {
    case Sample::kProgram: return "plain.lnk";
    case Sample::kFolder: return "folder.lnk";
    case Sample::kDocument: return "document.lnk";
  }
  return "";
}

fsys::path FreshHostFolder(const fsys::path& base) {
  std::random_device random;
  const fsys::path folder = base / UniqueName(std::to_string(random() % 100000));
  fsys::create_directories(folder);
  return folder;
}

// Drive C: is a temporary host folder holding the StartUp folders; the program folder lies on drive D:, another
// host file system where one exists, so that moves cross volumes as they do under Wine.
class SubstituteWorld final : public EngineWorld {
 public:
  SubstituteWorld() : shell_(files_) {
    c_ = FreshHostFolder(fsys::temp_directory_path());
    files_.MapDrive('C', c_);
    std::error_code ec;
    d_ = fsys::is_directory("/dev/shm", ec) ? FreshHostFolder("/dev/shm") : FreshHostFolder(c_ / "d");
    files_.MapDrive('D', d_);
    for (bool all : {false, true}) {
      const auto host = files_.HostPath(StartUpFolder(all));
      fsys::create_directories(*host);
    }
    fsys::create_directories(c_ / "scratch");
    fsys::create_directories(d_ / "program");
    fsys::create_directories(d_ / "other");
  }
  ~SubstituteWorld() override {
    std::error_code ec;
    fsys::remove_all(c_, ec);
    fsys::remove_all(d_, ec);
  }
  FileSystem& Files() override { return files_; }
  Shell& TheShell() override { return shell_; }
  std::string StartUpFolder(bool bAll) override {
    return shell_.SpecialFolder(bAll ? special_folder::kCommonStartUp : special_folder::kStartUp, 0).value;
  }
  std::string DisabledPath() override { return "D:\\program\\Disabled\\"; }
  std::string Scratch() override { return "C:\\scratch"; }
  std::string OtherVolume() override { return d_.parent_path() == "/dev/shm" ? "D:\\other" : ""; }
  bool MakeShortcut(const std::string& path, Sample sample) override {
    std::ifstream in(fsys::path(KQM_ENGINE_LNK_SAMPLES) / SampleFile(sample), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return !bytes.str().empty() && files_.WriteWholeFile(path, bytes.str()) == 0;
  }
  bool IsReal() const override { return false; }

 private:
  PosixFileSystem files_;
  SubstituteShell shell_;
  fsys::path c_;
  fsys::path d_;
};

}  // namespace

std::unique_ptr<EngineWorld> MakeEngineWorld() { return std::make_unique<SubstituteWorld>(); }

std::unique_ptr<MoveLock> MakeMoveLock() { return std::make_unique<ProcessMoveLock>(); }

}  // namespace kqm::test
