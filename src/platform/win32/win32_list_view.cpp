#include "platform/win32/win32_list_view.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/text.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_list_accessible.h"
#include "platform/win32/win32_wide_text.h"

namespace kqm {

// A row knows its position: rows are only appended and all cleared at once, and the control never sorts, so
// row i of the list is item i - 1 of the control. No operation on a row searches the control.
class Win32ListView::Row final : public ListItem {
 public:
  Row(Win32ListView& list, int position, std::string text, int32_t smallIcon)
      : list_(list), position_(position), text_(std::move(text)), smallIcon_(smallIcon) {}
  std::string Text() const override { return text_; }
  bool Checked() const override { return ListView_GetCheckState(list_.hwnd_, position_) != 0; }
  void Checked(bool bChecked) override {
    if (Checked() == bChecked) return;
    // The control reports the change through LVN_ITEMCHANGED, which raises the tick-change event.
    ListView_SetCheckState(list_.hwnd_, position_, bChecked ? TRUE : FALSE);
  }
  std::string Tag() const override { return tag_; }
  void Tag(const std::string& sTag) override { tag_ = sTag; }
  int32_t SmallIcon() const override { return smallIcon_; }
  void AddSubItem(const std::string& sText) override {
    subItems_.push_back(sText);
    if (subItems_.size() != 1) return;
    std::wstring wide = Wide(sText);
    ListView_SetItemText(list_.hwnd_, position_, 1, wide.data());
  }
  std::string SubItem(int32_t index) const override {
    return index >= 1 && static_cast<size_t>(index) <= subItems_.size() ? subItems_[index - 1] : std::string();
  }
  void Program(const std::string& path, bool exists) override {
    programPath_ = path;
    if (!exists != missing_) {
      missing_ = !exists;
      list_.missingRows_ += missing_ ? 1 : -1;
      ListView_RedrawItems(list_.hwnd_, position_, position_);
    }
    const int image = exists ? list_.ProgramIcon(path) : -1;
    if (image >= 0 && image != image_) {
      image_ = image;
      LVITEMW item{};
      item.mask = LVIF_IMAGE;
      item.iItem = position_;
      item.iImage = image;
      ListView_SetItem(list_.hwnd_, &item);
    } else if (image < 0 && image_ != smallIcon_ - 1) {
      image_ = smallIcon_ - 1;  // back to the icon the row was added with
      LVITEMW item{};
      item.mask = LVIF_IMAGE;
      item.iItem = position_;
      item.iImage = image_;
      ListView_SetItem(list_.hwnd_, &item);
    }
  }
  std::string ProgramPath() const override { return programPath_; }
  bool ProgramMissing() const override { return missing_; }
  void Bold(bool bBold) override {
    if (bBold == bold_) return;
    bold_ = bBold;
    list_.boldRows_ += bold_ ? 1 : -1;
    if (list_.fillDepth_ == 0) ListView_RedrawItems(list_.hwnd_, position_, position_);
  }
  bool Bold() const override { return bold_; }
  int32_t Index() const override { return position_ + 1; }
  int Position() const { return position_; }
  int Image() const { return image_; }

