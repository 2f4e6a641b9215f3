#include "platform/substitute/memory_list_view.h"

#include <algorithm>
#include <utility>

namespace kqm {

class MemoryListView::Row final : public ListItem {
 public:
  Row(MemoryListView& list, int32_t index, std::string text, int32_t smallIcon, bool checked)
      : list_(list), index_(index), text_(std::move(text)), smallIcon_(smallIcon), checked_(checked) {}

  std::string Text() const override { return text_; }
  bool Checked() const override { return checked_; }
  void Checked(bool bChecked) override {
    if (bChecked == checked_) return;
    checked_ = bChecked;
    list_.RaiseItemCheck(*this);
  }
  std::string Tag() const override { return tag_; }
  void Tag(const std::string& sTag) override { tag_ = sTag; }
  int32_t SmallIcon() const override { return smallIcon_; }
  void AddSubItem(const std::string& sText) override { subItems_.push_back(sText); }
  std::string SubItem(int32_t index) const override {
    if (index < 1 || index > static_cast<int32_t>(subItems_.size())) return {};
    return subItems_[static_cast<size_t>(index - 1)];
  }
  void Program(const std::string& path, bool exists) override {
    programPath_ = path;
    missing_ = !exists;
  }
  std::string ProgramPath() const override { return programPath_; }
  bool ProgramMissing() const override { return missing_; }
  void Bold(bool bBold) override { bold_ = bBold; }
  bool Bold() const override { return bold_; }
  int32_t Index() const override { return index_; }

 private:
  MemoryListView& list_;
  int32_t index_;
  std::string text_;
  int32_t smallIcon_;
  bool checked_;
  std::string tag_;
  std::vector<std::string> subItems_;
  std::string programPath_;
  bool missing_ = false;
  bool bold_ = false;
};

MemoryListView::MemoryListView() = default;
MemoryListView::~MemoryListView() = default;

void MemoryListView::Clear() {
  const bool deselected = selected_ != nullptr;
  selected_ = nullptr;
  rows_.clear();
  addsSinceClear_ = 0;
  topIndex_ = 1;
  if (deselected && onSelectionChange_) onSelectionChange_();
}

ListItem* MemoryListView::Add(const std::string& sText, int32_t smallIcon, bool bChecked) {
  if (++addsSinceClear_ == refuseAdd_) return nullptr;
  rows_.push_back(std::make_unique<Row>(*this, Count() + 1, sText, smallIcon, bChecked));
  return rows_.back().get();
}

void MemoryListView::ReserveRows(int32_t rows) {
  if (rows > 0) rows_.reserve(static_cast<size_t>(rows));
}

ListItem* MemoryListView::Item(int32_t index) {
  if (index < 1 || index > Count()) return nullptr;
  return rows_[static_cast<size_t>(index - 1)].get();
}

int32_t MemoryListView::ColumnWidth(int32_t index) const {
  return index == 1 || index == 2 ? columnWidths_[index - 1] : 0;
}

void MemoryListView::ColumnWidth(int32_t index, int32_t twips) {
  if (index == 1 || index == 2) columnWidths_[index - 1] = twips;
}

void MemoryListView::ClickTickBox(int32_t index) {
  if (ListItem* row = Item(index)) row->Checked(!row->Checked());
}

void MemoryListView::Select(int32_t index) {
  ListItem* row = Item(index);
  if (row == selected_) return;
  selected_ = row;
  if (onSelectionChange_) onSelectionChange_();
}

void MemoryListView::TopIndex(int32_t index) { topIndex_ = std::clamp(index, 1, std::max(Count(), 1)); }

int32_t MemoryListView::ShowMenu(const std::vector<MenuEntry>& entries) {
  lastMenu_ = entries;
  const std::string choice = std::exchange(choice_, std::string());
  for (size_t i = 0; i < entries.size(); ++i)
    if (!choice.empty() && entries[i].caption == choice) return entries[i].enabled ? static_cast<int32_t>(i + 1) : 0;
  return 0;
}

void MemoryListView::RightClick(int32_t index) {
  if (index > 0) Select(index);
  if (ContextMenuHandler handler = onContextMenu_) handler(index > 0 ? Item(index) : nullptr);
}

void MemoryListView::MenuKey() {
  if (ContextMenuHandler handler = onContextMenu_) handler(selected_);
}

void MemoryListView::RaiseItemCheck(Row& row) {
  if (onItemCheck_) onItemCheck_(row);
}

}  // namespace kqm
