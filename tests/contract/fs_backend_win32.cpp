#include <atomic>
#include <filesystem>
#include <functional>
#include <vector>
#include <windows.h>

#include "fs_contract_backend.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_wide_text.h"

namespace kqm::contract {

namespace {

namespace fsys = std::filesystem;

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

template <typename Function>
Function WineExport(const char* name) {
  // Through void(*)(): GetProcAddress's type says nothing of the function's.
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

// The host name Wine gives an existing Windows path (UTF-8), "" when there is none.
std::string UnixName(const std::string& windowsPath) {
  const auto toUnix = WineExport<char* (*)(const wchar_t*)>("wine_get_unix_file_name");
  char* name = toUnix ? toUnix(Wide(windowsPath).c_str()) : nullptr;
  if (!name) return "";
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

// The Windows name Wine gives a host path, "" when there is none.
std::wstring DosName(const char* unixPath) {
  const auto toDos = WineExport<wchar_t* (*)(const char*)>("wine_get_dos_file_name");
  wchar_t* name = toDos ? toDos(unixPath) : nullptr;
  if (!name) return L"";
  std::wstring result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

// Runs a host program under Wine with `arguments` and waits (at most ten seconds) until `done` says its work shows;
// "" when it does, else what went wrong. Wine hands back no process to wait for when it starts a host program.
std::string RunHostProgram(const char* program, const std::vector<std::string>& arguments,
                           const std::function<bool()>& done) {
  const std::wstring windowsName = DosName(program);
  if (windowsName.empty()) return std::string("Wine gives no Windows name for ") + program;
  std::wstring command = Wide(program);
  for (const std::string& argument : arguments) command += L" \"" + Wide(argument) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(windowsName.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return std::string(program) + " could not be started: error " + std::to_string(GetLastError());
  if (process.hProcess) CloseHandle(process.hProcess);
  if (process.hThread) CloseHandle(process.hThread);
  for (int waited = 0; waited < 10'000; waited += 10) {
    if (done()) return "";
    Sleep(10);
  }
  return std::string(program) + " did not do its work in ten seconds";
}

bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

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
    if (!links_.empty() && UnderWine()) {
      // Wine deletes or moves what a host link leads to, not the link, and the library's remove_all does not stop
      // on a link whose target it has deleted: the host removes the folder, links and all, without following them.
      const std::string root = Narrow(root_.wstring());
      RunHostProgram("/bin/rm", {"-rf", UnixName(root)}, [&] { return !Exists(root); });
    } else {
      // Windows removes a folder link with RemoveDirectoryW and a file link with DeleteFileW, never the target.
      for (const auto& [link, folder] : links_) {
        if (folder)
          RemoveDirectoryW(Wide(link).c_str());
        else
          DeleteFileW(Wide(link).c_str());
      }
      fsys::remove_all(root_, ec);
    }
    if (!other_.empty()) fsys::remove_all(other_, ec);
  }
  FileSystem& Files() override { return files_; }
  Shell& TheShell() override { return shell_; }
  std::string Root() const override { return Narrow(root_.wstring()); }
  std::string OtherVolumeRoot() const override { return other_.empty() ? "" : Narrow(other_.wstring()); }
  void SetEnvironment(const std::string& name, const std::string& value) override {
    SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str());
  }
  std::string MakeSymbolicLink(const std::string& link, const std::string& target, bool folder) override {
    links_.emplace_back(link, folder);
    if (UnderWine()) {
      // Wine 8 shows a host symbolic link in its drives but makes none itself: CreateSymbolicLinkW answers success
      // and makes nothing, and FSCTL_SET_REPARSE_POINT fails with ERROR_NOT_SUPPORTED. So the link is made as a
      // Linux user would make it, with ln -s.
      const size_t cut = link.find_last_of('\\');
      const std::string hostFolder = cut == std::string::npos ? "" : UnixName(link.substr(0, cut));
      const std::string hostTarget = UnixName(target);
      if (hostFolder.empty() || hostTarget.empty()) return "Wine gives no host name for " + link;
      return RunHostProgram("/bin/ln", {"-s", hostTarget, hostFolder + "/" + link.substr(cut + 1)},
                            [&] { return Exists(link); });
    }
    constexpr DWORD kAllowUnprivilegedCreate = 0x2;  // developer mode suffices (Windows 10 1703 and later)
    const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | kAllowUnprivilegedCreate;
    if (!CreateSymbolicLinkW(Wide(link).c_str(), Wide(target).c_str(), flags))
      return "CreateSymbolicLinkW failed with error " + std::to_string(GetLastError()) +
             " (symbolic links need administrator rights or developer mode)";
    return "";
  }
  std::string MakeHardLink(const std::string& link, const std::string& target) override {
    if (!CreateHardLinkW(Wide(link).c_str(), Wide(target).c_str(), nullptr))
      return "CreateHardLinkW failed with error " + std::to_string(GetLastError());
    return "";
  }
  std::string FileLinksUnmarkedBecause() const override {
    if (!UnderWine()) return "";
    return "Wine 8 marks only a host symbolic link to a folder as a reparse point: a link to a file reads as the "
           "file it leads to, in GetFileAttributesW and FindFirstFileW alike, and Wine makes no Windows links";
  }
  std::string Name() const override { return "win32"; }

 private:
  Win32FileSystem files_;
  Win32Shell shell_;
  fsys::path root_;
  fsys::path other_;
  std::vector<std::pair<std::string, bool>> links_;  // each link made, and whether it leads to a folder
};

}  // namespace

std::unique_ptr<FsShellBackend> MakeFsShellBackend() { return std::make_unique<Win32Backend>(); }

}  // namespace kqm::contract
