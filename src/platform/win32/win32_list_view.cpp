#include "platform/win32/win32_list_view.h"

#include <windows.h>

#include <commctrl.h>

#include "platform/win32/win32_wide_text.h"

namespace kqm {

namespace {
constexpr wchar_t kSelfProp[] = L"KestrumQuorvelManager.ListView";
}

class Win32ListView::Row final : public ListItem {
 public:
  Row(Win32ListView& list, uintptr_t id, std::string text, int32_t smallIcon)
      : list_(list), id_(id), text_(std::move(text)), smallIcon_(smallIcon) {}
  std::string Text() const override { return text_; }
  bool Checked() const override {
    const int pos = list_.RowPosition(*this);
    return pos >= 0 && ListView_GetCheckState(list_.hwnd_, pos) != 0;
  }
  void Checked(bool bChecked) override {
    const int pos = list_.RowPosition(*this);
    if (pos < 0 || Checked() == bChecked) return;
    // The control reports the change through LVN_ITEMCHANGED, which raises the tick-change event.
    ListView_SetCheckState(list_.hwnd_, pos, bChecked ? TRUE : FALSE);
  }
  std::string Tag() const override { return tag_; }
  void Tag(const std::string& sTag) override { tag_ = sTag; }
  int32_t SmallIcon() const override { return smallIcon_; }
  void AddSubItem(const std::string& sText) override {
    subItems_.push_back(sText);
    if (subItems_.size() != 1) return;
    const int pos = list_.RowPosition(*this);
    if (pos < 0) return;
    std::wstring wide = Wide(sText);
    ListView_SetItemText(list_.hwnd_, pos, 1, wide.data());
  }
  std::string SubItem(int32_t index) const override {
    return index >= 1 && static_cast<size_t>(index) <= subItems_.size() ? subItems_[index - 1] : std::string();
  }
  uintptr_t Id() const { return id_; }

 private:
  Win32ListView& list_;
  uintptr_t id_;
  std::string text_;
  std::string tag_;
  int32_t smallIcon_;
  std::vector<std::string> subItems_;
};

Win32ListView::Win32ListView(HWND parent, int id, int32_t leftTwips, int32_t topTwips, int32_t widthTwips,
                             int32_t heightTwips, _IMAGELIST* smallIcons)
    : parent_(parent), left_(leftTwips), top_(topTwips), width_(widthTwips), height_(heightTwips) {
  const HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  const Rect px = PixelRect();
  hwnd_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL |
                              LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | LVS_NOCOLUMNHEADER,
                          px.left, px.top, px.width, px.height, parent, reinterpret_cast<HMENU>(intptr_t{id}),
                          GetModuleHandleW(nullptr), nullptr);
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  if (smallIcons) ListView_SetImageList(hwnd_, smallIcons, LVSIL_SMALL);
  const wchar_t* captions[2] = {L"App", L"Path"};
  for (int c = 0; c < 2; ++c) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<wchar_t*>(captions[c]);
    col.cx = MulDiv(columnTwips_[c], dpi_, 1440);
    col.iSubItem = c;
    ListView_InsertColumn(hwnd_, c, &col);
  }
  SetPropW(hwnd_, kSelfProp, this);
  controlProc_ = reinterpret_cast<decltype(controlProc_)>(
      SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlProc)));
}

Win32ListView::~Win32ListView() {
  if (hwnd_ && IsWindow(hwnd_)) {
    quiet_ = true;
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc_));
    RemovePropW(hwnd_, kSelfProp);
    DestroyWindow(hwnd_);
  }
}

void Win32ListView::ReflectNotify(uintptr_t wParam, intptr_t lParam) {
  const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
  if (hdr && hdr->hwndFrom) SendMessageW(hdr->hwndFrom, kReflectedNotify, wParam, lParam);
}

intptr_t __stdcall Win32ListView::ControlProc(HWND hwnd, unsigned msg, uintptr_t wParam, intptr_t lParam) {
  auto* self = static_cast<Win32ListView*>(GetPropW(hwnd, kSelfProp));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == kReflectedNotify) {
    if (reinterpret_cast<const NMHDR*>(lParam)->code == LVN_ITEMCHANGED) self->HandleItemChanged(
        reinterpret_cast<const NMHDR*>(lParam));
    return 0;
  }
  const auto original = self->controlProc_;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropW(hwnd, kSelfProp);
    self->hwnd_ = nullptr;
  }
  return CallWindowProcW(reinterpret_cast<WNDPROC>(original), hwnd, msg, wParam, lParam);
}

