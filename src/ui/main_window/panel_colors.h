#pragma once
#include "platform/raster.h"
#include "platform/system_colors.h"

namespace kqm {

// The colours of the main window's own panels: the header strip over the list and the About page. Their fixed
// blue and white, or in high contrast the user's system colours.
struct PanelColors {
  ColorRef headerBack, headerText;
  ColorRef pageBack, pageText;
  ColorRef rule;  // the About page's line under the picture
};
PanelColors PanelColorsFor(const SystemColors& system);

}  // namespace kqm
