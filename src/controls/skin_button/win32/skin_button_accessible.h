#pragma once
#include <windows.h>

#include "platform/win32/win32_accessible.h"

namespace kqm {

class SkinButtonHost;

// What a screen reader is told about a skinned button (Microsoft Active Accessibility): a push button, or a
// check box in check-box mode, named by its caption as shown ("&&" as "&", the access-key mark dropped), with
// its access key, its state (pressed or checked, focused, unavailable, default) and a default action that clicks
// it. The object has no children. Once its window is gone, every call fails.
class SkinButtonAccessible final : public AccessibleBase {
 public:
  // Holds one reference, which the caller takes over.
  SkinButtonAccessible(HWND hwnd, SkinButtonHost& host);
  // The window is going: no call reaches the button any more.
  void Disconnect() { host_ = nullptr; }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  // Clicks the button as BM_CLICK does, once the caller's request has returned (a click may open a window).
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;

 private:
  ~SkinButtonAccessible() override = default;
  // S_OK when the object is connected and `child` names the button itself.
  HRESULT Check(const VARIANT& child) const;

  HWND hwnd_;
  SkinButtonHost* host_;
};

}  // namespace kqm