 private:
  Win32ListView& list_;
  int position_;
  std::string text_;
  std::string tag_;
  int32_t smallIcon_;
  int image_ = smallIcon_ - 1;
  std::vector<std::string> subItems_;
  std::string programPath_;
  bool missing_ = false;
  bool bold_ = false;
};

namespace {

// Entry points of a library the process has loaded or loads now, found by name: the list's own module does not
// import the common controls' or the shell's functions, whose start-up would touch the display as soon as the
// process starts (before a test has chosen its desktop).
template <typename Function>
Function Entry(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  if (!module) module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);  // never the program's folder
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

HIMAGELIST DuplicateImages(HIMAGELIST images) {
  static const auto duplicate = Entry<HIMAGELIST(WINAPI*)(HIMAGELIST)>(L"comctl32.dll", "ImageList_Duplicate");
  return images && duplicate ? duplicate(images) : nullptr;
}

int AddIcon(HIMAGELIST images, HICON icon) {
  static const auto replace = Entry<int(WINAPI*)(HIMAGELIST, int, HICON)>(L"comctl32.dll", "ImageList_ReplaceIcon");
  return replace ? replace(images, -1, icon) : -1;
}

void DestroyImages(HIMAGELIST images) {
  static const auto destroy = Entry<BOOL(WINAPI*)(HIMAGELIST)>(L"comctl32.dll", "ImageList_Destroy");
  if (destroy) destroy(images);
}

HICON ShellSmallIcon(const std::wstring& path) {
  // The shell reads some files' icons through their handlers, which are COM objects.
  KeepComOnThisThread();
  // The file's own first icon where it has one (a program's icon resource); else the icon the shell shows for it.
  static const auto extract =
      Entry<UINT(WINAPI*)(LPCWSTR, int, HICON*, HICON*, UINT)>(L"shell32.dll", "ExtractIconExW");
  HICON small = nullptr;
  if (extract && extract(path.c_str(), 0, nullptr, &small, 1) > 0 && small) return small;
  static const auto info = Entry<DWORD_PTR(WINAPI*)(LPCWSTR, DWORD, SHFILEINFOW*, UINT, UINT)>(L"shell32.dll",
                                                                                              "SHGetFileInfoW");
  SHFILEINFOW found{};
  if (!info || !info(path.c_str(), 0, &found, sizeof found, SHGFI_ICON | SHGFI_SMALLICON)) return nullptr;
  return found.hIcon;
}

}  // namespace

Win32ListView::Win32ListView(HWND parent, int id, int32_t leftTwips, int32_t topTwips, int32_t widthTwips,
                             int32_t heightTwips, _IMAGELIST* smallIcons)
    : parent_(parent), left_(leftTwips), top_(topTwips), width_(widthTwips), height_(heightTwips) {
  const HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  const Rect px = PixelRect();
  hwnd_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL |
                              LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS,
                          px.left, px.top, px.width, px.height, parent, reinterpret_cast<HMENU>(intptr_t{id}),
                          GetModuleHandleW(nullptr), nullptr);
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  // A copy of its own, to which the programs' icons are added; the control does not delete it (shared style).
  images_ = DuplicateImages(smallIcons);
  if (images_) ListView_SetImageList(hwnd_, images_, LVSIL_SMALL);
  readIcon_ = &ShellSmallIcon;
  // The columns' names, which the (hidden) column header holds for assistive technology, are those painted
  // above the list.
  const wchar_t* captions[2] = {L"Application", L"Path"};
  for (int c = 0; c < 2; ++c) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<wchar_t*>(captions[c]);
    col.cx = MulDiv(columnTwips_[c], dpi_, 1440);
    col.iSubItem = c;
    ListView_InsertColumn(hwnd_, c, &col);
  }
  // The object rides in the window's user data: a window property would cost a trip to the window server (under
  // Wine) for every message the control gets.
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  controlProc_ = reinterpret_cast<decltype(controlProc_)>(
      SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlProc)));
}

Win32ListView::~Win32ListView() {
  if (hwnd_ && IsWindow(hwnd_)) {
    quiet_ = true;
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc_));
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (accessible_) {
    accessible_->Disconnect();
    accessible_->Release();
  }
  if (images_) DestroyImages(images_);
}

intptr_t Win32ListView::ReflectNotify(uintptr_t wParam, intptr_t lParam) {
  const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
  return hdr && hdr->hwndFrom ? SendMessageW(hdr->hwndFrom, kReflectedNotify, wParam, lParam) : 0;
}

intptr_t __stdcall Win32ListView::ControlProc(HWND hwnd, unsigned msg, uintptr_t wParam, intptr_t lParam) {
  auto* self = reinterpret_cast<Win32ListView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == kReflectedNotify) {
    const auto code = reinterpret_cast<const NMHDR*>(lParam)->code;
    if (code == LVN_ITEMCHANGED) self->HandleItemChanged(reinterpret_cast<const NMHDR*>(lParam));
    if (code == NM_CUSTOMDRAW) return self->HandleCustomDraw(reinterpret_cast<void*>(lParam));
    // Rows keep nothing in the control that needs freeing: no LVN_DELETEITEM for each row of a clear.
    return code == LVN_DELETEALLITEMS ? TRUE : 0;
  }
  if (msg == WM_CONTEXTMENU) {
    self->HandleContextMenu(lParam);
    return 0;
  }
  const auto original = self->controlProc_;
  if (msg == WM_GETOBJECT && static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT)) {
    // Screen readers ask for the list's own object, which reads each row as the user sees it.
    if (!self->accessible_) self->accessible_ = new Win32ListAccessible(*self);
    return Win32ListAccessible::Answer(self->accessible_, wParam);
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    if (self->accessible_) self->accessible_->Disconnect();
  }
  return CallWindowProcW(reinterpret_cast<WNDPROC>(original), hwnd, msg, wParam, lParam);
}

