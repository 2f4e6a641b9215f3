#include "controls/explorer_bar/explorer_bar.h"

#include <algorithm>
#include <utility>

#include "platform/text.h"

namespace kqm {

std::string ExplorerBarDisplayText(std::string_view caption) { return CaptionShown(caption); }

ExplorerBarMetrics ExplorerBarMetrics::ForDpi(int dpi) {
  const ExplorerBarMetrics at96;
  if (dpi <= 0) return at96;
  const auto scale = [dpi](int v) { return (v * dpi + 48) / 96; };
  return {scale(at96.margin), scale(at96.headerHeight), scale(at96.groupIconSize), scale(at96.itemIconSize),
          scale(at96.itemHeight), scale(at96.bodyPadding)};
}

ExplorerBarPalette ExplorerBarColors(const ExplorerBar& bar, const SystemColors& system) {
  if (system.HighContrast()) {
    const auto sys = [&](std::int32_t index) { return system.SysColor(index) & 0xFFFFFFu; };
    return {sys(kColorWindow),      sys(kColorWindow),        sys(kColorButtonFace), sys(kColorButtonText),
            sys(kColorHighlight),   sys(kColorHighlightText), sys(kColorWindow),     sys(kColorWindow),
            sys(kColorWindowText),  sys(kColorHotLight),      sys(kColorHighlight),  sys(kColorHighlightText)};
  }
  constexpr ColorRef kBlue = Rgb(22, 80, 150);
  constexpr ColorRef kPale = Rgb(239, 245, 252);
  return {bar.BackColorStart(), bar.BackColorEnd(), kPale, kBlue, kBlue, Rgb(255, 255, 255), Rgb(214, 228, 245),
          kPale, kBlue, Rgb(51, 136, 255), Rgb(255, 255, 255), Rgb(51, 136, 255)};
}

ExplorerBarItem::ExplorerBarItem(ExplorerBarGroup& group, std::string key, std::string caption, int iconIndex)
    : group_(group), key_(std::move(key)), caption_(std::move(caption)), iconIndex_(iconIndex) {}

void ExplorerBarItem::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  group_.Bar().Changed();
}

void ExplorerBarItem::SetIconIndex(int index) {
  iconIndex_ = index;
  group_.Bar().Changed();
}

ExplorerBarItem& ExplorerBarItems::Add(std::string key, std::string caption, int iconIndex) {
  items_.push_back(std::make_unique<ExplorerBarItem>(group_, std::move(key), std::move(caption), iconIndex));
  group_.Bar().Changed();
  return *items_.back();
}

ExplorerBarItem* ExplorerBarItems::Find(std::string_view key) const {
  for (const auto& item : items_) {
    if (item->Key() == key) return item.get();
  }
  return nullptr;
}

ExplorerBarGroup::ExplorerBarGroup(ExplorerBar& bar, std::string caption)
    : bar_(bar), caption_(std::move(caption)), items_(*this) {}

void ExplorerBarGroup::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  bar_.Changed();
}

void ExplorerBarGroup::SetSpecial(bool special) {
  special_ = special;
  bar_.Changed();
}

void ExplorerBarGroup::SetIconIndex(int index) {
  iconIndex_ = index;
  bar_.Changed();
}

void ExplorerBarGroup::SetExpanded(bool expanded) {
  expanded_ = expanded;
  bar_.Changed();
}

ExplorerBarGroup& ExplorerBarGroups::Add(std::string caption) {
  groups_.push_back(std::make_unique<ExplorerBarGroup>(bar_, std::move(caption)));
  bar_.Changed();
  return *groups_.back();
}

ExplorerBar::ExplorerBar() : groups_(*this) {}
ExplorerBar::~ExplorerBar() = default;

void ExplorerBar::SetRedraw(bool redraw) {
  const bool resumed = redraw && !redraw_;
  redraw_ = redraw;
  if (resumed) Changed();
}

void ExplorerBar::SetBorderStyle(int style) {
  borderStyle_ = style;
  Changed();
}

void ExplorerBar::SetGroupImageList(std::intptr_t images) {
  groupImages_ = images;
  Changed();
}

void ExplorerBar::SetItemImageList(std::intptr_t images) {
  itemImages_ = images;
  Changed();
}

void ExplorerBar::SetBackColorStart(ColorRef color) {
  backStart_ = color;
  Changed();
}

void ExplorerBar::SetBackColorEnd(ColorRef color) {
  backEnd_ = color;
  Changed();
}

void ExplorerBar::SetClientSize(int widthPixels, int heightPixels) {
  width_ = std::max(0, widthPixels);
  height_ = std::max(0, heightPixels);
  Changed();
}

void ExplorerBar::SetDpi(int dpi) {
  if (dpi > 0) dpi_ = dpi;
}

