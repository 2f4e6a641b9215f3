#pragma once
#include <atomic>
#include <memory>
#include <thread>

#include "platform/change_watcher.h"
#include "platform/win32/win32_window.h"

namespace kqm {

// Watches registry keys (RegNotifyChangeKeyValue: names and values of the key itself) and folders
// (FindFirstChangeNotificationW: names, sizes, times and attributes of its entries) on a thread of its own. A
// place that does not exist yet is watched through its nearest existing parent until it appears. A burst of
// changes is reported once, a short quiet time after its last change (at most about a second after its first),
// as a message to a window of the thread that first gave it places to watch, which runs the handler from its
// message loop.
class Win32ChangeWatcher final : public ChangeWatcher, public Win32Window<Win32ChangeWatcher> {
 public:
  static constexpr const wchar_t* kClassName = L"KestrumQuorvelManager.ChangeWatcher";

  // Makes nothing yet: the first Watch makes the watcher's message window on its thread, whose message loop then
  // runs the handlers.
  Win32ChangeWatcher();
  ~Win32ChangeWatcher() override;
  Win32ChangeWatcher(const Win32ChangeWatcher&) = delete;
  Win32ChangeWatcher& operator=(const Win32ChangeWatcher&) = delete;

  void Watch(const std::vector<WatchedPlace>& places, std::function<void()> onChange) override;
  void Stop() override;

 private:
  struct Shared;
  friend class Win32Window<Win32ChangeWatcher>;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void Run();

  std::shared_ptr<Shared> shared_;
  std::function<void()> onChange_;
  std::vector<WatchedPlace> places_;
  std::thread thread_;
};

}  // namespace kqm
