#include "controls/explorer_bar/win32/explorer_bar_accessible.h"

#include <string>
#include <vector>

#include "controls/explorer_bar/explorer_bar.h"
#include "platform/text.h"

namespace kqm {

namespace {

// The bar's children in order: each group, then its items.
std::vector<ExplorerBarHit> Children(const ExplorerBar& bar) {
  std::vector<ExplorerBarHit> children;
  for (std::size_t g = 0; g < bar.Groups().Count(); ++g) {
    children.push_back({ExplorerBarHit::Kind::GroupHeader, static_cast<int>(g), -1});
    for (std::size_t i = 0; i < bar.Groups().Item(g).Items().Count(); ++i)
      children.push_back({ExplorerBarHit::Kind::Item, static_cast<int>(g), static_cast<int>(i)});
  }
  return children;
}

long ChildId(const ExplorerBar& bar, const ExplorerBarHit& hit) {
  const auto children = Children(bar);
  for (std::size_t i = 0; i < children.size(); ++i)
    if (children[i] == hit) return static_cast<long>(i + 1);
  return CHILDID_SELF;
}

}  // namespace

ExplorerBarAccessible::ExplorerBarAccessible(HWND hwnd, ExplorerBar& bar) : hwnd_(hwnd), bar_(&bar) {}

// Resolves a VARIANT child id: CHILDID_SELF (0) for the bar, else the child it names; false when it names none.
#define KQM_CHILD(varChild, hit, isSelf)                                                    \
  if (!bar_) return CO_E_OBJNOTCONNECTED;                                                   \
  if ((varChild).vt != VT_I4) return E_INVALIDARG;                                          \
  const bool isSelf = (varChild).lVal == CHILDID_SELF;                                      \
  ExplorerBarHit hit;                                                                       \
  if (!isSelf) {                                                                            \
    const auto all = Children(*bar_);                                                       \
    if ((varChild).lVal < 1 || static_cast<std::size_t>((varChild).lVal) > all.size())      \
      return E_INVALIDARG;                                                                  \
    hit = all[static_cast<std::size_t>((varChild).lVal) - 1];                               \
  }

HRESULT ExplorerBarAccessible::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  if (!bar_) return CO_E_OBJNOTCONNECTED;
  return WindowObject(hwnd_, parent);
}

HRESULT ExplorerBarAccessible::get_accChildCount(long* count) {
  if (!count) return E_POINTER;
  if (!bar_) return CO_E_OBJNOTCONNECTED;
  *count = static_cast<long>(Children(*bar_).size());
  return S_OK;
}

HRESULT ExplorerBarAccessible::get_accChild(VARIANT child, IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  KQM_CHILD(child, hit, self);
  static_cast<void>(hit);
  return self ? E_INVALIDARG : S_FALSE;  // groups and items are simple elements of the bar
}

HRESULT ExplorerBarAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!name) return E_POINTER;
  *name = nullptr;
  KQM_CHILD(child, hit, self);
  if (self) {
    wchar_t text[256] = {};
    GetWindowTextW(hwnd_, text, 256);
    *name = SysAllocString(text);
    return S_OK;
  }
  const ExplorerBarGroup& group = bar_->Groups().Item(static_cast<std::size_t>(hit.group));
  *name = Text(hit.kind == ExplorerBarHit::Kind::GroupHeader
                   ? group.DisplayText()
                   : group.Items().Item(static_cast<std::size_t>(hit.item)).DisplayText());
  return S_OK;
}

HRESULT ExplorerBarAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_POINTER;
  KQM_CHILD(child, hit, self);
  SetLong(role, self ? ROLE_SYSTEM_OUTLINE
                     : hit.kind == ExplorerBarHit::Kind::GroupHeader ? ROLE_SYSTEM_GROUPING : ROLE_SYSTEM_LINK);
  return S_OK;
}

HRESULT ExplorerBarAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_POINTER;
  KQM_CHILD(child, hit, self);
  long bits = STATE_SYSTEM_FOCUSABLE;
  if (self) {
    if (bar_->HasFocus()) bits |= STATE_SYSTEM_FOCUSED;
  } else {
    const ExplorerBarGroup& group = bar_->Groups().Item(static_cast<std::size_t>(hit.group));
    if (hit.kind == ExplorerBarHit::Kind::GroupHeader)
      bits |= group.Expanded() ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    else if (!group.Expanded())
      bits |= STATE_SYSTEM_INVISIBLE;
    else
      bits |= STATE_SYSTEM_LINKED;
    if (bar_->HasFocus() && bar_->FocusedItem() == hit) bits |= STATE_SYSTEM_FOCUSED;
    if (bar_->Hover() == hit) bits |= STATE_SYSTEM_HOTTRACKED;
  }
  SetLong(state, bits);
  return S_OK;
}

