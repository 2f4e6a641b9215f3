#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/raster.h"
#include "platform/system_colors.h"

namespace kqm {

class ExplorerBar;
class ExplorerBarGroup;

// The text a caption shows: "&&" becomes "&", and a lone "&" marking an access key is dropped (never underlined).
std::string ExplorerBarDisplayText(std::string_view caption);

// One clickable entry of a group.
class ExplorerBarItem {
 public:
  ExplorerBarItem(ExplorerBarGroup& group, std::string key, std::string caption, int iconIndex);
  ExplorerBarItem(const ExplorerBarItem&) = delete;
  ExplorerBarItem& operator=(const ExplorerBarItem&) = delete;

  // The key given when the item was added (compared exactly, case included).
  const std::string& Key() const { return key_; }
  // The caption as given; DisplayText() is what is drawn.
  const std::string& Caption() const { return caption_; }
  std::string DisplayText() const { return ExplorerBarDisplayText(caption_); }
  void SetCaption(std::string caption);
  // Index into the bar's item image list; negative: no icon.
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int index);
  ExplorerBarGroup& Group() const { return group_; }

 private:
  ExplorerBarGroup& group_;
  std::string key_;
  std::string caption_;
  int iconIndex_;
};

// The items of one group, in display order.
class ExplorerBarItems {
 public:
  explicit ExplorerBarItems(ExplorerBarGroup& group) : group_(group) {}
  // Appends an item at the end of the group and returns it.
  ExplorerBarItem& Add(std::string key, std::string caption, int iconIndex = -1);
  std::size_t Count() const { return items_.size(); }
  // The item at a position counted from 0 (must be below Count()).
  ExplorerBarItem& Item(std::size_t index) const { return *items_.at(index); }
  // The first item whose key equals `key` exactly, or null.
  ExplorerBarItem* Find(std::string_view key) const;

 private:
  ExplorerBarGroup& group_;
  std::vector<std::unique_ptr<ExplorerBarItem>> items_;
};

// A captioned group of items with a header.
class ExplorerBarGroup {
 public:
  ExplorerBarGroup(ExplorerBar& bar, std::string caption);
  ExplorerBarGroup(const ExplorerBarGroup&) = delete;
  ExplorerBarGroup& operator=(const ExplorerBarGroup&) = delete;

  const std::string& Caption() const { return caption_; }
  std::string DisplayText() const { return ExplorerBarDisplayText(caption_); }
  void SetCaption(std::string caption);
  // True: the header is drawn in the emphasised (solid) style.
  bool Special() const { return special_; }
  void SetSpecial(bool special);
  // Index into the bar's group image list; negative: no icon.
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int index);
  // False: only the header shows (the user toggles it by clicking the header).
  bool Expanded() const { return expanded_; }
  void SetExpanded(bool expanded);
  ExplorerBarItems& Items() { return items_; }
  const ExplorerBarItems& Items() const { return items_; }
  ExplorerBar& Bar() const { return bar_; }

 private:
  ExplorerBar& bar_;
  std::string caption_;
  bool special_ = false;
  int iconIndex_ = -1;
  bool expanded_ = true;
  ExplorerBarItems items_;
};

// The groups of the bar, top to bottom.
class ExplorerBarGroups {
 public:
  explicit ExplorerBarGroups(ExplorerBar& bar) : bar_(bar) {}
  // Appends a group below the existing ones and returns it.
  ExplorerBarGroup& Add(std::string caption);
  std::size_t Count() const { return groups_.size(); }
  // The group at a position counted from 0 (must be below Count()).
  ExplorerBarGroup& Item(std::size_t index) const { return *groups_.at(index); }

 private:
  ExplorerBar& bar_;
  std::vector<std::unique_ptr<ExplorerBarGroup>> groups_;
};

// Keys the bar answers to when it has the focus.
enum class ExplorerBarKey { Up, Down, Home, End, Enter, Space };

