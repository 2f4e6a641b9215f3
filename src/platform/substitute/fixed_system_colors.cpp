#include "platform/substitute/fixed_system_colors.h"

namespace kqm {

namespace {

constexpr std::array<ColorRef, 31> kDefaults = {
    Rgb(255, 255, 255),  // 0 scroll bar
    Rgb(37, 111, 149),   // 1 desktop
    Rgb(50, 150, 250),   // 2 active caption
    Rgb(128, 128, 128),  // 3 inactive caption
    Rgb(255, 255, 255),  // 4 menu
    Rgb(255, 255, 255),  // 5 window
    Rgb(158, 158, 158),  // 6 window frame
    Rgb(0, 0, 0),        // 7 menu text
    Rgb(0, 0, 0),        // 8 window text
    Rgb(0, 0, 0),        // 9 caption text
    Rgb(255, 255, 255),  // 10 active border
    Rgb(255, 255, 255),  // 11 inactive border
    Rgb(128, 128, 128),  // 12 application workspace
    Rgb(48, 150, 250),   // 13 selection highlight
    Rgb(255, 255, 255),  // 14 selection text
    Rgb(245, 245, 245),  // 15 3-D face
    Rgb(166, 166, 166),  // 16 3-D shadow
    Rgb(166, 166, 166),  // 17 grey text
    Rgb(0, 0, 0),        // 18 button text
    Rgb(200, 200, 200),  // 19 inactive caption text
    Rgb(255, 255, 255),  // 20 3-D highlight
    Rgb(106, 106, 106),  // 21 3-D dark shadow
    Rgb(227, 227, 227),  // 22 3-D light
    Rgb(0, 0, 0),        // 23 tooltip text
    Rgb(255, 255, 255),  // 24 tooltip background
    Rgb(255, 255, 255),  // 25 (unused)
    Rgb(224, 224, 224),  // 26 hot-tracking
    Rgb(50, 150, 250),   // 27 active caption gradient
    Rgb(128, 128, 128),  // 28 inactive caption gradient
    Rgb(48, 150, 250),   // 29 menu highlight
    Rgb(255, 255, 255),  // 30 menu bar
};

}  // namespace

FixedSystemColors::FixedSystemColors() : table_(kDefaults) {}

ColorRef FixedSystemColors::SysColor(std::int32_t index) const {
  if (index < 0 || index >= static_cast<std::int32_t>(table_.size())) return 0;
  return table_[static_cast<std::size_t>(index)];
}

void FixedSystemColors::Set(std::int32_t index, ColorRef colour) {
  if (index < 0 || index >= static_cast<std::int32_t>(table_.size())) return;
  table_[static_cast<std::size_t>(index)] = colour & 0xFFFFFFu;
}

}  // namespace kqm
