#pragma once
#include <string>

#include "platform/registry_api.h"

namespace kqm::test {

// The registry the contract tests run against: the in-memory one natively, the real one under Windows/Wine.
RegistryApi& Registry();
// Sets an environment variable where this backend's ExpandEnvironmentStrings looks.
void SetEnvironment(const std::string& name, const std::string& value);
// True when the tests run against the real registry.
bool IsRealRegistry();
// True when the real registry is Wine's (where a few behaviours differ from Windows).
bool RunningUnderWine();

// A fresh key HKEY_CURRENT_USER\Software\KestrumQuorvelTests\<name>-<n> (or under another root), removed with
// all its subkeys when the object goes.
class TempKey {
 public:
  explicit TempKey(const std::string& name, int32_t root = kHkeyCurrentUser);
  ~TempKey();
  TempKey(const TempKey&) = delete;
  TempKey& operator=(const TempKey&) = delete;
  int32_t Root() const { return root_; }
  // The key's path below its root (UTF-8).
  const std::string& Path() const { return path_; }
  std::u16string Path16() const;

 private:
  int32_t root_;
  std::string path_;
};

// Deletes root\path and everything below it through the seam; true when nothing is left.
bool DeleteTree(RegistryApi& api, RegKey root, const std::u16string& path);

}  // namespace kqm::test
