#pragma once
#include "platform/main_window_view.h"

struct HWND__;

namespace kqm {

// The main window as a real top-level Win32 window.
class Win32MainWindowView final : public MainWindowView {
 public:
  ~Win32MainWindowView() override;
  void Create(int clientWidthTwips, int clientHeightTwips, std::function<void()> onUnload) override;
  void SetCaption(const std::string& caption) override;
  std::string Caption() const override;
  void Show() override;
  void Hide() override;
  void Destroy() override;
  HWND__* Handle() const { return hwnd_; }

 private:
  static intptr_t __stdcall WndProc(HWND__* hwnd, unsigned msg, uintptr_t wParam, intptr_t lParam);
  HWND__* hwnd_ = nullptr;
  std::function<void()> onUnload_;
};

}  // namespace kqm
