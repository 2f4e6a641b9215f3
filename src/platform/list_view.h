#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kqm {

// One row of a list view: the text of the first column, a tick box, a text tag, a small icon and sub-items.
class ListItem {
 public:
  virtual ~ListItem() = default;
  // The first column's text, as given when the row was added.
  virtual std::string Text() const = 0;
  // The current tick.
  virtual bool Checked() const = 0;
  // Sets the tick; a change raises the list's tick-change event for this row, once.
  virtual void Checked(bool bChecked) = 0;
  // The text stored with the row, unchanged.
  virtual std::string Tag() const = 0;
  virtual void Tag(const std::string& sTag) = 0;
  // The small-icon number the row was added with (1 is the first image).
  virtual int32_t SmallIcon() const = 0;
  // Appends a sub-item; the first one is the text of the "Path" column.
  virtual void AddSubItem(const std::string& sText) = 0;
  // Sub-item `index` (1 = the "Path" column); "" when the row has none at that position.
  virtual std::string SubItem(int32_t index) const = 0;
  // The program file the row's entry starts, learnt after the row was added: its path and whether it exists. A
  // row whose program is missing is marked; one whose program exists shows that program's icon where the list
  // can read it (else the icon it was added with).
  virtual void Program(const std::string& path, bool exists) = 0;
  // The path given to Program ("" before).
  virtual std::string ProgramPath() const = 0;
  // True once Program has said that the row's program file does not exist.
  virtual bool ProgramMissing() const = 0;
  // Whether the row's texts are drawn bold (an entry that is new or changed since the list was last shown).
  virtual void Bold(bool bBold) = 0;
  virtual bool Bold() const = 0;
  // The row's position, counted from 1; rows keep their positions until the list is cleared.
  virtual int32_t Index() const = 0;
};

// The list of startup entries: report view, a tick box per row, the columns "App" and "Path", small icons.
// Positions and sizes are twips relative to the owning window's client area.
class ListView {
 public:
  // Receives the row whose tick changed; its Checked already holds the new state.
  using ItemCheckHandler = std::function<void(ListItem& item)>;

  virtual ~ListView() = default;

  // Removes every row.
  virtual void Clear() = 0;
  // Appends a row with a first-column text, a small icon and its tick (set without a tick-change event); the row,
  // or nullptr when it cannot be added. The row stays valid until the next Clear.
  virtual ListItem* Add(const std::string& sText, int32_t smallIcon, bool bChecked = false) = 0;
  // Number of rows.
  virtual int32_t Count() const = 0;
  // Starts a fill (or a series of moves): painting, layout and moves wait until the matching EndFill, which shows
  // every row at once at the last place given (the place getters answer it meanwhile). Fills may nest; only the
  // outermost EndFill repaints. Rows, ticks and tick-change events are as without it.
  virtual void BeginFill() = 0;
  virtual void EndFill() = 0;
  // The list is about to hold `rows` rows in all (a hint that lets it make room once).
  virtual void ReserveRows(int32_t rows) = 0;
  // Row `index`, counted from 1; nullptr outside 1..Count.
  virtual ListItem* Item(int32_t index) = 0;
  // The selected row, or nullptr when none is selected.
  virtual ListItem* SelectedItem() = 0;

  // The text stored with the list itself.
  virtual std::string Tag() const = 0;
  virtual void Tag(const std::string& sTag) = 0;

  // Shows or hides the list.
  virtual void Visible(bool bVisible) = 0;
  // Brings the list in front of its sibling windows.
  virtual void ZOrder() = 0;
  virtual int32_t Left() const = 0;
  virtual void Left(int32_t twips) = 0;
  virtual int32_t Width() const = 0;
  virtual void Width(int32_t twips) = 0;
  virtual int32_t Height() const = 0;
  virtual void Height(int32_t twips) = 0;
  // Repaints the list.
  virtual void Refresh() = 0;
  // Width of column `index` (1 "App", 2 "Path") in twips.
  virtual int32_t ColumnWidth(int32_t index) const = 0;
  virtual void ColumnWidth(int32_t index, int32_t twips) = 0;

  // Sets the one handler of the tick-change event (an empty function removes it). It is raised once for every
  // change of a row's tick, whether the user clicked the tick box or the program wrote Checked.
  virtual void OnItemCheck(ItemCheckHandler handler) = 0;

  // Selects row `index` (counted from 1) and gives it the focus mark; 0 selects nothing. Raises no tick change.
  virtual void Select(int32_t index) = 0;
  // The row shown at the top (counted from 1; 0 when the list is empty).
  virtual int32_t TopIndex() const = 0;
  // Scrolls so that row `index` is shown at the top, as far as the list can scroll.
  virtual void TopIndex(int32_t index) = 0;
  // One entry of a row's menu: its caption ("&" marks the access key; "" for a separator), and whether it can be
  // chosen (else it is shown greyed).
  struct MenuEntry {
    std::string caption;
    bool enabled = true;
  };
  // Receives the row a context menu is asked for: the row right-clicked, or with the keyboard's menu key or
  // Shift+F10 the selected row; nullptr when there is none.
  using ContextMenuHandler = std::function<void(ListItem* row)>;
  // Sets the one handler of the context-menu request (an empty function removes it).
  virtual void OnContextMenu(ContextMenuHandler handler) = 0;
  // Shows `entries` as a popup menu where the last context menu was asked for (at the pointer, or at the selected
  // row for the keyboard) and waits for the user: the position (counted from 1) of the entry chosen, 0 for none.
  virtual int32_t ShowMenu(const std::vector<MenuEntry>& entries) = 0;
  // Sets the one handler raised after the selected row changed (to another row or to none), by the user or the
  // program; SelectedItem tells which row it is now.
  virtual void OnSelectionChange(std::function<void()> handler) = 0;
};

}  // namespace kqm
