#pragma once
#include <windows.h>

#include "ui/main_window/history_window.h"

namespace kqm {

// The History window as a modal dialog over the main window: a report list of the changes (time, action,
// location, name, result; a screen reader reads its columns by name), an Undo button for the selected change and a
// Close button (Esc). The list is read again after every undo.
class Win32HistoryWindow final : public HistoryWindow {
 public:
  static constexpr const wchar_t* kTitle = L"History";
  // The window the dialog belongs to (it is disabled while the dialog is shown).
  void Owner(HWND owner) { owner_ = owner; }
  void Show(const Handlers& handlers) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace kqm