void Win32ListView::HandleItemChanged(const void* nmListView) {
  const auto* nm = static_cast<const NMLISTVIEW*>(nmListView);
  if (quiet_ || !(nm->uChanged & LVIF_STATE)) return;
  const unsigned before = (nm->uOldState & LVIS_STATEIMAGEMASK) >> 12;
  const unsigned after = (nm->uNewState & LVIS_STATEIMAGEMASK) >> 12;
  // A new row first receives its unticked image from "no image" (0); that is no change of a tick.
  if (before == 0 || after == 0 || before == after) return;
  for (auto& row : rows_) {
    if (row->Id() != static_cast<uintptr_t>(nm->lParam)) continue;
    if (ItemCheckHandler handler = onItemCheck_) handler(*row);
    return;
  }
}

int Win32ListView::RowPosition(const Row& row) const {
  LVFINDINFOW find{};
  find.flags = LVFI_PARAM;
  find.lParam = static_cast<LPARAM>(row.Id());
  return ListView_FindItem(hwnd_, -1, &find);
}

void Win32ListView::Clear() {
  quiet_ = true;
  ListView_DeleteAllItems(hwnd_);
  quiet_ = false;
  rows_.clear();
}

ListItem* Win32ListView::Add(const std::string& sText, int32_t smallIcon) {
  std::wstring wide = Wide(sText);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE | (smallIcon > 0 ? LVIF_IMAGE : 0);
  item.iItem = Count();
  item.pszText = wide.data();
  item.lParam = static_cast<LPARAM>(nextId_);
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(1);
  item.iImage = smallIcon - 1;  // the list counts icons from 1, the image list from 0
  quiet_ = true;
  const int pos = ListView_InsertItem(hwnd_, &item);
  quiet_ = false;
  if (pos < 0) return nullptr;
  rows_.push_back(std::make_unique<Row>(*this, nextId_++, sText, smallIcon));
  return rows_.back().get();
}

int32_t Win32ListView::Count() const { return static_cast<int32_t>(rows_.size()); }

ListItem* Win32ListView::Item(int32_t index) {
  return index >= 1 && index <= Count() ? rows_[index - 1].get() : nullptr;
}

ListItem* Win32ListView::SelectedItem() {
  const int pos = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
  if (pos < 0) return nullptr;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = pos;
  if (!ListView_GetItem(hwnd_, &item)) return nullptr;
  for (auto& row : rows_)
    if (row->Id() == static_cast<uintptr_t>(item.lParam)) return row.get();
  return nullptr;
}

void Win32ListView::Select(int32_t index) {
  ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (index < 1 || index > Count()) return;
  const int pos = RowPosition(*rows_[index - 1]);
  ListView_SetItemState(hwnd_, pos, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void Win32ListView::Visible(bool bVisible) { ShowWindow(hwnd_, bVisible ? SW_SHOW : SW_HIDE); }

bool Win32ListView::IsVisible() const { return IsWindowVisible(hwnd_) != FALSE; }

void Win32ListView::ZOrder() { SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); }

Win32ListView::Rect Win32ListView::PixelRect() const {
  return {MulDiv(left_, dpi_, 1440), MulDiv(top_, dpi_, 1440), MulDiv(width_, dpi_, 1440),
          MulDiv(height_, dpi_, 1440)};
}

int32_t Win32ListView::ToTwips(int pixels, int32_t cachedTwips) const {
  // Twips the program set come back unchanged while the control still has the size they gave.
  return MulDiv(cachedTwips, dpi_, 1440) == pixels ? cachedTwips : MulDiv(pixels, 1440, dpi_);
}

void Win32ListView::Place() {
  const Rect px = PixelRect();
  SetWindowPos(hwnd_, nullptr, px.left, px.top, px.width, px.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int32_t Win32ListView::Left() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(HWND_DESKTOP, parent_, reinterpret_cast<POINT*>(&r), 2);
  return ToTwips(r.left, left_);
}

void Win32ListView::Left(int32_t twips) {
  left_ = twips;
  Place();
}

int32_t Win32ListView::Width() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  return ToTwips(r.right - r.left, width_);
}

void Win32ListView::Width(int32_t twips) {
  if (twips < 0) return;  // a negative size is refused; the old one stays
  width_ = twips;
  Place();
}

int32_t Win32ListView::Height() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  return ToTwips(r.bottom - r.top, height_);
}

void Win32ListView::Height(int32_t twips) {
  if (twips < 0) return;
  height_ = twips;
  Place();
}

void Win32ListView::Refresh() { RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

int32_t Win32ListView::ColumnWidth(int32_t index) const {
  if (index < 1 || index > 2) return 0;
  return ToTwips(ListView_GetColumnWidth(hwnd_, index - 1), columnTwips_[index - 1]);
}

void Win32ListView::ColumnWidth(int32_t index, int32_t twips) {
  if (index < 1 || index > 2 || twips < 0) return;
  columnTwips_[index - 1] = twips;
  ListView_SetColumnWidth(hwnd_, index - 1, MulDiv(twips, dpi_, 1440));
}

}  // namespace kqm