void ExplorerBar::SetMetrics(const ExplorerBarMetrics& metrics) {
  metrics_ = metrics;
  Changed();
}

std::vector<ExplorerBarGroupLayout> ExplorerBar::Layout() const {
  const ExplorerBarMetrics& m = metrics_;
  const int left = m.margin;
  const int right = std::max(left, width_ - m.margin);
  const int iconRise = std::max(0, m.groupIconSize - m.headerHeight);
  std::vector<ExplorerBarGroupLayout> layout;
  layout.reserve(groups_.Count());
  int y = m.margin + iconRise - scroll_;
  for (std::size_t g = 0; g < groups_.Count(); ++g) {
    const ExplorerBarGroup& group = groups_.Item(g);
    ExplorerBarGroupLayout entry;
    entry.header = {left, y, right, y + m.headerHeight};
    entry.headerIcon = {left, entry.header.bottom - m.groupIconSize, left + m.groupIconSize, entry.header.bottom};
    y = entry.header.bottom;
    if (group.Expanded()) {
      int itemTop = y + m.bodyPadding;
      const int itemLeft = std::min(right, left + m.bodyPadding);
      const int itemRight = std::max(itemLeft, right - m.bodyPadding);
      for (std::size_t i = 0; i < group.Items().Count(); ++i) {
        entry.items.push_back({itemLeft, itemTop, itemRight, itemTop + m.itemHeight});
        itemTop += m.itemHeight;
      }
      entry.body = {left, y, right, itemTop + m.bodyPadding};
      y = entry.body.bottom;
    } else {
      entry.body = {left, y, right, y};
    }
    y += m.margin + iconRise;
    layout.push_back(std::move(entry));
  }
  return layout;
}

int ExplorerBar::ContentHeight() const {
  const auto layout = Layout();
  return layout.empty() ? 0 : layout.back().body.bottom + metrics_.margin + scroll_;
}

void ExplorerBar::SetScrollOffset(int offset) {
  const int clamped = std::clamp(offset, 0, MaxScrollOffset());
  if (clamped == scroll_) return;
  scroll_ = clamped;
  if (pointer_) {
    const ExplorerBarHit hit = HitTest(pointer_->first, pointer_->second);
    hover_ = hit.kind == ExplorerBarHit::Kind::None ? std::nullopt : std::optional<ExplorerBarHit>(hit);
  }
  Changed();
}

void ExplorerBar::MouseWheel(int delta) {
  constexpr int kNotch = 120;
  wheelRest_ += delta;
  const int notches = wheelRest_ / kNotch;
  wheelRest_ -= notches * kNotch;
  if (notches != 0) SetScrollOffset(scroll_ - notches * 3 * metrics_.itemHeight);
}

void ExplorerBar::ScrollIntoView(const ExplorerBarHit& hit) {
  const PixelRect r = ItemRect(hit.group, hit.item);
  if (r.bottom > height_) SetScrollOffset(scroll_ + r.bottom - height_ + metrics_.bodyPadding);
  if (r.top < 0) SetScrollOffset(scroll_ + r.top - metrics_.bodyPadding);
}

ExplorerBarHit ExplorerBar::HitTest(int x, int y) const {
  const auto layout = Layout();
  for (std::size_t g = 0; g < layout.size(); ++g) {
    const ExplorerBarGroupLayout& entry = layout[g];
    if (entry.header.Contains(x, y) || entry.headerIcon.Contains(x, y)) {
      return {ExplorerBarHit::Kind::GroupHeader, static_cast<int>(g), -1};
    }
    for (std::size_t i = 0; i < entry.items.size(); ++i) {
      if (entry.items[i].Contains(x, y)) return {ExplorerBarHit::Kind::Item, static_cast<int>(g), static_cast<int>(i)};
    }
  }
  return {};
}

PixelRect ExplorerBar::ItemRect(int group, int item) const {
  const auto layout = Layout();
  if (group < 0 || static_cast<std::size_t>(group) >= layout.size()) return {};
  const auto& items = layout[static_cast<std::size_t>(group)].items;
  if (item < 0 || static_cast<std::size_t>(item) >= items.size()) return {};
  return items[static_cast<std::size_t>(item)];
}

ExplorerBarItem* ExplorerBar::ItemAt(const ExplorerBarHit& hit) const {
  if (hit.kind != ExplorerBarHit::Kind::Item || hit.group < 0 || hit.item < 0) return nullptr;
  if (static_cast<std::size_t>(hit.group) >= groups_.Count()) return nullptr;
  const ExplorerBarItems& items = groups_.Item(static_cast<std::size_t>(hit.group)).Items();
  if (static_cast<std::size_t>(hit.item) >= items.Count()) return nullptr;
  return &items.Item(static_cast<std::size_t>(hit.item));
}

