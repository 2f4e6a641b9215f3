#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/list_view.h"

struct HWND__;
struct _IMAGELIST;

namespace kqm {

// The list view as a real common-controls report list with tick boxes, the columns "App" and "Path" and small
// icons. Rows keep their texts and tags here; the control holds the tick and each row's id. The parent window
// passes every WM_NOTIFY on to the control that sent it as kReflectedNotify (see ReflectNotify), which is how
// the list learns of tick changes.
class Win32ListView final : public ListView {
 public:
  // Creates the control as child `id` of `parent` at the given place (twips); `smallIcons` is shared, not owned.
  Win32ListView(HWND__* parent, int id, int32_t leftTwips, int32_t topTwips, int32_t widthTwips,
                int32_t heightTwips, _IMAGELIST* smallIcons);
  ~Win32ListView() override;
  Win32ListView(const Win32ListView&) = delete;
  Win32ListView& operator=(const Win32ListView&) = delete;

  void Clear() override;
  ListItem* Add(const std::string& sText, int32_t smallIcon) override;
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

  // The message a parent sends back to a control with a WM_NOTIFY's wParam and lParam.
  static constexpr unsigned kReflectedNotify = 0x204E;
  // For a parent's window procedure: sends a WM_NOTIFY back to the control it came from; the control's answer is
  // the parent's answer to the WM_NOTIFY.
  static intptr_t ReflectNotify(uintptr_t wParam, intptr_t lParam);

  // The control's window.
  HWND__* Handle() const { return hwnd_; }
  // True while the control is shown.
  bool IsVisible() const;
  // Selects row `index` (1-based) and gives it the focus mark; 0 clears the selection.
  void Select(int32_t index);
  // The resolution (dots per inch) the list is shown at changes: its place, size and columns keep their twips.
  void SetDpi(int dpi);

 private:
  class Row;
  static intptr_t __stdcall ControlProc(HWND__* hwnd, unsigned msg, uintptr_t wParam, intptr_t lParam);
  void HandleItemChanged(const void* nmListView);
  struct Rect { int32_t left, top, width, height; };
  Rect PixelRect() const;
  int32_t ToTwips(int pixels, int32_t cachedTwips) const;
  void Place();

  HWND__* parent_ = nullptr;
  HWND__* hwnd_ = nullptr;
  intptr_t (*controlProc_)(HWND__*, unsigned, uintptr_t, intptr_t) = nullptr;
  int dpi_ = 96;
  std::vector<std::unique_ptr<Row>> rows_;
  uintptr_t nextId_ = 1;   // the id the next row's item carries in its lParam
  uintptr_t firstId_ = 1;  // the id of row 1
  int fillDepth_ = 0;
  bool quiet_ = false;
  std::string tag_;
  int32_t left_, top_, width_, height_;
  int32_t columnTwips_[2] = {2000, 0};
  ItemCheckHandler onItemCheck_;
};

}  // namespace kqm