HRESULT ExplorerBarAccessible::get_accFocus(VARIANT* focus) {
  if (!focus) return E_POINTER;
  if (!bar_) return CO_E_OBJNOTCONNECTED;
  VariantInit(focus);
  if (!bar_->HasFocus()) return S_FALSE;
  const auto focused = bar_->FocusedItem();
  SetLong(focus, focused ? ChildId(*bar_, *focused) : CHILDID_SELF);
  return S_OK;
}

HRESULT ExplorerBarAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (!action) return E_POINTER;
  *action = nullptr;
  KQM_CHILD(child, hit, self);
  if (self) return DISP_E_MEMBERNOTFOUND;
  if (hit.kind == ExplorerBarHit::Kind::GroupHeader)
    *action = SysAllocString(bar_->Groups().Item(static_cast<std::size_t>(hit.group)).Expanded() ? L"Collapse"
                                                                                               : L"Expand");
  else
    *action = SysAllocString(L"Click");
  return S_OK;
}

HRESULT ExplorerBarAccessible::accSelect(long flags, VARIANT child) {
  KQM_CHILD(child, hit, self);
  static_cast<void>(hit);
  if (flags & SELFLAG_TAKEFOCUS) SetFocus(hwnd_);
  return self || (flags & SELFLAG_TAKEFOCUS) ? S_OK : DISP_E_MEMBERNOTFOUND;
}

HRESULT ExplorerBarAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  KQM_CHILD(child, hit, self);
  RECT r{};
  if (self) {
    GetClientRect(hwnd_, &r);
  } else {
    const auto layout = bar_->Layout();
    const auto& group = layout.at(static_cast<std::size_t>(hit.group));
    PixelRect p = group.header;
    if (hit.kind == ExplorerBarHit::Kind::Item) {
      if (static_cast<std::size_t>(hit.item) >= group.items.size()) return S_FALSE;  // its group is collapsed
      p = group.items[static_cast<std::size_t>(hit.item)];
    }
    r = {p.left, p.top, p.right, p.bottom};
  }
  MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
  *left = r.left, *top = r.top, *width = r.right - r.left, *height = r.bottom - r.top;
  return S_OK;
}

HRESULT ExplorerBarAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  VariantInit(end);
  KQM_CHILD(start, hit, self);
  static_cast<void>(hit);
  const long count = static_cast<long>(Children(*bar_).size());
  long target = 0;
  switch (direction) {
    case NAVDIR_FIRSTCHILD: target = self ? 1 : 0; break;
    case NAVDIR_LASTCHILD: target = self ? count : 0; break;
    case NAVDIR_NEXT: case NAVDIR_DOWN: target = self ? 0 : start.lVal + 1; break;
    case NAVDIR_PREVIOUS: case NAVDIR_UP: target = self ? 0 : start.lVal - 1; break;
    default: return E_INVALIDARG;
  }
  if (target < 1 || target > count) return S_FALSE;
  SetLong(end, target);
  return S_OK;
}

HRESULT ExplorerBarAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (!child) return E_POINTER;
  VariantInit(child);
  if (!bar_) return CO_E_OBJNOTCONNECTED;
  POINT p{x, y};
  ScreenToClient(hwnd_, &p);
  RECT client;
  GetClientRect(hwnd_, &client);
  if (!PtInRect(&client, p)) return S_FALSE;
  const ExplorerBarHit hit = bar_->HitTest(p.x, p.y);
  SetLong(child, hit.kind == ExplorerBarHit::Kind::None ? CHILDID_SELF : ChildId(*bar_, hit));
  return S_OK;
}

HRESULT ExplorerBarAccessible::accDoDefaultAction(VARIANT child) {
  KQM_CHILD(child, hit, self);
  if (self) return DISP_E_MEMBERNOTFOUND;
  bar_->DoDefaultAction(hit);
  return S_OK;
}

#undef KQM_CHILD

}  // namespace kqm