void Win32ListView::HandleItemChanged(const void* nmListView) {
  const auto* nm = static_cast<const NMLISTVIEW*>(nmListView);
  if (quiet_ || !(nm->uChanged & LVIF_STATE)) return;
  if ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED)
    if (std::function<void()> handler = onSelectionChange_) handler();
  const unsigned before = (nm->uOldState & LVIS_STATEIMAGEMASK) >> 12;
  const unsigned after = (nm->uNewState & LVIS_STATEIMAGEMASK) >> 12;
  // A new row first receives its unticked image from "no image" (0); that is no change of a tick.
  if (before == 0 || after == 0 || before == after) return;
  // The item's lParam is its row's id; ids count up from the first row's since the last clear.
  const auto id = static_cast<uintptr_t>(nm->lParam);
  if (id < firstId_ || id - firstId_ >= rows_.size()) return;
  if (ItemCheckHandler handler = onItemCheck_) handler(*rows_[id - firstId_]);
}

intptr_t Win32ListView::HandleCustomDraw(void* nmCustomDraw) {
  auto* cd = static_cast<NMLVCUSTOMDRAW*>(nmCustomDraw);
  // Rows are drawn one by one only while some row is marked.
  if (cd->nmcd.dwDrawStage == CDDS_PREPAINT)
    return missingRows_ > 0 || boldRows_ > 0 ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
  if (cd->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  const auto id = static_cast<uintptr_t>(cd->nmcd.lItemlParam);
  if (id < firstId_ || id - firstId_ >= rows_.size()) return CDRF_DODEFAULT;
  const Row& row = *rows_[id - firstId_];
  if (row.ProgramMissing()) cd->clrText = GetSysColor(COLOR_GRAYTEXT);
  if (!row.Bold()) return CDRF_DODEFAULT;
  // The list's own font, bold: made once for each font the list is given (its size follows the resolution).
  const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  if (!boldFont_ || boldFontOf_ != font) {
    LOGFONTW face{};
    if (!GetObjectW(font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face))
      return CDRF_DODEFAULT;
    face.lfWeight = FW_BOLD;
    boldFont_.reset(CreateFontIndirectW(&face));
    boldFontOf_ = font;
  }
  if (!boldFont_) return CDRF_DODEFAULT;
  SelectObject(cd->nmcd.hdc, boldFont_.get());
  return CDRF_NEWFONT;
}

void Win32ListView::FontCloser::operator()(HFONT font) const { DeleteObject(font); }

int Win32ListView::ProgramIcon(const std::string& path) {
  const std::u16string key = FoldCase(Utf8ToUtf16(path));
  if (const auto found = icons_.find(key); found != icons_.end()) return found->second;
  int image = -1;
  if (images_ && readIcon_)
    if (const HICON icon = readIcon_(Wide(path))) {
      image = AddIcon(images_, icon);
      DestroyIcon(icon);
    }
  icons_.emplace(key, image);
  return image;
}

int Win32ListView::RowImage(int32_t index) const {
  if (index < 1 || index > Count()) return -1;
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = rows_[index - 1]->Position();
  return ListView_GetItem(hwnd_, &item) ? item.iImage : -1;
}

std::string Win32ListView::AccessibleRowName(int32_t index) {
  const ListItem* row = Item(index);
  if (!row) return {};
  return row->Text() + ", " + row->SubItem(1) + ", " + (row->Checked() ? "on" : "off");
}

void Win32ListView::Clear() {
  const bool deselected = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED) >= 0;
  quiet_ = true;
  ListView_DeleteAllItems(hwnd_);
  quiet_ = false;
  rows_.clear();
  firstId_ = nextId_;
  missingRows_ = 0;
  boldRows_ = 0;
  if (deselected)
    if (std::function<void()> handler = onSelectionChange_) handler();
}

void Win32ListView::BeginFill() {
  // While redraw is off the control neither paints nor recomputes its scroll bars for each new row.
  if (fillDepth_++ == 0) SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
}

