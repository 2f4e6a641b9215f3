#pragma once
#include <windows.h>

#include <oleacc.h>

#include "platform/win32/win32_accessible.h"

namespace kqm {

class Win32ListView;

// What a screen reader is told about the list of startup entries (Microsoft Active Accessibility): a list whose
// description names its columns ("Application", "Path") and whose children, counted from 1, are its rows, each
// read as "<name>, <path>, on|off" (described as "file not found" when its program is missing), selectable, with
// its tick as the checked state and ticking or unticking as the default action. What it does not answer itself
// (the window's place, parent, keyboard help) the system's standard object for the window answers. Once the list
// is gone every call about a row fails.
class Win32ListAccessible final : public AccessibleBase {
 public:
  // Holds one reference, which the caller takes over.
  explicit Win32ListAccessible(Win32ListView& list);
  // The list is going: no call reaches it any more.
  void Disconnect() { list_ = nullptr; }
  // The answer to WM_GETOBJECT (its wParam) that hands `object` to the asking client; 0 when it cannot be given.
  static LRESULT Answer(Win32ListAccessible* object, WPARAM wParam);

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;

 private:
  ~Win32ListAccessible() override;
  // 0 for the list itself, the row number for a row, -1 for anything else (or once the list is gone).
  long Which(const VARIANT& child) const;

  Win32ListView* list_;
  HWND hwnd_;
  IAccessible* standard_ = nullptr;  // the system's object for the window, or null
};

}  // namespace kqm
