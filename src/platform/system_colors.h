#pragma once
#include <cstdint>

#include "platform/raster.h"

namespace kqm {

// The platform's system colours by index (15 3-D face, 18 button text, 16 shadow, 22 light, 20 highlight,
// 21 dark shadow, 13 selection highlight, ...).
class SystemColors {
 public:
  virtual ~SystemColors() = default;
  // The RGB colour of system colour `index`; 0 (black) for an index the platform does not know.
  virtual ColorRef SysColor(std::int32_t index) const = 0;
  // True while the user has a high-contrast theme on: controls then draw in the system colours only.
  virtual bool HighContrast() const = 0;
};

// System colour indices the program's own controls draw with in high contrast.
inline constexpr std::int32_t kColorWindow = 5;
inline constexpr std::int32_t kColorWindowText = 8;
inline constexpr std::int32_t kColorHighlight = 13;
inline constexpr std::int32_t kColorHighlightText = 14;
inline constexpr std::int32_t kColorButtonFace = 15;
inline constexpr std::int32_t kColorButtonText = 18;
inline constexpr std::int32_t kColorHotLight = 26;

// A stored colour as RGB: a system-colour reference (0x80000000 | index) becomes that system colour;
// a plain or palette-relative (0x02......) colour keeps its low 24 bits; anything else gives black.
ColorRef TranslateColor(std::uint32_t oleColor, const SystemColors& system);

}  // namespace kqm
