#include "platform/win32/win32_list_accessible.h"

#include <commctrl.h>

#include "platform/win32/win32_list_view.h"

namespace kqm {

Win32ListAccessible::Win32ListAccessible(Win32ListView& list) : list_(&list), hwnd_(list.Handle()) {
  void* standard = nullptr;
  if (SUCCEEDED(CreateStdAccessibleObject(hwnd_, OBJID_CLIENT, kIidAccessible, &standard)))
    standard_ = static_cast<IAccessible*>(standard);
}

LRESULT Win32ListAccessible::Answer(Win32ListAccessible* object, WPARAM wParam) {
  return AccessibleBase::Answer(object, wParam);
}

Win32ListAccessible::~Win32ListAccessible() {
  if (standard_) standard_->Release();
}

long Win32ListAccessible::Which(const VARIANT& child) const {
  if (!list_ || child.vt != VT_I4) return -1;
  if (child.lVal == CHILDID_SELF) return 0;
  return child.lVal >= 1 && child.lVal <= list_->Count() ? child.lVal : -1;
}

HRESULT Win32ListAccessible::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  if (!list_) return CO_E_OBJNOTCONNECTED;
  return standard_ ? standard_->get_accParent(parent) : S_FALSE;
}

HRESULT Win32ListAccessible::get_accChildCount(long* count) {
  if (!count) return E_POINTER;
  if (!list_) return CO_E_OBJNOTCONNECTED;
  *count = list_->Count();
  return S_OK;
}

HRESULT Win32ListAccessible::get_accChild(VARIANT child, IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  // Rows are simple elements of the list, answered through it.
  return Which(child) > 0 ? S_FALSE : E_INVALIDARG;
}

HRESULT Win32ListAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!name) return E_POINTER;
  *name = nullptr;
  const long which = Which(child);
  if (which < 0) return list_ ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;
  if (which == 0) return standard_ ? standard_->get_accName(child, name) : S_FALSE;
  *name = Text(list_->AccessibleRowName(which));
  return S_OK;
}

HRESULT Win32ListAccessible::get_accValue(VARIANT child, BSTR* value) {
  if (!value) return E_POINTER;
  *value = nullptr;
  return Which(child) < 0 ? E_INVALIDARG : S_FALSE;
}

HRESULT Win32ListAccessible::get_accDescription(VARIANT child, BSTR* text) {
  if (!text) return E_POINTER;
  *text = nullptr;
  const long which = Which(child);
  if (which < 0) return E_INVALIDARG;
  if (which == 0) {
    *text = Text("Columns: Application, Path");
    return S_OK;
  }
  if (!list_->Item(which)->ProgramMissing()) return S_FALSE;
  *text = Text("file not found");
  return S_OK;
}

HRESULT Win32ListAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_POINTER;
  const long which = Which(child);
  if (which < 0) return E_INVALIDARG;
  SetLong(role, which == 0 ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM);
  return S_OK;
}

HRESULT Win32ListAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_POINTER;
  const long which = Which(child);
  if (which < 0) return E_INVALIDARG;
  if (which == 0) {
    if (standard_) return standard_->get_accState(child, state);
    SetLong(state, GetFocus() == hwnd_ ? STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_FOCUSABLE);
    return S_OK;
  }
  const UINT item = ListView_GetItemState(hwnd_, which - 1, LVIS_SELECTED | LVIS_FOCUSED);
  long bits = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  if (item & LVIS_SELECTED) bits |= STATE_SYSTEM_SELECTED;
  if ((item & LVIS_FOCUSED) && GetFocus() == hwnd_) bits |= STATE_SYSTEM_FOCUSED;
  if (list_->Item(which)->Checked()) bits |= STATE_SYSTEM_CHECKED;
  SetLong(state, bits);
  return S_OK;
}

HRESULT Win32ListAccessible::get_accHelp(VARIANT child, BSTR* help) {
  if (!help) return E_POINTER;
  *help = nullptr;
  return Which(child) < 0 ? E_INVALIDARG : S_FALSE;
}

HRESULT Win32ListAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
  if (file) *file = nullptr;
  if (topic) *topic = 0;
  return Which(child) < 0 ? E_INVALIDARG : S_FALSE;
}

