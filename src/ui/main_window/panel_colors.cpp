#include "ui/main_window/panel_colors.h"

namespace kqm {

PanelColors PanelColorsFor(const SystemColors& system) {
  if (system.HighContrast()) {
    const auto sys = [&](std::int32_t index) { return system.SysColor(index) & 0xFFFFFFu; };
    // The header labels the list's columns, as a column header does: in the button colours.
    return {sys(kColorButtonFace), sys(kColorButtonText), sys(kColorWindow), sys(kColorWindowText),
            sys(kColorWindowText)};
  }
  return {Rgb(97, 167, 231), Rgb(255, 255, 255), Rgb(255, 255, 255), Rgb(0, 0, 0), Rgb(97, 167, 231)};
}

}  // namespace kqm
