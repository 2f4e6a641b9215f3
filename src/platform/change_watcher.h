#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kqm {

// A place whose changes are watched: a registry key (a predefined root's number, the path below it and the view
// it is opened in) or a folder (a Windows path).
struct WatchedPlace {
  enum class Kind { kRegistryKey, kFolder };
  Kind kind = Kind::kRegistryKey;
  int32_t root = 0;     // registry keys only
  std::string path;     // the key below `root`, or the folder
  bool view32 = false;  // registry keys only: the view 32-bit programs see
  bool operator==(const WatchedPlace&) const = default;
};

// Tells the program when places change outside it: "watch these places; call me when one changes".
class ChangeWatcher {
 public:
  virtual ~ChangeWatcher() = default;
  // From now on watches exactly `places` (replacing the places watched before). A place that does not exist yet
  // counts as changed once it appears. After one or more of them change, `onChange` runs once on the thread that
  // called Watch, from its message loop (never inside Watch), shortly after the last change of a burst.
  virtual void Watch(const std::vector<WatchedPlace>& places, std::function<void()> onChange) = 0;
  // Stops watching; `onChange` is not run after this returns.
  virtual void Stop() = 0;
};

}  // namespace kqm
