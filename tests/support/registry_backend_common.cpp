#include <atomic>
#include <chrono>

#include "platform/text.h"
#include "registry_backend.h"

namespace kqm::test {

bool DeleteTree(RegistryApi& api, RegKey root, const std::u16string& path) {
  RegKey key = 0;
  if (api.OpenKey(root, path, kKeyEnumerateSubKeys | kKeyQueryValue, key) == kRegOk) {
    char16_t name[512];
    // Always enumerate index 0: deleting shifts the rest down.
    while (api.EnumKey(key, 0, name, 512) == kRegOk) {
      if (!DeleteTree(api, root, path + u"\\" + name)) break;
    }
    api.CloseKey(key);
  }
  return api.DeleteKey(root, path) == kRegOk;
}

TempKey::TempKey(const std::string& name, int32_t root) : root_(root) {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007;
  path_ = "Software\\KestrumQuorvelTests\\" + name + "-" + std::to_string(stamp) + "-" + std::to_string(counter++);
  RegKey key = 0;
  if (Registry().CreateKey(RootKey(root_), Path16(), kKeyAll63, key) == kRegOk) Registry().CloseKey(key);
}

TempKey::~TempKey() { DeleteTree(Registry(), RootKey(root_), Path16()); }

std::u16string TempKey::Path16() const { return Utf8ToUtf16(path_); }

}  // namespace kqm::test