std::vector<ExplorerBarHit> ExplorerBar::VisibleItems() const {
  std::vector<ExplorerBarHit> visible;
  for (std::size_t g = 0; g < groups_.Count(); ++g) {
    const ExplorerBarGroup& group = groups_.Item(g);
    if (!group.Expanded()) continue;
    for (std::size_t i = 0; i < group.Items().Count(); ++i) {
      visible.push_back({ExplorerBarHit::Kind::Item, static_cast<int>(g), static_cast<int>(i)});
    }
  }
  return visible;
}

void ExplorerBar::SetHover(std::optional<ExplorerBarHit> hover) {
  if (hover == hover_) return;
  hover_ = hover;
  Changed();
}

void ExplorerBar::MouseMove(int x, int y) {
  pointer_ = {x, y};
  const ExplorerBarHit hit = HitTest(x, y);
  SetHover(hit.kind == ExplorerBarHit::Kind::None ? std::nullopt : std::optional<ExplorerBarHit>(hit));
}

void ExplorerBar::MouseLeave() {
  pointer_.reset();
  SetHover(std::nullopt);
}

void ExplorerBar::MouseDown(int x, int y) {
  const ExplorerBarHit hit = HitTest(x, y);
  pressed_ = hit.kind == ExplorerBarHit::Kind::None ? std::nullopt : std::optional<ExplorerBarHit>(hit);
  if (hit.kind == ExplorerBarHit::Kind::Item) focused_ = hit;
  Changed();
}

void ExplorerBar::MouseUp(int x, int y) {
  const std::optional<ExplorerBarHit> pressed = std::exchange(pressed_, std::nullopt);
  Changed();
  if (!pressed || HitTest(x, y) != *pressed) return;
  if (pressed->kind == ExplorerBarHit::Kind::GroupHeader) {
    ExplorerBarGroup& group = groups_.Item(static_cast<std::size_t>(pressed->group));
    group.SetExpanded(!group.Expanded());
  } else {
    Click(*pressed);
  }
}

void ExplorerBar::MouseCancel() {
  if (!pressed_) return;
  pressed_.reset();
  Changed();
}

bool ExplorerBar::KeyDown(ExplorerBarKey key) {
  const auto visible = VisibleItems();
  if (visible.empty()) return false;
  const auto current = focused_ ? std::find(visible.begin(), visible.end(), *focused_) : visible.end();
  std::optional<ExplorerBarHit> next;
  switch (key) {
    case ExplorerBarKey::Home:
      next = visible.front();
      break;
    case ExplorerBarKey::End:
      next = visible.back();
      break;
    case ExplorerBarKey::Down:
      next = current == visible.end() ? visible.front() : *std::min(current + 1, visible.end() - 1);
      break;
    case ExplorerBarKey::Up:
      next = current == visible.end() ? visible.back() : *(current == visible.begin() ? current : current - 1);
      break;
    case ExplorerBarKey::Enter:
    case ExplorerBarKey::Space:
      if (current == visible.end()) return false;
      Click(*current);
      return true;
  }
  if (next != focused_) {
    focused_ = next;
    Changed();
  }
  ScrollIntoView(*next);
  return true;
}

void ExplorerBar::SetHasFocus(bool focused) {
  if (hasFocus_ == focused) return;
  hasFocus_ = focused;
  Changed();
}

void ExplorerBar::DoDefaultAction(const ExplorerBarHit& hit) {
  if (hit.kind == ExplorerBarHit::Kind::GroupHeader && hit.group >= 0 &&
      static_cast<std::size_t>(hit.group) < groups_.Count()) {
    ExplorerBarGroup& group = groups_.Item(static_cast<std::size_t>(hit.group));
    group.SetExpanded(!group.Expanded());
  } else {
    Click(hit);
  }
}

void ExplorerBar::Click(const ExplorerBarHit& hit) {
  ExplorerBarItem* item = ItemAt(hit);
  if (item && itemClick_) itemClick_(*item);
}

void ExplorerBar::ForgetHidden() {
  const auto stale = [this](const std::optional<ExplorerBarHit>& hit) {
    if (!hit) return false;
    if (hit->kind == ExplorerBarHit::Kind::GroupHeader) {
      return hit->group < 0 || static_cast<std::size_t>(hit->group) >= groups_.Count();
    }
    return !ItemAt(*hit) || !groups_.Item(static_cast<std::size_t>(hit->group)).Expanded();
  };
  if (stale(hover_)) hover_.reset();
  if (stale(pressed_)) pressed_.reset();
  if (stale(focused_)) focused_.reset();
}

void ExplorerBar::Changed() {
  ForgetHidden();
  scroll_ = std::clamp(scroll_, 0, MaxScrollOffset());
  if (redraw_ && invalidate_) invalidate_();
}

}  // namespace kqm
