#include "platform/win32/win32_shell.h"

#include <cstdio>
#include <vector>
#include <windows.h>
#include <winver.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/lnk_reader.h"
#include "platform/unique_handle.h"
#include "platform/win32/win32_wide_text.h"

namespace kqm {

namespace {

struct ComReleaser {
  void operator()(IUnknown* p) const { p->Release(); }
};
template <typename T>
using ComPtr = UniqueHandle<T*, ComReleaser, nullptr>;

struct IdListFreer {
  void operator()(LPITEMIDLIST p) const { CoTaskMemFree(p); }
};
using IdList = UniqueHandle<LPITEMIDLIST, IdListFreer, nullptr>;

// Keeps COM initialised on this thread for one call; leaves it alone when the thread already uses another model.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = UniqueHandle<HANDLE, HandleCloser, nullptr>;

std::optional<std::string> ReadFileBytes(const std::string& path) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  const FileHandle file(h);
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (bytes.size() < (1u << 20) && ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0)
    bytes.append(chunk, read);
  return bytes;
}

// The program an installer-advertised shortcut starts, as the installer resolves it; nullopt when it cannot (not
// installed, or no installer service, as under Wine). msi.dll is loaded only when such a shortcut is met.
std::optional<std::string> InstalledProgram(const std::string& shortcutPath) {
  using GetShortcutTarget = UINT(WINAPI*)(LPCWSTR, LPWSTR, LPWSTR, LPWSTR);
  using GetComponentPath = INT(WINAPI*)(LPCWSTR, LPCWSTR, LPWSTR, DWORD*);
  constexpr INT kInstalledLocally = 3, kRunFromSource = 4, kMoreData = -3;  // the installer's INSTALLSTATE values
  // From System32 only: a bare name would find an msi.dll planted in the program's folder first.
  static const HMODULE msi = LoadLibraryExW(L"msi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!msi) return std::nullopt;
  // Through void(*)(): GetProcAddress's type says nothing of the function's.
  const auto getTarget = reinterpret_cast<GetShortcutTarget>(
      reinterpret_cast<void (*)()>(GetProcAddress(msi, "MsiGetShortcutTargetW")));
  const auto getPath = reinterpret_cast<GetComponentPath>(
      reinterpret_cast<void (*)()>(GetProcAddress(msi, "MsiGetComponentPathW")));
  if (!getTarget || !getPath) return std::nullopt;
  wchar_t product[39] = {}, feature[39] = {}, component[39] = {};
  if (getTarget(Wide(shortcutPath).c_str(), product, feature, component) != ERROR_SUCCESS || !component[0])
    return std::nullopt;
  std::vector<wchar_t> path(MAX_PATH + 1);
  DWORD length = static_cast<DWORD>(path.size());
  INT state = getPath(product, component, path.data(), &length);
  if (state == kMoreData) {
    path.assign(length + 1, L'\0');
    length = static_cast<DWORD>(path.size());
    state = getPath(product, component, path.data(), &length);
  }
  if ((state != kInstalledLocally && state != kRunFromSource) || !path[0]) return std::nullopt;
  return Narrow(path.data());
}

// An advertised shortcut names no program of its own (the shell reports its icon's file): what to show for it.
std::optional<std::string> AdvertisedTarget(const std::string& shortcutPath) {
  const auto bytes = ReadFileBytes(shortcutPath);
  if (!bytes) return std::nullopt;
  const auto parsed = ParseShortcut(*bytes, GetACP());
  if (!parsed || parsed->installerDescriptor.empty()) return std::nullopt;
  if (auto program = InstalledProgram(shortcutPath)) return program;
  return parsed->target;
}

ShellText Failure(int32_t status) { return ShellText{status == 0 ? static_cast<int32_t>(E_FAIL) : status, ""}; }

}  // namespace

// Reads shortcut targets through one shell link object loaded with one file after the other, instead of a new
// object for every shortcut (which cost as much again as the reading and grew the heap with every shortcut). It
// keeps COM initialised on its thread while it lives; a load that fails drops the object, so that the next read
// starts from a new one.
class Win32Shell::LinkReader {
 public:
  LinkReader() : thread_(GetCurrentThreadId()), com_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~LinkReader() {
    file_ = ComPtr<IPersistFile>();
    link_ = ComPtr<IShellLinkW>();
    if (SUCCEEDED(com_)) CoUninitialize();
  }
  LinkReader(const LinkReader&) = delete;
  LinkReader& operator=(const LinkReader&) = delete;