// What lies under a point of the bar.
struct ExplorerBarHit {
  enum class Kind { None, GroupHeader, Item };
  Kind kind = Kind::None;
  int group = -1;  // group position, for a header or an item
  int item = -1;   // item position within the group, for an item
  bool operator==(const ExplorerBarHit&) const = default;
};

// Where one group and its visible items are drawn, in pixels of the bar's client area.
struct ExplorerBarGroupLayout {
  PixelRect header;                 // the header band (caption, icon at its left)
  PixelRect headerIcon;             // the 32 by 32 group icon box (may rise above the header band)
  PixelRect body;                   // the panel under the header; empty when the group is collapsed
  std::vector<PixelRect> items;     // one per item when expanded, else empty
};

// Pixel sizes the layout uses.
struct ExplorerBarMetrics {
  int margin = 10;          // around the groups and between them
  int headerHeight = 25;    // header band
  int groupIconSize = 32;   // group icons are square
  int itemIconSize = 16;    // item icons are square
  int itemHeight = 20;      // one item row
  int bodyPadding = 6;      // inside the panel, above, below and left of the items

  // The metrics above (given at 96 dots per inch) at another resolution, each rounded to the nearest pixel.
  static ExplorerBarMetrics ForDpi(int dpi);
};

class ExplorerBar;

// The colours a bar is drawn in: its own blues and white, or in high contrast the user's system colours.
struct ExplorerBarPalette {
  ColorRef backStart, backEnd;                    // the gradient behind the groups
  ColorRef headerBack, headerText;                // a group's header band, its caption and chevron
  ColorRef specialHeaderBack, specialHeaderText;  // the same for a special group
  ColorRef bodyBack, specialBodyBack;             // behind a group's items
  ColorRef itemText, itemHotText;                 // an item's caption, and under the pointer
  ColorRef itemPressedBack, itemPressedText;      // an item held down
};
ExplorerBarPalette ExplorerBarColors(const ExplorerBar& bar, const SystemColors& system);

// The navigation bar: groups of items over a vertical gradient. Portable: the window host feeds it the
// client size, mouse and keys, and draws what Layout() and the state say; the bar raises the click event.
class ExplorerBar {
 public:
  ExplorerBar();
  ExplorerBar(const ExplorerBar&) = delete;
  ExplorerBar& operator=(const ExplorerBar&) = delete;
  ~ExplorerBar();

  static constexpr int kDefaultWidthTwips = 2955;

  ExplorerBarGroups& Groups() { return groups_; }
  const ExplorerBarGroups& Groups() const { return groups_; }

  // While false, changes do not ask for a repaint; switching it back on asks for one.
  bool Redraw() const { return redraw_; }
  void SetRedraw(bool redraw);

  // Border style of the bar: 0 none (the default), 1 a single line. Kept as given.
  int BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(int style);
  // True: expanding or collapsing a group slides. Kept as given; changes happen at once either way.
  bool Animate() const { return animate_; }
  void SetAnimate(bool animate) { animate_ = animate; }

  // Opaque image-list handles (0: none). Group icon indices refer to the first, item icon indices to the second.
  std::intptr_t GroupImageList() const { return groupImages_; }
  void SetGroupImageList(std::intptr_t images);
  std::intptr_t ItemImageList() const { return itemImages_; }
  void SetItemImageList(std::intptr_t images);

  // Gradient from the top colour to the bottom colour.
  ColorRef BackColorStart() const { return backStart_; }
  void SetBackColorStart(ColorRef color);
  ColorRef BackColorEnd() const { return backEnd_; }
  void SetBackColorEnd(ColorRef color);

