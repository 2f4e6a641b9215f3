#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/list_view.h"

namespace kqm {

// A list view kept in memory: rows in the order they were added, tags and texts kept as given, the tick-change
// event raised for every change of a tick (the program's own writes included). Tests drive the user's side with
// ClickTickBox and Select, and can make one Add fail.
class MemoryListView final : public ListView {
 public:
  MemoryListView();
  ~MemoryListView() override;
  MemoryListView(const MemoryListView&) = delete;
  MemoryListView& operator=(const MemoryListView&) = delete;

  void Clear() override;
  ListItem* Add(const std::string& sText, int32_t smallIcon, bool bChecked = false) override;
  int32_t Count() const override { return static_cast<int32_t>(rows_.size()); }
  ListItem* Item(int32_t index) override;
  // Nothing is painted here: a fill only keeps count of its brackets.
  void BeginFill() override { ++fillDepth_; }
  void EndFill() override { fillDepth_ -= fillDepth_ > 0; }
  void ReserveRows(int32_t rows) override;
  ListItem* SelectedItem() override { return selected_; }
  std::string Tag() const override { return tag_; }
  void Tag(const std::string& sTag) override { tag_ = sTag; }
  void Visible(bool bVisible) override { visible_ = bVisible; }
  void ZOrder() override { ++zOrderCalls_; }
  int32_t Left() const override { return left_; }
  void Left(int32_t twips) override { left_ = twips; }
  int32_t Width() const override { return width_; }
  void Width(int32_t twips) override { width_ = twips; }
  int32_t Height() const override { return height_; }
  void Height(int32_t twips) override { height_ = twips; }
  void Refresh() override { ++refreshCalls_; }
  int32_t ColumnWidth(int32_t index) const override;
  void ColumnWidth(int32_t index, int32_t twips) override;
  void OnItemCheck(ItemCheckHandler handler) override { onItemCheck_ = std::move(handler); }
  void OnSelectionChange(std::function<void()> handler) override { onSelectionChange_ = std::move(handler); }

  // The user clicks row `index`'s tick box: the tick flips and the event is raised.
  void ClickTickBox(int32_t index);
  // The `n`-th Add after the next Clear (counted from 1) gives no row; 0 switches this off.
  void RefuseAddNumber(int32_t n) { refuseAdd_ = n; }
  bool Visible() const { return visible_; }
  int32_t ZOrderCalls() const { return zOrderCalls_; }
  int32_t RefreshCalls() const { return refreshCalls_; }
  // Number of fills begun and not yet ended.
  int32_t FillDepth() const { return fillDepth_; }

  // Selects row `index` (0 selects nothing), as the user or the program does; a change raises the selection event.
  void Select(int32_t index) override;
  // The top row; a clear shows row 1 at the top again, and the top never passes the last row.
  int32_t TopIndex() const override { return rows_.empty() ? 0 : topIndex_; }
  void TopIndex(int32_t index) override;
  void OnContextMenu(ContextMenuHandler handler) override { onContextMenu_ = std::move(handler); }
  // Records the menu and answers with the entry ChooseFromMenu named, when that entry is enabled.
  int32_t ShowMenu(const std::vector<MenuEntry>& entries) override;
  // The user asks for a row's menu: a right click on row `index` selects it first; 0 asks on no row.
  void RightClick(int32_t index);
  // The user asks for the menu from the keyboard, for the selected row.
  void MenuKey();
  // The next menu shown answers with its entry of this caption ("" chooses nothing).
  void ChooseFromMenu(const std::string& caption) { choice_ = caption; }
  // The entries of the menu shown last (empty before any).
  const std::vector<MenuEntry>& LastMenu() const { return lastMenu_; }

 private:
  class Row;
  void RaiseItemCheck(Row& row);

  std::vector<std::unique_ptr<Row>> rows_;
  ListItem* selected_ = nullptr;
  std::string tag_;
  bool visible_ = true;
  int32_t left_ = 0, width_ = 0, height_ = 0;
  int32_t columnWidths_[2] = {2000, 0};
  int32_t zOrderCalls_ = 0, refreshCalls_ = 0;
  int32_t addsSinceClear_ = 0, refuseAdd_ = 0;
  int32_t fillDepth_ = 0;
  ItemCheckHandler onItemCheck_;
  int32_t topIndex_ = 1;
  ContextMenuHandler onContextMenu_;
  std::string choice_;
  std::vector<MenuEntry> lastMenu_;
  std::function<void()> onSelectionChange_;
};

}  // namespace kqm
