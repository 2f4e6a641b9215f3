#pragma once
#include <vector>

#include "platform/main_window_view.h"
#include "platform/win32/win32_window.h"

namespace kqm {

// The main window as a real top-level Win32 window with a white client area.
class Win32MainWindowView final : public MainWindowView, public Win32Window<Win32MainWindowView> {
 public:
  static constexpr const wchar_t* kClassName = L"KestrumQuorvelManagerMain";

  ~Win32MainWindowView() override;
  void Create(int clientWidthTwips, int clientHeightTwips, std::function<void()> onUnload) override;
  void SetCaption(const std::string& caption) override;
  std::string Caption() const override;
  void Show() override;
  void Hide() override;
  void Destroy() override;
  int32_t ClientWidth() const override;
  int32_t ClientHeight() const override;
  void OnResize(std::function<void()> handler) override { onResize_ = std::move(handler); }
  void MessageBoxOk(const std::string& title, const std::string& text) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
  // A task dialog with one command button a choice (-1 as well where the common controls offer none).
  int32_t AskChoice(const std::string& title, const std::string& text, const std::vector<std::string>& choices,
                    int32_t defaultChoice) override;
  void RunSoon(std::function<void()> work) override;
  std::intptr_t NativeHandle() const override { return reinterpret_cast<std::intptr_t>(Window()); }
  HWND Handle() const { return Window(); }
  // Queued work runs on a timer, which the window's queue gives out only when no input or painting waits.
  void RunWhenIdle(std::function<void()> work) override;
  // Sets the one handler run with the window's resolution (dots per inch) when it may have changed: the window
  // moved to a monitor of another resolution (WM_DPICHANGED; the handler runs before the window takes the size
  // the system suggests, and the resize handler runs after it), or the system's colours or settings changed.
  void OnDisplayChange(std::function<void(int dpi)> handler) { onDisplayChange_ = std::move(handler); }

 private:
  friend class Win32Window<Win32MainWindowView>;
  static void DescribeClass(WNDCLASSEXW& wc);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void DpiChanged(WPARAM wParam, LPARAM lParam);
  int32_t ToTwips(int pixels) const;
  HWND lastFocus_ = nullptr;  // the control that had the focus when the window was last deactivated
  std::function<void()> onUnload_;
  std::function<void()> onResize_;
  std::function<void(int)> onDisplayChange_;
  std::vector<std::function<void()>> soon_;
  std::vector<std::function<void()>> idle_;
};

}  // namespace kqm