  // True on the thread whose apartment holds the object.
  bool OnItsThread() const { return GetCurrentThreadId() == thread_; }

  // The raw target path of the shortcut file `path`, or the failing status; `advertised` tells whether the link
  // carries an installer's descriptor (then the path is its icon's, not a program).
  HRESULT Read(const std::wstring& path, wchar_t (&target)[MAX_PATH + 1], bool& advertised) {
    advertised = false;
    if (!link_) {
      IShellLinkW* rawLink = nullptr;
      HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&rawLink));
      ComPtr<IShellLinkW> link(rawLink);
      if (FAILED(hr) || !link) return FAILED(hr) ? hr : E_FAIL;
      IPersistFile* rawFile = nullptr;
      hr = link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile));
      ComPtr<IPersistFile> file(rawFile);
      if (FAILED(hr) || !file) return FAILED(hr) ? hr : E_FAIL;
      link_ = std::move(link);
      file_ = std::move(file);
    }
    HRESULT hr = file_.get()->Load(path.c_str(), STGM_READ);
    if (SUCCEEDED(hr)) hr = link_.get()->GetPath(target, MAX_PATH + 1, nullptr, SLGP_RAWPATH);
    if (SUCCEEDED(hr)) {
      IShellLinkDataList* rawData = nullptr;
      if (SUCCEEDED(link_.get()->QueryInterface(IID_IShellLinkDataList, reinterpret_cast<void**>(&rawData))) &&
          rawData) {
        const ComPtr<IShellLinkDataList> data(rawData);
        DWORD flags = 0;
        advertised = SUCCEEDED(data.get()->GetFlags(&flags)) && (flags & SLDF_HAS_DARWINID);
      }
    }
    if (FAILED(hr)) {
      file_ = ComPtr<IPersistFile>();
      link_ = ComPtr<IShellLinkW>();
    }
    return hr;
  }

 private:
  DWORD thread_;
  HRESULT com_;
  ComPtr<IShellLinkW> link_;
  ComPtr<IPersistFile> file_;
};

Win32Shell::Win32Shell() = default;

Win32Shell::~Win32Shell() = default;

ShellText Win32Shell::WindowsFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return Failure(static_cast<int32_t>(GetLastError()));
  return ShellText{0, Narrow(buffer)};
}

ShellText Win32Shell::SpecialFolder(int32_t csidl, std::intptr_t ownerWindow) {
  ComScope com;
  LPITEMIDLIST raw = nullptr;
  const HRESULT hr = SHGetSpecialFolderLocation(reinterpret_cast<HWND>(ownerWindow), csidl, &raw);
  const IdList list(raw);
  if (FAILED(hr) || !list) return Failure(hr);
  wchar_t path[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(list.get(), path)) return Failure(static_cast<int32_t>(E_FAIL));
  return ShellText{0, Narrow(path)};
}

ShellText Win32Shell::ExpandEnvironment(const std::string& text) {
  const std::wstring source = Wide(text);
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD n = ExpandEnvironmentStringsW(source.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return Failure(static_cast<int32_t>(GetLastError()));
    if (n <= buffer.size()) return ShellText{0, Narrow(buffer.data())};
    buffer.assign(n, L'\0');
  }
  return Failure(ERROR_INSUFFICIENT_BUFFER);
}

std::optional<std::string> Win32Shell::EnvironmentVariable(const std::string& name) {
  const std::wstring wideName = Wide(name);
  std::vector<wchar_t> buffer(256);
  for (int attempt = 0; attempt < 4; ++attempt) {
    SetLastError(0);
    const DWORD n = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (n < buffer.size()) return Narrow(buffer.data());
    buffer.assign(n, L'\0');
  }
  return std::nullopt;
}

