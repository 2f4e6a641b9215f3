#pragma once
#include <windows.h>

#include <memory>

#include "controls/explorer_bar/explorer_bar.h"
#include "platform/win32/win32_system_colors.h"
#include "platform/win32/win32_window.h"

namespace kqm {

// The window class every navigation bar window belongs to.
inline constexpr wchar_t kExplorerBarClassName[] = L"KestrumQuorvelManager.ExplorerBar";

// Registers the window class in this module (once; later calls succeed at once). False on failure.
bool RegisterExplorerBarClass();

// An ExplorerBar living in a real child window: it paints the gradient, the group headers (32 by 32 icons
// from the group image list, an HIMAGELIST) and the items (16 by 16 icons from the item image list), follows
// the mouse and the keyboard, and raises the bar's item-click event. Image lists are given to the bar as
// reinterpret_cast<std::intptr_t>(himagelist) and stay owned by the caller.
class ExplorerBarAccessible;

class ExplorerBarHost final : public Win32Window<ExplorerBarHost> {
 public:
  static constexpr const wchar_t* kClassName = kExplorerBarClassName;

  // Use Create; the key keeps construction inside it.
  struct Key {};
  explicit ExplorerBarHost(Key) {}

  // Creates the visible child window at (x, y) with the size in pixels and the control id (it takes part in
  // tab order: WS_TABSTOP). It draws in the colours `colors` gives (the session's own when null; it must outlive
  // the bar). Null when the window cannot be created.
  static std::unique_ptr<ExplorerBarHost> Create(HWND parent, int id, int x, int y, int width, int height,
                                                 const SystemColors* colors = nullptr);
  ~ExplorerBarHost();
  ExplorerBarHost(const ExplorerBarHost&) = delete;
  ExplorerBarHost& operator=(const ExplorerBarHost&) = delete;

  ExplorerBar& Bar() { return bar_; }

  // The resolution the bar is shown at changes (its window moved to another monitor): sizes, fonts and the
  // scroll range follow; the container gives the bar its new width and image lists.
  void SetDpi(int dpi);

 private:
  friend class Win32Window<ExplorerBarHost>;
  static void DescribeClass(WNDCLASSEXW& cls) { cls.style = CS_HREDRAW | CS_VREDRAW; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc, const RECT& clip);
  void SyncScrollBar();
  void Scroll(WORD request);

  ExplorerBar bar_;
  Win32SystemColors sessionColors_;
  const SystemColors* colors_ = &sessionColors_;
  bool tracking_ = false;
  bool syncing_ = false;
  bool releasing_ = false;
  ExplorerBarAccessible* accessible_ = nullptr;  // made on the first request, one reference held here
};

}  // namespace kqm