void Win32ListView::EndFill() {
  if (fillDepth_ == 0 || --fillDepth_ != 0) return;
  if (placePending_) Place();
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Win32ListView::ReserveRows(int32_t rows) {
  if (rows > Count()) ListView_SetItemCountEx(hwnd_, rows, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

ListItem* Win32ListView::Add(const std::string& sText, int32_t smallIcon, bool bChecked) {
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
  if (pos >= 0 && pos != item.iItem) ListView_DeleteItem(hwnd_, pos);  // not at the end: the positions would lie
  // A list with tick boxes inserts every item unticked, whatever state it is given: the tick is set after, and
  // while quiet it is no change to report.
  if (pos == item.iItem && bChecked) ListView_SetCheckState(hwnd_, pos, TRUE);
  quiet_ = false;
  if (pos != item.iItem) return nullptr;
  ++nextId_;
  rows_.push_back(std::make_unique<Row>(*this, pos, sText, smallIcon));
  return rows_.back().get();
}

int32_t Win32ListView::Count() const { return static_cast<int32_t>(rows_.size()); }

ListItem* Win32ListView::Item(int32_t index) {
  return index >= 1 && index <= Count() ? rows_[index - 1].get() : nullptr;
}

ListItem* Win32ListView::SelectedItem() {
  const int pos = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
  return pos >= 0 && static_cast<size_t>(pos) < rows_.size() ? rows_[pos].get() : nullptr;
}

void Win32ListView::Select(int32_t index) {
  ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (index < 1 || index > Count()) return;
  ListView_SetItemState(hwnd_, rows_[index - 1]->Position(), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

int32_t Win32ListView::TopIndex() const { return Count() == 0 ? 0 : ListView_GetTopIndex(hwnd_) + 1; }

void Win32ListView::TopIndex(int32_t index) {
  if (Count() == 0 || index < 1) return;
  RECT row{};
  if (!ListView_GetItemRect(hwnd_, 0, &row, LVIR_BOUNDS)) return;
  // A report list scrolls by pixels, rounded to whole rows.
  const int rows = std::min(index, Count()) - 1 - ListView_GetTopIndex(hwnd_);
  if (rows != 0) ListView_Scroll(hwnd_, 0, rows * (row.bottom - row.top));
}

void Win32ListView::HandleContextMenu(intptr_t lParam) {
  ListItem* row = nullptr;
  if (lParam == -1) {
    // From the keyboard: at the selected row (shown first), else at the list's top left corner.
    POINT at{4, 4};
    const int pos = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
    if (pos >= 0 && static_cast<size_t>(pos) < rows_.size()) {
      ListView_EnsureVisible(hwnd_, pos, FALSE);
      RECT r{};
      ListView_GetItemRect(hwnd_, pos, &r, LVIR_LABEL);
      at = {r.left + 8, r.bottom};
      row = rows_[pos].get();
    }
    ClientToScreen(hwnd_, &at);
    menuX_ = at.x, menuY_ = at.y;
  } else {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    menuX_ = at.x, menuY_ = at.y;
    ScreenToClient(hwnd_, &at);
    LVHITTESTINFO hit{};
    hit.pt = at;
    const int pos = ListView_HitTest(hwnd_, &hit);
    if (pos >= 0 && static_cast<size_t>(pos) < rows_.size() && (hit.flags & LVHT_ONITEM)) row = rows_[pos].get();
  }
  if (ContextMenuHandler handler = onContextMenu_) handler(row);
}

int32_t Win32ListView::ShowMenu(const std::vector<MenuEntry>& entries) {
  const HMENU menu = CreatePopupMenu();
  if (!menu) return 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].caption.empty()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    AppendMenuW(menu, MF_STRING | (entries[i].enabled ? MF_ENABLED : MF_GRAYED), i + 1,
                Wide(entries[i].caption).c_str());
  }
  // The menu closes properly when its owner is the foreground window.
  SetForegroundWindow(parent_);
  const int chosen = static_cast<int>(TrackPopupMenuEx(
      menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, menuX_, menuY_, parent_,
      nullptr));
  DestroyMenu(menu);
  return chosen > 0 && static_cast<size_t>(chosen) <= entries.size() && entries[chosen - 1].enabled ? chosen : 0;
}

void Win32ListView::Visible(bool bVisible) { ShowWindow(hwnd_, bVisible ? SW_SHOW : SW_HIDE); }

bool Win32ListView::IsVisible() const { return IsWindowVisible(hwnd_) != FALSE; }

void Win32ListView::ZOrder() {
  SetWindowPos(hwnd_, raiseAfter_ ? raiseAfter_ : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

Win32ListView::Rect Win32ListView::PixelRect() const {
  return {MulDiv(left_, dpi_, 1440), MulDiv(top_, dpi_, 1440), MulDiv(width_, dpi_, 1440),
          MulDiv(height_, dpi_, 1440)};
}

int32_t Win32ListView::ToTwips(int pixels, int32_t cachedTwips) const {
  // Twips the program set come back unchanged while the control still has the size they gave.
  return MulDiv(cachedTwips, dpi_, 1440) == pixels ? cachedTwips : MulDiv(pixels, 1440, dpi_);
}

void Win32ListView::Place() {
  // Each move makes the control lay itself out again, even with its redraw off: moves during a fill make one.
  placePending_ = fillDepth_ > 0;
  if (placePending_) return;
  const Rect px = PixelRect();
  SetWindowPos(hwnd_, nullptr, px.left, px.top, px.width, px.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int32_t Win32ListView::Left() const {
  if (Placing()) return left_;
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
  if (Placing()) return width_;
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
  if (Placing()) return height_;
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

void Win32ListView::SetDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  Place();
  for (int32_t c = 1; c <= 2; ++c) ListView_SetColumnWidth(hwnd_, c - 1, MulDiv(columnTwips_[c - 1], dpi_, 1440));
}

}  // namespace kqm
