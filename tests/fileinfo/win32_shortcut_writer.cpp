#include "win32_shortcut_writer.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/unique_handle.h"
#include "platform/win32/win32_wide_text.h"

namespace kqm::test {

namespace {
struct ComReleaser {
  void operator()(IUnknown* p) const { p->Release(); }
};
template <typename T>
using ComPtr = UniqueHandle<T*, ComReleaser, nullptr>;
}  // namespace

int32_t WriteShortcutWithShell(const std::string& linkPath, const std::string& target, const std::string& arguments,
                               const std::string& workingDirectory, const std::string& description) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HRESULT hr = E_FAIL;
  {
    IShellLinkW* rawLink = nullptr;
    hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                          reinterpret_cast<void**>(&rawLink));
    const ComPtr<IShellLinkW> link(rawLink);
    if (SUCCEEDED(hr)) hr = link.get()->SetPath(Wide(target).c_str());
    if (SUCCEEDED(hr) && !arguments.empty()) hr = link.get()->SetArguments(Wide(arguments).c_str());
    if (SUCCEEDED(hr) && !workingDirectory.empty()) hr = link.get()->SetWorkingDirectory(Wide(workingDirectory).c_str());
    if (SUCCEEDED(hr) && !description.empty()) hr = link.get()->SetDescription(Wide(description).c_str());
    IPersistFile* rawFile = nullptr;
    if (SUCCEEDED(hr)) hr = link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile));
    const ComPtr<IPersistFile> file(rawFile);
    if (SUCCEEDED(hr)) hr = file.get()->Save(Wide(linkPath).c_str(), TRUE);
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return SUCCEEDED(hr) ? 0 : static_cast<int32_t>(hr);
}

}  // namespace kqm::test
