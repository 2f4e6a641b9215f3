#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/list_view.h"
#include "platform/unique_handle.h"

struct HWND__;
struct HICON__;
struct HFONT__;
struct _IMAGELIST;

namespace kqm {

class Win32ListAccessible;

// The list view as a real common-controls report list with tick boxes, the columns "Application" and "Path" and
// small icons (its own image list: the given icons, then each program's icon once, by path). A row whose program
// is missing draws its text grey; a row marked bold draws it in the list's font made bold. Rows keep their texts
// and tags here; the control holds the tick and each row's id. The parent window passes every WM_NOTIFY on to the
// control that sent it as kReflectedNotify (see ReflectNotify), which is how the list learns of tick changes.
class Win32ListView final : public ListView {
 public:
  // Creates the control as child `id` of `parent` at the given place (twips); `smallIcons` is shared, not owned.
  Win32ListView(HWND__* parent, int id, int32_t leftTwips, int32_t topTwips, int32_t widthTwips,
                int32_t heightTwips, _IMAGELIST* smallIcons);
  ~Win32ListView() override;
  Win32ListView(const Win32ListView&) = delete;
  Win32ListView& operator=(const Win32ListView&) = delete;

  void Clear() override;
  ListItem* Add(const std::string& sText, int32_t smallIcon, bool bChecked = false) override;
  int32_t Count() const override;
  void BeginFill() override;
  void EndFill() override;
  void ReserveRows(int32_t rows) override;
  ListItem* Item(int32_t index) override;
  ListItem* SelectedItem() override;
  std::string Tag() const override { return tag_; }
  void Tag(const std::string& sTag) override { tag_ = sTag; }
  void Visible(bool bVisible) override;
  void ZOrder() override;
  int32_t Left() const override;
  void Left(int32_t twips) override;
  int32_t Width() const override;
  void Width(int32_t twips) override;
  int32_t Height() const override;
  void Height(int32_t twips) override;
  void Refresh() override;
  int32_t ColumnWidth(int32_t index) const override;
  void ColumnWidth(int32_t index, int32_t twips) override;
  void OnItemCheck(ItemCheckHandler handler) override { onItemCheck_ = std::move(handler); }
  void OnSelectionChange(std::function<void()> handler) override { onSelectionChange_ = std::move(handler); }

  // The message a parent sends back to a control with a WM_NOTIFY's wParam and lParam.
  static constexpr unsigned kReflectedNotify = 0x204E;
  // For a parent's window procedure: sends a WM_NOTIFY back to the control it came from; the control's answer is
  // the parent's answer to the WM_NOTIFY.
  static intptr_t ReflectNotify(uintptr_t wParam, intptr_t lParam);

  // The control's window.
  HWND__* Handle() const { return hwnd_; }
  // True while the control is shown.
  bool IsVisible() const;
  void Select(int32_t index) override;
  int32_t TopIndex() const override;
  void TopIndex(int32_t index) override;
  void OnContextMenu(ContextMenuHandler handler) override { onContextMenu_ = std::move(handler); }
  int32_t ShowMenu(const std::vector<MenuEntry>& entries) override;

  // Reads a program's small icon (an icon the caller destroys, or null); by default the shell's icon of the file.
  using IconReader = std::function<HICON__*(const std::wstring& path)>;
  void ReadIconsWith(IconReader reader) { readIcon_ = std::move(reader); }
  // The image list index row `index` (1-based) shows; -1 for no row.
  int RowImage(int32_t index) const;
  // Row `index`'s name for screen readers: "<name>, <path>, on|off".
  std::string AccessibleRowName(int32_t index);
  // The resolution (dots per inch) the list is shown at changes: its place, size and columns keep their twips.
  void SetDpi(int dpi);
  // ZOrder brings the list in front of the pages it shares its place with; sibling order is also the Tab order,
  // so it goes right after `window` (the navigation bar) rather than before everything. Null: to the top.
  void RaiseAfter(HWND__* window) { raiseAfter_ = window; }

 private:
  class Row;
  static intptr_t __stdcall ControlProc(HWND__* hwnd, unsigned msg, uintptr_t wParam, intptr_t lParam);
  void HandleItemChanged(const void* nmListView);
  // WM_CONTEXTMENU: the row asked about and where its menu goes (lParam -1: the keyboard, at the selected row).
  void HandleContextMenu(intptr_t lParam);
  intptr_t HandleCustomDraw(void* nmCustomDraw);
  // The image list index of the program's icon, read once per path; -1 when it has none.
  int ProgramIcon(const std::string& path);
  struct Rect { int32_t left, top, width, height; };
  Rect PixelRect() const;
  int32_t ToTwips(int pixels, int32_t cachedTwips) const;
  // Moves the control to the twips given; during a fill, once when the fill ends.
  void Place();
  // Moved during the fill that runs: the place getters answer the place given, which the control takes at its end.
  bool Placing() const { return placePending_ && fillDepth_ > 0; }

  HWND__* parent_ = nullptr;
  HWND__* hwnd_ = nullptr;
  HWND__* raiseAfter_ = nullptr;
  intptr_t (*controlProc_)(HWND__*, unsigned, uintptr_t, intptr_t) = nullptr;
  int dpi_ = 96;
  std::vector<std::unique_ptr<Row>> rows_;
  uintptr_t nextId_ = 1;   // the id the next row's item carries in its lParam
  uintptr_t firstId_ = 1;  // the id of row 1
  int fillDepth_ = 0;
  bool placePending_ = false;  // moved during a fill: the control takes its place when the fill ends
  bool quiet_ = false;
  std::string tag_;
  int32_t left_, top_, width_, height_;
  int32_t columnTwips_[2] = {2000, 0};
  ItemCheckHandler onItemCheck_;
  ContextMenuHandler onContextMenu_;
  int32_t menuX_ = 0, menuY_ = 0;  // screen pixels where the next menu opens
  std::function<void()> onSelectionChange_;
  _IMAGELIST* images_ = nullptr;                 // owned: the given icons, then the programs'
  std::unordered_map<std::u16string, int> icons_;  // folded program path -> image index (-1: none)
  IconReader readIcon_;
  int32_t missingRows_ = 0;                       // rows marked missing since the last clear
  int32_t boldRows_ = 0;                          // rows marked bold since the last clear
  struct FontCloser {
    void operator()(HFONT__* font) const;
  };
  UniqueHandle<HFONT__*, FontCloser> boldFont_;  // the list's font made bold, once a bold row is drawn
  HFONT__* boldFontOf_ = nullptr;                 // the list's font it was made from
  Win32ListAccessible* accessible_ = nullptr;     // the screen readers' object, once asked for
};

}  // namespace kqm
