// Drives the bar with arbitrary sequences of content changes, resizing, scrolling, pointer and key input, and
// checks after every step that its state stays consistent.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "controls/explorer_bar/explorer_bar.h"

namespace {

using kqm::ExplorerBar;
using kqm::ExplorerBarHit;

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool More() const { return pos_ < size_; }
  int Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  int Signed() { return Byte() - 128; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

void Check(bool condition, int line) {
  if (!condition) {
    std::fprintf(stderr, "broken invariant at line %d\n", line);
    std::abort();
  }
}
#define Require(condition) Check((condition), __LINE__)

bool ValidVisible(const ExplorerBar& bar, const std::optional<ExplorerBarHit>& hit) {
  if (!hit) return true;
  if (hit->kind == ExplorerBarHit::Kind::GroupHeader) {
    return hit->group >= 0 && static_cast<std::size_t>(hit->group) < bar.Groups().Count();
  }
  return bar.ItemAt(*hit) && bar.Groups().Item(static_cast<std::size_t>(hit->group)).Expanded();
}

void CheckInvariants(const ExplorerBar& bar) {
  Require(bar.ScrollOffset() >= 0 && bar.ScrollOffset() <= bar.MaxScrollOffset());
  Require(ValidVisible(bar, bar.Hover()) && ValidVisible(bar, bar.Pressed()) && ValidVisible(bar, bar.FocusedItem()));
  if (const auto focused = bar.FocusedItem()) Require(focused->kind == ExplorerBarHit::Kind::Item);
  const auto layout = bar.Layout();
  Require(layout.size() == bar.Groups().Count());
  for (std::size_t g = 0; g < layout.size(); ++g) {
    const auto& group = bar.Groups().Item(g);
    Require(layout[g].items.size() == (group.Expanded() ? group.Items().Count() : 0));
    for (std::size_t i = 0; i < layout[g].items.size(); ++i) {
      const kqm::PixelRect r = layout[g].items[i];
      if (r.right <= r.left || r.bottom <= r.top) continue;
      const ExplorerBarHit expected{ExplorerBarHit::Kind::Item, static_cast<int>(g), static_cast<int>(i)};
      Require(bar.HitTest(r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2) == expected);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  ExplorerBar bar;
  int clicks = 0;
  bool grow = false;
  bar.OnItemClick([&](kqm::ExplorerBarItem& item) {
    ++clicks;
    Require(item.Group().Items().Find(item.Key()) != nullptr);
    if (grow && bar.Groups().Count() < 64) bar.Groups().Add("Added").Items().Add("A", "a&&b", 0);
  });
  while (in.More()) {
    const int before = clicks;
    const int op = in.Byte() % 14;
    switch (op) {
      case 0:
        if (bar.Groups().Count() < 64) bar.Groups().Add(std::string(static_cast<std::size_t>(in.Byte() % 5), '&'));
        break;
      case 1:
        if (bar.Groups().Count() > 0) {
          auto& group = bar.Groups().Item(static_cast<std::size_t>(in.Byte()) % bar.Groups().Count());
          if (group.Items().Count() < 64) group.Items().Add(std::to_string(in.Byte()), "item", in.Signed());
        }
        break;
      case 2:
        if (bar.Groups().Count() > 0) {
          auto& group = bar.Groups().Item(static_cast<std::size_t>(in.Byte()) % bar.Groups().Count());
          group.SetExpanded(!group.Expanded());
        }
        break;
      case 3:
        bar.SetClientSize(in.Signed() * 4, in.Signed() * 4);
        break;
      case 4:
        bar.SetScrollOffset(in.Signed() * 8);
        break;
      case 5:
        bar.MouseWheel(in.Signed() * 4);
        break;
      case 6:
        bar.MouseMove(in.Signed() * 2, in.Byte() * 2);
        break;
      case 7:
        bar.MouseDown(in.Signed() * 2, in.Byte() * 2);
        break;
      case 8:
        bar.MouseUp(in.Signed() * 2, in.Byte() * 2);
        break;
      case 9:
        bar.MouseLeave();
        break;
      case 10:
        bar.KeyDown(static_cast<kqm::ExplorerBarKey>(in.Byte() % 6));
        break;
      case 11:
        bar.SetRedraw(in.Byte() % 2 == 0);
        break;
      case 12:
        grow = !grow;
        break;
      default: {
        kqm::ExplorerBarMetrics m;
        m.margin = in.Byte() % 20;
        m.headerHeight = 1 + in.Byte() % 40;
        m.itemHeight = 1 + in.Byte() % 30;
        m.bodyPadding = in.Byte() % 12;
        bar.SetMetrics(m);
        break;
      }
    }
    Require(clicks - before <= 1);
    if (op != 8 && op != 10) Require(clicks == before);
    CheckInvariants(bar);
  }
  return 0;
}