HRESULT Win32ListAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  if (!shortcut) return E_POINTER;
  *shortcut = nullptr;
  const long which = Which(child);
  if (which < 0) return E_INVALIDARG;
  if (which > 0) {
    *shortcut = Text("Space");  // ticks or unticks the selected row
    return S_OK;
  }
  return standard_ ? standard_->get_accKeyboardShortcut(child, shortcut) : S_FALSE;
}

HRESULT Win32ListAccessible::get_accFocus(VARIANT* focus) {
  if (!focus) return E_POINTER;
  VariantInit(focus);
  if (!list_) return CO_E_OBJNOTCONNECTED;
  if (GetFocus() != hwnd_) return S_FALSE;
  const int item = ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED);
  SetLong(focus, item >= 0 ? item + 1 : CHILDID_SELF);
  return S_OK;
}

HRESULT Win32ListAccessible::get_accSelection(VARIANT* selection) {
  if (!selection) return E_POINTER;
  VariantInit(selection);
  if (!list_) return CO_E_OBJNOTCONNECTED;
  const int item = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
  if (item < 0) return S_FALSE;
  SetLong(selection, item + 1);
  return S_OK;
}

HRESULT Win32ListAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (!action) return E_POINTER;
  *action = nullptr;
  const long which = Which(child);
  if (which <= 0) return which < 0 ? E_INVALIDARG : S_FALSE;
  *action = Text(list_->Item(which)->Checked() ? "Uncheck" : "Check");
  return S_OK;
}

HRESULT Win32ListAccessible::accSelect(long flags, VARIANT child) {
  const long which = Which(child);
  if (which <= 0) return which < 0 ? E_INVALIDARG : S_FALSE;
  if (flags & SELFLAG_TAKEFOCUS) SetFocus(hwnd_);
  if (flags & (SELFLAG_TAKESELECTION | SELFLAG_TAKEFOCUS)) list_->Select(which);
  return S_OK;
}

HRESULT Win32ListAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  const long which = Which(child);
  if (which < 0) return E_INVALIDARG;
  if (which == 0) return standard_ ? standard_->accLocation(left, top, width, height, child) : S_FALSE;
  RECT r{};
  r.left = LVIR_BOUNDS;
  if (!SendMessageW(hwnd_, LVM_GETITEMRECT, static_cast<WPARAM>(which - 1), reinterpret_cast<LPARAM>(&r)))
    return S_FALSE;
  MapWindowPoints(hwnd_, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
  *left = r.left, *top = r.top, *width = r.right - r.left, *height = r.bottom - r.top;
  return S_OK;
}

HRESULT Win32ListAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  VariantInit(end);
  const long which = Which(start);
  if (which < 0) return E_INVALIDARG;
  const long count = list_->Count();
  long to = 0;
  if (direction == NAVDIR_FIRSTCHILD && which == 0) to = count ? 1 : 0;
  else if (direction == NAVDIR_LASTCHILD && which == 0) to = count;
  else if ((direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) && which > 0) to = which < count ? which + 1 : 0;
  else if ((direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) && which > 0) to = which - 1;
  else if (which == 0 && standard_) return standard_->accNavigate(direction, start, end);
  if (to == 0) return S_FALSE;
  SetLong(end, to);
  return S_OK;
}

HRESULT Win32ListAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (!child) return E_POINTER;
  VariantInit(child);
  if (!list_) return CO_E_OBJNOTCONNECTED;
  POINT p{x, y};
  RECT client;
  ScreenToClient(hwnd_, &p);
  GetClientRect(hwnd_, &client);
  if (!PtInRect(&client, p)) return S_FALSE;
  LVHITTESTINFO hit{};
  hit.pt = p;
  const int item = ListView_HitTest(hwnd_, &hit);
  SetLong(child, item >= 0 && item < list_->Count() ? item + 1 : CHILDID_SELF);
  return S_OK;
}

HRESULT Win32ListAccessible::accDoDefaultAction(VARIANT child) {
  const long which = Which(child);
  if (which <= 0) return which < 0 ? E_INVALIDARG : DISP_E_MEMBERNOTFOUND;
  ListItem* row = list_->Item(which);
  row->Checked(!row->Checked());  // as a click on its tick box: the list reports the change
  return S_OK;
}

}  // namespace kqm
