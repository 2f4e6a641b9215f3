#include "platform/win32/win32_change_watcher.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/registry_api.h"
#include "platform/win32/win32_wide_text.h"

namespace kqm {

namespace {

// Posted to the watcher's window: the places of generation wParam have changed.
constexpr UINT kChanged = WM_APP + 20;
// Quiet time after the last change of a burst, and the longest a burst is held back, in milliseconds.
constexpr DWORD kQuietMs = 250;
constexpr DWORD kLongestMs = 1000;

// The key path, or the folder, cut back by its last part; "" when nothing is left.
std::wstring Parent(const std::wstring& path) {
  const size_t cut = path.find_last_of(L'\\');
  if (cut == std::wstring::npos) return L"";
  std::wstring parent = path.substr(0, cut);
  // A drive's root keeps its backslash ("C:\").
  if (parent.size() == 2 && parent[1] == L':') parent += L'\\';
  return parent == path ? L"" : parent;
}

// One armed place: the handle waited for, and whether it is the place itself or a parent standing in for it.
struct Armed {
  WatchedPlace place;
  HKEY key = nullptr;      // registry: the open key
  HANDLE event = nullptr;  // registry: the notification's event; folder: the change notification handle
  bool exact = false;

  void Close() {
    if (key) RegCloseKey(key);
    if (event && place.kind == WatchedPlace::Kind::kRegistryKey) CloseHandle(event);
    if (event && place.kind == WatchedPlace::Kind::kFolder) FindCloseChangeNotification(event);
    key = nullptr, event = nullptr;
  }

  // Opens the place (or its nearest existing parent) and asks to be told of its next change.
  void Arm() {
    Close();
    if (place.kind == WatchedPlace::Kind::kRegistryKey) {
      const REGSAM view = place.view32 ? KEY_WOW64_32KEY : 0;
      const HKEY root = reinterpret_cast<HKEY>(static_cast<intptr_t>(place.root));
      for (std::wstring path = Wide(place.path);; path = Parent(path)) {
        if (RegOpenKeyExW(root, path.c_str(), 0, KEY_NOTIFY | view, &key) == ERROR_SUCCESS) {
          exact = path == Wide(place.path);
          break;
        }
        key = nullptr;
        if (path.empty()) return;
      }
      event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
      // A parent only tells of keys added or removed below it: the place appearing.
      const DWORD filter = exact ? REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET : REG_NOTIFY_CHANGE_NAME;
      if (!event || RegNotifyChangeKeyValue(key, FALSE, filter, event, TRUE) != ERROR_SUCCESS) Close();
      return;
    }
    for (std::wstring path = Wide(place.path); !path.empty(); path = Parent(path)) {
      exact = path == Wide(place.path);
      const DWORD filter = exact ? FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                       FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE |
                                       FILE_NOTIFY_CHANGE_ATTRIBUTES
                                 : FILE_NOTIFY_CHANGE_DIR_NAME;
      const HANDLE h = FindFirstChangeNotificationW(path.c_str(), FALSE, filter);
      if (h != INVALID_HANDLE_VALUE) {
        event = h;
        return;
      }
    }
  }

  // After the handle was signalled: asked again for the next change. A stand-in parent is replaced by the place
  // once it exists.
  void Rearm() {
    if (!exact) return Arm();
    if (place.kind == WatchedPlace::Kind::kFolder) {
      if (!FindNextChangeNotification(event)) Arm();
    } else if (RegNotifyChangeKeyValue(key, FALSE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, event,
                                       TRUE) != ERROR_SUCCESS) {
      Arm();  // the key was deleted: watch for it to come back
    }
  }
};

}  // namespace

struct Win32ChangeWatcher::Shared {
  std::mutex mutex;
  std::vector<WatchedPlace> places;
  unsigned generation = 0;  // counts the place sets handed over; a report names the set it is about
  unsigned armed = 0;       // the generation whose places are armed
  std::condition_variable armedChanged;
  bool stop = false;
  HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HWND window = nullptr;
  std::atomic<unsigned> current{0};  // the generation whose reports still count (read on the window's thread)
  ~Shared() {
    if (wake) CloseHandle(wake);
  }
};

Win32ChangeWatcher::Win32ChangeWatcher() : shared_(std::make_shared<Shared>()) {}

Win32ChangeWatcher::~Win32ChangeWatcher() {
  Stop();
  {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->stop = true;
  }
  if (shared_->wake) SetEvent(shared_->wake);
  if (thread_.joinable()) thread_.join();
  DestroyHandle();
}

LRESULT Win32ChangeWatcher::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kChanged) {
    // A report about places no longer watched is stale.
    if (static_cast<unsigned>(wParam) == shared_->current.load() && onChange_) {
      if (std::function<void()> handler = onChange_) handler();
    }
    return 0;
  }
  return DefaultMessage(msg, wParam, lParam);
}

