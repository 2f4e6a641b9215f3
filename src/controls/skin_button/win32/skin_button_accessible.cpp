#include "controls/skin_button/win32/skin_button_accessible.h"

#include <string>

#include "controls/skin_button/win32/skin_button_host.h"
#include "platform/text.h"

namespace kqm {

SkinButtonAccessible::SkinButtonAccessible(HWND hwnd, SkinButtonHost& host) : hwnd_(hwnd), host_(&host) {}

HRESULT SkinButtonAccessible::Check(const VARIANT& child) const {
  if (!host_) return CO_E_OBJNOTCONNECTED;
  if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return E_INVALIDARG;
  return S_OK;
}

HRESULT SkinButtonAccessible::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  if (!host_) return CO_E_OBJNOTCONNECTED;
  return WindowObject(hwnd_, parent);
}

HRESULT SkinButtonAccessible::get_accChildCount(long* count) {
  if (!count) return E_POINTER;
  if (!host_) return CO_E_OBJNOTCONNECTED;
  *count = 0;
  return S_OK;
}

HRESULT SkinButtonAccessible::get_accChild(VARIANT, IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return host_ ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;
}

HRESULT SkinButtonAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!name) return E_POINTER;
  *name = nullptr;
  if (const HRESULT hr = Check(child); hr != S_OK) return hr;
  *name = Text(CaptionShown(host_->Button().Caption()));
  return S_OK;
}

HRESULT SkinButtonAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_POINTER;
  VariantInit(role);
  if (const HRESULT hr = Check(child); hr != S_OK) return hr;
  SetLong(role, host_->Button().CheckBoxBehaviour() ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_PUSHBUTTON);
  return S_OK;
}

HRESULT SkinButtonAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_POINTER;
  VariantInit(state);
  if (const HRESULT hr = Check(child); hr != S_OK) return hr;
  const sknButton& button = host_->Button();
  long bits = 0;
  if (!button.Enabled() || !IsWindowEnabled(hwnd_)) {
    bits |= STATE_SYSTEM_UNAVAILABLE;
  } else {
    bits |= STATE_SYSTEM_FOCUSABLE;
    if (GetFocus() == hwnd_) bits |= STATE_SYSTEM_FOCUSED;
  }
  if (!IsWindowVisible(hwnd_)) bits |= STATE_SYSTEM_INVISIBLE;
  // A check box is drawn down while ticked: that is its checked state, not a press.
  if (button.CheckBoxBehaviour()) {
    if (button.Value()) bits |= STATE_SYSTEM_CHECKED;
  } else if (button.LastState() == kStateDown) {
    bits |= STATE_SYSTEM_PRESSED;
  }
  if (host_->DisplayAsDefault()) bits |= STATE_SYSTEM_DEFAULT;
  if (button.IsOver()) bits |= STATE_SYSTEM_HOTTRACKED;
  SetLong(state, bits);
  return S_OK;
}

HRESULT SkinButtonAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  if (!shortcut) return E_POINTER;
  *shortcut = nullptr;
  if (const HRESULT hr = Check(child); hr != S_OK) return hr;
  const std::string key = sknButton::AccessKeyOf(host_->Button().Caption());
  if (key.empty()) return S_FALSE;
  *shortcut = Text("Alt+" + key);
  return S_OK;
}

HRESULT SkinButtonAccessible::get_accFocus(VARIANT* focus) {
  if (!focus) return E_POINTER;
  VariantInit(focus);
  if (!host_) return CO_E_OBJNOTCONNECTED;
  if (GetFocus() != hwnd_) return S_FALSE;
  SetLong(focus, CHILDID_SELF);
  return S_OK;
}

HRESULT SkinButtonAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (!action) return E_POINTER;
  *action = nullptr;
  if (const HRESULT hr = Check(child); hr != S_OK) return hr;
  const sknButton& button = host_->Button();
  // The words the system's own buttons and check boxes use.
  *action = SysAllocString(!button.CheckBoxBehaviour() ? L"Press" : button.Value() ? L"Uncheck" : L"Check");
  return S_OK;
}

HRESULT SkinButtonAccessible::accSelect(long flags, VARIANT child) {
  if (const HRESULT hr = Check(child); hr != S_OK) return hr;
  if ((flags & SELFLAG_TAKEFOCUS) == 0) return DISP_E_MEMBERNOTFOUND;
  SetFocus(hwnd_);
  return S_OK;
}

HRESULT SkinButtonAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  if (const HRESULT hr = Check(child); hr != S_OK) return hr;
  RECT r{};
  GetWindowRect(hwnd_, &r);
  *left = r.left, *top = r.top, *width = r.right - r.left, *height = r.bottom - r.top;
  return S_OK;
}

HRESULT SkinButtonAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  VariantInit(end);
  if (const HRESULT hr = Check(start); hr != S_OK) return hr;
  // No children; the button's neighbours are its window's siblings, which the window's own object finds.
  if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) return S_FALSE;
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT SkinButtonAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (!child) return E_POINTER;
  VariantInit(child);
  if (!host_) return CO_E_OBJNOTCONNECTED;
  RECT r{};
  GetWindowRect(hwnd_, &r);
  if (!PtInRect(&r, POINT{x, y})) return S_FALSE;
  SetLong(child, CHILDID_SELF);
  return S_OK;
}

HRESULT SkinButtonAccessible::accDoDefaultAction(VARIANT child) {
  if (const HRESULT hr = Check(child); hr != S_OK) return hr;
  if (!IsWindowEnabled(hwnd_) || !host_->Button().Enabled()) return E_FAIL;
  // Posted, as the system's buttons do: a click that opens a modal window must not hold the caller.
  return PostMessageW(hwnd_, BM_CLICK, 0, 0) ? S_OK : E_FAIL;
}

}  // namespace kqm
