#pragma once
#include <windows.h>

#include "platform/win32/win32_accessible.h"

namespace kqm {

class ExplorerBar;

// What a screen reader is told about a navigation bar (Microsoft Active Accessibility): the bar is an outline
// whose children, counted from 1, are its groups (groupings, expanded or collapsed) each followed by its items
// (links); names are the captions as shown ("&&" as "&"), the default action of a group opens or closes it and
// that of an item clicks it. The object outlives nothing: once its window is gone, every call fails.
class ExplorerBarAccessible final : public AccessibleBase {
 public:
  // Holds one reference, which the caller takes over.
  ExplorerBarAccessible(HWND hwnd, ExplorerBar& bar);
  // The window is going: no call reaches the bar any more.
  void Disconnect() { bar_ = nullptr; }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;

 private:
  ~ExplorerBarAccessible() override = default;

  HWND hwnd_;
  ExplorerBar* bar_;
};

}  // namespace kqm