  // Client size in pixels (set by the host), the pixels the window has beside its client area (a scroll bar,
  // a border) and the dots per inch it is shown at (96 unless set).
  void SetClientSize(int widthPixels, int heightPixels);
  int ClientWidth() const { return width_; }
  int ClientHeight() const { return height_; }
  void SetFrameWidth(int pixels) { frameWidth_ = std::max(0, pixels); }
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }
  // The whole window's width in twips (1440 a inch), rounded to the nearest: what its neighbours lay out by.
  int Width() const { return ((width_ + frameWidth_) * 1440 + dpi_ / 2) / dpi_; }

  const ExplorerBarMetrics& Metrics() const { return metrics_; }
  void SetMetrics(const ExplorerBarMetrics& metrics);

  // Where every group and item is, for the current client width; one entry per group.
  std::vector<ExplorerBarGroupLayout> Layout() const;
  // The header or item under a client point (items of collapsed groups are never hit).
  ExplorerBarHit HitTest(int x, int y) const;
  // Rectangle of an item, or empty when it is hidden or does not exist.
  PixelRect ItemRect(int group, int item) const;

  // Vertical scrolling when the groups are taller than the client area: the content's full height, how far
  // it is scrolled (0 at the top, at most MaxScrollOffset()), and moving it (clamped to that range).
  int ContentHeight() const;
  int MaxScrollOffset() const { return std::max(0, ContentHeight() - height_); }
  int ScrollOffset() const { return scroll_; }
  void SetScrollOffset(int offset);
  // A wheel turn in the platform's units (120 per notch, positive away from the user) scrolls three rows per notch.
  void MouseWheel(int delta);

  // What a click does, for assistive technology: a group header opens or closes its group, an item is clicked.
  void DoDefaultAction(const ExplorerBarHit& hit);
  // Raised once per click (mouse or keyboard) with the clicked item.
  void OnItemClick(std::function<void(ExplorerBarItem&)> handler) { itemClick_ = std::move(handler); }
  // Called when something visible changed and redraw is on (the host invalidates its window).
  void OnInvalidate(std::function<void()> handler) { invalidate_ = std::move(handler); }

  // Pointer input, in client pixels. A click is a press and a release of the left button on the same item.
  void MouseMove(int x, int y);
  void MouseLeave();
  void MouseDown(int x, int y);
  void MouseUp(int x, int y);
  // The press ends without a click (the window lost the mouse capture).
  void MouseCancel();
  // Keyboard input while focused: arrows, Home and End move the focus among visible items; Enter and Space
  // click the focused item. True when the key was used.
  bool KeyDown(ExplorerBarKey key);
  // Focus of the window itself (the host draws the focus rectangle only while it has the focus).
  void SetHasFocus(bool focused);
  bool HasFocus() const { return hasFocus_; }

  // The item under the pointer, the pressed item and the keyboard-focused item (nullopt: none).
  std::optional<ExplorerBarHit> Hover() const { return hover_; }
  std::optional<ExplorerBarHit> Pressed() const { return pressed_; }
  std::optional<ExplorerBarHit> FocusedItem() const { return focused_; }
  ExplorerBarItem* ItemAt(const ExplorerBarHit& hit) const;

  // Used by groups and items: something visible changed.
  void Changed();

 private:
  std::vector<ExplorerBarHit> VisibleItems() const;
  void ScrollIntoView(const ExplorerBarHit& hit);
  void SetHover(std::optional<ExplorerBarHit> hover);
  void Click(const ExplorerBarHit& hit);
  void ForgetHidden();

  ExplorerBarGroups groups_;
  bool redraw_ = true;
  int borderStyle_ = 0;
  bool animate_ = false;
  std::intptr_t groupImages_ = 0;
  std::intptr_t itemImages_ = 0;
  ColorRef backStart_ = Rgb(97, 167, 231);
  ColorRef backEnd_ = Rgb(14, 54, 90);
  int width_ = 197;
  int height_ = 418;
  int dpi_ = 96;
  int frameWidth_ = 0;
  ExplorerBarMetrics metrics_;
  std::function<void(ExplorerBarItem&)> itemClick_;
  std::function<void()> invalidate_;
  std::optional<ExplorerBarHit> hover_;
  std::optional<ExplorerBarHit> pressed_;
  std::optional<ExplorerBarHit> focused_;
  bool hasFocus_ = false;
  int scroll_ = 0;
  std::optional<std::pair<int, int>> pointer_;
  int wheelRest_ = 0;
};

}  // namespace kqm