void Win32ChangeWatcher::Watch(const std::vector<WatchedPlace>& places, std::function<void()> onChange) {
  onChange_ = std::move(onChange);
  // The same places stay armed: a change meanwhile is still reported.
  if (places == places_ && !places_.empty()) return;
  places_ = places;
  // The message window is made with the first places to watch, not with the program: its window would otherwise
  // be the first of the process and hold up the main window's first showing.
  if (!Window()) shared_->window = CreateHandle(0, 0, 0, 0, 0, 0, HWND_MESSAGE);
  std::unique_lock<std::mutex> lock(shared_->mutex);
  shared_->places = places;
  const unsigned generation = shared_->current = ++shared_->generation;
  // The thread that waits for the changes starts with the first places to watch, not with the program: under
  // Wine a process that has a second thread opens its first window markedly slower (the host's libraries then
  // lock on every call, reading the input method's tables among them).
  if (!thread_.joinable() && Window() && shared_->wake) thread_ = std::thread([this] { Run(); });
  if (!shared_->wake || !thread_.joinable()) return;
  SetEvent(shared_->wake);
  // A change made once Watch has returned is reported: wait (briefly) for the places to be armed.
  shared_->armedChanged.wait_for(lock, std::chrono::seconds(2),
                                 [&] { return shared_->armed - generation < 0x80000000u; });
}

void Win32ChangeWatcher::Stop() {
  onChange_ = nullptr;
  places_.clear();
  {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->places.clear();
    shared_->current = ++shared_->generation;
  }
  if (shared_->wake) SetEvent(shared_->wake);
}

void Win32ChangeWatcher::Run() {
  Shared& shared = *shared_;
  std::vector<Armed> armed;
  unsigned generation = 0;
  bool pending = false;
  DWORD firstChange = 0, lastChange = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(shared.mutex);
      if (shared.stop) break;
      if (shared.generation != generation) {
        for (Armed& a : armed) a.Close();
        armed.clear();
        generation = shared.generation;
        pending = false;
        for (const WatchedPlace& place : shared.places) {
          armed.push_back(Armed{place});
          armed.back().Arm();
        }
        shared.armed = generation;
        lock.unlock();
        shared.armedChanged.notify_all();
      }
    }
    std::vector<HANDLE> handles{shared.wake};
    std::vector<size_t> which;
    for (size_t i = 0; i < armed.size() && handles.size() < MAXIMUM_WAIT_OBJECTS; ++i)
      if (armed[i].event) {
        handles.push_back(armed[i].event);
        which.push_back(i);
      }
    DWORD timeout = INFINITE;
    if (pending) {
      const DWORD now = GetTickCount();
      const DWORD quietLeft = kQuietMs - std::min<DWORD>(kQuietMs, now - lastChange);
      const DWORD longestLeft = kLongestMs - std::min<DWORD>(kLongestMs, now - firstChange);
      timeout = std::min(quietLeft, longestLeft);
    }
    const DWORD r = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, timeout);
    if (r == WAIT_TIMEOUT) {
      pending = false;
      PostMessageW(shared.window, kChanged, generation, 0);
    } else if (r > WAIT_OBJECT_0 && r < WAIT_OBJECT_0 + handles.size()) {
      armed[which[r - WAIT_OBJECT_0 - 1]].Rearm();
      lastChange = GetTickCount();
      if (!pending) firstChange = lastChange;
      pending = true;
    } else if (r == WAIT_FAILED) {
      Sleep(kQuietMs);  // a handle went bad: the next round arms what can be armed
      for (Armed& a : armed)
        if (!a.event) a.Arm();
    }
  }
  for (Armed& a : armed) a.Close();
}

}  // namespace kqm