ShellText Win32Shell::ShortcutTarget(const std::string& shortcutPath) {
  wchar_t target[MAX_PATH + 1] = {};
  HRESULT hr;
  bool advertised = false;
  if (links_ && !links_->OnItsThread()) {
    // Another thread: its own object for this one read.
    LinkReader once;
    hr = once.Read(Wide(shortcutPath), target, advertised);
  } else {
    if (!links_) links_ = std::make_unique<LinkReader>();
    hr = links_->Read(Wide(shortcutPath), target, advertised);
  }
  // Only a link the shell calls advertised, cannot read or reads as no path is read again, by our own reader.
  if (FAILED(hr) || advertised || !target[0])
    if (auto installer = AdvertisedTarget(shortcutPath)) return ShellText{0, std::move(*installer)};
  if (FAILED(hr)) return Failure(hr);
  std::string path = Narrow(target);
  // Some shells give the link's code-page path, where characters outside the code page became "?" (never part
  // of a real path); the link's own Unicode names then tell the true target.
  if (path.find('?') != std::string::npos)
    if (const auto bytes = ReadFileBytes(shortcutPath))
      if (const auto parsed = ParseShortcut(*bytes, GetACP()); parsed && !parsed->target.empty()) path = parsed->target;
  return ShellText{0, path};
}

int32_t Win32Shell::OpenWithAssociatedProgram(const std::string& pathOrAddress) {
  ComScope com;
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", Wide(pathOrAddress).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32 ? 0 : static_cast<int32_t>(result == 0 ? ERROR_OUTOFMEMORY : result);
}

int32_t Win32Shell::RunElevated(const std::string& program, const std::string& parameters) {
  ComScope com;
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"runas", Wide(program).c_str(),
                                                              Wide(parameters).c_str(), nullptr, SW_SHOWNORMAL));
  return result > 32 ? 0 : static_cast<int32_t>(result == 0 ? ERROR_OUTOFMEMORY : result);
}

int32_t Win32Shell::ShowInFolder(const std::string& path) {
  return StartProgram("explorer.exe", "/select,\"" + path + "\"");
}

int32_t Win32Shell::StartProgram(const std::string& program, const std::string& parameters) {
  ComScope com;
  // Through the shell, so that a program that needs an administrator (the registry editor) asks for one.
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
      nullptr, L"open", Wide(program).c_str(), parameters.empty() ? nullptr : Wide(parameters).c_str(), nullptr,
      SW_SHOWNORMAL));
  return result > 32 ? 0 : static_cast<int32_t>(result == 0 ? ERROR_OUTOFMEMORY : result);
}

std::string Win32Shell::RegistryEditorKeyText(const std::string& keyPath) {
  // Wine's registry editor finds the key only from the root key's name on: it takes no computer item first.
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll && GetProcAddress(ntdll, "wine_get_version")) return keyPath;
  return Shell::RegistryEditorKeyText(keyPath);
}

std::optional<FileVersionFacts> Win32Shell::FileVersion(const std::string& path) {
  const std::wstring file = Wide(path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return std::nullopt;
  // The strings live under the first language and code page the resource lists (US English, Unicode without one).
  struct Translation {
    WORD language, codePage;
  };
  Translation* translations = nullptr;
  UINT bytes = 0;
  Translation first{0x0409, 1200};
  if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &bytes) &&
      bytes >= sizeof(Translation))
    first = translations[0];
  const auto text = [&](const wchar_t* name) {
    wchar_t query[64];
    std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", first.language, first.codePage, name);
    wchar_t* value = nullptr;
    UINT chars = 0;
    if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &chars) || !value || chars == 0)
      return std::string();
    return Narrow(std::wstring(value, wcsnlen(value, chars)));
  };
  FileVersionFacts facts{text(L"FileDescription"), text(L"CompanyName"), text(L"FileVersion")};
  VS_FIXEDFILEINFO* fixed = nullptr;
  if (facts.version.empty() && VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &bytes) &&
      fixed && bytes >= sizeof *fixed) {
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, "%lu.%lu.%lu.%lu", HIWORD(fixed->dwFileVersionMS) + 0ul,
                  LOWORD(fixed->dwFileVersionMS) + 0ul, HIWORD(fixed->dwFileVersionLS) + 0ul,
                  LOWORD(fixed->dwFileVersionLS) + 0ul);
    facts.version = numbers;
  }
  return facts;
}

}  // namespace kqm
